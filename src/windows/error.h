#pragma once

#include "windows/formbase.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The error window; it exists, hidden, for the whole run.
class TForm5 : public FormBase {
    Q_OBJECT
public:
    TForm5(AppContext& context, Forms& forms);

    void BitBtn1Click(); // "Close"

    QLabel* Label1;
    QPlainTextEdit* Memo1; // the error's text
    QLabel* Label2;
    QPushButton* BitBtn1;
};
