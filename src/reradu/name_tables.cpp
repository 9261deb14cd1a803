#include "name_tables.h"

void fill_qd_name_tables(QdNameTables &names) {
  names.qd_display_types = {"None", "Ferranti 128x48", "Ferranti 120x42", "AES 120 x 48",
                            "AES 120 x 40"};
  names.qd_font_names = {"",
                         "6 x 5 single stroke",
                         "6 x 7 single stroke",
                         "8 x 7 double stroke",
                         "6 x 9 single stroke",
                         "6 x 8 single stroke",
                         "13 x 13 triple stroke"};
}
