// Renders how the wizard shows the motion of an outline, in English and in
// Chinese, to PNGs for the documentation:
//   shot_motion DIR
// writes DIR/summary-time-en.png and -zh.png (the summary page after the
// worked example was entered step by step: its length and cycle time),
// DIR/speed-view-en.png and -zh.png (the trajectory display of the worked
// example and a few more segments, coloured by speed with the legend) and
// DIR/speed-profile-en.png and -zh.png (the speed profile of that outline,
// the mouse on segment 3).

#include "ShotSupport.h"
#include "controls/CSpeedProfile.h"
#include "dialogs/CGraphicDisplay.h"
#include "guide/PosConfig.h"
#include "guide/PosGuide.h"
#include "res/StringTable.h"
#include "wizard/CPosWizardDlg.h"
#include "wizard/SegmentGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTranslator>

#include <cstdio>

namespace {

QString g_dir;
bool g_ok = true;

void Save(QWidget *w, const QString &name)
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = QDir(g_dir).filePath(name);
    if (!w->grab().save(path, "PNG", 0)) { // the highest compression
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        g_ok = false;
    }
}

using shots::Child;
using shots::Fill;

// The worked example (a line, then three quarters of a circle clockwise)
// and four segments more at other speeds, absolute.
std::vector<pos::PosSegment> Outline()
{
    using S = pos::PosSegment;
    return {S{1, pos::kTypeLine, 0, 100, 100000, 100, 0, 0, 20000, 0, 0, 0},
            S{2, pos::kTypeCw, 0, 100, 70000, 200, 0, 0, 30000, 10000, 20000, 10000},
            S{3, pos::kTypeLine, 0, 100, 40000, 100, 0, 0, 30000, 25000, 0, 0},
            S{4, pos::kTypeCcw, 1, 100, 60000, 150, 0, 0, 10000, 25000, 20000, 32000},
            S{5, pos::kTypeLine, 0, 500, 20000, 50, 0, 0, 10000, 12000, 0, 0},
            S{6, pos::kTypeLine, 0, 100, 90000, 100, 0, 0, 0, 0, 0, 0}};
}

void Shoot(const QString &lang)
{
    const QString suffix = QStringLiteral("-%1.png").arg(lang);

    // The wizard driven to its summary with the worked example.
    {
        pos::PosHostContext context;
        context.maxD = context.maxM = 9999;
        pos::PosConfig config;
        config.maxD = config.maxM = 9999;
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
        Child<QPushButton>(&frame, "endButton")->click();
        next->click();
        Save(&frame, QStringLiteral("summary-time") + suffix);
    }

    // The trajectory display coloured by speed, then its speed profile with
    // the mouse on segment 3.
    QWidget owner;
    CGraphicDisplay *display = pos::ui::ShowSegments(&owner, Outline(), 1);
    display->resize(560, 440);
    Child<QCheckBox>(display, "speedCheck")->setChecked(true);
    Save(display, QStringLiteral("speed-view") + suffix);

    Child<QTabWidget>(display, "tabs")->setCurrentIndex(1);
    QApplication::processEvents();
    CSpeedProfile *profile = display->profile();
    const std::vector<double> starts = pos::SegmentStartTimes(profile->motion());
    const QPointF at = profile->toPlot(starts[2] + profile->motion()[2].time / 2,
                                       profile->motion()[2].peakSpeed / 2);
    QMouseEvent move(QEvent::MouseMove, at, profile->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(profile, &move);
    Save(display, QStringLiteral("speed-profile") + suffix);
    display->close();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shot_motion DIR\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);

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
