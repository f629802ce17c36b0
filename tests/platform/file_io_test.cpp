#include "platform/file_io.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using lomarind::read_whole_file;
using lomarind::replace_file;
using lomarind::test::TempDir;

namespace {

std::vector<QString> names_in(const QString& dir) {
    std::vector<QString> names;
    for (const QString& n : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.push_back(n);
    return names;
}

TEST(ReplaceFile, WritesExactlyTheBytesWhetherLongerOrShorterThanBefore) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("网址收录查询结果.txt"));
    const std::string long_bytes(100'000, 'x');
    const std::string short_bytes("\xCB\xF9\r\nshort\r\n", 11);

    ASSERT_TRUE(replace_file(path, long_bytes));
    EXPECT_EQ(TempDir::read(path), long_bytes);
    ASSERT_TRUE(replace_file(path, short_bytes));
    EXPECT_EQ(TempDir::read(path), short_bytes); // no old bytes left at the end
    ASSERT_TRUE(replace_file(path, ""));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(TempDir::read(path), "");
    // Nothing but the target is left in the folder: no temporary files.
    EXPECT_EQ(names_in(dir.path()), std::vector<QString>{QStringLiteral("网址收录查询结果.txt")});
}

TEST(ReplaceFile, FailsWithoutTouchingAnything) {
    TempDir dir;
    const QString readonly = dir.write(QStringLiteral("readonly.txt"), "previous result");
    ASSERT_TRUE(QFile::setPermissions(readonly, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    QDir(dir.path()).mkdir(QStringLiteral("a folder"));

    EXPECT_FALSE(replace_file(readonly, "new"));
    EXPECT_EQ(TempDir::read(readonly), "previous result");
    EXPECT_FALSE(replace_file(dir.file(QStringLiteral("missing/x.txt")), "new"));
    EXPECT_FALSE(replace_file(dir.file(QStringLiteral("a folder")), "new"));
    EXPECT_FALSE(replace_file(QString(), "new"));

    const auto names = names_in(dir.path());
    EXPECT_EQ(names, std::vector<QString>{QStringLiteral("readonly.txt")});
}

TEST(ReadWholeFile, GivesTheBytesOrNothing) {
    TempDir dir;
    std::string with_zero("a\0b\xFF\r\n", 6);
    EXPECT_EQ(read_whole_file(dir.write(QStringLiteral("f.txt"), with_zero)), with_zero);
    EXPECT_EQ(read_whole_file(dir.write(QStringLiteral("empty.txt"), "")), "");
    EXPECT_EQ(read_whole_file(dir.file(QStringLiteral("missing.txt"))), "");
    EXPECT_EQ(read_whole_file(dir.path()), "");
    EXPECT_EQ(read_whole_file(QString()), "");
}

} // namespace
