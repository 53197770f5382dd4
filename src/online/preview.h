#pragma once

#include "windows/formbase.h"

class LinkLabel;
class PreviewBox;
class QComboBox;
class QPushButton;

// The category preview window: up to four samples of a category from the service, a list to
// switch categories and a link to the category's gallery page. It changes no setting.
class TForm8 : public FormBase {
    Q_OBJECT
public:
    TForm8(AppContext& context, Forms& forms);

    // The main window's "Preview": the list takes index, then the window shows itself (which
    // loads the samples; a window that is up already keeps the ones it shows).
    void showCategory(int index);
    // The catalog's names afresh; the list keeps its choice by position.
    void takeCategoryNames(const QStringList& names);

    // Showing runs FormShow once the window is up.
    void setVisible(bool visible) override;
    // The list filled from the catalog's name file with the main window's choice, and its
    // samples loaded.
    void FormShow();
    void ComboBox2Change();
    // The gallery page of the list's choice in the browser; nothing for a choice past the table.
    void Label1Click();
    void Label1MouseEnter();
    void Label1MouseLeave();
    void BitBtn1Click();
    // The four boxes filled for the list's choice under the wait window. Failures are not
    // reported: the boxes filled so far keep their samples, the rest stay empty.
    void LoadPreviews();

    PreviewBox* Image1;
    PreviewBox* Image2;
    PreviewBox* Image3;
    PreviewBox* Image4;
    QComboBox* ComboBox2;
    LinkLabel* Label1;
    QPushButton* BitBtn1;

protected:
    void paintEvent(QPaintEvent* event) override;
};
