#pragma once

#include "windows/formbase.h"

class SettingsFile;
class QCheckBox;
class QLabel;
class QPushButton;

// The advanced options: transparent icon text and the desktop background colour.
class TForm9 : public FormBase {
    Q_OBJECT
public:
    TForm9(AppContext& context, Forms& forms);

    // Showing runs FormShow before the window appears (a failure there is reported and the window
    // still shows), hiding FormHide after it is gone.
    void setVisible(bool visible) override;
    // The desktop's colour into the swatch (a malformed value raises the conversion error and
    // ends the step), the icon text option from the settings file, then the main and settings
    // windows disabled and this one topmost.
    void FormShow();
    // The main and settings windows enabled again; no longer topmost.
    void FormHide();
    // The swatch clicked: the colour dialog, and on OK its colour.
    void Shape1MouseDown();
    // "OK": the option saved, the colour and the option applied to the desktop, hidden.
    void BitBtn1Click();
    // "Cancel": hidden, nothing written.
    void BitBtn2Click();

    QColor swatchColour() const;
    // "Set Transparent Text" from the settings file: unchecked without the key.
    void loadTransparentText(const SettingsFile& file);
    // "Set Transparent Text" as checked now.
    bool transparentText() const;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Image1; // transparent text sample
    QLabel* Image2; // text with background sample
    QLabel* Label5;
    QLabel* Label6;
    QCheckBox* CheckBox1;
    QLabel* Label7;
    QLabel* Shape1; // the colour swatch
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setSwatchColour(const QColor& colour);
};
