#pragma once

#include "toolkit/atomic_file.h"
#include "toolkit/data_folder.h"

#include <QByteArray>
#include <QByteArrayView>

inline constexpr char kAllSenders[] = "255.255.255.255";
inline constexpr char kListeningAddressFile[] = "commentator.dat";

// The first line of commentator.dat (at most 255 characters), or "all
// senders" when the file cannot be opened.
QByteArray load_listening_address(const DataFolder &data);

// Replaces commentator.dat with the address and CR LF.
FileSaveResult save_listening_address(const DataFolder &data, QByteArrayView address);

// The status line's text for an address.
QByteArray listening_address_status(QByteArrayView address);

// The sender filter: "all senders", or the sender's dotted text exactly.
bool sender_accepted(QByteArrayView listening_address, QByteArrayView sender_text);
