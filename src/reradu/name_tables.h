#pragma once

#include <QByteArray>

#include <array>

// The names the setup window offers; they only label choices.
struct QdNameTables {
  std::array<QByteArray, 5> qd_display_types; // index 0..4
  std::array<QByteArray, 7> qd_font_names;    // index 1..6; 0 unused
};

void fill_qd_name_tables(QdNameTables &names);
