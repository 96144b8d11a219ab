// Ports: COM name resolution, the in-memory port, and both serial ports (the POSIX one and
// QSerialPort's) on a pseudo-terminal: exclusive open, exact reads, purge, a hang-up that
// closes the port once, and a block announced once it is complete.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "LinkTestSupport.h"
#include "link/DeviceLock.h"
#include "link/MemoryLinkPort.h"
#include "link/PortDevice.h"
#include "link/PosixSerialLinkPort.h"
#include "link/QtSerialLinkPort.h"

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

    // Held back under a level of 200, then reached by a lower one: announced from the event
    // loop, not inside the call.
    port.purgeInput();
    port.setWakeLevel(200);
    port.deliver(chunk);
    port.setWakeLevel(20);
    EXPECT_EQ(arrivals.count(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(arrivals.count(), 3);
}

// Lets the event loop run for msecs (the ports announce through it).
void runEvents(int msecs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

/// Runs the event loop until done() or msecs pass; true when done.
template <typename Done> bool runEventsUntil(Done done, int msecs = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// What both serial ports do alike: the POSIX port (Linux, macOS) and QSerialPort's (Windows,
// built and run here as well).
template <typename Port> class SerialPort : public ::testing::Test {
};
using SerialPorts = ::testing::Types<PosixSerialLinkPort, QtSerialLinkPort>;
TYPED_TEST_SUITE(SerialPort, SerialPorts);

TYPED_TEST(SerialPort, OpeningAMissingDeviceFailsWithTheSystemsReason)
{
    TypeParam port(QStringLiteral("/dev/korvex-no-such-port"));
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.errorText().contains(QStringLiteral("korvex-no-such-port"))) << port.errorText().toStdString();
    EXPECT_TRUE(port.errorText().contains(QStringLiteral("No such file or directory")))
        << port.errorText().toStdString();
}

TYPED_TEST(SerialPort, TalksToAPseudoTerminalAndClosesOnHangUp)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    TypeParam port(pty.path);
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
    EXPECT_TRUE(runEventsUntil([&] { return !port.isOpen(); }));
    runEvents(50);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors.front().front().toString().contains(QStringLiteral("device disconnected")))
        << errors.front().front().toString().toStdString();
}

TYPED_TEST(SerialPort, AWriteToALineThatIsGoneClosesThePortOnce)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    TypeParam port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QSignalSpy errors(&port, &LinkPort::errorOccurred);
    pty.closeMaster();
    // Before the event loop has seen the hang-up: the byte cannot go, and the port says why.
    EXPECT_FALSE(port.writeByte('!'));
    EXPECT_FALSE(port.isOpen());
    runEvents(50);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors.front().front().toString().contains(QStringLiteral("device disconnected")))
        << errors.front().front().toString().toStdString();
    EXPECT_FALSE(port.writeByte('!'));
}

TYPED_TEST(SerialPort, AnnouncesABlockOnceItIsCompleteAndWhatALowerLevelReaches)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    TypeParam port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QSignalSpy arrivals(&port, &LinkPort::dataArrived);

    // A block of 300 bytes in chunks of 30, as an adapter hands them over: announced once,
    // and read whole and in order.
    port.setWakeLevel(300);
    QByteArray sent;
    for (int at = 0; at < 300; at += 30) {
        QByteArray chunk;
        for (int i = 0; i < 30; ++i)
            chunk.append(char(at + i));
        ASSERT_EQ(::write(pty.master, chunk.data(), 30), 30);
        sent += chunk;
        runEvents(15);
    }
    ASSERT_TRUE(runEventsUntil([&] { return arrivals.count() > 0; }));
    runEvents(30);
    EXPECT_EQ(arrivals.count(), 1);
    ASSERT_EQ(port.bytesWaiting(), 300);
    uint8_t got[300];
    ASSERT_EQ(port.read(got, 300), 300);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(got), 300), sent);

    // 50 bytes under a level of 100 are not announced; lowering the level to 40 announces
    // them, or a reader would wait for bytes that are already here.
    port.setWakeLevel(100);
    ASSERT_EQ(::write(pty.master, sent.constData(), 50), 50);
    ASSERT_TRUE(runEventsUntil([&] { return port.bytesWaiting() == 50; }));
    runEvents(30);
    EXPECT_EQ(arrivals.count(), 1);
    port.setWakeLevel(40);
    EXPECT_EQ(arrivals.count(), 1); // never inside the caller
    EXPECT_TRUE(runEventsUntil([&] { return arrivals.count() == 2; }));

    // Level 0: every arrival is announced.
    port.setWakeLevel(0);
    ASSERT_EQ(::write(pty.master, "y", 1), 1);
    EXPECT_TRUE(runEventsUntil([&] { return arrivals.count() == 3; }));
}

TYPED_TEST(SerialPort, APurgeDiscardsBytesThatWaitedBeforeTheOpen)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    // Line noise from an instrument switched on mid-reply, queued before the program opens
    // the line (the slave held open meanwhile, as a line that is simply there).
    const int holder = ::open(pty.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    const QByteArray noise(100, '\xA5');
    ASSERT_EQ(::write(pty.master, noise.constData(), 100), 100);
    TypeParam port(pty.path);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QSignalSpy errors(&port, &LinkPort::errorOccurred);
    runEvents(30);
    port.purgeInput();
    EXPECT_EQ(port.bytesWaiting(), 0);
    runEvents(30); // a notice the purged bytes left behind is no error
    EXPECT_EQ(port.bytesWaiting(), 0);
    ASSERT_EQ(::write(pty.master, "K", 1), 1);
    ASSERT_TRUE(runEventsUntil([&] { return port.bytesWaiting() > 0; }));
    uint8_t answer = 0;
    EXPECT_EQ(port.read(&answer, 1), 1);
    EXPECT_EQ(answer, 'K');
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(errors.count(), 0);
    ::close(holder);
}

TYPED_TEST(SerialPort, OpensExclusivelyAgainstItselfAndAgainstQSerialPort)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    {
        TypeParam first(pty.path);
        ASSERT_TRUE(first.open()) << first.errorText().toStdString();
        TypeParam second(pty.path);
        EXPECT_FALSE(second.open());
        EXPECT_TRUE(second.errorText().contains(pty.path)) << second.errorText().toStdString();
        // Another program on QSerialPort (its lock file convention) is refused too.
        QSerialPort other(pty.path);
        EXPECT_FALSE(other.open(QIODevice::ReadWrite));
        first.close();
        EXPECT_TRUE(second.open()) << second.errorText().toStdString();
    }
    // And the port is refused while QSerialPort has the line.
    QSerialPort other(pty.path);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();
    TypeParam port(pty.path);
    EXPECT_FALSE(port.open());
    other.close();
    EXPECT_TRUE(port.open()) << port.errorText().toStdString();
}

// The POSIX port alone.

/// Writes a lock file in the convention other serial programs use (the process number, padded
/// to ten places), without holding it otherwise.
bool writeForeignLock(const QString& path, long pid)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(QByteArray::number(qlonglong(pid)).rightJustified(10, ' ') + "\n") > 0;
}

TEST(PosixSerialPort, HonoursALiveForeignLockAndTakesOverAStaleOne)
{
    const QString dir = DeviceLock::lockDirectory();
    if (dir.isEmpty())
        GTEST_SKIP() << "no writable lock directory";
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    const QString lockPath = DeviceLock::lockPathFor(pty.path, dir);
    ASSERT_FALSE(QFile::exists(lockPath));

    // minicom's kind of lock: a running process (1, always there) holds the line.
    ASSERT_TRUE(writeForeignLock(lockPath, 1));
    PosixSerialLinkPort port(pty.path);
    EXPECT_FALSE(port.open());
    EXPECT_TRUE(port.errorText().contains(QStringLiteral("process 1 "))) << port.errorText().toStdString();
    EXPECT_TRUE(port.errorText().contains(lockPath)) << port.errorText().toStdString();
    EXPECT_TRUE(QFile::exists(lockPath));

    // Left by a process that has ended (a crash): taken over, and gone again at close.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    ASSERT_TRUE(QFile::remove(lockPath));
    ASSERT_TRUE(writeForeignLock(lockPath, child));
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    QFile held(lockPath);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    EXPECT_EQ(held.readAll().trimmed().toLong(), long(::getpid()));
    port.close();
    EXPECT_FALSE(QFile::exists(lockPath));
}

TEST(PosixSerialPort, AFileThatIsNoTerminalIsRefusedAndLeavesNoLock)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("plain"));
    QFile plain(path);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    PosixSerialLinkPort port(path);
    for (int attempt = 0; attempt < 2; ++attempt) { // the second finds no lock of the first
        EXPECT_FALSE(port.open());
        EXPECT_TRUE(port.errorText().contains(QStringLiteral("not a serial device"))) << port.errorText().toStdString();
    }
    const QString lockDir = DeviceLock::lockDirectory();
    if (!lockDir.isEmpty()) {
        EXPECT_FALSE(QFile::exists(DeviceLock::lockPathFor(path, lockDir)));
    }
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

TEST(PosixSerialPort, AwaitsABlockWithoutBeingWokenAtEveryChunk)
{
    // A block of 512 bytes at 19200 baud in chunks of 30 every 16 ms, as an adapter hands it
    // over, while this thread sleeps in its event loop: it is woken a few times, not at each
    // of the 18 chunks, and gets the whole block in order.
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    PosixSerialLinkPort port(pty.path);
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
