#include "seiko_messages.h"

#include "time_text.h"

QByteArray panel_text(QByteArrayView text) { return fit_text(text, kPanelWidth, "l"); }

QByteArray panel_body(int panel, QByteArrayView text) {
  return "015D0" + QByteArray::number(panel) + "01" + panel_text(text);
}

QByteArray update_end_body() { return "003C63"; }

QByteArray framed(QByteArrayView body) {
  QByteArray out;
  out.reserve(body.size() + 2);
  out += kStx;
  out += body;
  out += kEtx;
  return out;
}
