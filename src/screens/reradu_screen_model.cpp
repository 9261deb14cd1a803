#include "reradu_screen_model.h"

#include "protocol/fields.h"

ReraduScreenModel::ReraduScreenModel(QObject *parent) : QObject(parent) {}

ApplyResult ReraduScreenModel::apply_packet(QByteArrayView packet) {
  lines_.clear();
  // Field 1 is the kind tag and what follows it; fields 2 to 9 are the lines.
  for (int n = 2; n <= kLines + 1; ++n)
    lines_.append(comma_field(packet, n).toByteArray());
  emit changed();
  return ApplyResult::go_on;
}
