// The configuration file: defaults, key lookup, values bounded to their fields, save.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "TempDir.h"
#include "record/Configuration.h"
#include "record/TextCodec.h"

using namespace korvex;

namespace {

const char* kDefaultFile =
    "\r\n[Port]\r\nCOM1\r\n[Chinese]\r\n1\r\n[WideFreq]\r\n0\r\n[ThdType]\r\n0\r\n[QPara]\r\n7.0\r\n"
    "[PPara]\r\n9.0\r\n[FPara]\r\n1.5\r\n[Name]\r\n\r\n[No]\r\n1\r\n[Type]\r\n\r\n[Spec]\r\n\r\n"
    "[Tempture]\r\n25\r\n[Humidity]\r\n75\r\n[Manuf]\r\nTarvane\r\n[Operator]\r\n\r\n[ColorTemp]\r\n\r\n"
    "[Liumin]\r\n\r\n[End]\r\n";

struct Loaded {
    Configuration cfg;
    TestRecord r;
    Settings s;
};

void loadFrom(const TempDir& tmp, Loaded& l)
{
    loadConfiguration(tmp.dir(), l.cfg, l.r, l.s);
}

} // namespace

TEST(ConfigurationFirstStart, WritesTheDefaultFileAndUsesItsValues)
{
    TempDir tmp;
    Loaded l;
    loadFrom(tmp, l);
    EXPECT_EQ(TempDir::read(tmp.file("KORVEX.cfg")), kDefaultFile);
    EXPECT_EQ(Configuration::defaultLines().size(), 36u);
    EXPECT_STREQ(l.s.portName, "COM1");
    EXPECT_EQ(l.r.chinese, 1);
    EXPECT_EQ(l.r.wideBand, 0);
    EXPECT_EQ(l.r.thdCsa, 0);
    EXPECT_EQ(l.r.qPara, 7.0f);
    EXPECT_EQ(l.r.pPara, 9.0f);
    EXPECT_EQ(l.r.fPara, 1.5f);
    EXPECT_STREQ(l.r.infoNo, "1");
    EXPECT_STREQ(l.r.infoTemperature, "25");
    EXPECT_STREQ(l.r.infoHumidity, "75");
    EXPECT_STREQ(l.r.infoManufacturer, "Tarvane");
    EXPECT_STREQ(l.r.infoName, "");
}

TEST(ConfigurationSave, FilamentValuesInShortestFormOtherLinesUnchanged)
{
    TempDir tmp;
    Loaded l;
    loadFrom(tmp, l);
    ASSERT_TRUE(saveConfiguration(tmp.dir(), l.cfg, l.r, l.s).ok);
    std::string expected = kDefaultFile;
    expected.replace(expected.find("7.0"), 3, "7");
    expected.replace(expected.find("9.0"), 3, "9");
    EXPECT_EQ(TempDir::read(tmp.file("KORVEX.cfg")), expected);
}

TEST(ConfigurationSave, ChangedValuesGoBackToTheirLines)
{
    TempDir tmp;
    Loaded l;
    loadFrom(tmp, l);
    storeText(l.s.portName, "COM3");
    l.r.chinese = 0;
    l.r.wideBand = 1;
    l.r.thdCsa = 1;
    l.r.qPara = 6.25f;
    storeText(l.r.infoOperator, utf8ToCp936("张三"));
    ASSERT_TRUE(saveConfiguration(tmp.dir(), l.cfg, l.r, l.s).ok);

    Loaded again;
    loadFrom(tmp, again);
    EXPECT_STREQ(again.s.portName, "COM3");
    EXPECT_EQ(again.r.chinese, 0);
    EXPECT_EQ(again.r.wideBand, 1);
    EXPECT_EQ(again.r.thdCsa, 1);
    EXPECT_EQ(again.r.qPara, 6.25f);
    EXPECT_EQ(fieldUtf8(again.r.infoOperator), "张三");
    // The file holds code page 936 bytes.
    EXPECT_NE(TempDir::read(tmp.file("KORVEX.cfg")).find(utf8ToCp936("张三") + "\r\n"), std::string::npos);
}

TEST(ConfigurationLookup, KeyIsASubstringOfTheFirstMatchingLine)
{
    Configuration cfg;
    cfg.setLines({"", "[Name]", "lamp [No] 5", "[No]", "42"});
    EXPECT_EQ(cfg.findConfigLine("[No]"), 2);
    EXPECT_EQ(cfg.value("[No]"), "[No]");
    EXPECT_EQ(cfg.findConfigLine("[Port]"), -1);
    EXPECT_EQ(cfg.value("[Port]"), ""); // a missing key reads line 0
    cfg.setValue("[Port]", "COM2");     // and writes line 0
    EXPECT_EQ(cfg.line(0), "COM2");
    EXPECT_EQ(cfg.line(99), "");
    cfg.setLine(99, "ignored");
    EXPECT_EQ(cfg.lines().size(), 5u);
}

TEST(ConfigurationLookup, KeyOnTheLastLineHasAnEmptyValue)
{
    Configuration cfg;
    cfg.setLines({"[Port]"});
    EXPECT_EQ(cfg.value("[Port]"), "");
    cfg.setValue("[Port]", "COM4"); // past the end: nothing changes
    EXPECT_EQ(cfg.lines().size(), 1u);
}

TEST(ConfigurationFlags, OnlyALeadingOneCounts)
{
    TempDir tmp;
    TempDir::write(tmp.file("KORVEX.cfg"), "[Chinese]\r\n10\r\n[WideFreq]\r\n01\r\n[ThdType]\r\nyes\r\n");
    Loaded l;
    loadFrom(tmp, l);
    EXPECT_EQ(l.r.chinese, 1);
    EXPECT_EQ(l.r.wideBand, 0);
    EXPECT_EQ(l.r.thdCsa, 0);
}

TEST(ConfigurationValues, NonNumberFilamentValueKeepsThePreviousOne)
{
    TempDir tmp;
    TempDir::write(tmp.file("KORVEX.cfg"), "[QPara]\r\nseven\r\n[PPara]\r\n8.5\r\n[FPara]\r\n\r\n");
    Loaded l;
    l.r.qPara = 7.0f;
    l.r.fPara = 1.5f;
    loadFrom(tmp, l);
    EXPECT_EQ(l.r.qPara, 7.0f);
    EXPECT_EQ(l.r.pPara, 8.5f);
    EXPECT_EQ(l.r.fPara, 1.5f);
}

TEST(ConfigurationValues, UnreadableOrOutOfRangeFilamentValuesTakeTheDefaults)
{
    // Beyond a single float's range, not a number, empty or missing: 7, 9 and 1.5 as in the
    // default file, never infinity and never 0.
    const char* files[] = {
        "[QPara]\r\n3.5e38\r\n[PPara]\r\n1e39\r\n[FPara]\r\n-1e300\r\n",
        "[QPara]\r\nseven\r\n[PPara]\r\n\r\n[FPara]\r\n1.5.1\r\n",
        "[Port]\r\nCOM2\r\n",
    };
    for (const char* text : files) {
        TempDir tmp;
        TempDir::write(tmp.file("KORVEX.cfg"), text);
        Loaded l;
        loadFrom(tmp, l);
        EXPECT_EQ(l.r.qPara, 7.0f) << text;
        EXPECT_EQ(l.r.pPara, 9.0f) << text;
        EXPECT_EQ(l.r.fPara, 1.5f) << text;
    }
    TempDir tmp;
    TempDir::write(tmp.file("KORVEX.cfg"), "[QPara]\r\n3.4e38\r\n[PPara]\r\n-2\r\n[FPara]\r\n0\r\n");
    Loaded l;
    loadFrom(tmp, l);
    EXPECT_EQ(l.r.qPara, 3.4e38f);
    EXPECT_EQ(l.r.pPara, -2.0f);
    EXPECT_EQ(l.r.fPara, 0.0f);
}

TEST(ConfigurationValues, AFifoInPlaceOfTheFileIsNeitherReadNorReplaced)
{
    TempDir tmp;
    const std::string path = tmp.file("KORVEX.cfg");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    Loaded l;
    loadFrom(tmp, l); // would block for ever waiting for a writer
    EXPECT_EQ(l.cfg.lines(), Configuration::defaultLines());
    EXPECT_EQ(l.r.qPara, 7.0f);
    EXPECT_EQ(std::string(l.s.portName), "COM1");
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}

TEST(ConfigurationValues, OverlongValuesAreBoundedWithoutSplittingACharacter)
{
    TempDir tmp;
    const std::string longName = utf8ToCp936("a" + std::string("电子镇流器电子镇流器电子镇流器电子镇流器"));
    TempDir::write(tmp.file("KORVEX.cfg"), "[Port]\r\nCOM1-and-more\r\n[Name]\r\n" + longName + "\r\n");
    Loaded l;
    loadFrom(tmp, l);
    EXPECT_STREQ(l.s.portName, "COM1-an");     // 7 bytes
    EXPECT_EQ(std::strlen(l.r.infoName), 29u); // 'a' + 14 characters; the 15th would need byte 31
    EXPECT_EQ(fieldUtf8(l.r.infoName), "a电子镇流器电子镇流器电子镇流");
}

TEST(ConfigurationValues, UnknownLinesAndLineEndsSurviveALoadAndSave)
{
    TempDir tmp;
    TempDir::write(tmp.file("KORVEX.cfg"), "# bench 3\n[Port]\nCOM2\n[Extra]\nkeep me\n[QPara]\r\n7.5");
    Loaded l;
    loadFrom(tmp, l);
    EXPECT_STREQ(l.s.portName, "COM2");
    EXPECT_EQ(l.r.qPara, 7.5f);
    ASSERT_TRUE(saveConfiguration(tmp.dir(), l.cfg, l.r, l.s).ok);
    const std::string saved = TempDir::read(tmp.file("KORVEX.cfg"));
    EXPECT_EQ(saved.substr(0, 49), "# bench 3\r\n[Port]\r\nCOM2\r\n[Extra]\r\nkeep me\r\n[QPara");
    EXPECT_NE(saved.find("[QPara]\r\n7.5\r\n"), std::string::npos);
}

TEST(ConfigurationSave, FailureIsReported)
{
    TempDir tmp;
    Loaded l;
    const Notice n = saveConfiguration(tmp.dir() + "missing/", l.cfg, l.r, l.s);
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "存配置文件失败!");
    EXPECT_EQ(n.caption, "警告");
}
