// The results log in the window on the simulated instrument: a scanned serial number logged
// with each single run and counted up, the history window's table and statistics, a logged run
// opened into the main window; another program reading the log between runs.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QToolButton>
#include <sys/stat.h>

#include "../log/LogTestSupport.h"
#include "ScriptedRunner.h"
#include "app/window/HistoryWindow.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictProfile.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/LogDatabase.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"
#include "record/DataFile.h"
#include "record/TextCodec.h"
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QHorizontalBarSeries>

namespace korvex {
namespace {

struct LoggingWindow {
    /// startHere: the program is started from its own folder (the log's folder is the current one).
    explicit LoggingWindow(bool startHere = false)
    {
        if (startHere) {
            startedFrom = QDir::currentPath();
            QDir::setCurrent(temp.path());
        }
        controller.setPortSource(simulatedPorts(makeSimInstrument(QString(), false)));
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        QObject::connect(log.get(), &ResultsLog::logged, [this](const QString& id) { logged << id; });
    }
    ~LoggingWindow()
    {
        controls->finish();
        controller.shutdown();
        if (!startedFrom.isEmpty())
            QDir::setCurrent(startedFrom);
    }
    void scan(const QString& text)
    {
        QLineEdit* field = controls->serialField();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    bool singleRun(int n)
    {
        const int before = int(logged.size());
        controller.singleRun(KindInput);
        return QTest::qWaitFor([&] { return int(logged.size()) >= before + n; }, 30000);
    }

    QTemporaryDir temp;
    QString startedFrom;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    QStringList logged;
};

TEST(LogControls, aScannedSerialIsLoggedWithEachSingleRunAndCountsUp)
{
    LoggingWindow w;
    w.scan(QStringLiteral("SN-0099"));
    EXPECT_EQ(fieldUtf8(w.controller.record().infoNo), "SN-0099");
    w.controls->autoIncrementButton()->setChecked(true);
    ASSERT_TRUE(w.singleRun(1));
    ASSERT_TRUE(w.singleRun(1));
    EXPECT_EQ(fieldUtf8(w.controller.record().infoNo), "SN-0101");
    EXPECT_EQ(w.controls->serialField()->text(), QStringLiteral("SN-0101"));
    EXPECT_TRUE(w.controls->statusLabel()->text().contains(QStringLiteral("2")));

    HistoryWindow* history = w.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    QTableWidget* runs = history->runsTable();
    ASSERT_EQ(runs->rowCount(), 2);
    EXPECT_EQ(runs->item(0, 1)->text(), QStringLiteral("SN-0100")); // newest first
    EXPECT_EQ(runs->item(1, 1)->text(), QStringLiteral("SN-0099"));
    EXPECT_TRUE(history->summaryLabel()->text().contains(QStringLiteral("2")));
    EXPECT_GT(history->statsTable()->rowCount(), 0);
    EXPECT_EQ(history->statsTable()->item(0, 0)->text(), QStringLiteral("输入功率 (W)")); // Pin, as it is called
    EXPECT_EQ(history->statsTable()->item(0, 1)->text(), QStringLiteral("2"));            // of both runs

    // Opening the older run puts its record into the window, as a stored file would.
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(w.log->target(), &error));
    const std::optional<LogEntry> older = q.entry(w.logged.front(), &error);
    ASSERT_TRUE(older);
    history->openRow(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fieldUtf8(w.controller.record().infoNo) == "SN-0099"; }, 10000));
    const std::vector<uint8_t> now = encodeDataFile(w.controller.record());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(now.data()), qsizetype(now.size())), older->record);
}

TEST(LogControls, theSerialFieldFilterNarrowsTheHistory)
{
    LoggingWindow w;
    w.scan(QStringLiteral("A-1"));
    ASSERT_TRUE(w.singleRun(1));
    w.scan(QStringLiteral("B-1"));
    ASSERT_TRUE(w.singleRun(1));
    HistoryWindow* history = w.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    EXPECT_EQ(history->runsTable()->rowCount(), 2);
    history->findChild<QLineEdit*>(QStringLiteral("HistorySerial"))->setText(QStringLiteral("B-*"));
    history->refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    ASSERT_EQ(history->runsTable()->rowCount(), 1);
    EXPECT_EQ(history->runsTable()->item(0, 1)->text(), QStringLiteral("B-1"));
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Files of this process that are open but gone from their folder.
QStringList deletedOpenFiles()
{
    QStringList gone;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System))
        if (const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget(); target.endsWith(" (deleted)"))
            gone << target;
    return gone;
}

// The dialog lists the file (its model has read the folder).
bool dialogLists(const QFileDialog& dialog, const QString& name)
{
    for (const QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        for (int row = 0; model && row < model->rowCount(view->rootIndex()); ++row)
            if (model->index(row, 0, view->rootIndex()).data().toString() == name)
                return true;
    }
    return false;
}

TEST(LogControls, anotherProgramReadingTheLogBetweenRunsLosesNoneOfThem)
{
    // Started from the program's folder, which holds the log; every file dialog is opened on it.
    LoggingWindow w(true);
    const QString db = w.log->target().path;
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(db + QStringLiteral("-wal")); }, 10000));
    const ino_t wal = inodeOf(db + QStringLiteral("-wal"));
    QTest::qWait(300); // what the start-up set going has run
    const QList<QFileDialog*> dialogs = w.form->findChildren<QFileDialog*>();
    ASSERT_EQ(dialogs.size(), 3);
    for (QFileDialog* dialog : dialogs) {
        dialog->setDirectory(w.temp.path());
        dialog->selectNameFilter(dialog->nameFilters().last()); // all files
        dialog->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialogLists(*dialog, QStringLiteral("KORVEX-log.db")); }, 10000))
            << dialog->objectName().toStdString();
        dialog->hide();
    }
    HistoryWindow* history = w.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));

    // A colleague lists the log with the command-line tool, then the window logs three runs.
    ASSERT_EQ(runsSeenByAnotherProcess(db), 0);
    for (int run = 0; run < 3; ++run)
        ASSERT_TRUE(w.singleRun(1));
    EXPECT_EQ(runsSeenByAnotherProcess(db), 3);
    EXPECT_EQ(inodeOf(db + QStringLiteral("-wal")), wal) << "the write-ahead log was removed under the window";
    const QStringList gone = deletedOpenFiles().filter(db);
    EXPECT_TRUE(gone.isEmpty()) << gone.join(QLatin1Char(' ')).toStdString();
}

TEST(LogControls, theHistorySaysWhatKeepsItFromReadingTheLog)
{
    QTemporaryDir dir;
    const auto summaryFor = [&](const QString& path) {
        HistoryWindow history(LogTarget::parse(path, dir.path()), ProfileSet{}, [](const LogEntry&) {});
        history.refresh();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !history.busy(); }, 10000));
        return history.summaryLabel()->text();
    };
    const QString missing = summaryFor(dir.filePath(QStringLiteral("KORVEX-log.db")));
    EXPECT_TRUE(missing.contains(QStringLiteral("missing"))) << missing.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("KORVEX-log.db")))); // reading creates none

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.db")));
    const QString folder = summaryFor(dir.filePath(QStringLiteral("folder.db")));
    EXPECT_TRUE(folder.contains(QStringLiteral("cannot be opened"))) << folder.toStdString();
    for (const QString& summary : {missing, folder})
        EXPECT_FALSE(summary.contains(QStringLiteral("disk")) || summary.contains(QStringLiteral("written")))
            << summary.toStdString();
}

TEST(LogControls, reopeningALoggedRunLeavesTheNextSerialAndItsCountAlone)
{
    LoggingWindow w;
    w.scan(QStringLiteral("SN-0043"));
    ASSERT_TRUE(w.singleRun(1));
    w.scan(QStringLiteral("SN-0045"));
    w.controls->autoIncrementButton()->setChecked(true);

    HistoryWindow* history = w.controls->showHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->busy(); }, 10000));
    ASSERT_EQ(history->runsTable()->rowCount(), 1);
    history->openRow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fieldUtf8(w.controller.record().infoNo) == "SN-0043"; }, 10000));
    EXPECT_EQ(w.controls->serialField()->text(), QStringLiteral("SN-0045")); // the pages show SN-0043

    w.controller.setLocked(false);
    ASSERT_TRUE(w.singleRun(1));
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(w.log->target(), &error));
    EXPECT_EQ(q.entry(w.logged.back(), &error)->serial(), QStringLiteral("SN-0045"));
    EXPECT_EQ(fieldUtf8(w.controller.record().infoNo), "SN-0046");
    EXPECT_EQ(w.controls->serialField()->text(), QStringLiteral("SN-0046"));
}

TEST(LogControls, aSerialThatPassedInTheLogIsPointedOutAndItsRunMarkedAsARetest)
{
    LoggingWindow w;
    {
        // Logged by another bench or an earlier session.
        LogConnection c;
        QString error;
        ASSERT_TRUE(c.open(w.log->target(), false, &error)) << error.toStdString();
        TestRecord r = w.controller.record();
        storeText(r.infoNo, "SN-0100");
        LogEntry e = makeLogEntry(r, KindInput, LogSource{QStringLiteral("bench-2"), QStringLiteral("sim")});
        e.verdict = VerdictResult::Pass;
        QSqlDatabase db = c.db();
        ASSERT_TRUE(insertLogEntry(db, e, &error)) << error.toStdString();
    }
    w.scan(QStringLiteral("SN-0101"));
    QTest::qWait(200);
    EXPECT_FALSE(w.controls->retestShown());
    w.scan(QStringLiteral("SN-0100"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controls->retestShown(); }, 5000));
    EXPECT_TRUE(w.controls->retestLabel()->toolTip().contains(QStringLiteral("输入性能测试")));
    ASSERT_TRUE(w.singleRun(1));
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(w.log->target(), &error));
    EXPECT_TRUE(q.entry(w.logged.back(), &error)->retest);
}

// The crafted ballasts of the log tests (figures computed there by hand), of one type.
TEST(LogControls, theHistoryShowsTheBallastsYieldParetoAndCapabilityInItsLanguage)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("KORVEX-log.db")), dir.path());
    writeCraftedBallastLog(target, QDateTime::currentMSecsSinceEpoch() - 3600 * 1000, false);
    const ProfileParse limits = parseProfiles(kBallastLimits);
    ASSERT_TRUE(limits.ok);
    HistoryWindow history(target, limits.set, [](const LogEntry&) {});
    history.retranslate(false);
    history.refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history.busy(); }, 10000));

    const auto paretoBars = [&] {
        QStringList bars;
        for (QAbstractSeries* s : history.paretoChart()->chart()->series())
            if (auto* series = qobject_cast<QHorizontalBarSeries*>(s))
                for (QAbstractAxis* a : series->attachedAxes())
                    if (auto* names = qobject_cast<QBarCategoryAxis*>(a))
                        for (int i = 0; i < names->count(); ++i)
                            bars << names->at(i) + QLatin1Char('=') + QString::number(series->barSets()[0]->at(i));
        return bars.join(QLatin1Char(' ')).toStdString();
    };
    const QString summary = history.ballastSummary()->text();
    EXPECT_TRUE(summary.contains(QStringLiteral("First-pass yield 25.0 % (1 of 4), final yield 50.0 % (2 of 4)")))
        << summary.toStdString();
    // Largest at the top: the tie in name order from the top down, the chart's axis upwards.
    EXPECT_EQ(paretoBars(), "Lamp power (max)=2 Harmonic 3=2");
    QTableWidget* cap = history.capabilityTable();
    QStringList pout;
    for (int row = 0; row < cap->rowCount(); ++row)
        if (cap->item(row, 0)->text().startsWith(QStringLiteral("Lamp power")))
            for (int col = 1; col < cap->columnCount(); ++col)
                pout << cap->item(row, col)->text();
    EXPECT_EQ(pout.join(QLatin1Char(' ')).toStdString(), "4 35.5 2.38 30 36 0.42 0.07");

    history.retranslate(true);
    EXPECT_EQ(paretoBars(), "灯功率上限=2 3次谐波=2");
    EXPECT_TRUE(history.ballastSummary()->text().contains(QStringLiteral("一次通过率 25.0 %")));
}

} // namespace
} // namespace korvex
