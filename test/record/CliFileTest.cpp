// korvex-cli dump, export, report and render run as a user would, on files the test writes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>

#include "TempDir.h"
#include "record/DataFile.h"
#include "record/Spreadsheet.h"
#include "record/TextCodec.h"

using namespace korvex;

namespace {

struct Result {
    int status = -1;
    std::string out;
};

/// Runs korvex-cli with the arguments; stdout is captured, stderr goes to the given file.
Result runCli(const std::string& args, const std::string& errFile = "/dev/null")
{
    Result r;
    const std::string cmd = std::string(KORVEX_CLI) + " " + args + " 2>" + errFile;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int rc = ::pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

TestRecord sampleRecord()
{
    TestRecord r;
    resetAllResults(r);
    r.currentTest = 1;
    r.hasInputResult = 1;
    r.Urms = 229.87f;
    r.PF = 0.9876f;
    r.waveU[3] = 0.1f;
    storeText(r.infoName, utf8ToCp936("电子镇流器 \"A\""));
    storeText(r.testDate, "2026-12-7");
    return r;
}

} // namespace

TEST(CliDump, PrintsEveryStoredFieldAsJson)
{
    TempDir tmp;
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), sampleRecord()).ok);
    const Result res = runCli(tmp.file("a.kvx").insert(0, "dump "));
    ASSERT_EQ(res.status, 0);
    EXPECT_NE(res.out.find("\"version\": \"KORVEX-3.2\""), std::string::npos);
    EXPECT_NE(res.out.find("\"Urms\": 229.87,"), std::string::npos);
    EXPECT_NE(res.out.find("\"PF\": 0.9876,"), std::string::npos);
    EXPECT_NE(res.out.find("\"hasInputResult\": 1,"), std::string::npos);
    EXPECT_NE(res.out.find("\"infoName\": \"电子镇流器 \\\"A\\\"\""), std::string::npos);
    EXPECT_NE(res.out.find("\"waveU\": [0,0,0,0.1,0"), std::string::npos);
    EXPECT_NE(res.out.find("\"testDate\": \"2026-12-7\""), std::string::npos);
}

TEST(CliDump, NonFiniteFloatsAreStrings)
{
    TempDir tmp;
    TestRecord r = sampleRecord();
    r.Pin = std::numeric_limits<float>::quiet_NaN();
    r.Irms = -std::numeric_limits<float>::infinity();
    ASSERT_TRUE(writeDataFile(tmp.file("n.kvx"), r).ok);
    const Result res = runCli("dump " + tmp.file("n.kvx"));
    ASSERT_EQ(res.status, 0);
    EXPECT_NE(res.out.find("\"Pin\": \"NaN\""), std::string::npos);
    EXPECT_NE(res.out.find("\"Irms\": \"-Infinity\""), std::string::npos);
}

TEST(CliDump, OlderVersionListsOnlyItsFields)
{
    TempDir tmp;
    std::string image(11037, '\0');
    std::memcpy(image.data(), "KORVEX-3.0", 10);
    TempDir::write(tmp.file("old.kvx"), image);
    const Result res = runCli("dump " + tmp.file("old.kvx"));
    ASSERT_EQ(res.status, 0);
    EXPECT_NE(res.out.find("\"version\": \"KORVEX-3.0\""), std::string::npos);
    EXPECT_EQ(res.out.find("\"thdCsa\""), std::string::npos);
    EXPECT_EQ(res.out.find("\"qPara\""), std::string::npos);
    EXPECT_NE(res.out.find("\"wideBand\": 0"), std::string::npos);
}

TEST(CliRefusal, BadFilesExitWithStatusTwoAndNameTheFile)
{
    TempDir tmp;
    TempDir::write(tmp.file("tag.kvx"), std::string("KORVEX-9.9") + std::string(23119, '\0'));
    const std::string good = TempDir::read((writeDataFile(tmp.file("g.kvx"), sampleRecord()), tmp.file("g.kvx")));
    TempDir::write(tmp.file("short.kvx"), good.substr(0, 20000));
    for (const char* name : {"tag.kvx", "short.kvx", "missing.kvx"}) {
        const Result res = runCli("dump " + tmp.file(name), tmp.file("err.txt"));
        EXPECT_EQ(res.status, 2) << name;
        EXPECT_TRUE(res.out.empty());
        EXPECT_NE(TempDir::read(tmp.file("err.txt")).find(name), std::string::npos);
    }
}

TEST(CliExport, OneFileIsByteForByteTheWindowsExport)
{
    TempDir tmp;
    const TestRecord r = sampleRecord();
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), r).ok);
    ASSERT_TRUE(exportSpreadsheet(tmp.file("window.csv"), r).ok);
    const Result res = runCli("export " + tmp.file("a.kvx") + " -o " + tmp.file("cli.csv"));
    ASSERT_EQ(res.status, 0);
    EXPECT_EQ(TempDir::read(tmp.file("cli.csv")), TempDir::read(tmp.file("window.csv")));
    EXPECT_EQ(runCli("export " + tmp.file("a.kvx")).out, TempDir::read(tmp.file("window.csv")));
}

TEST(CliExport, ManyFilesGiveOneValueLineEachInOrder)
{
    TempDir tmp;
    TestRecord a = sampleRecord(), b = sampleRecord();
    b.Urms = 120.0f;
    writeDataFile(tmp.file("a.kvx"), a);
    writeDataFile(tmp.file("b.kvx"), b);
    const Result res = runCli("export " + tmp.file("b.kvx") + " " + tmp.file("a.kvx"));
    ASSERT_EQ(res.status, 0);
    EXPECT_EQ(res.out,
              spreadsheetTitleLine() + "\r\n" + spreadsheetValueLine(b) + "\r\n" + spreadsheetValueLine(a) + "\r\n");
}

TEST(CliExport, OneBadFileWritesNothingAndLeavesTheOutputAlone)
{
    TempDir tmp;
    writeDataFile(tmp.file("a.kvx"), sampleRecord());
    TempDir::write(tmp.file("bad.kvx"), "garbage");
    TempDir::write(tmp.file("out.csv"), "previous");
    const Result res = runCli("export " + tmp.file("a.kvx") + " " + tmp.file("bad.kvx") + " -o " + tmp.file("out.csv"));
    EXPECT_EQ(res.status, 2);
    EXPECT_EQ(TempDir::read(tmp.file("out.csv")), "previous");
}

TEST(CliHelp, EveryCommandHasHelp)
{
    EXPECT_EQ(runCli("--help").status, 0);
    EXPECT_EQ(runCli("dump --help").status, 0);
    EXPECT_EQ(runCli("export --help").status, 0);
    EXPECT_EQ(runCli("nonsense").status, 1);
}

// ---- PDF and PNG outputs ----------------------------------------------------------------------

namespace {

/// The files in a folder (to see that no temporary file was left behind).
size_t entriesIn(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

/// The record as a version 3.1 image (no CSA values, no result flags).
std::string version31Image(const TestRecord& r)
{
    TestRecord copy = r;
    std::string image(sizeOf(DataVersion::V31), '\0');
    std::memcpy(image.data(), "KORVEX-3.1", 10);
    size_t count = 0;
    const StoredField* fields = storedFields(count);
    for (size_t i = 0; i < count; ++i) {
        const long at = fieldOffset(fields[i], DataVersion::V31);
        if (at > 0)
            std::memcpy(image.data() + at, fields[i].at(copy), fields[i].bytes());
    }
    return image;
}

} // namespace

TEST(CliOutputs, AFullDiskLeavesTheOldPdfAndPngAsTheyWereAndExits2)
{
    TempDir tmp;
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), sampleRecord()).ok);
    const std::string pdf = tmp.file("a.pdf"), png = tmp.file("a.png");
    ASSERT_EQ(runCli("report " + tmp.file("a.kvx") + " --pdf " + pdf).status, 0);
    ASSERT_EQ(runCli("render " + tmp.file("a.kvx") + " --png " + png).status, 0);
    const std::string oldPdf = TempDir::read(pdf), oldPng = TempDir::read(png);
    ASSERT_GT(oldPdf.size(), 4096u);
    ASSERT_GT(oldPng.size(), 4096u);
    const size_t before = entriesIn(tmp.dir());

    // Files may grow to 2 KiB only (ulimit -f counts 512-byte blocks in sh): a full disk.
    const std::string full = "ulimit -f 4; trap '' XFSZ; ";
    auto limited = [&](const std::string& args) {
        const std::string cmd = full + KORVEX_CLI + " " + args + " 2>" + tmp.file("err.txt");
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    EXPECT_EQ(limited("report " + tmp.file("a.kvx") + " --pdf " + pdf), 2);
    EXPECT_NE(TempDir::read(tmp.file("err.txt")).find("a.pdf"), std::string::npos);
    EXPECT_EQ(limited("render " + tmp.file("a.kvx") + " --png " + png), 2);
    EXPECT_EQ(TempDir::read(pdf), oldPdf);
    EXPECT_EQ(TempDir::read(png), oldPng);
    EXPECT_EQ(entriesIn(tmp.dir()), before + 1); // err.txt, and no temporary file
}

TEST(CliOutputs, EveryFailedWriteNamesTheFileAndTheReason)
{
    TempDir tmp;
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), sampleRecord()).ok);
    const std::string err = tmp.file("err.txt");
    const std::string missing = tmp.file("no-folder/out.csv");
    EXPECT_EQ(runCli("export " + tmp.file("a.kvx") + " -o " + missing, err).status, 2);
    EXPECT_EQ(TempDir::read(err), "korvex-cli export: cannot write " + missing + ": No such file or directory\n");
    // A full disk for the data file (files may grow to 2 KiB), a missing folder for the CSV.
    const std::string cmd = "ulimit -f 4; trap '' XFSZ; " + std::string(KORVEX_CLI) + " run input --port sim --save " +
                            tmp.file("r.kvx") + " --csv " + missing + " >/dev/null 2>" + err;
    const int rc = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 2);
    const std::string text = TempDir::read(err);
    EXPECT_NE(text.find("korvex-cli run: cannot write the data file " + tmp.file("r.kvx") + ": File too large"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("korvex-cli run: cannot write " + missing + ": No such file or directory"), std::string::npos)
        << text;
}

TEST(CliOutputs, ADeviceAsTheTargetIsWrittenIntoNotReplaced)
{
    TempDir tmp;
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), sampleRecord()).ok);
    EXPECT_EQ(runCli("report " + tmp.file("a.kvx") + " --pdf /dev/full").status, 2);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_EQ(runCli("render " + tmp.file("a.kvx") + " --png /dev/null").status, 0);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(CliReport, NothingToPrintIsStatus2AndAnOldFilePrintsItsCurrentPage)
{
    TempDir tmp;
    TestRecord none = sampleRecord();
    none.hasInputResult = 0;
    ASSERT_TRUE(writeDataFile(tmp.file("none.kvx"), none).ok);
    EXPECT_EQ(runCli("report " + tmp.file("none.kvx") + " --pdf " + tmp.file("none.pdf")).status, 2);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("none.pdf")));

    // A 3.1 file keeps no result flags: its current page (input) is the page to print.
    TempDir::write(tmp.file("old.kvx"), version31Image(sampleRecord()));
    ASSERT_EQ(runCli("report " + tmp.file("old.kvx") + " --pdf " + tmp.file("old.pdf")).status, 0);
    EXPECT_EQ(TempDir::read(tmp.file("old.pdf")).rfind("%PDF", 0), 0u);
    EXPECT_EQ(runCli("report " + tmp.file("old.kvx") + " --pages all --pdf " + tmp.file("all.pdf")).status, 2);
}
