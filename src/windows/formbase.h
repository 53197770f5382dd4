#pragma once

#include <QSet>
#include <QSize>
#include <QString>
#include <QWidget>

#include <QStringList>

class QComboBox;
struct AppContext;
struct Forms;

// What every window of the program shares: its caption, its fixed client size, the program's
// font, the place in the middle of the screen, and the context and windows it talks to.
class FormBase : public QWidget {
    Q_OBJECT
public:
    FormBase(AppContext& context, Forms& forms, const QString& caption, QSize clientSize,
             bool resizable = false);

    // The creation step: the start-up work this window does once its controls exist.
    virtual void FormCreate() {}

    // window, open in front, disables this one (or no longer); this one is enabled again only
    // when no window keeps it disabled, so closing one of two never frees it under the other.
    void setDisabledBy(const QWidget& window, bool disabled);

protected:
    void showEvent(QShowEvent* event) override;
    // Keeps the window above the windows of every program, or no longer. Only while the window is
    // hidden: a new flag on a shown window hides it.
    void setTopmost(bool topmost);

    AppContext& context;
    Forms& forms;

private:
    QSet<const QWidget*> disabledBy_;
};

// A list filled afresh keeps its choice by position; a position past the end of a shorter list
// leaves it without a choice.
void refillKeepingChoice(QComboBox& list, const QStringList& items);
