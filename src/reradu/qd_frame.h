#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <type_traits>

// One RERadu frame exactly as it lies in reradu.dat: ten length-prefixed
// slots of 31 bytes. Bytes past a slot's length are left as they are, so a
// record is written back byte for byte as it stands in memory.
struct Tqd_frame {
  static constexpr int kLineCount = 10;
  static constexpr int kLineCapacity = 30;

  struct Slot {
    std::uint8_t length;
    char chars[kLineCapacity];
  };
  Slot line_slots[kLineCount] = {};

  // The text of slot k (0..9); a length byte above 30 reads as 30.
  QByteArray line(int k) const;
  // Puts the first 30 bytes of text into slot k: the length byte and those
  // characters only.
  void set_line(int k, QByteArrayView text);
  // All ten lengths to 0; the characters stay.
  void blank();

  char *bytes() { return reinterpret_cast<char *>(this); }
  const char *bytes() const { return reinterpret_cast<const char *>(this); }
};

static_assert(sizeof(Tqd_frame::Slot) == 31);
static_assert(sizeof(Tqd_frame) == 310);
static_assert(std::is_trivially_copyable_v<Tqd_frame>);
