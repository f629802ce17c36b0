#include "temp_dir.h"

#include <QFile>
#include <stdexcept>

namespace lomarind::test {

TempDir::TempDir() {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::write(const QString& name, std::string_view bytes) const {
    const QString path = file(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write a test file");
    return path;
}

std::string TempDir::read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace lomarind::test
