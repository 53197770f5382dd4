#pragma once

class QGroupBox;
class QLabel;
class QString;
class QTabWidget;
class QWidget;

// Helpers for windows laid out by hand in pixels, so that they hold whatever the font's widths.

// Narrows the padding of the tabs, as far as a few pixels, until every tab shows its whole text
// within the width of the page control: no scroll arrows, no shortened captions.
void fitTabTexts(QTabWidget& tabs);

// Places control (keeping its height) in the gap of blanks that follows textBefore in the label's
// caption, as in "Limit temp size to         wallpapers.", a few pixels clear of the text on either
// side and at most width wide; after the caption's end when nothing follows textBefore.
void placeInTextGap(QWidget& control, const QLabel& label, const QString& textBefore, int width);

// Lets the contents of group reach within margin pixels of its left and right sides, where the
// style would keep them further in.
void setGroupSideMargin(QGroupBox& group, int margin);
