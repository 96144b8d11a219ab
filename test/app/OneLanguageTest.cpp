// One language at a time: the window's own texts (verdict panel, history, tool bar field,
// status line, menus, messages) and Qt's own buttons follow the pages' language and switch at
// once; the history names the logged values in that language and shows the limits of the
// product type its runs share.
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QRegularExpression>
#include <QtGui/QAction>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>

#include "WindowBench.h"
#include "app/window/AboutBox.h"
#include "app/window/HistoryWindow.h"
#include "app/window/ValueNames.h"
#include "app/window/VerdictPanel.h"
#include "log/Locations.h"
#include "log/LogColumns.h"

namespace korvex {
namespace {

bool hasChinese(const QString& s)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return s.contains(han);
}

/// Every text of the window's own, and of the history, that an operator reads.
QStringList ownTexts(const WindowBench& b, HistoryWindow& h)
{
    QStringList texts{b.form->findChild<QMenu*>(QStringLiteral("VerdictMenu"))->title(),
                      b.form->findChild<QAction*>(QStringLiteral("History"))->text(),
                      b.form->verdictPanel()->windowTitle(), h.windowTitle(), h.summaryLabel()->text()};
    for (QLabel* l : b.form->findChildren<QLabel*>()) // the alarm's labels are the manual's
        if (l->isVisible() && !l->objectName().startsWith(QLatin1String("Label")))
            texts << l->text();
    for (QTableWidget* t : {b.form->verdictPanel()->findChild<QTableWidget*>(QStringLiteral("VerdictChecks")),
                            h.runsTable(), h.statsTable()})
        for (int c = 0; c < t->columnCount(); ++c)
            texts << t->horizontalHeaderItem(c)->text();
    for (int i = 0; i < h.trendChoice()->count(); ++i)
        texts << h.trendChoice()->itemText(i);
    return texts;
}

TEST(OneLanguage, TheWindowsOwnTextsAndQtsButtonsSwitchWithThePages)
{
    WindowBench b;
    b.form->verdictPanel()->toggleViewAction()->trigger();
    ASSERT_TRUE(b.singleRun(KindInput, "T8-36W"));
    HistoryWindow* history = b.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("x"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.show(); // open all along

    for (const bool chinese : {true, false, true}) {
        chinese ? b.form->ChineseClick() : b.form->EnglishClick();
        QTest::qWait(20); // Qt's own widgets translate themselves on an event
        for (const QString& t : ownTexts(b, *history)) {
            if (!t.contains(QRegularExpression(QStringLiteral("[A-Za-z\\p{Han}]"))))
                continue; // figures and signs
            // In Chinese only names and signs stay Latin ("PF", "+1", "(W)").
            EXPECT_TRUE(chinese ? hasChinese(t) || !t.contains(QRegularExpression(QStringLiteral("[a-z]{3}")))
                                : !hasChinese(t))
                << (chinese ? "Chinese: " : "English: ") << t.toStdString();
        }
        EXPECT_EQ(hasChinese(box.button(QMessageBox::Cancel)->text()), chinese);
    }
}

TEST(OneLanguage, TheDamagedLimitsMessageIsInOneLanguage)
{
    WindowBench b({}, "[default]\nlamp_current_crest_factor_max = 1,7\n");
    auto* notice = b.form->findChild<QMessageBox*>(QStringLiteral("LimitsProblem"));
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 2000));
    b.form->ChineseClick();
    // Chinese throughout, the file's key as written in it.
    EXPECT_FALSE(notice->text().contains(QRegularExpression(QStringLiteral("\\b(must|verdicts|line|not)\\b"))))
        << notice->text().toStdString();
    EXPECT_TRUE(notice->text().contains(QStringLiteral("lamp_current_crest_factor_max")));
    b.form->EnglishClick();
    EXPECT_FALSE(hasChinese(notice->text())) << notice->text().toStdString();
    EXPECT_FALSE(hasChinese(b.controls->limitsLabel()->text())) << b.controls->limitsLabel()->text().toStdString();
}

TEST(OneLanguage, TheHelpMenuAndTheAboutBoxFollowThePages)
{
    WindowBench b;
    const Locations where = locationsFor(b.temp.path());
    addHelpMenu(*b.form, b.runner, where);
    auto* help = b.form->findChild<QMenu*>(QStringLiteral("HelpMenu"));
    auto* about = b.form->findChild<QAction*>(QStringLiteral("About"));
    ASSERT_TRUE(help && about);
    QString title, text, files;
    b.runner.script = [&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            title = box->windowTitle();
            text = box->text();
            files = box->informativeText();
        }
    };
    for (const bool chinese : {false, true, false}) {
        chinese ? b.form->ChineseClick() : b.form->EnglishClick();
        for (const QString& t : {help->title(), about->text(), about->statusTip()})
            EXPECT_EQ(hasChinese(t), chinese) << t.toStdString();
        files.clear();
        about->trigger();
        EXPECT_EQ(hasChinese(title), chinese) << title.toStdString();
        EXPECT_EQ(hasChinese(text), chinese) << text.toStdString();
        // Every line names its file in the language, the path as it is.
        EXPECT_TRUE(files.contains(where.configFile())) << files.toStdString();
        const QStringList lines = QString(files)
                                      .remove(QRegularExpression(QStringLiteral("</?pre>")))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_GE(lines.size(), 5);
        for (const QString& line : lines) {
            const QString label = line.section(QLatin1Char(' '), 0, 0);
            EXPECT_EQ(hasChinese(line), chinese) << line.toStdString();
            EXPECT_TRUE(chinese ? hasChinese(label) : !label.isEmpty()) << line.toStdString();
        }
    }
}

TEST(HistoryTrend, EveryLoggedValueHasANameOfItsOwnInEachLanguage)
{
    QStringList seen;
    for (const LogValueColumn& c : logValueColumns()) {
        const QString zh = valueName(c, true), en = valueName(c, false);
        EXPECT_TRUE(hasChinese(zh) && !hasChinese(en) && en != QLatin1String(c.name)) << c.name;
        EXPECT_FALSE(seen.contains(zh) || seen.contains(en)) << c.name << ": named like another value";
        seen << zh << en;
    }
}

/// The limit lines of the trend chart (dashed, beside the values).
int limitLines(HistoryWindow& h)
{
    int n = 0;
    for (QAbstractSeries* s : h.trendChart()->chart()->series())
        if (auto* line = qobject_cast<QLineSeries*>(s); line && line->pen().style() == Qt::DashLine)
            ++n;
    return n;
}

TEST(HistoryTrend, TheTypesLimitsShowWheneverTheRunsShareATypeAndTicksKeepTheValuesResolution)
{
    WindowBench b({}, "[default]\n\n[T8-36W]\ninput_power_rated = 36\ninput_power_tolerance = 10\n");
    ASSERT_TRUE(b.singleRun(KindInput, "T8-36W"));
    ASSERT_TRUE(b.singleRun(KindInput, "T8-36W"));
    HistoryWindow* history = b.controls->showHistory();
    const auto trend = [&] {
        history->refresh();
        return QTest::qWaitFor([&] { return !history->busy(); }, 10000);
    };
    ASSERT_TRUE(trend());               // input power, the first choice
    EXPECT_EQ(limitLines(*history), 2); // no type filter, every run a T8-36W: its rated band
    auto* y = qobject_cast<QValueAxis*>(history->trendChart()->chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(y, nullptr);
    // Logged to 0.1 W: ticks read 42.2, not 42.2000, however close the runs lie.
    EXPECT_EQ(QString::asprintf(y->labelFormat().toLatin1().constData(), 42.2372), QStringLiteral("42.2"));
    EXPECT_GE(y->max() - y->min(), 0.4);

    ASSERT_TRUE(b.singleRun(KindInput, "T5-28W")); // whose limits would they be? None.
    ASSERT_TRUE(trend());
    EXPECT_EQ(limitLines(*history), 0);
}

} // namespace
} // namespace korvex
