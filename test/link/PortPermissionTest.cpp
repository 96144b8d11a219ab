// A serial port this user may not open: the second line of "打开通讯口失败！" says so and how to
// get the right (the group, then log in again) in the window's language, and korvex-cli says
// the same in English; the QSerialPort port tells the refusal from its other faults too. Runs as
// an ordinary user (CTest runs it as nobody when the tests run as root, since root may open any
// device): the test's own pseudo-terminal with its permissions taken away is the port.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/QtSerialLinkPort.h"
#include "link/SerialPortFactory.h"

using namespace korvex;

namespace {

class UnopenablePort : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (::geteuid() == 0)
            GTEST_SKIP() << "root may open any device; run as an ordinary user";
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        device_ = QString::fromLocal8Bit(::ptsname(master_));
        ASSERT_EQ(::chmod(::ptsname(master_), 0), 0); // the terminal is ours: we may take our rights away
    }
    void TearDown() override
    {
        if (master_ >= 0)
            ::close(master_);
    }

    QString openFailure(bool chinese)
    {
        Controller controller(evaluateKind);
        DisplayOptions options;
        options.chinese = chinese;
        controller.setDisplayOptions(options);
        controller.setPortSource(PortSource(makeSerialPort, device_));
        QString message;
        QObject::connect(&controller, &Controller::messageRequested,
                         [&](const QString& text, const QString&) { message = text; });
        EXPECT_EQ(controller.openPort(), 1);
        return message;
    }

    int master_ = -1;
    QString device_;
};

TEST_F(UnopenablePort, theWindowSaysHowToGetTheRightInItsLanguage)
{
    const QStringList zh = openFailure(true).split(QLatin1Char('\n'));
    ASSERT_EQ(zh.size(), 2);
    EXPECT_EQ(zh[0], QStringLiteral("打开通讯口失败！"));
    EXPECT_TRUE(zh[1].contains(device_)) << zh[1].toStdString();
    EXPECT_TRUE(zh[1].contains(QStringLiteral("dialout 组"))) << zh[1].toStdString();
    EXPECT_TRUE(zh[1].contains(QStringLiteral("重新登录"))) << zh[1].toStdString();

    const QStringList en = openFailure(false).split(QLatin1Char('\n'));
    ASSERT_EQ(en.size(), 2);
    EXPECT_TRUE(en[1].contains(QStringLiteral("group dialout"))) << en[1].toStdString();
    EXPECT_TRUE(en[1].contains(QStringLiteral("log in again"))) << en[1].toStdString();
}

TEST_F(UnopenablePort, theCommandLineToolSaysTheSame)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("KORVEX_TEST_CLI")) << "run through run-as-user.sh";
    QProcess p;
    p.start(qEnvironmentVariable("KORVEX_TEST_CLI"), {"run", "input", "--port", device_});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("group dialout")) && err.contains(QStringLiteral("log in again")))
        << err.toStdString();
}

TEST_F(UnopenablePort, theQSerialPortPortSaysTheSame)
{
    QtSerialLinkPort port(device_);
    EXPECT_FALSE(port.open());
    EXPECT_TRUE(port.accessDenied());
    EXPECT_TRUE(port.errorText().contains(QStringLiteral("group dialout"))) << port.errorText().toStdString();
}

TEST_F(UnopenablePort, aPortThatIsMissingIsNotCalledAPermissionProblem)
{
    device_ += QStringLiteral("-missing");
    const QString message = openFailure(false);
    EXPECT_FALSE(message.contains(QStringLiteral("dialout"))) << message.toStdString();
    QtSerialLinkPort port(device_);
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.accessDenied());
    EXPECT_FALSE(port.errorText().contains(QStringLiteral("dialout"))) << port.errorText().toStdString();
}

} // namespace
