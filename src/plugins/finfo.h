#pragma once

#include "windows/activation.h"
#include "windows/formbase.h"

class QListWidget;
class QPushButton;

// The plug-in info window: the shell's type name and the version resource of the plug-in chosen
// in the plug-in manager, one labelled line each.
class TForm12 : public FormBase {
    Q_OBJECT
public:
    TForm12(AppContext& context, Forms& forms);

    // Showing runs FormShow before the window appears, hiding FormHide after it is gone.
    void setVisible(bool visible) override;
    // The main window and the plug-in manager disabled; this one topmost.
    void FormShow();
    // Both enabled again; no longer topmost.
    void FormHide();
    // The lines read afresh from the plug-in file in the program's "plugins" folder.
    void FormActivate();
    void Button1Click(); // "Close"

    QListWidget* ListBox1;
    QPushButton* Button1;

private:
    ProgramActivation activation_;
};
