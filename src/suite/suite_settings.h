#pragma once

#include "toolkit/atomic_file.h"
#include "toolkit/data_folder.h"
#include "toolkit/screen_colours.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>

class Dialogs;
class QWidget;

// The suite's shared settings as this program holds them. Most lines belong
// to other programs of the suite and are only carried through; they are named
// by their line in v2globals.dat. Texts are 8-bit.
struct suite_settings {
  std::int32_t line1 = 0;
  std::int32_t line2 = 0;
  QByteArray line3;  // short text
  QByteArray line4;  // short text
  double line5 = 0.0;
  double line6 = 0.0;
  std::array<std::int32_t, 11> lines7_17{};
  std::array<std::int32_t, 4> table18_21{};
  std::array<std::int32_t, 3> lines22_24{};
  std::array<std::int32_t, 31> table25_55{};
  QByteArray line56; // short text
  std::array<std::int32_t, 4> lines57_60{};
  std::int32_t line61 = 1;
  QByteArray line62; // text
  // Entries 4..11 of the colour table; entries 1..3 are the screen colours.
  std::array<std::uint32_t, 8> colours4_11{};
  QByteArray line74; // short text
  QByteArray line75; // short text
  std::array<std::int32_t, 6> lines76_81{};
  QByteArray line84; // text
  QByteArray line85; // text
  std::int32_t line86 = 0;
  std::int32_t line88 = 0;
  // The print dialog's output folders, and a fourth entry it does not use.
  QByteArray html_folder;
  QByteArray pdf_folder;
  QByteArray csv_folder;
  QByteArray fourth_folder;
  std::int32_t line93 = 0;
  std::int32_t line94 = 0;
  // Put directly in front of the file name; empty means the current folder.
  QByteArray path_prefix;
};

// The values the file stores that other parts of the program own. They have
// no defaults of their own: the program builds them from its state (start-up
// sets the colours, the address and the switch), so none can be left at 0.
struct SuiteSettingsSources {
  SuiteSettingsSources(const ScreenColours &colours, QByteArrayView listening_address,
                       bool rtd_ip_broadcast, std::int32_t rtd_line87)
      : colours(colours), listening_address(listening_address.toByteArray()),
        rtd_ip_broadcast(rtd_ip_broadcast), rtd_line87(rtd_line87) {}

  ScreenColours colours;        // lines 63..65
  QByteArray listening_address; // line 82
  bool rtd_ip_broadcast;        // line 83
  std::int32_t rtd_line87;      // kept with the RTD driver
};

inline constexpr int kSuiteSettingsLines = 94;
inline constexpr char kSuiteSettingsFile[] = "v2globals.dat";

// A real in the file's 23-character form: " 1.50000000000000E+0003".
QByteArray suite_real(double value);

// The whole file: 94 lines, each closed by CR LF.
QByteArray suite_settings_bytes(const suite_settings &settings,
                                const SuiteSettingsSources &sources);

// The file's name: the prefix followed directly by v2globals.dat, in the
// data folder unless the prefix makes it absolute.
QString suite_settings_path(const suite_settings &settings, const DataFolder &data);

// Writes v2globals.dat. The old file is replaced only when all 94 lines are on
// disk; not_created means it could not be created (skipped without a
// message); failed carries the system's error text and the old file is whole.
FileSaveResult save_suite_settings(const suite_settings &settings,
                                   const SuiteSettingsSources &sources, const DataFolder &data);

// The caller's part: a failed save is shown as the general error report, a
// file that could not be created is not. True when a box was shown.
bool report_suite_settings_save(const FileSaveResult &result, Dialogs &dialogs,
                                QWidget *parent);

// Caption lists carried with the settings.
inline constexpr std::array<const char *, 4> timing_device_names = {
    "Alge S4", "Alge tdc8000 Plus", "Alge Timy", "Microgate PC12"};
inline constexpr std::array<const char *, 2> line_names = {"Railing", "Blue Line"};
inline constexpr std::array<const char *, 2> enabled_names = {"Enabled", "Disabled"};
