// The archive of tested ballasts on real files: the data file, the PDF and the day's CSV read
// back; two ballasts of one name kept apart; and folders that cannot be written (under a file,
// read-only, full), where the warning names the folder and what was there stays whole.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QGuiApplication>
#include <QtTest/QSignalSpy>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "PageTestData.h"
#include "app/canvas/Archive.h"
#include "app/canvas/PageFonts.h"
#include "record/DataFile.h"
#include "record/FileUtil.h"
#include "record/Spreadsheet.h"

namespace korvex {
namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char name[] = "korvex-test-pages";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* a = [] {
        auto* created = new QGuiApplication(argc, argv);
        installPageFonts();
        return created;
    }();
    return *a;
}

ArchiveItem ballast(const std::string& serial, BallastResult result)
{
    ArchiveItem item;
    resetAllResults(item.record);
    testdata::fillKnownInput(item.record);
    testdata::fillKnownOutput(item.record);
    item.kinds = {KindInput, KindOutput};
    item.verdict = judgeRecord(item.record, VerdictProfile{});
    item.result = result;
    item.serial = serial;
    item.type = "T8";
    item.endedAt = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 5));
    return item;
}

std::string bytesOf(const std::string& path)
{
    std::string b;
    return readWholeFile(path, b) ? b : std::string("(unreadable)");
}

std::string dataImage(const TestRecord& r)
{
    const std::vector<uint8_t> image = encodeDataFile(r);
    return std::string(image.begin(), image.end());
}

/// Pages of a PDF as pdfinfo counts them.
int pdfPages(const std::string& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {QString::fromStdString(path)});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

/// Every line of a CSV, each of which must end in CR LF (a torn last line fails the test).
std::vector<std::string> csvLines(const std::string& path)
{
    const std::string text = bytesOf(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without its end in " << path;
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

/// A tmpfs of its own: a folder that can really be made full or read-only.
struct SmallDisk {
    explicit SmallDisk(const char* options)
    {
        path = dir.path().toStdString() + "/disk";
        QDir().mkpath(QString::fromStdString(path));
        if (::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0)
            mounted = true;
        else
            why = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(path.c_str(), MNT_DETACH);
    }
    QTemporaryDir dir;
    std::string path, why;
    bool mounted = false;
};

/// Writes a first ballast into the folder; its files' paths and bytes.
std::vector<std::pair<std::string, std::string>> archiveFirst(const ArchiveSettings& settings)
{
    const ArchiveReport first = writeArchive(ballast("SN1", BallastResult::Pass), settings);
    EXPECT_TRUE(first.ok) << first.error;
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& p : first.written)
        files.emplace_back(p, bytesOf(p));
    return files;
}

#define REQUIRE_MOUNT(disk)                                                                                            \
    if (!(disk).mounted)                                                                                               \
    GTEST_SKIP() << "mounting a tmpfs is not permitted here (" << (disk).why                                           \
                 << "): the full and read-only folders need root with CAP_SYS_ADMIN"

} // namespace

TEST(Archive, ballastFilesReadBackAndTwoBallastsOfOneNameKeptApart)
{
    app();
    QTemporaryDir temp;
    const ArchiveSettings settings{temp.path().toStdString() + "/archive", kDefaultArchivePattern};
    const ArchiveItem item = ballast("SN 7/A", BallastResult::Fail);

    const ArchiveReport first = writeArchive(item, settings);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_TRUE(first.warning.empty()) << first.warning;
    const std::string day = settings.folder + "/2024-05-01/";
    const std::string csv = settings.folder + "/2024-05-01.csv";
    EXPECT_EQ(first.written, (std::vector<std::string>{day + "SN 7_A_fail.kvx", day + "SN 7_A_fail.pdf", csv}));

    // The data file is the record as every data file stores it, and loads back.
    EXPECT_EQ(bytesOf(day + "SN 7_A_fail.kvx"), dataImage(item.record));
    TestRecord loaded;
    EXPECT_TRUE(readDataFile(day + "SN 7_A_fail.kvx", loaded).ok);
    EXPECT_EQ(dataImage(loaded), dataImage(item.record));
    // The plan's two pages and the verdict sheet.
    EXPECT_EQ(pdfPages(day + "SN 7_A_fail.pdf"), 3);

    // The same serial and verdict again that day: a name of its own, nothing replaced.
    const std::string pdfBefore = bytesOf(day + "SN 7_A_fail.pdf");
    const ArchiveReport second = writeArchive(item, settings);
    ASSERT_TRUE(second.ok) << second.error;
    EXPECT_EQ(second.written[0], day + "SN 7_A_fail_2.kvx");
    EXPECT_EQ(second.written[1], day + "SN 7_A_fail_2.pdf");
    EXPECT_EQ(bytesOf(day + "SN 7_A_fail.pdf"), pdfBefore);

    // The day's CSV: the title once, then one line per ballast, both whole.
    const std::string line = spreadsheetValueLine(item.record);
    EXPECT_EQ(csvLines(csv), (std::vector<std::string>{spreadsheetTitleLine(), line, line}));

    // A CSV whose last line was cut off (a crash mid-write) gets its line end before the next.
    {
        QFile f(QString::fromStdString(csv));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("1,2,3");
    }
    const ArchiveReport third = writeArchive(ballast("SN8", BallastResult::Pass), settings);
    ASSERT_TRUE(third.ok) << third.error;
    EXPECT_NE(third.warning.find("2024-05-01.csv"), std::string::npos) << third.warning;
    EXPECT_EQ(csvLines(csv), (std::vector<std::string>{spreadsheetTitleLine(), line, line, "1,2,3", line}));
}

TEST(Archive, writerReportsOffTheCallersThreadAndNamesAFolderThatCannotBeMade)
{
    app();
    QTemporaryDir temp;
    // A folder below a regular file cannot be made, whoever runs the test (root included).
    const std::string file = temp.path().toStdString() + "/not-a-folder";
    ASSERT_TRUE(replaceFileAtomically(file, "x"));
    const ArchiveSettings good{temp.path().toStdString() + "/archive", "{serial}"};
    const ArchiveSettings bad{file + "/archive", kDefaultArchivePattern};

    ArchiveWriter writer;
    QSignalSpy done(&writer, &ArchiveWriter::done);
    QSignalSpy failed(&writer, &ArchiveWriter::failed);
    writer.enqueue(ballast("SN1", BallastResult::Pass), good);
    writer.enqueue(ballast("SN2", BallastResult::Fail), bad);
    EXPECT_EQ(writer.pending(), 2);
    ASSERT_TRUE(failed.wait(60000));
    ASSERT_EQ(done.size(), 1); // in the order queued
    EXPECT_EQ(writer.pending(), 0);
    EXPECT_EQ(done[0][0].toStringList().size(), 3);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(good.folder + "/SN1.pdf")));

    EXPECT_EQ(failed[0][0].toString().toStdString(), bad.folder);
    const std::string reason = failed[0][1].toString().toStdString();
    EXPECT_EQ(reason.rfind(bad.folder + ": not written: 2024-05-01/SN2_fail.kvx (cannot make the folder", 0), 0)
        << reason;
    EXPECT_NE(reason.find("SN2_fail.pdf"), std::string::npos) << reason;
    EXPECT_NE(reason.find("the line of SN2 in 2024-05-01.csv"), std::string::npos) << reason;
}

TEST(Archive, readOnlyFolderNamedAndEarlierFilesWhole)
{
    app();
    SmallDisk disk("size=1m");
    REQUIRE_MOUNT(disk);
    const ArchiveSettings settings{disk.path, kDefaultArchivePattern};
    const auto before = archiveFirst(settings);
    ASSERT_EQ(before.size(), 3u);

    ASSERT_EQ(::mount(nullptr, disk.path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    const ArchiveReport second = writeArchive(ballast("SN2", BallastResult::Pass), settings);
    EXPECT_FALSE(second.ok);
    EXPECT_TRUE(second.written.empty());
    EXPECT_EQ(second.error, disk.path + ": not written: 2024-05-01/SN2_pass.kvx (Read-only file system), "
                                        "2024-05-01/SN2_pass.pdf (Read-only file system), the line of SN2 in "
                                        "2024-05-01.csv (Read-only file system)");
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(bytesOf(path), bytes) << path;
}

TEST(Archive, fullFolderNamedAndNoLineTornOrLost)
{
    app();
    SmallDisk disk("size=512k");
    REQUIRE_MOUNT(disk);
    const ArchiveSettings settings{disk.path, kDefaultArchivePattern};
    const auto before = archiveFirst(settings);
    ASSERT_EQ(before.size(), 3u);

    // Fill the disk to the last byte.
    {
        const int fd = ::open((disk.path + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        char one = 'x';
        while (::write(fd, &one, 1) > 0) {
        }
        ::close(fd);
    }
    // Ballast after ballast: neither file fits; their lines fill what is left of the CSV's last
    // block until one no longer fits whole. Each failure names the folder, and the CSV holds
    // exactly the lines reported written, every one of them whole.
    const std::string csv = disk.path + "/2024-05-01.csv";
    const std::string line = spreadsheetValueLine(ballast("SN", BallastResult::Pass).record);
    size_t lines = 1;
    bool csvFailed = false;
    for (int i = 2; i < 40 && !csvFailed; ++i) {
        const std::string serial = "SN" + std::to_string(i);
        const ArchiveReport r = writeArchive(ballast(serial, BallastResult::Pass), settings);
        ASSERT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind(disk.path + ": not written: 2024-05-01/" + serial + "_pass.kvx (No space left", 0), 0)
            << r.error;
        csvFailed = r.error.find("the line of " + serial + " in 2024-05-01.csv (No space left") != std::string::npos;
        lines += csvFailed ? 0 : 1;
        EXPECT_EQ(r.written, csvFailed ? std::vector<std::string>{} : std::vector<std::string>{csv});
        std::vector<std::string> expected{spreadsheetTitleLine()};
        expected.insert(expected.end(), lines, line);
        ASSERT_EQ(csvLines(csv), expected);
    }
    EXPECT_TRUE(csvFailed) << "the CSV never filled its last block";
    for (size_t i = 0; i < 2; ++i) // the data file and the PDF; the CSV has grown
        EXPECT_EQ(bytesOf(before[i].first), before[i].second) << before[i].first;
}

} // namespace korvex
