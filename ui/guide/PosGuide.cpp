#include "guide/PosGuide.h"

#include "res/StringTable.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

static void InitPosResources()
{
    Q_INIT_RESOURCE(pos);
}

namespace pos::ui {

namespace {

struct CallState
{
    std::unique_ptr<QApplication> app; // only when the host runs no QApplication
    std::unique_ptr<QTranslator> forms;
    std::unique_ptr<QTranslator> qtBase;
};

CallState &State()
{
    static CallState state;
    return state;
}

int g_argc = 1;
char g_argv0[] = "pos";
char *g_argv[] = {g_argv0, nullptr};

} // namespace

CPosGuide &Guide()
{
    static CPosGuide guide;
    return guide;
}

void BeginCall()
{
    CallState &s = State();
    if (!QCoreApplication::instance())
        s.app = std::make_unique<QApplication>(g_argc, g_argv);
    InitPosResources();

    const bool chinese = QLocale().name().startsWith(QLatin1String("zh"));
    SetLanguage(chinese ? Lang::Zh : Lang::En);

    // Load the new translations before the old ones go.
    auto forms = std::make_unique<QTranslator>();
    auto qtBase = std::make_unique<QTranslator>();
    if (chinese) {
        if (forms->load(QStringLiteral(":/i18n/pos_zh_CN.qm")))
            QCoreApplication::installTranslator(forms.get());
        if (qtBase->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtBase.get());
    }
    s.forms = std::move(forms);
    s.qtBase = std::move(qtBase);
}

void EndCall()
{
    CallState &s = State();
    s.forms.reset();
    s.qtBase.reset();
    s.app.reset();
}

int RunWizard(PosConfig *config, bool modify, const PosHostContext *context)
{
    if (!config)
        return 0;
    if (context) {
        config->minD = context->minD;
        config->maxD = context->maxD;
        config->minM = context->minM;
        config->maxM = context->maxM;
    }

    Wizard wizard(config, modify, context);
    return wizard.frame.exec() == QDialog::Accepted ? 1 : 0;
}

namespace {

template<typename T>
CPosWizardDlg::PageMaker Maker(std::unique_ptr<T> &page)
{
    return [&page] {
        page = std::make_unique<T>();
        return page.get();
    };
}

} // namespace

Wizard::Wizard(PosConfig *config, bool modify, const PosHostContext *context)
    : frame(config, modify)
{
    frame.AddPage(&items, CItemSet::kTemplateId);
    frame.AddPage(Maker(m_step), CSetStep::kTemplateId);
    frame.AddPage(Maker(m_table), CSetTable::kTemplateId);
    frame.AddPage(
        [this, context] {
            m_name = std::make_unique<CPNameSet>();
            m_name->SetProjectNames(context);
            return m_name.get();
        },
        CPNameSet::kTemplateId);
    frame.AddPage(Maker(m_final), CFinalSet::kTemplateId);
}

} // namespace pos::ui
