#include "platform/file_io.h"

#include "text/file_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <new>
#include <stdexcept>

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

bool replace_file(const QString& path, std::string_view bytes) {
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const qint64 n = file.write(data, static_cast<qint64>(left));
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return file.commit();
}

} // namespace lomarind
