#pragma once

class QGroupBox;
class QScrollBar;

// Keeps pictures of the parts of a group box's frame that it repaints again
// and again, and copies them from then on. A control inside the box that is
// not opaque (a combo box, a label) has the box repaint what lies under it
// each time it changes, and the style draws the frame for that from its
// pieces of picture, scaled, which costs some ten times more than copying the
// part. For a box whose parent paints nothing but one opaque colour under it;
// anywhere else the box paints as usual.
void keep_frame_pictures(QGroupBox *box);

// The same for a scroll bar that fills its own background with one opaque
// colour: a table that changes its shape back and forth (a screen's clear)
// has its bar repainted at the same few lengths again and again, and the
// style draws a bar's long lines in pieces handed to other threads. A bar
// under the mouse paints itself (it shows where the mouse is).
void keep_bar_pictures(QScrollBar *bar);
