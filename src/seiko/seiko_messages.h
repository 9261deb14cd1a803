#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The Seiko display's framing: STX, a body, ETX; nothing after ETX.
inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr int kPanelWidth = 10;

// The text of one panel: its first ten characters, blank-filled on the right.
QByteArray panel_text(QByteArrayView text);
// "015D" "0" panel "01" and the fitted text; the panel in decimal, no width.
QByteArray panel_body(int panel, QByteArrayView text);
// "003C63".
QByteArray update_end_body();
// STX body ETX.
QByteArray framed(QByteArrayView body);
