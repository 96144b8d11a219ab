// The simulated instrument as a source of ports: in-memory lines to a SimInstrument, for the
// programs that run without hardware (korvex --simulator, korvex-cli run --port sim, tests).
#pragma once

#include <QString>
#include <memory>

#include "link/MemoryLinkPort.h"
#include "link/PortSource.h"
#include "link/sim/SimInstrument.h"

namespace korvex {

/// The simulated instrument of a scenario ("pfc" when empty), paced at 19200 baud with a lamp
/// switching wait or not, with a fault to inject (empty for none; see SimFault::parse).
std::shared_ptr<SimInstrument> makeSimInstrument(const QString& scenario = QString(), bool paced = true,
                                                 const QString& fault = QString());

/// An in-memory port (device "sim") wired to the instrument: what the host writes reaches it,
/// what it sends arrives on the port, it times its bytes by the port's wake level, and its
/// hang-up closes the port. Opening the port resets the instrument, so a reopened port starts
/// a new conversation. The port keeps the instrument alive.
std::unique_ptr<MemoryLinkPort> connectSimInstrument(const std::shared_ptr<SimInstrument>& instrument);

/// Every port on the instrument, whatever the port name.
PortSource simulatedPorts(std::shared_ptr<SimInstrument> instrument);

/// The platform's serial ports, and for the device "sim" (a port name may stand for it,
/// KORVEX_COMn=sim) the paced simulated instrument, made when first needed and kept.
PortSource serialOrSimulatedPorts();

} // namespace korvex
