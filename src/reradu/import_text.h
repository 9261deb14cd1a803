#pragma once

#include "reradu/frame_store.h"

#include <QByteArrayView>

enum class ImportEnd {
  text_ended,         // the text ran out (no message)
  last_frame_reached, // lines remain but frame 99 is full
};

// Puts the lines of text into the import buffers from the start frame on, up
// to ten lines a frame; a line holding "~~" ends a frame. Lines end at CR LF,
// LF or a lone CR; each is cut to 30 characters. Slots not written keep what
// they hold.
ImportEnd import_lines(QdImportFrames &import, QByteArrayView text);
