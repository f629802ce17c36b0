#include "services/file_io.h"

#include "text/file_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <new>
#include <stdexcept>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace lomarind {

std::string read_file_text(const QString& path) try {
    if (path.isEmpty())
        return {};
    QFile file(path);
    // A plain file only: a FIFO or a device could block or never end.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    // Read to the end of the text rather than trusting the size: the file may change while it is
    // read, and what follows the end is never looked at, however large the file claims to be.
    std::string bytes;
    // Room for the whole of an ordinary file at once, but not for what a huge one claims.
    constexpr qint64 FIRST_ROOM = 64 << 20;
    bytes.reserve(static_cast<std::size_t>(std::clamp<qint64>(file.size(), 0, FIRST_ROOM)));
    char piece[1 << 16];
    for (;;) {
        const qint64 n = file.read(piece, sizeof piece);
        if (n <= 0)
            break;
        const std::size_t before = bytes.size();
        bytes.append(piece, static_cast<std::size_t>(n));
        const std::size_t end = text_end(bytes, before);
        if (end != std::string::npos) {
            bytes.resize(end);
            break;
        }
    }
    return bytes;
} catch (const std::bad_alloc&) {
    // A file larger than the memory: like an unreadable one.
    return {};
} catch (const std::length_error&) {
    return {};
}

namespace {

bool write_all(QIODevice& file, std::span<const std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        const char* data = piece.data();
        std::size_t left = piece.size();
        while (left > 0) {
            const qint64 n = file.write(data, static_cast<qint64>(left));
            if (n <= 0)
                return false;
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    return true;
}

bool sync_to_disk(QFile& file) {
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Truncates the existing file and writes the bytes into it: for a file the user may write in a
// folder where no file can be created beside it, so none can be swapped in.
bool rewrite_in_place(const QString& path, std::span<const std::string_view> pieces) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = write_all(file, pieces) && file.flush() && sync_to_disk(file);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace

bool replace_file(const QString& path, std::span<const std::string_view> pieces) {
    QSaveFile file(path);
    return replace_file(file, pieces);
}

bool replace_file(QSaveFile& file, std::span<const std::string_view> pieces) {
    const QString path = file.fileName();
    if (path.isEmpty())
        return false;
    const QFileInfo target(path);
    if (target.exists()) {
        // The mode bits themselves (WriteUser would ask the system, which lets root write).
        constexpr auto kWriteBits =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        // A file without any write permission is read-only, also for a user (root) whom the
        // system would let write it anyway.
        if (!target.isFile() || !target.isWritable() || !(target.permissions() & kWriteBits))
            return false;
    }
    if (!file.open(QIODevice::WriteOnly))
        return target.exists() && rewrite_in_place(path, pieces);
    if (!write_all(file, pieces)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace lomarind
