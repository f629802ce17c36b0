#pragma once

#include <QString>
#include <span>
#include <string>
#include <string_view>

class QSaveFile;

namespace lomarind {

// The file's bytes up to the end of its text (text_end: the first zero byte, in UTF-16 the first
// zero character), read piece by piece so that nothing after the end is read; the whole file
// when its text has no end. Empty on any failure: an empty path, a missing or unreadable file,
// anything but a plain file, a file larger than the memory.
std::string read_file_text(const QString& path);

// Writes the bytes, given as pieces that follow one another, to a temporary file beside `path`,
// flushes it to disk and renames it over `path`. On any failure the temporary file is removed,
// `path` is left as it was and false comes back. A target that exists and is read-only, or is not a
// plain file, is never replaced. Where no file can be created in the folder but the existing target
// is writable, the target is truncated and written in place and synced to disk; a failure then may
// leave it partly written.
bool replace_file(const QString& path, std::span<const std::string_view> pieces);

// The same, through a save file already named for the target: the device the bytes are written
// through can be one whose writes fail, to show that a short write leaves the target alone.
bool replace_file(QSaveFile& file, std::span<const std::string_view> pieces);

// Both for bytes in one piece.
inline bool replace_file(const QString& path, std::string_view bytes) {
    return replace_file(path, std::span(&bytes, 1));
}
inline bool replace_file(QSaveFile& file, std::string_view bytes) {
    return replace_file(file, std::span(&bytes, 1));
}

} // namespace lomarind
