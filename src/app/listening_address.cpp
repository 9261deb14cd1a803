#include "listening_address.h"

#include "protocol/fields.h"

#include <QFile>

QByteArray load_listening_address(const DataFolder &data) {
  QFile file(data.file(QLatin1StringView(kListeningAddressFile)));
  if (!file.open(QIODevice::ReadOnly))
    return kAllSenders;
  // Only the first line counts, and of it only what a short text holds; read
  // no further than needed so a huge file costs nothing.
  QByteArray line = file.readLine(4096);
  if (line.endsWith('\n'))
    line.chop(1);
  if (line.endsWith('\r'))
    line.chop(1);
  return short_text(line).toByteArray();
}

FileSaveResult save_listening_address(const DataFolder &data, QByteArrayView address) {
  QByteArray bytes = address.toByteArray();
  bytes.append("\r\n");
  return save_file_atomically(data.file(QLatin1StringView(kListeningAddressFile)), bytes);
}

QByteArray listening_address_status(QByteArrayView address) {
  QByteArray t = "IP Listening Address = ";
  t.append(address);
  if (address == QByteArrayView(kAllSenders))
    t.append(" (ALL)");
  return t;
}

bool sender_accepted(QByteArrayView listening_address, QByteArrayView sender_text) {
  return listening_address == QByteArrayView(kAllSenders) || listening_address == sender_text;
}
