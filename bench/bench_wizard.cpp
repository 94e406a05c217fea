// How long the wizard takes to show its first page and to hand back the
// subprogram after "Complete", against dialogs shown and accepted in the same
// process: a bare QDialog, and a QDialog holding the widgets of the wizard's
// first page (the output configuration page and the frame's picture and four
// buttons), which is what the user sees first. Prints the medians and the
// ratios.
#include "PosWizard.h"
#include "wizard/CItemSet.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using InstructionFn = std::int32_t (*)(pos::PosHostContext *, void *, pos::PosHostResult *);

// Notes the first paint of any top-level dialog after it was armed.
class FirstPaint : public QObject
{
public:
    std::function<void()> onPaint;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && onPaint) {
            auto *w = qobject_cast<QWidget *>(watched);
            if (w && w->isWindow() && qobject_cast<QDialog *>(w)) {
                auto call = std::move(onPaint);
                onPaint = nullptr;
                call();
            }
        }
        return false;
    }
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template<typename T>
T *Child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLibrary library(QStringLiteral(POS_PLUGIN_PATH));
    if (!library.load()) {
        std::fprintf(stderr, "%s\n", qPrintable(library.errorString()));
        return 1;
    }
    auto instruction = reinterpret_cast<InstructionFn>(library.resolve("Instruction"));
    FirstPaint paints;
    app.installEventFilter(&paints);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    std::vector<double> bareShow, bareClose, pageShow, pageClose, wizardShow, wizardClose;
    QElapsedTimer clock;
    // A dialog made by make(): shown until its first paint, then accepted.
    const auto timeDialog = [&](const std::function<void(QDialog &)> &make,
                                std::vector<double> &show, std::vector<double> &close) {
        double shown = 0, accepted = 0;
        clock.start();
        QDialog dialog;
        make(dialog);
        paints.onPaint = [&] {
            shown = static_cast<double>(clock.nsecsElapsed());
            QTimer::singleShot(0, [&] {
                accepted = static_cast<double>(clock.nsecsElapsed());
                dialog.accept();
            });
        };
        dialog.exec();
        show.push_back(shown / 1e6);
        close.push_back((static_cast<double>(clock.nsecsElapsed()) - accepted) / 1e6);
    };
    pos::PosConfig pageRecord;
    const auto firstPage = [&pageRecord](QDialog &dialog) {
        auto *rows = new QVBoxLayout(&dialog);
        auto *top = new QHBoxLayout;
        auto *picture = new QLabel;
        picture->setPixmap(QPixmap(QStringLiteral(":/pos/wizard.png")));
        top->addWidget(picture);
        auto *page = new CItemSet;
        page->SetContext(&pageRecord, false);
        page->OnInitDialog();
        top->addWidget(page, 1);
        rows->addLayout(top);
        auto *buttons = new QHBoxLayout;
        for (const char *text : {"Previous", "Next", "End", "Cancel"})
            buttons->addWidget(new QPushButton(QString::fromLatin1(text)));
        rows->addLayout(buttons);
    };
    for (int run = 0; run < runs; ++run) {
        timeDialog([](QDialog &) {}, bareShow, bareClose);
        timeDialog(firstPage, pageShow, pageClose);
        // The wizard: to its first page, then straight through to "Complete".
        {
            double shown = 0, completed = 0;
            pos::PosHostContext context;
            context.maxD = 9999;
            context.maxM = 9999;
            pos::PosHostResult result;
            clock.start();
            paints.onPaint = [&] {
                shown = static_cast<double>(clock.nsecsElapsed());
                QTimer::singleShot(0, [&] {
                    QWidget *w = QApplication::activeModalWidget();
                    auto *next = Child<QPushButton>(w, "nextButton");
                    next->click(); // output page
                    Child<QLineEdit>(w, "endXEdit")->setText(QStringLiteral("100"));
                    Child<QPushButton>(w, "endButton")->click();
                    next->click(); // name page
                    completed = static_cast<double>(clock.nsecsElapsed());
                    next->click(); // Complete
                });
            };
            instruction(&context, nullptr, &result);
            wizardShow.push_back(shown / 1e6);
            wizardClose.push_back((static_cast<double>(clock.nsecsElapsed()) - completed) / 1e6);
            if (result.pouMap.empty()) {
                std::fprintf(stderr, "the wizard did not complete\n");
                return 1;
            }
        }
    }
    const double bs = Median(bareShow), bc = Median(bareClose);
    const double ps = Median(pageShow), pc = Median(pageClose);
    const double ws = Median(wizardShow), wc = Median(wizardClose);
    std::printf("median of %d runs (ms)     bare QDialog  first page   wizard   wizard/page\n",
                runs);
    std::printf("start to first paint       %10.2f %11.2f %8.2f %9.2f\n", bs, ps, ws, ws / ps);
    std::printf("accept/Complete to return  %10.2f %11.2f %8.2f %9.2f\n", bc, pc, wc, wc / pc);
    return 0;
}
