#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>
#include <string_view>

namespace lomarind::test {

// A real temporary folder, removed with everything in it when the test ends.
class TempDir {
  public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    // Writes bytes to a file in the folder and returns its path.
    QString write(const QString& name, std::string_view bytes) const;
    static std::string read(const QString& path);

  private:
    QTemporaryDir dir_;
};

} // namespace lomarind::test
