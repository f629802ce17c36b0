#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lomarind {

// The whole file as bytes; empty on any failure (empty path, missing, unreadable, a folder).
std::string read_whole_file(const QString& path);

// Writes the bytes to a temporary file beside `path`, flushes it to disk and renames it over
// `path`. On any failure the temporary file is removed, `path` is left as it was and false comes
// back. A target that exists and is read-only, or is not a plain file, is never replaced.
// Where no file can be created in the folder but the existing target is writable, the target is
// truncated and written in place and synced to disk; a failure then may leave it partly written.
bool replace_file(const QString& path, std::string_view bytes);

} // namespace lomarind
