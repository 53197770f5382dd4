#pragma once

#include "windows/formbase.h"

#include <QStringList>

class QListWidget;
class QPushButton;

// The profile editor: puts together the list of pictures of a profile.
class TForm7 : public FormBase {
    Q_OBJECT
public:
    enum class Mode { Edit, Create };

    TForm7(AppContext& context, Forms& forms);

    // Opens the editor on an existing profile's entries, the first one focused.
    void openForEdit(const QStringList& entries);
    // Opens the editor for a new profile; "Finish" waits for the list to change.
    void openForCreate();

    Mode mode() const { return mode_; }

    QListWidget* ListBox1;
    QPushButton* button1;

private:
    Mode mode_ = Mode::Edit;
};
