// The verdict panel as an operator reads it beside the report: every column and section title
// whole in both languages, and over a series the average and the largest run each in a column
// of its own with its unit.
#include <cmath>

#include <QtGui/QAction>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableWidget>

#include "WindowBench.h"
#include "app/window/VerdictPanel.h"

namespace korvex {
namespace {

struct Bench : WindowBench {
    Bench() : WindowBench(QStringLiteral("cheap"), {}, {1600, 900})
    {
        panel = form->verdictPanel();
        panel->toggleViewAction()->trigger();
    }
    /// A repeating input test on the capacitor-input ballast until a series of runs is judged.
    void series(int runs)
    {
        form->InputTestClick();
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->verdict().runs >= runs; }, 30000));
        form->LockTestClick();
    }
    /// Whatever a cell, a head or a section title holds, the table shows whole, without
    /// scrolling, once the window has laid the panel out.
    void expectNothingCut(const char* language)
    {
        QTableWidget& table = *panel->findChild<QTableWidget*>(QStringLiteral("VerdictChecks"));
        QHeaderView* header = table.horizontalHeader();
        EXPECT_TRUE(QTest::qWaitFor([&] { return header->length() <= table.viewport()->width(); }, 3000))
            << language << ": " << header->length() << " > " << table.viewport()->width();
        for (int r = 0; r < table.rowCount(); ++r) {
            const bool title = table.columnSpan(r, 0) == table.columnCount();
            for (int c = 0; c < (title ? 1 : table.columnCount()); ++c) {
                const QTableWidgetItem* item = table.item(r, c);
                // The text and the cell's margins (three pixels a side and the grid line).
                EXPECT_LE(QFontMetrics(item->font()).horizontalAdvance(item->text()) + 7,
                          title ? header->length() : header->sectionSize(c))
                    << language << ": " << item->text().toStdString();
            }
        }
        for (int c = 0; c < table.columnCount(); ++c)
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << language << " head " << c;
    }

    VerdictPanel* panel = nullptr;
};

TEST(VerdictPanelLayout, EveryColumnAndTitleIsWholeInBothLanguages)
{
    Bench b;
    b.series(2);
    ASSERT_TRUE(b.panel->verdict().judged());
    b.expectNothingCut("Chinese");
    b.form->EnglishClick();
    b.expectNothingCut("English"); // "disregarded", "largest run" are longer
}

TEST(VerdictPanelLayout, ASeriesShowsAverageAndLargestRunApartEachWithItsUnit)
{
    Bench b;
    b.series(2);
    const VerdictSection* classC = b.panel->verdict().section(SectionKind::ClassC);
    ASSERT_NE(classC, nullptr);
    auto* table = b.panel->findChild<QTableWidget*>(QStringLiteral("VerdictChecks"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), 6);
    const auto figure = [](const QString& cell) { return cell.section(QLatin1Char(' '), 0, 0).toDouble(); };
    int row = 1; // under the section's title
    for (const LimitCheck& c : classC->checks) {
        const QString average = table->item(row, 1)->text(), largest = table->item(row, 2)->text();
        for (const QString& cell : {average, largest, table->item(row, 3)->text()}) // the limit too
            EXPECT_TRUE(cell.endsWith(QStringLiteral(" %"))) << cell.toStdString();
        EXPECT_NEAR(figure(average), c.value, std::abs(c.value) * 1e-3 + 1e-3);
        EXPECT_NEAR(figure(largest), c.maxValue, std::abs(c.maxValue) * 1e-3 + 1e-3);
        ++row;
    }
    // A single run has one value column.
    b.form->InputTestLockBtnClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.panel->verdict().runs == 1 && b.panel->verdict().judged(); }, 30000));
    EXPECT_EQ(table->columnCount(), 5);
}

} // namespace
} // namespace korvex
