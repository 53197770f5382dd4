#pragma once

#include "windows/formbase.h"

class QFrame;
class QLabel;

// The wait window shown while the category preview window downloads: no caption bar, a thin
// frame around a raised panel with its two lines. While it is shown the preview window takes no
// input and it stays above every window.
class TForm10 : public FormBase {
    Q_OBJECT
public:
    TForm10(AppContext& context, Forms& forms);

    // Showing runs FormShow, hiding FormHide.
    void setVisible(bool visible) override;
    // Paints itself before the downloads begin, and keeps the preview window disabled.
    void FormShow();
    void FormHide();

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
};
