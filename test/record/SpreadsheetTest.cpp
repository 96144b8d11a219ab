// The spreadsheet export lines and file.
#include <gtest/gtest.h>

#include <sstream>

#include "TempDir.h"
#include "record/Spreadsheet.h"

using namespace korvex;

namespace {
std::vector<std::string> splitCommas(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string item;
    while (std::getline(ss, item, ','))
        out.push_back(item);
    return out;
}
} // namespace

TEST(SpreadsheetLines, TitleLineHas43ColumnsIn340Characters)
{
    const std::string& title = spreadsheetTitleLine();
    EXPECT_EQ(title.size(), 340u);
    const auto cols = splitCommas(title);
    ASSERT_EQ(cols.size(), 43u);
    EXPECT_EQ(cols[6], "Fin(Hz)");
    EXPECT_EQ(cols[34], "StrIlp(V)");
    EXPECT_EQ(cols[42], "IkpT(S)");
}

TEST(SpreadsheetLines, ZeroRecordWritesZerosWithEachColumnsDecimals)
{
    TestRecord r;
    const std::string line = spreadsheetValueLine(r);
    EXPECT_EQ(line.rfind("0.0,0.000,0.000,0.0,0.000,0.000,0.00,0.0", 0), 0u);
    EXPECT_EQ(splitCommas(line).size(), 43u);
    EXPECT_EQ(line.find(' '), std::string::npos);
}

TEST(SpreadsheetLines, ValuesInColumnOrder)
{
    TestRecord r;
    r.Urms = 220.46f;
    r.Irms = 0.12345f;
    r.Pin = 1234.56f;
    r.Fin = 50.004f;
    r.THDU = 2.25f;
    r.PhaseEnd = 167.34f;
    r.Ilncf = -1.416f;
    r.StrUlp = 612.0f;
    r.IkpT = 1.005f;
    r.peakU = 999.0f; // never exported
    const auto v = splitCommas(spreadsheetValueLine(r));
    ASSERT_EQ(v.size(), 43u);
    EXPECT_EQ(v[0], "220.5");
    EXPECT_EQ(v[1], "0.123");
    EXPECT_EQ(v[3], "1235.0");
    EXPECT_EQ(v[6], "50.00");
    EXPECT_EQ(v[7], "2.3");
    EXPECT_EQ(v[17], "167.3");
    EXPECT_EQ(v[26], "-1.42");
    EXPECT_EQ(v[34], "612.0");
    EXPECT_EQ(v[42], "1.00"); // 1.005f is 1.00499999523
    EXPECT_EQ(spreadsheetValueLine(r).find("999"), std::string::npos);
}

TEST(SpreadsheetFile, TwoLinesEndedByCrLf)
{
    TempDir tmp;
    TestRecord r;
    r.Urms = 230.0f;
    ASSERT_TRUE(exportSpreadsheet(tmp.file("x.csv"), r).ok);
    const std::string bytes = TempDir::read(tmp.file("x.csv"));
    EXPECT_EQ(bytes, spreadsheetTitleLine() + "\r\n" + spreadsheetValueLine(r) + "\r\n");
}

TEST(SpreadsheetFile, FailureIsReportedInEnglish)
{
    TempDir tmp;
    const Notice n = exportSpreadsheet(tmp.file("none/x.csv"), TestRecord{});
    EXPECT_FALSE(n.ok);
    EXPECT_EQ(n.message, "Export data failure!");
    EXPECT_EQ(n.caption, "Notice");
}
