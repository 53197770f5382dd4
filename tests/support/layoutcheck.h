#pragma once

#include <QStringList>

class QWidget;

// What a user would see wrong in a window laid out by hand, one line per fault (empty when none).
// The window must be shown. Every page of its tab controls is looked at.
// - A control must lie inside its parent (inside a group box: below its title, within its frame).
// - Sibling controls must not overlap. A label counts only where its text is, so a control may sit
//   in a gap of blanks in the text; a spin box must keep a few pixels clear of any label's text
//   on its row. A control laid exactly over another one is meant to cover it.
// - Captions must fit their controls: labels, check and radio boxes, push buttons, spin boxes.
// - Tabs must show their whole text: no scroll arrows, no elided or clipped text.
QStringList layoutFaults(QWidget& window);
