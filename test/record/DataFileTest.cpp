// The data file: layout, round trip, the three versions, and refusal of damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sys/stat.h>

#include "TempDir.h"
#include "record/DataFile.h"
#include "record/TextCodec.h"

using namespace korvex;

namespace {

/// A record with a distinct value in every stored field.
TestRecord filledRecord()
{
    TestRecord r;
    size_t count = 0;
    const StoredField* fields = storedFields(count);
    std::mt19937 rng(7);
    for (size_t i = 0; i < count; ++i) {
        const StoredField& f = fields[i];
        void* p = f.at(r);
        if (f.type == FieldType::Text) {
            storeText(static_cast<char*>(p), static_cast<size_t>(f.count), utf8ToCp936("样品A-" + std::to_string(i)));
        } else if (f.type == FieldType::I32) {
            for (int k = 0; k < f.count; ++k)
                static_cast<int32_t*>(p)[k] = static_cast<int32_t>(i % 2);
        } else {
            std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
            for (int k = 0; k < f.count; ++k)
                static_cast<float*>(p)[k] = dist(rng);
        }
    }
    r.currentTest = 4;
    r.cursorIndex = 123;
    r.energyCursor = 456;
    r.preheatEndIndex = 789;
    return r;
}

/// Compares the stored fields of two records bit for bit.
bool storedFieldsEqual(TestRecord& a, TestRecord& b)
{
    size_t count = 0;
    const StoredField* fields = storedFields(count);
    for (size_t i = 0; i < count; ++i)
        if (std::memcmp(fields[i].at(a), fields[i].at(b), fields[i].bytes()) != 0)
            return false;
    return true;
}

const StoredField& field(const char* name)
{
    size_t count = 0;
    const StoredField* fields = storedFields(count);
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(fields[i].name, name) == 0)
            return fields[i];
    throw std::runtime_error(name);
}

void putF32(std::vector<uint8_t>& image, long offset, float v)
{
    std::memcpy(image.data() + offset, &v, 4);
}
void putI32(std::vector<uint8_t>& image, long offset, int32_t v)
{
    std::memcpy(image.data() + offset, &v, 4);
}

std::vector<uint8_t> blankImage(DataVersion v)
{
    std::vector<uint8_t> image(sizeOf(v), 0);
    std::memcpy(image.data(), tagOf(v), 10);
    return image;
}

} // namespace

TEST(DataFileLayout, OffsetsAndSizesOfTheThreeVersions)
{
    EXPECT_EQ(encodeDataFile(TestRecord{}).size(), 23129u);
    const struct {
        const char* name;
        long v32, v31, v30;
    } expected[] = {
        {"currentTest", 10, 10, 10},
        {"thdCsa", 14, -1, -1},
        {"hasEnergyResult", 38, -1, -1},
        {"Urms", 42, 14, 14},
        {"THDUcsa", 78, -1, -1},
        {"Fin", 90, 50, 50},
        {"waveU", 122, 82, 82},
        {"pctI", 2522, 2482, 2482},
        {"Fout", 2682, 2642, 2642},
        {"waveIk", 5162, 5122, 5122},
        {"cursorIndex", 6014, 5974, 5974},
        {"waveStartIk", 9638, 9598, 9598},
        {"qPara", 10838, 10798, -1},
        {"preheatEndIndex", 10886, 10846, -1},
        {"waveEnergy", 18890, 18850, -1},
        {"wideBand", 22890, 22850, 10798},
        {"chinese", 22894, 22854, 10802},
        {"infoName", 22898, 22858, 10806},
        {"infoManufacturer", 23014, 22974, 10922},
        {"testDate", 23118, 23078, 11026},
    };
    for (const auto& e : expected) {
        const StoredField& f = field(e.name);
        EXPECT_EQ(fieldOffset(f, DataVersion::V32), e.v32) << e.name;
        EXPECT_EQ(fieldOffset(f, DataVersion::V31), e.v31) << e.name;
        EXPECT_EQ(fieldOffset(f, DataVersion::V30), e.v30) << e.name;
    }
    // The last field ends exactly at each version's length.
    const StoredField& last = field("testDate");
    EXPECT_EQ(fieldOffset(last, DataVersion::V31) + 11, 23089);
    EXPECT_EQ(fieldOffset(last, DataVersion::V30) + 11, 11037);
}

TEST(DataFileRoundTrip, SavedAndLoadedRecordIsBitForBitEqual)
{
    TempDir tmp;
    TestRecord original = filledRecord();
    original.Urms = -0.0f;
    original.Pin = std::numeric_limits<float>::quiet_NaN();
    original.Irms = std::numeric_limits<float>::infinity();
    ASSERT_TRUE(writeDataFile(tmp.file("a.kvx"), original).ok);
    EXPECT_EQ(TempDir::read(tmp.file("a.kvx")).size(), 23129u);

    TestRecord loaded;
    DataVersion version{};
    ASSERT_TRUE(readDataFile(tmp.file("a.kvx"), loaded, &version).ok);
    EXPECT_EQ(version, DataVersion::V32);
    EXPECT_TRUE(storedFieldsEqual(original, loaded));
    EXPECT_EQ(loaded.resultsShown, 1);
}

TEST(DataFileRoundTrip, ImageIsLittleEndianAtFixedOffsets)
{
    TestRecord r;
    r.Urms = 230.5f;
    r.currentTest = 3;
    storeText(r.testDate, "2007-3-9");
    const std::vector<uint8_t> image = encodeDataFile(r);
    EXPECT_EQ(std::memcmp(image.data(), "KORVEX-3.2", 10), 0);
    EXPECT_EQ(image[10], 3);
    float urms;
    std::memcpy(&urms, image.data() + 42, 4);
    EXPECT_EQ(urms, 230.5f);
    EXPECT_EQ(std::memcmp(image.data() + 23118, "2007-3-9\0\0\0", 11), 0);
}

TEST(DataFileVersions, Version32LoadsEveryFieldIncludingFlagsAndCsa)
{
    std::vector<uint8_t> image = blankImage(DataVersion::V32);
    putI32(image, 14, 1);         // thdCsa
    putI32(image, 18 + 4 * 4, 1); // hasStartResult
    putF32(image, 82, 12.5f);     // THDIcsa
    putF32(image, 10838, 8.0f);   // qPara
    putF32(image, 18890 + 4 * 999, 77.0f);
    TestRecord r;
    ASSERT_TRUE(decodeDataFile(image, r).ok);
    EXPECT_EQ(r.thdCsa, 1);
    EXPECT_EQ(r.hasStartResult, 1);
    EXPECT_EQ(r.THDIcsa, 12.5f);
    EXPECT_EQ(r.qPara, 8.0f);
    EXPECT_EQ(r.waveEnergy[999], 77.0f);
}

TEST(DataFileVersions, Version31SwitchesToIecAndKeepsTheResultFlags)
{
    std::vector<uint8_t> image = blankImage(DataVersion::V31);
    putF32(image, 14, 231.0f);       // Urms
    putF32(image, 50, 50.02f);       // Fin
    putF32(image, 10798, 6.5f);      // qPara
    putF32(image, 18850 + 4, 3.25f); // waveEnergy[1]
    putI32(image, 22854, 1);         // chinese
    std::memcpy(image.data() + 23078, "2009-12-1", 10);
    TestRecord r;
    r.thdCsa = 1;
    r.THDUcsa = r.THDIcsa = r.THDIwcsa = 9.0f;
    r.hasOutputResult = 1;
    DataVersion v{};
    ASSERT_TRUE(decodeDataFile(image, r, &v).ok);
    EXPECT_EQ(v, DataVersion::V31);
    EXPECT_EQ(r.Urms, 231.0f);
    EXPECT_EQ(r.Fin, 50.02f);
    EXPECT_EQ(r.qPara, 6.5f);
    EXPECT_EQ(r.waveEnergy[1], 3.25f);
    EXPECT_EQ(r.chinese, 1);
    EXPECT_STREQ(r.testDate, "2009-12-1");
    EXPECT_EQ(r.thdCsa, 0);
    EXPECT_EQ(r.THDUcsa, 0.0f);
    EXPECT_EQ(r.THDIcsa, 0.0f);
    EXPECT_EQ(r.THDIwcsa, 0.0f);
    EXPECT_EQ(r.hasOutputResult, 1); // a 3.1 file holds no flags
    EXPECT_EQ(r.resultsShown, 1);
}

TEST(DataFileVersions, Version30EmptiesTheEnergyCurvesButKeepsTheOtherEnergyValues)
{
    std::vector<uint8_t> image = blankImage(DataVersion::V30);
    putF32(image, 14, 220.0f); // Urms
    putI32(image, 10798, 1);   // wideBand
    std::memcpy(image.data() + 10806, "Lamp", 5);
    TestRecord r;
    r.qPara = 7.0f;
    r.pPara = 9.0f;
    r.preheatEnergy = 55.0f;
    r.waveFilamentU[10] = r.waveFilamentI[10] = r.waveEnergy[10] = 1.0f;
    ASSERT_TRUE(decodeDataFile(image, r).ok);
    EXPECT_EQ(r.Urms, 220.0f);
    EXPECT_EQ(r.wideBand, 1);
    EXPECT_STREQ(r.infoName, "Lamp");
    EXPECT_EQ(r.qPara, 7.0f);
    EXPECT_EQ(r.pPara, 9.0f);
    EXPECT_EQ(r.preheatEnergy, 55.0f);
    EXPECT_EQ(r.waveFilamentU[10], 0.0f);
    EXPECT_EQ(r.waveFilamentI[10], 0.0f);
    EXPECT_EQ(r.waveEnergy[10], 0.0f);
}

TEST(DataFileRefusal, TruncatedWrongTagAndGarbageChangeNothing)
{
    TestRecord before = filledRecord();
    const std::vector<uint8_t> good = encodeDataFile(filledRecord());

    std::vector<std::vector<uint8_t>> bad;
    bad.emplace_back(good.begin(), good.begin() + 23128); // one byte short
    bad.emplace_back(good.begin(), good.begin() + 5);     // shorter than the tag
    bad.emplace_back();                                   // empty
    std::vector<uint8_t> lower = good;
    std::memcpy(lower.data(), "korvex-3.2", 10);
    bad.push_back(lower);
    std::vector<uint8_t> version33 = good;
    std::memcpy(version33.data(), "KORVEX-3.3", 10);
    bad.push_back(version33);
    std::vector<uint8_t> short31 = blankImage(DataVersion::V31);
    short31.resize(23000);
    bad.push_back(short31);
    std::mt19937 rng(1);
    std::vector<uint8_t> garbage(23129);
    for (auto& b : garbage)
        b = static_cast<uint8_t>(rng());
    bad.push_back(garbage);

    for (const auto& image : bad) {
        TestRecord r = filledRecord();
        const Notice n = decodeDataFile(image, r);
        EXPECT_FALSE(n.ok);
        EXPECT_EQ(n.message, "数据文件格式错误!");
        EXPECT_EQ(n.caption, "警告");
        EXPECT_TRUE(storedFieldsEqual(r, before));
        EXPECT_EQ(r.resultsShown, 0);
    }
}

TEST(DataFileRefusal, MissingFileReportsOpenFailure)
{
    TempDir tmp;
    TestRecord r;
    const Notice n = readDataFile(tmp.file("nothing.kvx"), r);
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "打开数据文件失败!");
    EXPECT_EQ(n.caption, "警告");
}

TEST(DataFileRefusal, LongerFileIsAcceptedAndTheTailIgnored)
{
    std::vector<uint8_t> image = encodeDataFile(filledRecord());
    image.resize(30000, 0xAB);
    TestRecord r;
    EXPECT_TRUE(decodeDataFile(image, r).ok);
}

TEST(DataFileSanitizing, UnterminatedTextsAreCutAndIndexesBroughtIntoRange)
{
    std::vector<uint8_t> image = blankImage(DataVersion::V32);
    const std::string name = utf8ToCp936("一二三四五六七八九十一二三四五六"); // 32 bytes: fills all 31
    std::memcpy(image.data() + 22898, name.data(), 31);
    putI32(image, 10, 99);        // currentTest
    putI32(image, 6014, -5);      // cursorIndex
    putI32(image, 10882, 100000); // energyCursor
    putI32(image, 10886, -1);     // preheatEndIndex
    TestRecord r;
    ASSERT_TRUE(decodeDataFile(image, r).ok);
    EXPECT_EQ(std::strlen(r.infoName), 30u);
    EXPECT_EQ(fieldUtf8(r.infoName), "一二三四五六七八九十一二三四五");
    EXPECT_EQ(r.currentTest, 0);
    EXPECT_EQ(r.cursorIndex, 0);
    EXPECT_EQ(r.energyCursor, 999);
    EXPECT_EQ(r.preheatEndIndex, 0);
}

TEST(DataFileWriting, ReplacesAnExistingFileWhole)
{
    TempDir tmp;
    const std::string path = tmp.file("b.kvx");
    TempDir::write(path, std::string(40000, 'z'));
    ASSERT_TRUE(writeDataFile(path, filledRecord()).ok);
    EXPECT_EQ(TempDir::read(path).size(), 23129u); // no stale bytes after the record
}

// A write that stops part way, as on a full disk. A file size limit makes write() fail with
// EFBIG for root as for anyone, where folder permissions would not stop root.
TEST(DataFileWriting, WriteFailingPartWayLeavesTheExistingFileAndReports)
{
    TempDir tmp;
    const std::string path = tmp.file("c.kvx");
    TempDir::write(path, "old contents");
    Notice n;
    {
        const FileSizeLimit limit(4096); // the record needs 23129 bytes
        n = writeDataFile(path, filledRecord());
    }
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "存数据失败!");
    EXPECT_EQ(n.detail, path + ": File too large");
    EXPECT_EQ(TempDir::read(path), "old contents");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.dir())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "the partial temporary file was left behind";
}

TEST(DataFileWriting, FolderThatDoesNotExistReports)
{
    TempDir tmp;
    const Notice n = writeDataFile(tmp.file("no/such/folder/d.kvx"), TestRecord{});
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "存数据失败!");
    EXPECT_EQ(n.caption, "警告");
}

TEST(DataFileWriting, TargetThatCannotBeReplacedLeavesNoTemporaryFileBehind)
{
    TempDir tmp;
    const std::string path = tmp.file("folder.kvx");
    std::filesystem::create_directory(path); // a folder cannot be replaced by a file
    const Notice n = writeDataFile(path, filledRecord());
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "存数据失败!");
    EXPECT_TRUE(std::filesystem::is_directory(path));
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.dir())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}
