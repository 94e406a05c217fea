// Renders the table page, its context menu, the Import DXF dialog with a
// real drawing and its menu, the trajectory display, the drawing options of
// a plate with two holes and the Import DXF dialog on what they arranged, in
// English and in Chinese, to PNGs for the documentation:
//   shot_table DIR
// writes DIR/table-page-en.png, DIR/table-page-zh.png, DIR/table-menu-en.png,
// DIR/table-menu-zh.png, DIR/import-dxf-en.png, DIR/import-dxf-zh.png,
// DIR/import-menu-en.png, DIR/import-menu-zh.png, DIR/display-dialog-en.png,
// DIR/display-dialog-zh.png, DIR/drawing-options-en.png,
// DIR/drawing-options-zh.png, DIR/import-arranged-en.png and
// DIR/import-arranged-zh.png. The options are the defaults: the user's
// remembered ones are not read.

#include "controls/CVSFlexGrid.h"
#include "dialogs/CDrawingOptions.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CImportDxf.h"
#include "geometry/DxfDrawing.h"
#include "geometry/DxfReader.h"
#include "guide/PosConfig.h"
#include "res/StringTable.h"
#include "wizard/CSetTable.h"
#include "wizard/SegmentGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {

QString g_dir;
bool g_ok = true;

void Save(const QPixmap &pixmap, const QString &name)
{
    const QString path = QDir(g_dir).filePath(name);
    if (!pixmap.save(path, "PNG", 0)) { // the highest compression
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        g_ok = false;
    }
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// The outline of the worked example and a few more segments.
pos::PosConfig Outline()
{
    pos::PosConfig config = pos::NewPageDefaults();
    config.actionMode = 1;
    using S = pos::PosSegment;
    config.segments[1] = S{1, pos::kTypeLine, 0, 100, 100000, 100, 0, 0, 20000, 0, 0, 0};
    config.segments[2] = S{2, pos::kTypeCw, 0, 100, 70000, 200, 0, 0, 30000, 10000, 20000, 10000};
    config.segments[3] = S{3, pos::kTypeLine, 0, 100, 80000, 100, 0, 0, 30000, 25000, 0, 0};
    config.segments[4] = S{4, pos::kTypeCcw, 1, 100, 60000, 150, 0, 0, 10000, 25000, 20000, 32000};
    config.segments[5] = S{5, pos::kTypeLine, 0, 100, 100000, 100, 0, 0, 0, 0, 0, 0};
    return config;
}

// A menu with one of its submenus open beside it, as the user sees them.
QPixmap MenuWithSubmenu(QMenu *menu, const char *submenu)
{
    menu->popup(QPoint(0, 0));
    Settle();
    QAction *open = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String(submenu))
            open = a;
    const QPixmap main = menu->grab();
    if (!open || !open->menu())
        return main;
    QMenu *sub = open->menu();
    sub->popup(QPoint(0, 0));
    Settle();
    const QPixmap side = sub->grab();
    const QRect at = menu->actionGeometry(open);
    QPixmap both(main.width() + side.width() - 4,
                 std::max(main.height(), at.top() + side.height()));
    both.fill(Qt::white);
    QPainter p(&both);
    p.drawPixmap(0, 0, main);
    p.drawPixmap(main.width() - 4, at.top(), side);
    p.end();
    sub->hide();
    menu->hide();
    return both;
}

void Shoot(const QString &lang)
{
    const QString suffix = QStringLiteral("-%1.png").arg(lang);

    // The table page with a few rows, the second row current, widened until
    // no column scrolls.
    pos::PosConfig config = Outline();
    CSetTable page;
    page.SetContext(&config, false);
    page.OnInitDialog();
    page.resize(1036, 330);
    page.show();
    page.grid()->select(3, 6);
    Settle();
    Save(page.grab(), QStringLiteral("table-page") + suffix);

    // Its context menu with the display submenu open.
    {
        const std::unique_ptr<QMenu> menu = page.CreateContextMenu();
        Save(MenuWithSubmenu(menu.get(), "graphicMenu"), QStringLiteral("table-menu") + suffix);
    }

    // The Import DXF dialog with a real drawing.
    pos::CDxfReader reader;
    pos::Result<pos::PosConfig> drawing
        = reader.ReadDxfFile(POS_TEST_DATA_DIR "/dxf/ezdxf_exploded_mirror.dxf");
    if (!drawing) {
        std::fprintf(stderr, "cannot read the sample drawing\n");
        g_ok = false;
        return;
    }
    CImportDxf import(&*drawing);
    import.resize(860, 380);
    import.show();
    import.grid()->select(9, 1);
    Settle();
    Save(import.grab(), QStringLiteral("import-dxf") + suffix);
    {
        const std::unique_ptr<QMenu> menu = import.CreateContextMenu();
        Save(MenuWithSubmenu(menu.get(), "reverseMenu"), QStringLiteral("import-menu") + suffix);
    }

    // The options of a drawing with an outer contour and two holes, and the
    // Import DXF dialog on the outline they give, a travel row current.
    pos::Result<pos::dxf::Drawing> plate
        = pos::dxf::ReadDrawingFile(POS_TEST_DATA_DIR "/table/plate_with_holes.dxf");
    if (!plate) {
        std::fprintf(stderr, "cannot read the plate drawing\n");
        g_ok = false;
        return;
    }
    CDrawingOptions options(std::move(*plate));
    options.resize(860, 520);
    options.show();
    Settle();
    Save(options.grab(), QStringLiteral("drawing-options") + suffix);
    if (const pos::ArrangedDrawing *arranged = options.arranged()) {
        pos::PosConfig record = pos::ui::KeyedFromZero(arranged->config);
        CImportDxf arrangedImport(&record);
        arrangedImport.resize(860, 380);
        arrangedImport.show();
        int travel = 2;
        while (travel < arrangedImport.grid()->rows() - 1
               && !arrangedImport.grid()->isRowMarked(travel))
            ++travel;
        arrangedImport.grid()->select(travel, 1);
        Settle();
        Save(arrangedImport.grab(), QStringLiteral("import-arranged") + suffix);
    } else {
        std::fprintf(stderr, "the plate drawing was not arranged\n");
        g_ok = false;
    }

    // The trajectory display of the page's rows.
    std::vector<pos::PosSegment> segments;
    for (const auto &[number, s] : config.segments)
        segments.push_back(s);
    CGraphicDisplay *display = pos::ui::ShowSegments(&page, segments, config.actionMode);
    display->resize(420, 320);
    Settle();
    Save(display->grab(), QStringLiteral("display-dialog") + suffix);
    display->close();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shot_table DIR\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    const QTemporaryDir settings; // the defaults, never what a user chose
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    pos::SetLanguage(pos::Lang::En);
    Shoot(QStringLiteral("en"));

    QTranslator translator;
    if (!translator.load(QStringLiteral(":/i18n/pos_zh_CN.qm"))) {
        std::fprintf(stderr, "no Chinese catalogue\n");
        return 1;
    }
    QCoreApplication::installTranslator(&translator);
    pos::SetLanguage(pos::Lang::Zh);
    Shoot(QStringLiteral("zh"));
    return g_ok ? 0 : 1;
}
