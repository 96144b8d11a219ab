// The port on a serial device through QSerialPort's documented interface alone: the port of
// the Windows build, where the driver keeps the receive queue.
#pragma once

#include <QSerialPort>

#include "link/LinkPort.h"

namespace korvex {

class QtSerialLinkPort final : public LinkPort {
    Q_OBJECT
  public:
    explicit QtSerialLinkPort(QString device, QObject* parent = nullptr);
    ~QtSerialLinkPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return serial_.isOpen(); }
    void purgeInput() override;
    int64_t bytesWaiting() override;
    bool writeByte(uint8_t byte) override;
    int64_t read(uint8_t* dst, int64_t n) override;
    bool waitForData(int msecs) override;
    /// QSerialPort reads every chunk as it comes; the reader is told only once the level is
    /// reached.
    void setWakeLevel(int64_t waiting) override;
    QString deviceName() const override { return device_; }

  private:
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    /// Closes the port and reports "<device>: <cause>" (once).
    void fail(const QString& cause);

    QString device_;
    QSerialPort serial_;
    int64_t wakeLevel_ = 0;
    bool unannounced_ = false; // bytes came that the reader was not told of
    int emptyReadErrors_ = 0;  // read errors in a row with no byte in between
};

} // namespace korvex
