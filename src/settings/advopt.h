#pragma once

#include "windows/formbase.h"

class QCheckBox;
class QLabel;
class QPushButton;

// The advanced options: transparent icon text and the desktop background colour.
class TForm9 : public FormBase {
    Q_OBJECT
public:
    TForm9(AppContext& context, Forms& forms);

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
};
