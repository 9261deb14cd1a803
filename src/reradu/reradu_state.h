#pragma once

#include "reradu/frame_store.h"
#include "reradu/name_tables.h"
#include "rtd/qd_settings.h"

// The RERadu typewriter's process-wide values, owned by start-up and handed
// to its windows. The import buffers belong to the import window.
struct ReraduState {
  QdSettings settings;
  QdEditorState editor;
  QdNameTables names;
};
