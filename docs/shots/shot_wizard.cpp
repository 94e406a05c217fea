// Takes pictures of the wizard's pages, of the step page with a segment
// being typed and of the arc chooser, in English or Chinese:
// shot_wizard OUTPUT_DIR en|zh
#include "ShotSupport.h"
#include "controls/CGraphicShow.h"
#include "geometry/ArcCheck.h"
#include "geometry/CArcEndSelect.h"
#include "guide/PosGuide.h"
#include "res/StringTable.h"
#include "wizard/CFinalSet.h"
#include "wizard/CItemSet.h"
#include "wizard/CPNameSet.h"
#include "wizard/CPosWizardDlg.h"
#include "wizard/CSetStep.h"
#include "wizard/CSetTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>

#include <cstdio>

namespace {

void Save(QWidget *w, const QString &dir, const QString &name, const QString &lang)
{
    QApplication::processEvents();
    const QString path
        = QDir(dir).filePath(name + QLatin1Char('-') + lang + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

using shots::Child;
using shots::Fill;

// The step page of an absolute outline with three segments stored and a
// counter-clockwise arc being typed, the mouse resting on the view.
void ShootPreview(const QString &dir, const QString &lang)
{
    pos::PosHostContext context;
    context.maxD = 9999;
    context.maxM = 9999;
    pos::PosConfig config;
    config.maxD = 9999;
    config.maxM = 9999;
    pos::ui::Wizard wizard(&config, false, &context);
    CPosWizardDlg &frame = wizard.frame;
    frame.OnInitDialog();
    frame.show();
    Child<QComboBox>(&frame, "actionCombo")->setCurrentIndex(1);
    auto *next = Child<QPushButton>(&frame, "nextButton");
    next->click();
    Fill(&frame, 1, 20000, 0, 0, 0, 100, 100000, 100);
    next->click();
    Fill(&frame, 2, 30000, 10000, 20000, 10000, 100, 70000, 200);
    next->click();
    Fill(&frame, 1, 30000, 25000, 0, 0, 100, 100000, 100);
    next->click();
    Fill(&frame, 3, 20000, 35000, 20000, 25000, 100, 70000, 200);
    auto *endY = Child<QLineEdit>(&frame, "endYEdit");
    endY->setFocus();
    endY->end(false);
    auto *view = Child<CGraphicShow>(&frame, "display");
    const QPointF at(view->width() * 0.3, view->height() * 0.45);
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    Save(&frame, dir, QStringLiteral("step-preview"), lang);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString lang = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en");
    QLocale::setDefault(lang == QLatin1String("zh") ? QLocale(QLocale::Chinese, QLocale::China)
                                                    : QLocale(QLocale::English));
    pos::ui::BeginCall(); // language and translations, as the plug-in does

    pos::PosHostContext context;
    context.maxD = 9999;
    context.maxM = 9999;
    pos::PosConfig config;
    config.maxD = 9999;
    config.maxM = 9999;
    pos::ui::Wizard wizard(&config, false, &context);
    CPosWizardDlg &frame = wizard.frame;
    frame.OnInitDialog();
    frame.show();

    Child<QComboBox>(&frame, "actionCombo")->setCurrentIndex(1);
    Save(&frame, dir, QStringLiteral("wizard-output"), lang);

    auto *next = Child<QPushButton>(&frame, "nextButton");
    next->click();
    Fill(&frame, 1, 20000, 0, 0, 0, 100, 100000, 100);
    next->click();
    Fill(&frame, 2, 30000, 10000, 20000, 10000, 100, 70000, 200);
    next->click();
    Fill(&frame, 3, 30000, 30000, 30000, 20000, 100, 70000, 200);
    next->click();
    Fill(&frame, 1, 0, 30000, 0, 0, 100, 100000, 100);
    Child<QPushButton>(&frame, "displayButton")->click();
    Save(&frame, dir, QStringLiteral("wizard-step"), lang);

    Child<QPushButton>(&frame, "endButton")->click();
    Save(&frame, dir, QStringLiteral("wizard-name"), lang);
    next->click();
    Save(&frame, dir, QStringLiteral("wizard-summary"), lang);

    pos::PosSegment arc;
    arc.type = pos::kTypeCcw;
    arc.endX = 50;
    arc.endY = 50;
    const pos::ArcCheck check = pos::CheckSegmentArc(100, 0, arc);
    CArcEndSelect chooser;
    chooser.setMessage(QString::fromStdString(
        pos::Describe(pos::ArcDiagnostic(check, 100, 0, arc), pos::CurrentLanguage())));
    chooser.setArc({QPoint(100, 0),
                    QPoint(arc.centreX, arc.centreY),
                    QPoint(arc.endX, arc.endY),
                    {QPoint(check.xs[0], check.ys[0]), QPoint(check.xs[1], check.ys[1])},
                    arc.type == pos::kTypeCw});
    chooser.show();
    Save(&chooser, dir, QStringLiteral("arc-chooser"), lang);

    ShootPreview(dir, lang);
    return 0;
}
