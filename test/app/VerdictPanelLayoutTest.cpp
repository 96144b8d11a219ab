// The verdict panel as an operator reads it beside the report: every column and section title
// whole in both languages, and over a series the average and the largest run each in a column
// of its own with its unit.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableWidget>

#include "ScriptedRunner.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "log/ResultsLog.h"

namespace korvex {
namespace {

struct Bench {
    Bench()
    {
        controller.useSimulator(QStringLiteral("cheap"), false);
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        form->resize(1600, 900);
        form->show();
        panel = form->findChild<VerdictPanel*>();
        panel->toggleViewAction()->trigger();
    }
    ~Bench()
    {
        controls->finish();
        controller.shutdown();
    }
    /// A repeating input test on the capacitor-input ballast until a series of runs is judged.
    void series(int runs)
    {
        form->InputTestClick();
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->verdict().runs >= runs; }, 30000));
        form->LockTestClick();
        QTest::qWait(50);
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    VerdictPanel* panel = nullptr;
};

/// Whatever a cell, a head or a section title holds, the table shows whole, without scrolling.
void expectNothingCut(QTableWidget& table, const char* language)
{
    QHeaderView* header = table.horizontalHeader();
    EXPECT_LE(header->length(), table.viewport()->width()) << language;
    for (int c = 0; c < table.columnCount(); ++c)
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << language << " head " << c;
    for (int r = 0; r < table.rowCount(); ++r) {
        const bool title = table.columnSpan(r, 0) == table.columnCount();
        for (int c = 0; c < (title ? 1 : table.columnCount()); ++c) {
            const QTableWidgetItem* item = table.item(r, c);
            const int room = title ? header->length() : header->sectionSize(c);
            // The text and the cell's margins (three pixels a side and the grid line).
            EXPECT_LE(QFontMetrics(item->font()).horizontalAdvance(item->text()) + 7, room)
                << language << " row " << r << " column " << c << ": " << item->text().toStdString();
        }
    }
}

TEST(VerdictPanelLayout, EveryColumnAndTitleIsWholeInBothLanguages)
{
    Bench b;
    b.series(2);
    ASSERT_TRUE(b.panel->verdict().judged());
    QTableWidget* table = b.panel->checksTable();
    // The panel widens to its table once the window has laid it out.
    const auto laidOut = [&] {
        return QTest::qWaitFor([&] { return table->horizontalHeader()->length() <= table->viewport()->width(); }, 3000);
    };
    EXPECT_TRUE(laidOut());
    expectNothingCut(*table, "Chinese");
    b.form->EnglishClick();
    EXPECT_TRUE(laidOut());
    expectNothingCut(*table, "English"); // "disregarded", "largest run" are longer
    // The panel was widened to its table: the report area beside it is what is left.
    EXPECT_GE(b.panel->width(), table->horizontalHeader()->length());
}

TEST(VerdictPanelLayout, ASeriesShowsAverageAndLargestRunApartEachWithItsUnit)
{
    Bench b;
    b.series(2);
    const VerdictSection* classC = b.panel->verdict().section(SectionKind::ClassC);
    ASSERT_NE(classC, nullptr);
    QTableWidget* table = b.panel->checksTable();
    ASSERT_EQ(table->columnCount(), 6);
    int row = 1; // under the section's title
    for (const LimitCheck& c : classC->checks) {
        const QString average = table->item(row, 1)->text(), largest = table->item(row, 2)->text();
        EXPECT_TRUE(average.endsWith(QStringLiteral(" %"))) << average.toStdString();
        EXPECT_TRUE(largest.endsWith(QStringLiteral(" %"))) << largest.toStdString();
        EXPECT_NEAR(average.section(QLatin1Char(' '), 0, 0).toDouble(), c.value, std::abs(c.value) * 1e-3 + 1e-3);
        EXPECT_NEAR(largest.section(QLatin1Char(' '), 0, 0).toDouble(), c.maxValue, std::abs(c.maxValue) * 1e-3 + 1e-3);
        EXPECT_TRUE(table->item(row, 3)->text().endsWith(QStringLiteral(" %"))); // the limit too
        ++row;
    }
    // A single run has one value column.
    b.form->InputTestLockBtnClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.panel->verdict().runs == 1 && b.panel->verdict().judged(); }, 30000));
    EXPECT_EQ(table->columnCount(), 5);
}

} // namespace
} // namespace korvex
