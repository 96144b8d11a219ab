// The port on a real serial device (or pseudo-terminal) through QSerialPort.
#pragma once

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include "link/LinkPort.h"

namespace korvex {

class SerialLinkPort final : public LinkPort {
    Q_OBJECT
  public:
    explicit SerialLinkPort(QString device, QObject* parent = nullptr);
    ~SerialLinkPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return serial_.isOpen(); }
    void purgeInput() override;
    int64_t bytesWaiting() override;
    bool writeByte(uint8_t byte) override;
    int64_t read(uint8_t* dst, int64_t n) override;
    bool waitForData(int msecs) override;
    void setWakeLevel(int64_t waiting) override;
    QString deviceName() const override { return device_; }

  private:
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    /// QSerialPort's own read notifier, or null.
    QSocketNotifier* qtReadNotifier();
    /// While a block is on its way, the port stops watching the line for as long as 19200 baud
    /// needs to carry it (up to a quarter of a second at a time), then reads what came.
    void beginQuiet(int64_t more);
    void endQuiet(bool readNow);
    /// Closes the port and reports "<device>: <cause>".
    void fail(const QString& cause);
    /// Moves what QSerialPort has read into received_, behind what is there already.
    void takeQtBuffer();
    /// Reads what the terminal driver still holds into received_ (see onReadyRead).
    void drainDescriptor();
    /// Both, in that order, which keeps the bytes in the order they came.
    void collectInput();
    /// True when the device itself reports that the line is gone (poll sees a hang-up or an
    /// error, or the count of waiting bytes cannot be read).
    bool lineHungUp() const;

    QString device_;
    QSerialPort serial_;
    int emptyReadErrors_ = 0; // read errors in a row with no byte in between
    int minimumBytes_ = 0;    // the line's VMIN: poll reports data once that many are queued
    // The bytes read and not yet handed over, in the order they came: QSerialPort's buffer
    // is moved here before the descriptor is read past it.
    QByteArray received_;
    QTimer quiet_; // running while the line is not watched
};

} // namespace korvex
