// SPDX-License-Identifier: GPL-3.0-or-later
// The link engine's serial port and reply timer on Qt: QSerialPort at 9600,n,8,1 without flow
// control (in the driver's low-latency mode where it has one), and a precise single-shot QTimer.
#pragma once

#include "link/link_io.h"
#include "low_latency.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>

namespace zt {

class SerialLinkPort : public QObject, public LinkPort {
    Q_OBJECT
  public:
    using Receiver = std::function<void(ByteSpan)>;

    // `flags` are the driver calls behind low-latency mode (a test passes its own).
    explicit SerialLinkPort(QObject* parent = nullptr, SerialFlagsCalls flags = SystemSerialFlags());
    ~SerialLinkPort() override;

    // Where received packets go: called with everything buffered once the receive threshold is
    // reached (the engine keeps the first T bytes).
    void setReceiver(Receiver r) { receiver_ = std::move(r); }

    // `name` is a port name ("ttyUSB0", "COM3") or a device path ("/dev/pts/4", a link to one).
    bool open(const std::string& name) override;
    void close() override;
    bool isOpen() const override;
    void write(ByteSpan bytes) override;
    std::size_t discardInput() override;
    void discardOutput() override;
    void setReceiveThreshold(std::size_t t) override;

    std::size_t receiveThreshold() const { return threshold_; }
    // The driver was in low-latency mode at the last opening (the mode ends with the port).
    bool lowLatency() const { return lowLatency_.on(); }
    // The system's description of the last failure to open, read or write ("" when none).
    QString lastError() const { return lastError_; }

  private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    LowLatencyMode lowLatency_;
    std::size_t threshold_ = 1;
    bool broken_ = false;     // a read or write error: closing on the next turn of the event loop
    unsigned generation_ = 0; // counts opens, so a late close never hits a newer opening
    Receiver receiver_;
    QString lastError_;
};

class SerialLinkTimer : public QObject, public LinkTimer {
    Q_OBJECT
  public:
    explicit SerialLinkTimer(QObject* parent = nullptr);
    void setHandler(std::function<void()> h) { handler_ = std::move(h); }
    void start(int ms) override;
    void stop() override;
    bool isActive() const { return timer_.isActive(); }

  private:
    QTimer timer_;
    std::function<void()> handler_;
};

// Routes the port's packets and the timer's expiry to the engine (a LinkEngine).
template <class Engine> void AttachLinkEngine(SerialLinkPort& port, SerialLinkTimer& timer, Engine& engine) {
    port.setReceiver([&engine](ByteSpan bytes) { engine.onReceive(bytes); });
    timer.setHandler([&engine] { engine.onReplyTimeout(); });
}

} // namespace zt
