#pragma once

#include "windows/activation.h"
#include "windows/formbase.h"

class PluginListFile;
class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

// The plug-in manager: the plug-in list "plugins.ini" as rows of name and status, and the
// activation of the one plug-in the program knows, whose handler the program's protocol is.
class TForm11 : public FormBase {
    Q_OBJECT
public:
    TForm11(AppContext& context, Forms& forms);

    // The rows from the plug-in list; on the first run, when there is none, the known plug-in
    // activated, which creates the list.
    void FormCreate() override;

    // Showing runs FormShow before the window appears, hiding FormHide after it is gone.
    void setVisible(bool visible) override;
    // The main window disabled; this one topmost.
    void FormShow();
    // The main window enabled again; no longer topmost.
    void FormHide();
    // The rows read afresh from the plug-in list, when it exists.
    void FormActivate();

    void BitBtn1Click();           // "Add": the picked files as disabled plug-ins
    void BitBtn2Click();           // "Remove": the selected plug-in's section erased
    void Button1Click();           // "Close"
    void Activate1Click();         // "Activate plugin"
    void Deactivateplugin1Click(); // "Deactivate plugin"
    void Info1Click();             // "Info": the info window on the selected plug-in

    // The name shown in the selected row, empty when no row is selected.
    QString selectedPluginName() const;
    // When FormActivate runs.
    ProgramActivation& activation() { return activation_; }

    QTableWidget* ListView1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* button1;
    QMenu* PopupMenu1;
    QAction* Activate1;
    QAction* Deactivateplugin1;
    QAction* Info1;

private:
    PluginListFile pluginList() const;
    // A row at the end; section is the one of the list that it shows.
    void addRow(const QString& name, const QString& status, const QString& section);
    void setStatus(int row, const QString& status);
    // The row selected, -1 when none is; and whether it shows the known plug-in, reporting
    // "Unknown Plugin." when it does not.
    int selectedRow() const;
    bool isKnownPlugin(int row);

    ProgramActivation activation_;
};
