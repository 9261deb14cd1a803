#pragma once

class QGroupBox;

// Keeps pictures of the parts of a group box's frame that it repaints again
// and again, and copies them from then on. A control inside the box that is
// not opaque (a combo box, a label) has the box repaint what lies under it
// each time it changes, and the style draws the frame for that from its
// pieces of picture, scaled, which costs some ten times more than copying the
// part. For a box whose parent paints nothing but one opaque colour under it;
// anywhere else the box paints as usual.
void keep_frame_pictures(QGroupBox *box);
