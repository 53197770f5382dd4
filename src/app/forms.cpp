#include "forms.h"

#include "common/context.h"
#include "common/guard.h"
#include "common/strings.h"
#include "custommode/pedit.h"
#include "instanceguard.h"
#include "main.h"
#include "online/preview.h"
#include "online/update.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "plugins/finfo.h"
#include "plugins/pluginman.h"
#include "settings/advopt.h"
#include "settings/settings.h"
#include "windows/about.h"
#include "windows/error.h"
#include "windows/wait.h"
#include "wizard/wizard.h"

Forms::Forms(AppContext& context) : context(context) {}

Forms::~Forms() = default;

Forms::Start Forms::createAll()
{
    buildMainWindow();
    try {
        guard = std::make_unique<InstanceGuard>(fromStd(platform::executablePath()),
                                                Form1->applicationHandle());
    } catch (const std::exception& error) {
        context.dialogs.showError(QString::fromUtf8(error.what()));
        return Start::Failed;
    }
    if (guard->isDuplicate()) {
        Form1->OnMaxInstancesReached(guard->storedWindow());
        return Start::Duplicate;
    }
    return runCreationSteps();
}

Forms::Start Forms::createWindows()
{
    buildMainWindow();
    return runCreationSteps();
}

MainWindowOperations& Forms::mainWindow() { return *Form1; }

const LiveSettings& Forms::liveSettings() const { return *Form2; }

void Forms::buildMainWindow() { Form1 = std::make_unique<TForm1>(context, *this); }

// Each window is built and its creation step run to its end before the next window exists. The
// steps keep the event loop running while they download, so Exit can be chosen in between; the
// windows not yet built then never are.
Forms::Start Forms::runCreationSteps()
{
    runGuarded(context.dialogs, [this] { Form1->FormCreate(); });
    bool stepCompleted = false;
    const auto create = [this, &stepCompleted](auto& slot) {
        if (Form1->exitRequested())
            return false;
        slot = std::make_unique<typename std::remove_reference_t<decltype(slot)>::element_type>(
            context, *this);
        stepCompleted = false;
        runGuarded(context.dialogs, [&] {
            slot->FormCreate();
            stepCompleted = true;
        });
        return true;
    };
    // The show starts once the settings window has loaded the settings; not when that failed.
    const auto startShow = [this, &stepCompleted] {
        if (stepCompleted)
            runGuarded(context.dialogs, [this] { Form1->startShowAtProgramStart(); });
        return true;
    };
    if (!(create(Form9) && create(Form2) && startShow() && create(Form3) && create(Form4) &&
          create(Form5) && create(Form6) && create(Form7) && create(Form8) && create(Form10) &&
          create(Form11) && create(Form12)) ||
        Form1->exitRequested())
        return Start::Exit;
    allCreated_ = true;
    Form1->placeAtProgramStart();
    // The start may have read the desktop's picture and refreshed the catalog; the program then
    // idles, mostly for hours.
    platform::releaseFreedMemory();
    return Start::Run;
}
