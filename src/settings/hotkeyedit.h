#pragma once

#include "common/shortcut.h"

#include <QLineEdit>

// The hot-key entry: shows a shortcut as text and takes a new one from the keys the user presses.
// A key pressed without Ctrl or Alt gets Alt, so a plain letter never becomes a global hotkey.
class HotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit HotKeyEdit(QWidget* parent = nullptr);

    Shortcut hotKey() const { return shortcut_; }
    void setHotKey(const Shortcut& shortcut);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Shortcut shortcut_;
};
