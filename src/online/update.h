#pragma once

#include "windows/formbase.h"

class QLabel;
class QPushButton;
class Timer;

// The update prompt: the outcome of the program update check, in a small window that hides itself
// five seconds after it was last activated unless the user answers first.
class TForm6 : public FormBase {
    Q_OBJECT
public:
    TForm6(AppContext& context, Forms& forms);

    // The start-up check, when the settings ask for it: only a differing version is shown then.
    void FormCreate() override;

    // Compares the first line of the service's "/version" with the file version of the program's
    // executable in ProgramDir. A differing answer shows the new-version prompt; no answer or the
    // same number shows the latest-version message, but only when the user asked for the check.
    // No window at all when the executable's version can not be read. Never raises.
    void CheckProgramVersion();
    // Help > "Check for program updates".
    void checkAskedForByUser();

    // The countdown starts again at 5; the buttons follow the message (YES and NO, or OK alone).
    void FormActivate();
    void Timer1Timer();
    void Button1Click(); // YES: the service's home page in the browser
    void Button2Click(); // NO / OK

    QLabel* Label1; // the message
    QLabel* Label2; // "Hide in      seconds"
    QLabel* Label3; // the seconds left, in the gap of Label2
    QPushButton* Button1;
    QPushButton* Button2;
    Timer* Timer1; // the countdown, 1 s

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showPrompt();

    // Set by the Help menu's command for the check it runs.
    bool UpdateCheckRequested = false;
};
