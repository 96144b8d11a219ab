// Where ports come from: the device a port name stands for, and ports on the simulated
// instrument, which a reopened port meets afresh.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "link/Frames.h"
#include "link/PortDevice.h"
#include "link/PortSource.h"
#include "link/sim/SimModel.h"
#include "link/sim/SimPorts.h"

namespace korvex::test {
namespace {

void runEvents(int msecs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QByteArray readAll(LinkPort& port)
{
    QByteArray bytes(int(port.bytesWaiting()), '\0');
    port.read(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

TEST(PortSource, APortNameStandsForItsDeviceUnlessADeviceIsGiven)
{
    QStringList asked;
    const PortSource::Factory recording = [&asked](const QString& device) -> std::unique_ptr<LinkPort> {
        asked << device;
        return std::make_unique<MemoryLinkPort>(device);
    };
    const PortSource byName(recording);
    EXPECT_EQ(byName.deviceFor(QStringLiteral("COM2")), resolvePortDevice(QStringLiteral("COM2")));
    EXPECT_EQ(byName.deviceFor(QString()), resolvePortDevice(QStringLiteral("COM1")));
    const PortSource given(recording, QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(given.deviceFor(QStringLiteral("COM2")), QStringLiteral("/dev/ttyUSB3"));
    const std::unique_ptr<LinkPort> port = given.make(given.deviceFor(QStringLiteral("COM4")));
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->deviceName(), QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(asked, QStringList{QStringLiteral("/dev/ttyUSB3")});
}

TEST(SimPorts, EveryPortNameOpensTheSimulatedInstrument)
{
    const PortSource sim = simulatedPorts(makeSimInstrument(QString(), false));
    EXPECT_EQ(sim.deviceFor(QStringLiteral("COM3")), QStringLiteral("sim"));
    const std::unique_ptr<LinkPort> port = sim.make(QStringLiteral("sim"));
    ASSERT_TRUE(port->open());
    port->writeByte(kCmdHandshake);
    EXPECT_EQ(readAll(*port), QByteArray(1, char(SimInstrument::kHandshakeAnswer)));
    port->writeByte(kCmdInput);
    EXPECT_EQ(port->bytesWaiting(), 512);
}

TEST(SimPorts, AReopenedPortMeetsTheInstrumentAfresh)
{
    // A paced start capture waits for the lamp; the port is closed and opened again before the
    // lamp comes on (the port dialog, a device back after a hang-up): no stale capture follows.
    auto instrument = makeSimInstrument(QString(), true);
    instrument->setLampWait(40);
    const std::unique_ptr<MemoryLinkPort> port = connectSimInstrument(instrument);
    ASSERT_TRUE(port->open());
    port->writeByte(kCmdHandshake);
    port->writeByte(kCmdStart);
    port->close();
    ASSERT_TRUE(port->open());
    runEvents(200);
    EXPECT_EQ(port->bytesWaiting(), 0);
}

TEST(SimPorts, TheSerialSourceKeepsOneSimulatedInstrumentForTheNameSim)
{
    const PortSource ports = serialOrSimulatedPorts();
    const std::unique_ptr<LinkPort> serial = ports.make(QStringLiteral("/dev/korvex-no-such-tty"));
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(serial->deviceName(), QStringLiteral("/dev/korvex-no-such-tty"));
    EXPECT_FALSE(serial->open());

    // Two ports for "sim" talk to one instrument: the second run is its model's second.
    SimModel model(QStringLiteral("pfc"));
    const std::vector<uint8_t> first = model.measurement(KindOutput).front();
    const std::vector<uint8_t> second = model.measurement(KindOutput).front();
    QByteArray blocks[2];
    for (QByteArray& block : blocks) {
        const std::unique_ptr<LinkPort> port = ports.make(QStringLiteral("sim"));
        ASSERT_TRUE(port->open());
        port->writeByte(kCmdHandshake);
        readAll(*port);
        // Paced: the parameter block comes at the line's pace.
        port->writeByte(kCmdOutput);
        QElapsedTimer t;
        t.start();
        while (port->bytesWaiting() < 64 && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        block = readAll(*port).left(64);
    }
    EXPECT_EQ(blocks[0], QByteArray(reinterpret_cast<const char*>(first.data()), 64));
    EXPECT_EQ(blocks[1], QByteArray(reinterpret_cast<const char*>(second.data()), 64));
}

} // namespace
} // namespace korvex::test
