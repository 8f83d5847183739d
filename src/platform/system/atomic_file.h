// Whole-file writes that never leave a half-written file behind. Used by every
// writer of files: the settings file, the capability report, regenerated models.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/opened_folder.h"

// Writes `bytes` to a temporary file in `folder`, flushes it to the disk and
// renames it over `name` there: after a crash or a full disk the old file or
// the new one is there, whole. Everything happens through the folder's
// handle, so a folder renamed or swapped for a link meanwhile cannot send
// the file elsewhere. The new file takes only the read and write bits of the
// regular file it replaces (never set-id, sticky or execute bits); a link at
// the name is replaced, not followed, and the new file gets the default mode.
// Temporary files of this name left by a run that was killed are removed.
// False (and the old file untouched) on any failure, and for a name that
// holds something other than a file or a link (a folder, a pipe).
bool WriteFileAtomically(const OpenedFolder& folder, std::string_view name, std::string_view bytes);
// The same in the folder of `path`, opened for this one write.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
