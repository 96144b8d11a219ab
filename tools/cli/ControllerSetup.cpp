// Setting up the controller of run and plan from the configuration and the device name.
#include "ControllerSetup.h"

#include <QFile>
#include <memory>

#include "link/Controller.h"
#include "link/PortDevice.h"
#include "link/SerialPortFactory.h"
#include "link/sim/SimModel.h"
#include "link/sim/SimPorts.h"
#include "log/Locations.h"
#include "record/Configuration.h"
#include "record/FileUtil.h"
#include "record/TextCodec.h"

namespace korvex::cli {

void setUpController(Controller& controller, const Locations& where, const std::string& device,
                     const std::string& scenario, bool pace, const std::function<void(TestRecord&)>& adjust)
{
    Configuration cfg;
    std::string cfgBytes;
    if (readWholeFile(QFile::encodeName(where.configFile()).toStdString(), cfgBytes))
        cfg.setLines(Configuration::splitLines(cfgBytes));
    auto configured = std::make_unique<TestRecord>(controller.record());
    Settings settings;
    cfg.applyTo(*configured, settings);
    if (adjust)
        adjust(*configured);
    controller.setPortName(QString::fromLatin1(fieldText(settings.portName).c_str()));
    controller.setDisplayOptions(displayOptions(*configured));
    controller.takeEntries(*configured);

    const QString resolved = resolvePortDevice(QString::fromStdString(device));
    if (resolved == QStringLiteral("sim"))
        controller.setPortSource(simulatedPorts(makeSimInstrument(QString::fromStdString(scenario), pace)));
    else
        controller.setPortSource(PortSource(makeSerialPort, resolved));
}

} // namespace korvex::cli
