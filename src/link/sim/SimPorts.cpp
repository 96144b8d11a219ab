// Ports on the simulated instrument.
#include "link/sim/SimPorts.h"

#include <QPointer>
#include <utility>

#include "link/SerialPortFactory.h"

namespace korvex {

namespace {

const QString kSimDevice = QStringLiteral("sim");

} // namespace

std::shared_ptr<SimInstrument> makeSimInstrument(const QString& scenario, bool paced, const QString& fault)
{
    auto instrument = std::make_shared<SimInstrument>(scenario.isEmpty() ? QStringLiteral("pfc") : scenario, paced);
    SimFault f;
    if (!fault.isEmpty() && SimFault::parse(fault, f))
        instrument->setFault(f);
    return instrument;
}

std::unique_ptr<MemoryLinkPort> connectSimInstrument(const std::shared_ptr<SimInstrument>& instrument)
{
    auto port = std::make_unique<MemoryLinkPort>(kSimDevice);
    port->onWrite = [instrument](uint8_t b) { instrument->receive(b); };
    port->onWakeLevelChanged = [instrument] { instrument->wantChanged(); };
    port->onOpen = [instrument] { instrument->reset(); };
    // The instrument outlives a port it was wired to (a new port replaces it): it only ever
    // reaches the port it is wired to now, while that exists.
    const QPointer<MemoryLinkPort> target(port.get());
    instrument->output = [target](const uint8_t* data, size_t n) {
        if (target)
            target->deliver(data, n);
    };
    instrument->hangUp = [target] {
        if (target)
            target->hangUp(QStringLiteral("simulated instrument disconnected"));
    };
    instrument->wanted = [target]() -> int64_t { return target ? target->bytesWanted() : 1; };
    instrument->reset();
    return port;
}

PortSource simulatedPorts(std::shared_ptr<SimInstrument> instrument)
{
    return PortSource([instrument = std::move(instrument)](
                          const QString&) -> std::unique_ptr<LinkPort> { return connectSimInstrument(instrument); },
                      kSimDevice);
}

PortSource serialOrSimulatedPorts()
{
    auto instrument = std::make_shared<std::shared_ptr<SimInstrument>>();
    return PortSource([instrument](const QString& device) -> std::unique_ptr<LinkPort> {
        if (device != kSimDevice)
            return makeSerialPort(device);
        if (!*instrument)
            *instrument = makeSimInstrument();
        return connectSimInstrument(*instrument);
    });
}

} // namespace korvex
