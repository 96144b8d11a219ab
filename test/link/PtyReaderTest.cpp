// The reader of a running test on a real pseudo-terminal, through the platform's serial port.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <unistd.h>

#include "LinkTestSupport.h"
#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/Frames.h"
#include "link/SerialPortFactory.h"

namespace korvex::test {
namespace {

TEST(PtyReader, ABlockDeliveredAtOnceIsActedOnWithoutWaitingForItsLineTime)
{
    // An instrument (or USB adapter) that hands each reply over whole, faster than 19200 baud
    // would carry it: the next command must follow the block, not the 267 ms the line would
    // need for 512 bytes. The limit is generous; what it catches is waiting for a line time.
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    Controller controller(evaluateKind);
    controller.setPortSource(PortSource(makeSerialPort, pty.path));
    ASSERT_EQ(controller.openPort(), 0) << controller.lastFailure().toStdString();
    int completed = 0;
    QObject::connect(&controller, &Controller::runCompleted, [&](int32_t) { ++completed; });

    const std::vector<QByteArray> blocks = simBlocks(KindInput);
    size_t next = 0;
    QElapsedTimer sinceBlock;
    std::vector<qint64> responsesMs; // from a whole block to the command that follows it
    QByteArray unexpected;
    QSocketNotifier instrument(pty.master, QSocketNotifier::Read);
    QObject::connect(&instrument, &QSocketNotifier::activated, [&] {
        char command = 0;
        if (::read(pty.master, &command, 1) != 1)
            return;
        if (sinceBlock.isValid())
            responsesMs.push_back(sinceBlock.elapsed());
        const auto send = [&](const QByteArray& bytes) {
            ASSERT_EQ(::write(pty.master, bytes.constData(), size_t(bytes.size())), bytes.size());
            sinceBlock.start();
        };
        if (command == char(kCmdHandshake)) {
            send(QByteArray(1, 'K'));
        } else if ((command == char(kCmdInput) && next == 0) || (command == char(kCmdNext) && next > 0)) {
            send(blocks[next++]);
            if (next == blocks.size())
                sinceBlock.invalidate(); // nothing follows the last block of a single run
        } else {
            unexpected.append(command);
        }
    });

    controller.singleRun(KindInput);
    QElapsedTimer t;
    t.start();
    while (completed == 0 && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(completed, 1) << controller.lastFailure().toStdString();
    EXPECT_TRUE(unexpected.isEmpty()) << unexpected.toHex().toStdString();
    ASSERT_EQ(responsesMs.size(), 3u); // the handshake's answer and the first two blocks
    for (const qint64 ms : responsesMs)
        EXPECT_LT(ms, 100);
    EXPECT_EQ(controller.record().hasResult(KindInput), 1);
}

} // namespace
} // namespace korvex::test
