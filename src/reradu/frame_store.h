#pragma once

#include "reradu/qd_frame.h"
#include "toolkit/data_folder.h"

#include <QString>

#include <array>
#include <stdexcept>

inline constexpr int kQdFrameCount = 100;
// In the data folder; by default the current directory of the moment.
inline constexpr char qd_frame_file_name[] = "reradu.dat";

// The editor's current frame and its one frame buffer.
struct QdEditorState {
  int qd_current_frame = 0;
  Tqd_frame frame;
};

// The import's copy of all 100 frames and the frame an import starts at.
struct QdImportFrames {
  std::array<Tqd_frame, kQdFrameCount> frames{};
  int start_frame = 0;
};

// An input/output failure after reradu.dat was opened; what() is the system's
// error text, which the window shows as the general error report.
class FrameFileError : public std::runtime_error {
public:
  explicit FrameFileError(const QString &system_text);
  QString text() const { return QString::fromLocal8Bit(what()); }
};

// Each operation opens reradu.dat, does its work and closes it again. A file
// that cannot be opened is handled as each one says; a failure after opening
// throws FrameFileError, leaving what was read or written so far.

// Sets the current frame to 0 and, when the file cannot be opened, creates it
// with 100 copies of the (blanked) editor buffer. Silent when it cannot.
void ensure_frame_file(const DataFolder &data, QdEditorState &editor);
// Blank buffer when the file cannot be opened.
void load_frame(const DataFolder &data, Tqd_frame &buffer, int n);
// Nothing stored when the file cannot be opened.
void save_frame(const DataFolder &data, const Tqd_frame &buffer, int n);
// Remembers start as the start frame; false when the file cannot be opened.
bool load_all_frames(const DataFolder &data, QdImportFrames &import, int start);
// False when the file cannot be opened (it is never created here).
bool save_all_frames(const DataFolder &data, const QdImportFrames &import);
// Memory only: every length of every frame to 0.
void blank_all_frames(QdImportFrames &import);
