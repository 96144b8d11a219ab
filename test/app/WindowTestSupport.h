// The main window on the simulated instrument, for the window tests: the window with its
// controller, a scripted dialog runner and a folder of its own, and the helpers they share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QSet>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTranslator>
#include <QtGui/QAction>
#include <QtGui/QScreen>
#include <QtGui/QShortcut>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QCompleter>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>

#include "ScriptedRunner.h"
#include "app/canvas/ScreenCanvas.h"
#include "app/dialogs/Alarm.h"
#include "app/dialogs/Inputinfo.h"
#include "app/dialogs/Portchoice.h"
#include "app/dialogs/Printchoice.h"
#include "app/dialogs/Yrpicture.h"
#include "app/window/KorvexForm.h"
#include "app/window/PaintBox.h"
#include "app/window/ProgressBar.h"
#include "app/window/QtTranslations.h"
#include "app/window/StatusPanel.h"
#include "kinds/Evaluate.h"
#include "kinds/Pages.h"
#include "kinds/StarttestPage.h"
#include "link/Controller.h"
#include "link/PortDevice.h"
#include "link/SerialPortFactory.h"
#include "link/sim/SimPorts.h"
#include "record/DataFile.h"
#include "record/TextCodec.h"
#include "support/RecordEdits.h"

namespace korvex {

// A widget of the window, found by the object name the operator's manual gives it.
template <class T> inline T* find(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child)
        ADD_FAILURE() << "no " << name;
    return child;
}

struct Window {
    explicit Window(const QString& dataFile = {}, bool paced = false, const QString& dir = {},
                    const QString& fault = {})
    {
        controller.setPortSource(simulatedPorts(makeSimInstrument(QString(), paced, fault)));
        TKORVEXForm::StartOptions options;
        options.programDir = (dir.isEmpty() ? temp.path() : dir) + QLatin1Char('/');
        options.dataFile = dataFile;
        form = std::make_unique<TKORVEXForm>(controller, runner, options);
    }
    const TestRecord& record() const { return controller.record(); }
    template <class T> T* find(const char* name) const { return korvex::find<T>(*form, name); }
    QString path(const char* name) const { return temp.filePath(QLatin1String(name)); }

    QTemporaryDir temp;
    Controller controller{evaluateKind};
    ScriptedRunner runner;
    std::unique_ptr<TKORVEXForm> form;
};

// Writes a data file of an output page with options and test information a reader can follow.
inline QString writeSample(const QString& path)
{
    TestRecord r;
    resetAllResults(r);
    r.currentTest = KindOutput;
    r.chinese = 0;
    r.thdCsa = 1;
    r.wideBand = 1;
    r.hasOutputResult = 1;
    r.Fout = 42.5f;
    storeText(r.infoName, utf8ToCp936("镇流器"));
    EXPECT_TRUE(writeDataFile(path.toStdString(), r).ok);
    return path;
}

} // namespace korvex
