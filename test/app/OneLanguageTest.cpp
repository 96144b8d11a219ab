// One language at a time: the window's own texts (verdict panel, history, tool bar field,
// status line, messages) and Qt's own buttons follow the pages' language and switch at once;
// and the history names the logged values in that language and shows the limits of the
// product type its runs share.
#include <gtest/gtest.h>

#include <memory>

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QTest>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QToolBar>

#include "ScriptedRunner.h"
#include "app/window/HistoryWindow.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/QtTranslations.h"
#include "app/window/ValueNames.h"
#include "app/window/VerdictPanel.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictProfile.h"
#include "link/Controller.h"
#include "log/LogColumns.h"
#include "log/ResultsLog.h"
#include "record/TextCodec.h"

namespace korvex {
namespace {

bool hasChinese(const QString& s)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return s.contains(han);
}

struct Desk {
    explicit Desk(const QByteArray& limits = {})
    {
        if (!limits.isEmpty()) {
            QFile f(temp.filePath(QLatin1String(kProfileFileName)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(limits);
        }
        controller.useSimulator(QString(), false);
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        // As the program wires it.
        useQtTranslations(form->record().chinese != 0);
        QObject::connect(form.get(), &TKORVEXForm::languageChanged, &useQtTranslations);
        QObject::connect(log.get(), &ResultsLog::logged, [this](const QString& id) { logged << id; });
        form->show();
    }
    ~Desk()
    {
        controls->finish();
        controller.shutdown();
        useQtTranslations(false); // the next test starts with Qt's own English
    }
    bool singleRun(int32_t kind, const char* type)
    {
        storeText(controller.record().infoType, type);
        const qsizetype before = logged.size();
        controller.singleRun(kind);
        return QTest::qWaitFor([&] { return logged.size() > before; }, 30000);
    }
    /// Every text of the window's own that an operator reads.
    QStringList ownTexts() const
    {
        QStringList texts;
        for (QLabel* l : form->findChildren<QLabel*>())
            if (l->isVisible() && !l->text().isEmpty() && l->objectName() != QLatin1String("Label1") &&
                l->objectName() != QLatin1String("Label2"))
                texts << l->text();
        for (QMenu* m : form->findChildren<QMenu*>(QStringLiteral("VerdictMenu")))
            texts << m->title();
        texts << form->findChild<QAction*>(QStringLiteral("History"))->text();
        VerdictPanel* panel = form->verdictPanel();
        texts << panel->windowTitle();
        for (int c = 0; c < panel->checksTable()->columnCount(); ++c)
            texts << panel->checksTable()->horizontalHeaderItem(c)->text();
        return texts;
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    QStringList logged;
};

QStringList historyTexts(HistoryWindow& h)
{
    QStringList texts{h.windowTitle(), h.summaryLabel()->text(), h.trendChart()->chart()->title()};
    for (QTableWidget* t : {h.runsTable(), h.statsTable()}) {
        for (int c = 0; c < t->columnCount(); ++c)
            texts << t->horizontalHeaderItem(c)->text();
    }
    for (int r = 0; r < h.statsTable()->rowCount(); ++r)
        texts << h.statsTable()->item(r, 0)->text();
    for (int i = 0; i < h.trendChoice()->count(); ++i)
        texts << h.trendChoice()->itemText(i);
    return texts;
}

void expectLanguage(const QStringList& texts, bool chinese, const char* where)
{
    for (const QString& t : texts) {
        if (t.trimmed().isEmpty() || !t.contains(QRegularExpression(QStringLiteral("[A-Za-z\\p{Han}]"))))
            continue; // figures and signs
        if (chinese)
            EXPECT_TRUE(hasChinese(t) || t.contains(QRegularExpression(QStringLiteral("^[A-Z0-9&() ./+-]+$"))))
                << where << ": English in Chinese: " << t.toStdString();
        else
            EXPECT_FALSE(hasChinese(t)) << where << ": Chinese in English: " << t.toStdString();
    }
}

TEST(OneLanguage, TheWindowsOwnTextsAndQtsButtonsSwitchWithThePages)
{
    Desk d;
    d.form->verdictPanel()->toggleViewAction()->trigger();
    ASSERT_TRUE(d.singleRun(KindInput, "T8-36W"));
    HistoryWindow* history = d.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("x"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.show();

    for (const bool chinese : {true, false, true}) {
        chinese ? d.form->ChineseClick() : d.form->EnglishClick();
        QTest::qWait(20); // Qt's own widgets translate themselves on an event
        expectLanguage(d.ownTexts(), chinese, chinese ? "window, Chinese" : "window, English");
        expectLanguage(historyTexts(*history), chinese, chinese ? "history, Chinese" : "history, English");
        // Qt's own buttons, in a box that was open all along.
        EXPECT_EQ(hasChinese(box.button(QMessageBox::Cancel)->text()), chinese);
        EXPECT_EQ(hasChinese(box.button(QMessageBox::Ok)->text()), chinese);
    }
}

TEST(OneLanguage, TheDamagedLimitsMessageIsInOneLanguage)
{
    Desk d("[default]\nlamp_current_crest_factor_max = 1,7\n");
    auto* notice = d.form->findChild<QMessageBox*>(QStringLiteral("LimitsProblem"));
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 2000));
    d.form->ChineseClick();
    // Chinese throughout, the file's keys and values as written in it.
    const QString zh = notice->text();
    EXPECT_TRUE(hasChinese(zh));
    EXPECT_FALSE(zh.contains(QRegularExpression(QStringLiteral("\\b(must|verdicts|line|judged|not)\\b"))))
        << zh.toStdString();
    EXPECT_TRUE(zh.contains(QStringLiteral("lamp_current_crest_factor_max"))) << zh.toStdString();
    d.form->EnglishClick();
    const QString en = notice->text();
    EXPECT_FALSE(hasChinese(en)) << en.toStdString();
    EXPECT_TRUE(en.contains(QStringLiteral("line 2"))) << en.toStdString();
    EXPECT_FALSE(hasChinese(d.controls->limitsLabel()->text())) << d.controls->limitsLabel()->text().toStdString();
}

TEST(HistoryTrend, EveryLoggedValueHasANameInEachLanguage)
{
    QStringList seen;
    for (const LogValueColumn& c : logValueColumns()) {
        const QString zh = valueName(c, true), en = valueName(c, false);
        EXPECT_TRUE(hasChinese(zh)) << c.name;
        EXPECT_FALSE(hasChinese(en)) << c.name;
        EXPECT_NE(en, QLatin1String(c.name));
        EXPECT_FALSE(seen.contains(zh) || seen.contains(en)) << c.name << ": named like another value";
        seen << zh << en;
    }
}

/// The limit lines of the trend chart (dashed series besides the values).
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
    Desk d("[default]\n\n[T8-36W]\ninput_power_rated = 36\ninput_power_tolerance = 10\n");
    ASSERT_TRUE(d.singleRun(KindInput, "T8-36W"));
    ASSERT_TRUE(d.singleRun(KindInput, "T8-36W"));
    HistoryWindow* history = d.controls->showHistory();
    const auto trendOf = [&](const char* field) {
        history->trendChoice()->setCurrentIndex(history->trendChoice()->findData(QLatin1String(field)));
        history->refresh();
        return QTest::qWaitFor([&] { return !history->busy(); }, 10000);
    };
    ASSERT_TRUE(trendOf("Pin"));
    // No type filter, every run a T8-36W: its rated power's band.
    EXPECT_EQ(limitLines(*history), 2);
    auto* y = qobject_cast<QValueAxis*>(history->trendChart()->chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(y, nullptr);
    // Input power is logged to 0.1 W: its ticks read 42.2, not 42.2000, however close the runs.
    EXPECT_EQ(QString::asprintf(y->labelFormat().toLatin1().constData(), 42.2372), QStringLiteral("42.2"));
    EXPECT_GE(y->max() - y->min(), 0.4);

    // The choice of values names them as the window does, never by their field names.
    for (int i = 0; i < history->trendChoice()->count(); ++i)
        EXPECT_NE(history->trendChoice()->itemText(i), history->trendChoice()->itemData(i).toString());

    // A run of another type: whose limits would they be? None are drawn.
    ASSERT_TRUE(d.singleRun(KindInput, "T5-28W"));
    ASSERT_TRUE(trendOf("Pin"));
    EXPECT_EQ(limitLines(*history), 0);
}

} // namespace
} // namespace korvex
