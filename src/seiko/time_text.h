#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>

class QTime;

// Local time of day; the fraction in 1/10000 s (milliseconds times ten).
struct clock_time {
  std::uint16_t hours = 0;
  std::uint16_t minutes = 0;
  std::uint16_t seconds = 0;
  std::uint16_t ten_thousandths = 0;
  friend bool operator==(const clock_time &, const clock_time &) = default;
};

// The time record of a wall-clock time; the date is not kept.
clock_time clock_time_of(const QTime &time);
// The current local time of day.
clock_time read_clock();

// hh:mm:ss.ffff, each part zero-filled to its width, never cut.
QByteArray format_clock_time(clock_time t);

// The text fitted to width characters. Only the first character of mode
// counts, case-insensitive: "L" left-aligns, "R" keeps the last characters and
// right-aligns, "C" centres (the extra blank goes behind); any other letter
// only cuts.
QByteArray fit_text(QByteArrayView text, int width, QByteArrayView mode);

// The ten-character time-of-day text of the display panels: 09:05:03 and two
// blanks.
QByteArray panel_time_text(clock_time t);

// Captions of the suite's time formats and of positions in a time text.
inline constexpr std::array<const char *, 6> time_format_names = {
    "No Punct (HHMMSSFF)", "F1      (M:MS:SF.F)", "F2      (MM:SS.FF)",
    "F3      (M:SS.FFF)",  "TOD     (HH:MM:SS)",  "Custom",
};

inline constexpr std::array<const char *, 21> position_names = {
    "blank",
    "last colon + 1",  "last colon + 2",  "last colon + 3",  "last colon + 4",
    "last colon + 5",
    "last colon - 1",  "last colon - 2",  "last colon - 3",  "last colon - 4",
    "last colon - 5",  "last colon - 6",  "last colon - 7",  "last colon - 8",
    "last colon - 9",  "last colon - 10",
    "last period + 1", "last period + 2", "last period + 3", "last period + 4",
    "last period + 5",
};
