#include "update.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/strings.h"
#include "common/timer.h"
#include "online/httpclient.h"
#include "plugins/versioninfo.h"
#include "settings/livesettings.h"
#include "windows/handlayout.h"
#include "windows/mainoperations.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

namespace {

const QString LatestVersion = QStringLiteral("You have the latest version of Tapestron.");
const QString CheckNotMade =
    QStringLiteral("Tapestron could not check for a new version now. Please try again later.");
constexpr int CountdownSeconds = 5;

// A version number is plain printable text: an answer with anything else in its first line (binary
// data, a stray control character) is no answer.
bool isPlainText(const QString& line)
{
    return std::all_of(line.begin(), line.end(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

} // namespace

TForm6::TForm6(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Update"), QSize(321, 72))
{
    setWindowFlags(Qt::Tool);
    setFixedSize(321, 72);

    Label1 = new QLabel(this);
    Label1->setGeometry(8, 6, 305, 30);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText); // it quotes the service's answer
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = new QLabel(QStringLiteral("Hide in      seconds"), this);
    Label2->setGeometry(8, 46, 140, 16);
    Label3 = new QLabel(QString::number(CountdownSeconds), this);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->resize(Label3->width(), 16);
    placeInTextGap(*Label3, *Label2, QStringLiteral("Hide in"), 20);
    Button1 = new QPushButton(QStringLiteral("YES"), this);
    Button1->setGeometry(160, 41, 75, 25);
    Button2 = new QPushButton(QStringLiteral("NO"), this);
    Button2->setGeometry(240, 41, 75, 25);

    Timer1 = new Timer(1000, false, this);
    Dialogs& dialogs = context.dialogs;
    Timer1->onTimer = guarded(dialogs, [this] { Timer1Timer(); });
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
}

void TForm6::FormCreate()
{
    if (forms.liveSettings().checkForUpdatesAtStart())
        forms.mainWindow().checkForUpdatesWhenIdle([this] { CheckProgramVersion(); });
}

void TForm6::checkAskedForByUser()
{
    forms.mainWindow().checkForUpdatesWhenIdle([this] {
        UpdateCheckRequested = true;
        CheckProgramVersion();
    });
}

void TForm6::CheckProgramVersion()
{
    try {
        // Waiting for the client is its owner's business; should it still be in use, no answer
        // is no news, and the user who asked hears that no check was made.
        if (forms.mainWindow().http().busy()) {
            if (std::exchange(UpdateCheckRequested, false)) {
                Label1->setText(CheckNotMade);
                showPrompt();
            }
            return;
        }
        QString remote = forms.mainWindow().fetchFirstLine(
            serviceBaseUrl() + QStringLiteral("/version"), userDataPath(QStringLiteral("version")));
        if (!isPlainText(remote))
            remote.clear();
        const std::optional<platform::FixedFileInfo> own =
            ReadFixedFileInfo(context.programExecutablePath());
        if (!own)
            return;
        if (!remote.isEmpty() && remote != FileVersionNumber(*own)) {
            Label1->setText(QStringLiteral("New Version ") + remote +
                            QStringLiteral(" is available. Do you want to visit Website?"));
            showPrompt();
            return;
        }
        Label1->setText(LatestVersion);
        if (UpdateCheckRequested) {
            showPrompt();
            UpdateCheckRequested = false;
        }
    } catch (const std::exception&) {
        // The check is a courtesy: whatever fails ends it without a word.
    }
}

// Shown by the check: the countdown and the buttons are set for this message at once, also where
// the system does not make the window active (or it is active already).
void TForm6::showPrompt()
{
    FormActivate();
    show();
    raise();
    activateWindow();
}

void TForm6::FormActivate()
{
    Timer1->restart();
    Label3->setText(QString::number(CountdownSeconds));
    const bool latest = Label1->text() == LatestVersion || Label1->text() == CheckNotMade;
    Button1->setVisible(!latest);
    Button2->setText(latest ? QStringLiteral("OK") : QStringLiteral("NO"));
}

void TForm6::Timer1Timer()
{
    const int left = Label3->text().toInt() - 1;
    Label3->setText(QString::number(left));
    if (left <= 0) {
        Timer1->setEnabled(false);
        hide();
    }
}

void TForm6::Button1Click()
{
    // A browser that fails to start is not reported.
    context.platform.shell->open(toStd(serviceBaseUrl()));
    Timer1->setEnabled(false);
    hide();
}

void TForm6::Button2Click()
{
    Timer1->setEnabled(false);
    hide();
}

void TForm6::changeEvent(QEvent* event)
{
    FormBase::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded(context.dialogs, [this] { FormActivate(); });
}

void TForm6::hideEvent(QHideEvent* event)
{
    // Closed by its title bar: nothing is left counting down.
    Timer1->setEnabled(false);
    FormBase::hideEvent(event);
}
