#pragma once

#include "windows/formbase.h"

class LinkLabel;
class PictureList;
class PreviewBox;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// The first-run wizard: the automatic mode set up in one page, or the custom mode with a first
// profile put together on a second page. The show is stopped while it is on screen.
class TForm4 : public FormBase {
    Q_OBJECT
public:
    TForm4(AppContext& context, Forms& forms);

    // The first pages; the wizard on screen when there is no settings file yet; the placeholder
    // picture in the preview.
    void FormCreate() override;
    // Showing runs FormShow and then FormActivate, hiding FormHide after the window is gone.
    void setVisible(bool visible) override;
    void FormShow();     // the show stops
    void FormHide();     // the show starts when either start box is checked
    void FormActivate(); // the options page, the category list afresh with its first entry chosen

    void RadioButton1Click(); // automatic mode
    void RadioButton2Click(); // custom mode
    void RadioButtonHover(QRadioButton* button, bool inside);
    void ComboBox2Change(QComboBox* positions);
    void Label7Click();
    void Label7MouseEnter();
    void Label7MouseLeave();
    void BitBtn2Click(); // "Finish" on the options page
    void BitBtn3Click(); // "Next"
    void BitBtn1Click(); // "Back"
    void button1Click(); // "Finish" on the list page
    void AddWallpaper1Click();
    void RemoveWallpaper1Click();

    QStackedWidget* PageControl1; // the options page, the list page
    // Options page
    QWidget* TabSheet1;
    QRadioButton* RadioButton1;
    QLabel* Memo1;
    QRadioButton* RadioButton2;
    QLabel* Memo2;
    QStackedWidget* PageControl2; // the automatic options, the custom options
    QWidget* TabSheet3;
    QCheckBox* CheckBox1;
    QComboBox* ComboBox1; // categories, sorted; each item keeps its index in the catalog
    QComboBox* ComboBox2; // automatic position
    QWidget* Panel1;      // automatic origin
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QWidget* TabSheet4;
    QCheckBox* CheckBox2;
    QComboBox* ComboBox3; // custom position
    QWidget* Panel2;      // custom origin
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    LinkLabel* Label7;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    // List page
    QWidget* TabSheet2;
    QGroupBox* GroupBox1;
    PreviewBox* Image1;
    QGroupBox* GroupBox2;
    PictureList* ListBox1;
    QPushButton* BitBtn1;
    QPushButton* button1;
    QMenu* PopupMenu1;
    QAction* AddWallpaper1;
    QAction* RemoveWallpaper1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildOptionsPage();
    QWidget* buildAutomaticOptions();
    QWidget* buildCustomOptions();
    QWidget* buildListPage();
    void connectHandlers();
    void showCount();
    void enableFinishByCount();
};
