// The layout of every page of the wizard and of every dialog, in English and
// in Chinese, at the scale the run was started with (QT_SCALE_FACTOR): each
// field a user can reach has an accessible name and no text is cut off. And
// how the layout behaves: the frame and the dialogs resize with their
// content, a page opens with the focus in its first field, the tab order
// reads like the screen, the port lists stay put.
#include "WidgetTestSupport.h"

#include "controls/CSpeedProfile.h"
#include "controls/CVSFlexGridHeader.h"
#include "dialogs/CCoordinateMove.h"
#include "dialogs/CDrawingOptions.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CSetSpeeds.h"
#include "geometry/ArcCheck.h"
#include "geometry/CArcEndSelect.h"
#include "geometry/DxfDrawing.h"
#include "res/UiText.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

using namespace pos;
using namespace pos::test;

namespace {

// An outline with every type and centre mode (absolute).
PosConfig Outline()
{
    PosConfig config = NewPageDefaults();
    config.actionMode = 1;
    config.segments[1] = PosSegment{1, kTypeLine, 0, 100, 100000, 100, 0, 0, 20000, 0, 0, 0};
    config.segments[2]
        = PosSegment{2, kTypeCw, 0, 100, 70000, 200, 0, 0, 30000, 10000, 20000, 10000};
    config.segments[3]
        = PosSegment{3, kTypeCcw, 1, 100, 60000, 150, 0, 0, 10000, 10000, 20000, 17000};
    return config;
}

// The outline with a travel move back to the start, and segment 3 without a
// time: the summary's longest lines.
PosConfig PartlyTimed()
{
    PosConfig config = Outline();
    config.segments[3].maxSpeed = 0;
    config.segments[4] = PosSegment{4, kTypeLine, 0, 100, 100000, 100, 0, 0, 0, 0, 0, 0, true};
    return config;
}

// What a screen reader calls a widget. A combo box's own name is its current
// item on this platform; its label comes as a label relation.
QString AccessibleName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    if (!a)
        return {};
    if (qobject_cast<QComboBox *>(w) && w->accessibleName().isEmpty()) {
        const auto labels = a->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return a->text(QAccessible::Name).trimmed();
}

// The widgets of a screen a user sees, without the inner parts of item
// views, spin boxes and combo boxes.
QList<QWidget *> Visible(QWidget *screen)
{
    QList<QWidget *> out;
    for (QWidget *w : screen->findChildren<QWidget *>()) {
        bool inner = !w->isVisible();
        for (QWidget *p = w->parentWidget(); p != screen && !inner; p = p->parentWidget())
            inner = qobject_cast<QAbstractScrollArea *>(p) || qobject_cast<QAbstractSpinBox *>(p)
                    || qobject_cast<QComboBox *>(p);
        if (!inner)
            out << w;
    }
    return out;
}

// The problems of the screen on show, each with where it was seen.
class Audit
{
public:
    Audit(const QString &screen, QStringList &problems)
        : m_problems(problems)
    {
        const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
        m_where = QStringLiteral("%1, %2, scale %3")
                      .arg(screen, CurrentLanguage() == Lang::Zh ? "zh" : "en",
                           scale.isEmpty() ? QByteArray("1") : scale);
    }

    void check(QWidget *screen)
    {
        QCoreApplication::processEvents();
        for (QWidget *w : Visible(screen)) {
            if (w->focusPolicy() != Qt::NoFocus && AccessibleName(w).isEmpty())
                report(w, "has no accessible name");
            if (!w->isWindow() && !w->parentWidget()->rect().contains(w->geometry()))
                report(w, "lies partly outside its parent");
            if (auto *label = qobject_cast<QLabel *>(w))
                checkLabel(label);
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                checkButton(button);
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                checkCombo(combo);
            else if (auto *grid = qobject_cast<CVSFlexGrid *>(w))
                checkGrid(grid);
            else if (auto *list = qobject_cast<QListWidget *>(w))
                checkList(list);
            else if (auto *profile = qobject_cast<CSpeedProfile *>(w))
                checkProfile(profile);
        }
    }

private:
    void report(const QWidget *w, const QString &what)
    {
        m_problems << QStringLiteral("%1: %2 '%3' %4")
                          .arg(m_where, w->metaObject()->className(), w->objectName(), what);
    }
    void fit(const QWidget *w, const QString &text, QSize need, QSize room)
    {
        if (need.width() > room.width() || need.height() > room.height())
            report(w, QStringLiteral("cuts \"%1\": needs %2x%3, has %4x%5")
                          .arg(text)
                          .arg(need.width())
                          .arg(need.height())
                          .arg(room.width())
                          .arg(room.height()));
    }

    void checkLabel(const QLabel *label)
    {
        if (label->text().isEmpty())
            return;
        const QRect room = label->contentsRect();
        const int flags = static_cast<int>(label->alignment())
                          | (label->wordWrap() ? Qt::TextWordWrap : 0)
                          | (label->buddy() ? Qt::TextShowMnemonic : 0);
        const QRect used = label->fontMetrics().boundingRect(room, flags, label->text());
        fit(label, label->text(), used.united(room).size(), room.size());
    }
    void checkButton(const QAbstractButton *button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const auto element = qobject_cast<const QCheckBox *>(button) ? QStyle::SE_CheckBoxContents
                             : qobject_cast<const QRadioButton *>(button)
                                 ? QStyle::SE_RadioButtonContents
                                 : QStyle::SE_PushButtonContents;
        const QRect room = button->style()->subElementRect(element, &option, button);
        fit(button, button->text(),
            button->fontMetrics().size(Qt::TextShowMnemonic, button->text()), room.size());
    }
    void checkCombo(const QComboBox *combo)
    {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        // The text goes a pixel inside the edit field on either side.
        const QRect room = combo->style()
                               ->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxEditField, combo)
                               .adjusted(1, 0, -1, 0);
        for (int i = 0; i < combo->count(); ++i)
            fit(combo, combo->itemText(i), combo->fontMetrics().size(0, combo->itemText(i)),
                room.size());
    }
    void checkGrid(const CVSFlexGrid *grid)
    {
        const auto *header = static_cast<const CVSFlexGridHeader *>(grid->horizontalHeader());
        for (const auto &cell : header->cells()) {
            const QRect room = cell.rect.adjusted(2, 1, -2, -1); // as the header paints
            const QRect used = header->fontMetrics().boundingRect(
                room, Qt::AlignCenter | Qt::TextWordWrap, cell.text);
            fit(grid, QStringLiteral("header ") + cell.text, used.united(room).size(), room.size());
        }
        // Every text of the data rows and of the drop-down lists, with the
        // margins the view keeps and the grid line.
        const int margins
            = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
        for (int c = 0; c < grid->cols(); ++c) {
            QStringList texts = grid->colComboList(c);
            for (int r = CVSFlexGrid::kFixedRows; r < grid->rows(); ++r)
                texts << grid->textMatrix(r, c);
            texts.removeDuplicates();
            for (const QString &text : texts)
                fit(grid, text, {grid->fontMetrics().horizontalAdvance(text) + margins, 0},
                    {grid->columnWidth(c), 0});
        }
    }
    void checkList(const QListWidget *list)
    {
        for (int i = 0; i < list->count(); ++i) {
            QStyleOptionViewItem option;
            option.initFrom(list->viewport());
            const QModelIndex index = list->model()->index(i, 0);
            fit(list, list->item(i)->text(),
                {list->itemDelegateForIndex(index)->sizeHint(option, index).width(), 0},
                {list->viewport()->width(), 0});
        }
    }

    // The texts the profile paints: inside it, none on another.
    void checkProfile(const CSpeedProfile *profile)
    {
        const QList<QRectF> &texts = profile->textRects();
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (!QRectF(profile->rect()).contains(texts[i]))
                report(profile, QStringLiteral("paints text %1 outside").arg(i));
            for (qsizetype k = 0; k < i; ++k)
                if (texts[i].intersects(texts[k]))
                    report(profile,
                           QStringLiteral("paints texts %1 and %2 on each other").arg(k).arg(i));
        }
    }

    QStringList &m_problems;
    QString m_where;
};

// Every page of a new wizard and the name page of a modified one, then every
// dialog, as they open; the problems they show.
QStringList AuditEverything()
{
    QStringList problems;
    // As the window opens, and made as small as it goes.
    const auto audit = [&problems](const char *screen, QWidget *w) {
        Audit(QString::fromLatin1(screen), problems).check(w);
        const QSize opened = w->size();
        w->resize(w->minimumSize());
        Audit(QString::fromLatin1(screen) + QStringLiteral(" made smallest"), problems).check(w);
        w->resize(opened);
    };
    {
        Wizard w(false, Outline());
        w.pick("actionCombo", 1);
        audit("output page", &w.frame);
        w.pick("pulseCombo", 1);
        audit("output page with two pulse outputs", &w.frame);
        w.next();
        audit("step page", &w.frame);
        w.pick("typeCombo", 2);
        audit("step page on an arc", &w.frame);
        w.pick("typeCombo", 0);
        w.previous();
        w.find<QRadioButton>("tableRadio")->setChecked(true);
        w.next();
        audit("table page", &w.frame);
        w.next();
        audit("name page", &w.frame);
        w.next();
        audit("summary page", &w.frame);
    }
    {
        Wizard w(false, PartlyTimed());
        w.pick("actionCombo", 1);
        w.find<QRadioButton>("tableRadio")->setChecked(true);
        w.next();
        w.next();
        w.next();
        audit("summary page of an outline partly without a time", &w.frame);
    }
    {
        PosConfig stored = Outline();
        stored.subprogramName = "POS_EXE";
        Wizard w(true, stored);
        w.find<QRadioButton>("tableRadio")->setChecked(true);
        w.next();
        w.next();
        audit("name page of a stored subprogram", &w.frame);
    }
    const auto show = [&](const char *name, QWidget &dialog) {
        dialog.show();
        audit(name, &dialog);
    };
    PosConfig record = ui::KeyedFromZero(Outline());
    CImportDxf import(&record);
    show("Import DXF", import);
    auto drawing = dxf::ReadDrawingFile(POS_TEST_DATA_DIR "/table/plate_with_holes.dxf");
    if (!drawing) {
        ADD_FAILURE() << "no drawing to show";
        return problems;
    }
    CDrawingOptions options(std::move(*drawing));
    options.Arrange();
    show("Drawing options", options);
    CGraphicDisplay display(0);
    show("Trajectory display", display);
    std::vector<PosSegment> segments;
    for (const auto &[number, s] : PartlyTimed().segments)
        segments.push_back(s);
    const std::unique_ptr<CGraphicDisplay> coloured(ui::ShowSegments(nullptr, segments, 1));
    coloured->findChild<QCheckBox *>("speedCheck")->setChecked(true);
    audit("Trajectory display coloured by speed", coloured.get());
    coloured->findChild<QTabWidget *>("tabs")->setCurrentIndex(1);
    audit("Speed profile", coloured.get());
    CCoordinateMove move;
    show("Coordinate move", move);
    CSetSpeeds speeds;
    show("Set speeds", speeds);
    const PosSegment arc{1, kTypeCcw, 0, 0, 0, 0, 0, 0, 50, 50, 0, 0};
    CArcEndSelect chooser;
    chooser.setMessage(ui::Say(ArcDiagnostic(CheckSegmentArc(100, 0, arc), 100, 0, arc)));
    show("Arc chooser", chooser);
    return problems;
}

} // namespace

TEST(Layout, EveryFieldIsNamedAndNoTextIsCutInEnglish)
{
    const QStringList problems = AuditEverything();
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST(Layout, EveryFieldIsNamedAndNoTextIsCutInChinese)
{
    InChinese zh;
    const QStringList problems = AuditEverything();
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST(Layout, WindowsResizeAndTheirContentTakesTheRoom)
{
    Wizard w(false, Outline());
    w.next();
    PosConfig record = ui::KeyedFromZero(Outline());
    CImportDxf import(&record);
    CDrawingOptions options{dxf::Drawing{}};
    CGraphicDisplay display(0);
    CCoordinateMove move;
    CSetSpeeds speeds;
    CArcEndSelect chooser;
    // The window, what shows its content, whether that grows downwards too.
    const std::tuple<QWidget *, const char *, bool> cases[] = {
        {&w.frame, "display", true},      {&w.frame, "grid", true},        {&import, "grid", true},
        {&options, "preview", true},      {&display, "display", true},     {&move, "xEdit", false},
        {&speeds, "maxSpeedEdit", false}, {&chooser, "messageLabel", true}};
    for (const auto &[window, content, downwards] : cases) {
        if (QString(content) == "grid" && window == &w.frame) {
            w.previous();
            w.find<QRadioButton>("tableRadio")->setChecked(true);
            w.next();
        }
        window->show();
        QCoreApplication::processEvents();
        const QWidget *shown = window->findChild<QWidget *>(content);
        const QSize before = shown->size();
        window->resize(window->size() + QSize(160, 120));
        QCoreApplication::processEvents();
        EXPECT_GT(shown->width(), before.width()) << content;
        EXPECT_EQ(shown->height() > before.height(), downwards) << content;
        window->resize(window->minimumSize());
    }
}

TEST(Layout, PagesAndNewSegmentsOpenWithTheFocusInTheirFirstField)
{
    Wizard w;
    const auto focus = [&w] {
        const QWidget *field = w.frame.focusWidget();
        return field ? field->objectName() : QString();
    };
    EXPECT_EQ(focus(), "startDEdit");
    w.next();
    EXPECT_EQ(focus(), "typeCombo");
    w.find("endXEdit")->setFocus();
    w.setText("endXEdit", 10);
    w.next();
    EXPECT_EQ(focus(), "typeCombo") << "a new segment";
    w.find("endXEdit")->setFocus();
    w.previous();
    EXPECT_EQ(focus(), "typeCombo") << "a stored segment";
    w.previous();
    EXPECT_EQ(focus(), "startDEdit");
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    w.next();
    EXPECT_EQ(focus(), "grid");
    w.next();
    EXPECT_EQ(focus(), "nameEdit");
    w.next();
    EXPECT_EQ(focus(), "itemList");
}

// Where Tab goes wrong on a window: each step that does not lead to the
// right on the same line or down to a later line, reading round from the
// field at the top left. A trajectory view is a picture beside the fields,
// not one of them: where Tab reaches it is not a matter of reading order.
QStringList TabOrderFaults(QWidget *window)
{
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (Visible(window).contains(w) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)
            && !w->inherits("CGraphicShow"))
            chain << w;
    const auto place
        = [window](const QWidget *w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
    const auto first = std::min_element(chain.begin(), chain.end(), [&](auto *a, auto *b) {
        return std::pair(place(a).top(), place(a).left())
               < std::pair(place(b).top(), place(b).left());
    });
    std::rotate(chain.begin(), first, chain.end());
    QStringList faults;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        const QRect a = place(chain[i - 1]);
        const QRect b = place(chain[i]);
        const bool sameLine = b.top() < a.center().y() && a.top() < b.center().y();
        if (sameLine ? b.left() < a.right() : b.top() < a.center().y())
            faults << chain[i - 1]->objectName() + " -> " + chain[i]->objectName();
    }
    return faults;
}

TEST(Layout, TabGoesThroughEachWindowInReadingOrder)
{
    Wizard w(false, Outline());
    w.pick("actionCombo", 1);
    QStringList faults = TabOrderFaults(&w.frame);
    w.next();
    w.pick("typeCombo", 2); // the arc's fields too
    faults << TabOrderFaults(&w.frame);
    w.pick("typeCombo", 0);
    w.previous();
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    for (int page = 0; page < 3; ++page) {
        w.next();
        faults << TabOrderFaults(&w.frame);
    }
    PosConfig record = ui::KeyedFromZero(Outline());
    CImportDxf import(&record);
    CDrawingOptions options{dxf::Drawing{}};
    CCoordinateMove move;
    CSetSpeeds speeds;
    for (QDialog *dialog : std::initializer_list<QDialog *>{&import, &options, &move, &speeds}) {
        dialog->show();
        faults << TabOrderFaults(dialog);
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
}

TEST(Layout, PortListsStayPutWhenThePulseModeRenamesTheirLabels)
{
    for (const bool chinese : {false, true}) {
        std::optional<InChinese> zh;
        if (chinese)
            zh.emplace();
        Wizard w;
        const auto places = [&w] {
            QList<QRect> out;
            for (const char *port : {"xPulseCombo", "xDirCombo", "yPulseCombo", "yDirCombo"})
                out << w.find<QWidget>(port)->geometry();
            return out;
        };
        QCoreApplication::processEvents();
        const QList<QRect> before = places();
        w.pick("pulseCombo", 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(places(), before) << (chinese ? "zh" : "en");
    }
}

TEST(Layout, StoredSubprogramsNameLooksReadOnly)
{
    PosConfig stored = Outline();
    stored.subprogramName = "POS_EXE";
    Wizard created;
    Wizard modified(true, stored);
    created.name(); // built before they are first shown
    modified.name();
    const QLineEdit *name = modified.find("nameEdit");
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(name->palette().color(QPalette::Base), name->palette().color(QPalette::Window));
    EXPECT_NE(name->palette().color(QPalette::Base),
              created.find("nameEdit")->palette().color(QPalette::Base));
}
