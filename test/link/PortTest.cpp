// Ports: COM name resolution, the in-memory port, and the QSerialPort port on a
// pseudo-terminal (exclusive open, exact reads, purge, a hang-up that closes it once, and a
// block announced once it is complete).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "link/MemoryLinkPort.h"
#include "link/PortDevice.h"
#include "link/SerialLinkPort.h"

namespace korvex::test {
namespace {

TEST(PortNames, ComNamesResolveThroughTheEnvironmentOrToTtyS)
{
    qunsetenv("KORVEX_COM2");
    EXPECT_EQ(resolvePortDevice(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(resolvePortDevice(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
    qputenv("KORVEX_COM2", "/dev/pts/7");
    EXPECT_EQ(resolvePortDevice(QStringLiteral("COM2")), QStringLiteral("/dev/pts/7"));
    qputenv("KORVEX_COM2", "sim");
    EXPECT_EQ(resolvePortDevice(QStringLiteral("COM2")), QStringLiteral("sim"));
    qunsetenv("KORVEX_COM2");
    EXPECT_EQ(resolvePortDevice(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(resolvePortDevice(QStringLiteral("COMX")), QStringLiteral("COMX"));
}

TEST(MemoryPort, ReadsExactlyAndPurgesOnlyTheReceiveSide)
{
    MemoryLinkPort port;
    QByteArray sent;
    port.onWrite = [&](uint8_t b) { sent.append(char(b)); };
    port.deliver(QByteArray("early")); // before open: dropped
    ASSERT_TRUE(port.open());
    EXPECT_EQ(port.bytesWaiting(), 0);
    port.deliver(QByteArray("abcdef"));
    uint8_t buf[4];
    EXPECT_EQ(port.read(buf, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "abcd");
    EXPECT_EQ(port.bytesWaiting(), 2);
    port.writeByte('!');
    port.purgeInput();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(sent, QByteArray("!"));
}

TEST(MemoryPort, HangUpClosesAndReportsOnce)
{
    MemoryLinkPort port;
    ASSERT_TRUE(port.open());
    QSignalSpy errors(&port, &LinkPort::errorOccurred);
    port.hangUp(QStringLiteral("gone"));
    port.hangUp(QStringLiteral("gone"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(errors.count(), 1);
    EXPECT_FALSE(port.writeByte('?'));
}

TEST(MemoryPort, AnnouncesArrivalsOnlyOnceTheWakeLevelIsReached)
{
    MemoryLinkPort port;
    ASSERT_TRUE(port.open());
    QSignalSpy arrivals(&port, &LinkPort::dataArrived);
    port.setWakeLevel(100);
    const QByteArray chunk(30, 'x');
    for (int k = 0; k < 3; ++k)
        port.deliver(chunk); // 90 bytes: not yet
    EXPECT_EQ(arrivals.count(), 0);
    EXPECT_EQ(port.bytesWaiting(), 90);
    port.deliver(chunk);
    EXPECT_EQ(arrivals.count(), 1);
    port.setWakeLevel(0);
    port.deliver(QByteArray("y"));
    EXPECT_EQ(arrivals.count(), 2);
}

class Pty {
  public:
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            path = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    int master = -1;
    QString path;
};

TEST(SerialPort, OpeningAMissingDeviceFailsWithAReason)
{
    SerialLinkPort port(QStringLiteral("/dev/korvex-no-such-port"));
    EXPECT_FALSE(port.open());
    EXPECT_TRUE(port.errorText().contains(QStringLiteral("korvex-no-such-port")));
}

TEST(SerialPort, TalksToAPseudoTerminalAndClosesOnHangUp)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    SerialLinkPort port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();

    ASSERT_TRUE(port.writeByte('?'));
    char c = 0;
    ASSERT_EQ(::read(pty.master, &c, 1), 1);
    EXPECT_EQ(c, '?');

    ASSERT_EQ(::write(pty.master, "hello", 5), 5);
    QElapsedTimer t;
    t.start();
    while (port.bytesWaiting() < 5 && t.elapsed() < 2000)
        port.waitForData(100);
    ASSERT_EQ(port.bytesWaiting(), 5);
    uint8_t buf[3];
    EXPECT_EQ(port.read(buf, 3), 3);
    EXPECT_EQ(buf[0], 'h');
    port.purgeInput();
    EXPECT_EQ(port.bytesWaiting(), 0);

    QSignalSpy errors(&port, &LinkPort::errorOccurred);
    pty.closeMaster();
    t.restart();
    while (port.isOpen() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(port.isOpen());
    for (int k = 0; k < 5; ++k)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors.front().front().toString().contains(QStringLiteral("device disconnected")))
        << errors.front().front().toString().toStdString();
}

TEST(SerialPort, AWriteToALineThatIsGoneClosesThePortOnce)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    SerialLinkPort port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QSignalSpy errors(&port, &LinkPort::errorOccurred);
    pty.closeMaster();
    // Before the event loop has seen the hang-up: the byte cannot go, and the port says why.
    EXPECT_FALSE(port.writeByte('!'));
    EXPECT_FALSE(port.isOpen());
    for (int k = 0; k < 5; ++k)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors.front().front().toString().contains(QStringLiteral("device disconnected")))
        << errors.front().front().toString().toStdString();
    EXPECT_FALSE(port.writeByte('!'));
}

// Lets the event loop run for msecs (the port's notifier reads and announces in it).
void runEvents(int msecs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SerialPort, AnnouncesABlockOnlyOnceItIsCompleteButAHangUpAtOnce)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    SerialLinkPort port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QSignalSpy arrivals(&port, &LinkPort::dataArrived);

    port.setWakeLevel(300);
    // A block of 300 bytes in chunks of 30, as an adapter hands them over: announced once at
    // most 255 bytes are queued and once at its end (the reader sets its level again at each),
    // and all of it is read in order, though Linux hands it over 64 bytes per read.
    QByteArray sent;
    while (port.bytesWaiting() < 300 && sent.size() < 600) {
        QByteArray chunk;
        for (int i = 0; i < 30; ++i)
            chunk.append(char(sent.size() + i));
        ASSERT_EQ(::write(pty.master, chunk.data(), 30), 30);
        sent += chunk;
        runEvents(20);
        port.setWakeLevel(300);
    }
    EXPECT_EQ(port.bytesWaiting(), 300);
    EXPECT_LE(arrivals.count(), 2);
    EXPECT_GE(arrivals.count(), 1);
    uint8_t got[300];
    ASSERT_EQ(port.read(got, 300), 300);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(got), 300), sent.left(300));

    // Level 0: every byte is announced again.
    port.setWakeLevel(0);
    const qsizetype before = arrivals.count();
    ASSERT_EQ(::write(pty.master, "y", 1), 1);
    runEvents(50);
    EXPECT_EQ(arrivals.count(), before + 1);

    // Waiting for a block, the port still closes soon after the line is gone (once the time
    // the block needs on the line has passed).
    port.setWakeLevel(1000);
    ASSERT_EQ(::write(pty.master, sent.data(), 30), 30);
    pty.closeMaster();
    QElapsedTimer t;
    t.start();
    while (port.isOpen() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(port.isOpen());
}

// How often this thread has gone to sleep and been woken (Linux).
long wakeUpsOfThisThread()
{
    QFile status(QStringLiteral("/proc/thread-self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLong();
    return -1;
}

TEST(SerialPort, AwaitsABlockWithoutBeingWokenAtEveryChunk)
{
    // A block of 512 bytes at 19200 baud in chunks of 30 every 16 ms, as an adapter hands it
    // over, while the window's thread sleeps in its event loop: it is woken a few times, not
    // at each of the 18 chunks, and gets the whole block in order.
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    SerialLinkPort port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QByteArray block;
    for (int i = 0; i < 512; ++i)
        block.append(char(i * 7));
    QEventLoop loop;
    QObject::connect(&port, &LinkPort::dataArrived, &loop, [&] {
        if (port.bytesWaiting() >= 512)
            loop.quit();
        else
            port.setWakeLevel(512); // as the reader does at every arrival
    });
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    port.setWakeLevel(512);
    const long before = wakeUpsOfThisThread();
    ASSERT_GE(before, 0);
    std::thread adapter([&] {
        for (int at = 0; at < 512; at += 30) {
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
            ASSERT_GT(::write(pty.master, block.constData() + at, size_t(std::min(30, 512 - at))), 0);
        }
    });
    loop.exec();
    const long wakeUps = wakeUpsOfThisThread() - before;
    adapter.join();
    ASSERT_EQ(port.bytesWaiting(), 512);
    QByteArray got(512, '\0');
    ASSERT_EQ(port.read(reinterpret_cast<uint8_t*>(got.data()), 512), 512);
    EXPECT_EQ(got, block);
    EXPECT_LE(wakeUps, 8);
}

} // namespace
} // namespace korvex::test
