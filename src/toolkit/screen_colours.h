#pragma once

#include <QColor>
#include <cstdint>

// The three colours the commentator screens share, each held as 0x00BBGGRR
// (red in the low byte), the form the suite settings file stores.
struct ScreenColours {
  std::uint32_t background = 0;
  std::uint32_t text = 0;
  std::uint32_t fixed = 0;
};

inline QColor colour_from_bgr(std::uint32_t bgr) {
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
