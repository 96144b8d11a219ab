// The controller of a command that runs tests (run, plan), set up as the window sets up its own:
// the configuration's settings and test information, and the port for a device name.
#pragma once

#include <functional>
#include <string>

#include "record/TestRecord.h"

namespace korvex {
class Controller;
struct Locations;
} // namespace korvex

namespace korvex::cli {

/// Reads KORVEX.cfg of where (never writes it) into the controller: port name, display options
/// and test information; adjust may change the record's fields first (a serial number given on
/// the command line). Then the port: "sim" the simulated instrument with scenario and pace,
/// else the device ("COM1".."COM4" resolve as in the window: KORVEX_COMn, else /dev/ttyS0..3).
void setUpController(Controller& controller, const Locations& where, const std::string& device,
                     const std::string& scenario, bool pace, const std::function<void(TestRecord&)>& adjust = nullptr);

} // namespace korvex::cli
