#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The protocol and the files carry 8-bit text; the program shows it as
// Windows-1252 (Latin-1 where the system lacks that codec).
QString from_8bit(QByteArrayView text);
QByteArray to_8bit(const QString &text);
