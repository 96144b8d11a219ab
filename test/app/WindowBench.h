// The main window as the program puts it together (form, results log, log controls, Qt's own
// texts following the pages' language) on the simulated instrument, in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

#include "ScriptedRunner.h"
#include "app/window/KorvexForm.h"
#include "app/window/LogControls.h"
#include "app/window/PaintBox.h"
#include "app/window/QtTranslations.h"
#include "kinds/Evaluate.h"
#include "kinds/VerdictProfile.h"
#include "link/Controller.h"
#include "link/sim/SimPorts.h"
#include "log/ResultsLog.h"
#include "record/TextCodec.h"

namespace korvex {

struct WindowBench {
    /// limits: the text of KORVEX-limits.ini (none: the defaults); size: the window's.
    explicit WindowBench(const QString& scenario = {}, const QByteArray& limits = {}, QSize size = {1400, 700})
    {
        if (!limits.isEmpty()) {
            QFile f(temp.filePath(QLatin1String(kProfileFileName)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(limits);
        }
        controller.setPortSource(simulatedPorts(makeSimInstrument(scenario, false)));
        TKORVEXForm::StartOptions options;
        options.programDir = temp.path() + QLatin1Char('/');
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
        log = std::make_unique<ResultsLog>(LogTarget::parse(QString(), temp.path()));
        controls = std::make_unique<LogControls>(*form, controller, *log);
        useQtTranslations(form->record().chinese != 0);
        QObject::connect(form.get(), &TKORVEXForm::languageChanged, &useQtTranslations);
        QObject::connect(log.get(), &ResultsLog::logged, [this](const QString& id) { logged << id; });
        page = form->findChild<PaintBox*>(QStringLiteral("PaintBox1"));
        form->resize(size); // wide enough for the whole tool bar
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    ~WindowBench()
    {
        controls->finish();
        controller.shutdown();
        useQtTranslations(false); // the next test starts with Qt's own English
    }
    /// A single run of kind for a ballast of the product type, until it is logged.
    bool singleRun(int32_t kind, const char* type = "")
    {
        // The product type as the information dialog sets it.
        auto entries = std::make_unique<TestRecord>(controller.record());
        storeText(entries->infoType, type);
        controller.takeEntries(*entries);
        const qsizetype before = logged.size();
        controller.singleRun(kind);
        return QTest::qWaitFor([&] { return logged.size() > before; }, 30000);
    }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
    std::unique_ptr<ResultsLog> log;
    std::unique_ptr<LogControls> controls;
    PaintBox* page = nullptr;
    QStringList logged;
};

} // namespace korvex
