#include "platform/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

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

namespace {

bool write_all(QFileDevice& file, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const qint64 n = file.write(data, static_cast<qint64>(left));
        if (n <= 0)
            return false;
        data += n;
        left -= static_cast<std::size_t>(n);
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
bool rewrite_in_place(const QString& path, std::string_view bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = write_all(file, bytes) && file.flush() && sync_to_disk(file);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace

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
        return target.exists() && rewrite_in_place(path, bytes);
    if (!write_all(file, bytes)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace lomarind
