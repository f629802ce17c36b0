#include "platform/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace lomarind {

std::string read_whole_file(const QString& path) {
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    std::string bytes;
    const qint64 size = file.size();
    if (size > 0)
        bytes.reserve(static_cast<std::size_t>(size));
    // Read to the end rather than trusting the size: the file may change while it is read.
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
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
