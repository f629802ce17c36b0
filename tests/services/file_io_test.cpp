#include "fail_device.h"
#include "services/file_io.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using lomarind::read_file_text;
using lomarind::replace_file;
using lomarind::test::FailDevice;
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

TEST(ReplaceFile, AShortOrFailingWriteNeverReplacesTheTarget) {
    struct Case {
        const char* name;
        qint64 fail_after; // bytes the device takes before its writes fail
        qint64 piece;      // the most one write takes
        bool replaced;
    };
    constexpr qint64 ALL = qint64{1} << 40;
    const Case cases[] = {
        {"short writes that add up", ALL, 4093, true},
        {"one byte a write", ALL, 1, true},
        {"fails part way", 70'000, ALL, false},
        {"fails part way in short writes", 70'000, 4093, false},
        {"fails at once", 0, ALL, false},
    };
    const std::string bytes(100'000, 'n');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = dir.write(QStringLiteral("result.txt"), "previous result");
        FailDevice<QSaveFile> file(c.fail_after, c.piece, path);
        EXPECT_EQ(replace_file(file, bytes), c.replaced);
        EXPECT_EQ(TempDir::read(path), c.replaced ? bytes : "previous result");
        EXPECT_EQ(file.failed_writes() > 0, !c.replaced);
        EXPECT_EQ(names_in(dir.path()), std::vector<QString>{QStringLiteral("result.txt")});
    }
}

// Whether this process can create a file in `dir` (root can, whatever the mode bits say).
bool can_create_in(const QString& dir) {
    QFile probe(QDir(dir).filePath(QStringLiteral(".probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

// Runs this one test again as the unprivileged user `nobody`, from a copy of this program that
// user may execute; false when the privileges cannot be dropped here.
bool rerun_as_nobody(const char* test_name, QString* output) {
    TempDir copy_dir;
    const QString copy = copy_dir.file(QStringLiteral("tests"));
    if (!QFile::copy(QCoreApplication::applicationFilePath(), copy))
        return false;
    const auto all_read = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto all_exec = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QFile::setPermissions(copy_dir.path(), all_read | all_exec | QFileDevice::WriteOwner);
    QFile::setPermissions(copy, all_read | all_exec);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                 QStringLiteral("--clear-groups"), copy,
                 QStringLiteral("--gtest_filter=") + QString::fromUtf8(test_name)});
    if (!child.waitForFinished(60'000))
        return false;
    *output = QString::fromLocal8Bit(child.readAll());
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
           output->contains(QStringLiteral("[  PASSED  ] 1 test"));
}

// An administrator's set-up: the program's folder is closed to the user, the result file in it
// is open to the user. No temporary file can be made beside it, so it is rewritten in place; a
// read-only file there is still refused and left as it was.
TEST(ReplaceFile, RewritesInPlaceAWritableFileInAFolderClosedToTheUser) {
    if (::geteuid() == 0) {
        QString output;
        if (rerun_as_nobody("ReplaceFile.RewritesInPlaceAWritableFileInAFolderClosedToTheUser",
                            &output))
            return;
        if (qEnvironmentVariable("CI") == QStringLiteral("true") || !output.isEmpty())
            FAIL() << "as nobody:\n" << output.toStdString();
        GTEST_SKIP() << "cannot drop privileges with setpriv here";
    }
    TempDir dir;
    const QString result =
        dir.write(QStringLiteral("网址收录查询结果.txt"), "old and longer bytes");
    const QString readonly = dir.write(QStringLiteral("readonly.txt"), "kept");
    ASSERT_TRUE(QFile::setPermissions(readonly, QFileDevice::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ASSERT_FALSE(can_create_in(dir.path()));

    EXPECT_TRUE(replace_file(result, "new\r\n"));
    EXPECT_EQ(TempDir::read(result), "new\r\n");
    EXPECT_FALSE(replace_file(readonly, "new"));
    EXPECT_EQ(TempDir::read(readonly), "kept");
    EXPECT_FALSE(replace_file(dir.file(QStringLiteral("not there yet.txt")), "new"));
    EXPECT_EQ(names_in(dir.path()), (std::vector<QString>{QStringLiteral("readonly.txt"),
                                                          QStringLiteral("网址收录查询结果.txt")}));

    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(ReadFileText, GivesTheBytesUpToTheEndOfTheTextOrNothing) {
    TempDir dir;
    const std::string whole = std::string(100'000, 'a') + "\xFF\r\n";
    EXPECT_EQ(read_file_text(dir.write(QStringLiteral("whole.txt"), whole)), whole);
    const std::string_view with_zero("a\0b\xFF\r\n", 6);
    EXPECT_EQ(read_file_text(dir.write(QStringLiteral("f.txt"), with_zero)), "a");
    // A zero past the first piece; in UTF-16 only a zero character ends the text.
    const std::string late = std::string(70'000, 'b') + '\0' + "c.com";
    EXPECT_EQ(read_file_text(dir.write(QStringLiteral("late.txt"), late)),
              std::string(70'000, 'b'));
    const std::string_view utf16("\xFF\xFEx\0.\0\0\0y\0", 10);
    EXPECT_EQ(read_file_text(dir.write(QStringLiteral("utf16.txt"), utf16)), utf16.substr(0, 6));
    EXPECT_EQ(read_file_text(dir.write(QStringLiteral("empty.txt"), "")), "");
    EXPECT_EQ(read_file_text(dir.file(QStringLiteral("missing.txt"))), "");
    EXPECT_EQ(read_file_text(dir.path()), "");
    // Nothing but plain files: a device or a FIFO could block or never end.
    EXPECT_EQ(read_file_text(QStringLiteral("/dev/zero")), "");
    const QString fifo = dir.file(QStringLiteral("fifo.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(read_file_text(fifo), "");
    EXPECT_EQ(read_file_text(QString()), "");
}

} // namespace
