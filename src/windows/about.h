#pragma once

#include "windows/formbase.h"

class QLabel;
class QPushButton;

// The About window: the program's name, build and credits, and the way to the service's web site.
class TForm3 : public FormBase {
    Q_OBJECT
public:
    TForm3(AppContext& context, Forms& forms);

    // The build line: "Build " and the fourth number of the file version of the program's
    // executable in ProgramDir; the number this program was built as when that can not be read.
    void FormCreate() override;

    // Showing runs FormShow before the window appears, hiding FormHide after it is gone.
    void setVisible(bool visible) override;
    // The main window disabled, this one topmost; the link shows the service's address.
    void FormShow();
    // The main window enabled again; no longer topmost.
    void FormHide();
    void BitBtn1Click(); // "Close"
    void Label9Click();  // the service's home page in the browser
    void Label9MouseEnter();
    void Label9MouseLeave();
    void Image2Click(); // the galleries of the wallpaper contributors in the browser

    QLabel* Image1; // the program's icon
    QLabel* Label1; // the program's name
    QLabel* Label2; // the build line
    QLabel* Label3; // the release
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9; // the link to the service's web site
    QLabel* Image2; // the logo
    QPushButton* BitBtn1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkColour(const QColor& colour);
};
