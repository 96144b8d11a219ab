// The serial port as the protocol uses it: exclusive open at 19200 8-N-1, purge of the receive
// queue, count of bytes waiting, one-byte writes, exact reads, and notifications.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

namespace korvex {

class LinkPort : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~LinkPort() override = default;

    /// Opens the device exclusively and sets 19200 baud, 8 data bits, no parity, 1 stop bit.
    /// False when the device cannot be opened or configured; errorText() says why.
    virtual bool open() = 0;
    /// Closes the port; harmless when it is not open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// Discards every received byte not yet read (the transmit side is left alone).
    virtual void purgeInput() = 0;
    /// Bytes received and not yet read.
    virtual int64_t bytesWaiting() = 0;
    /// Sends one byte at once.
    virtual bool writeByte(uint8_t byte) = 0;
    /// Reads up to n bytes that are already waiting; returns the count read.
    virtual int64_t read(uint8_t* dst, int64_t n) = 0;
    /// Blocks up to msecs for more bytes to arrive (without spinning); true when some did.
    virtual bool waitForData(int msecs) = 0;
    /// The reader can go on only once `waiting` bytes wait in all: until then the port may hold
    /// back dataArrived, so a block streaming in does not wake the reader at every chunk; once
    /// they are there it announces them without delay. 0 announces every arrival. Counts and
    /// reads are the same. A level stays until it is set again: the reader sets 0 once its
    /// block is complete. Bytes held back that a lowered level reaches are announced from the
    /// event loop, never inside this call.
    virtual void setWakeLevel(int64_t waiting) { (void)waiting; }
    /// The device this port talks to ("/dev/ttyS0", "sim", ...).
    virtual QString deviceName() const = 0;
    QString errorText() const { return errorText_; }
    /// The last open() failed because this user may not use the device (errorText() then
    /// says how to get the right); the caller may say the same in its own language.
    bool accessDenied() const { return accessDenied_; }

  signals:
    /// New bytes are waiting.
    void dataArrived();
    /// The device failed (removed, hung up); the port has closed itself.
    void errorOccurred(const QString& text);

  protected:
    QString errorText_;
    bool accessDenied_ = false;
};

} // namespace korvex
