// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_link.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#endif

namespace zt {

SerialLinkPort::SerialLinkPort(QObject* parent, SerialFlagsCalls flags)
    : QObject(parent), lowLatency_(flags) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLinkPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLinkPort::onError);
}

SerialLinkPort::~SerialLinkPort() {
    close();
}

bool SerialLinkPort::open(const std::string& name) {
    close();
    ++generation_;
    broken_ = false;
    lastError_.clear();
    threshold_ = 1;
    port_.setPortName(QString::fromStdString(name));
    // Line settings given before opening are applied by the open itself. DTR and RTS are left at
    // the port's defaults: the radio's cable does not use them.
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        lastError_ = port_.errorString();
        return false;
    }
#ifdef Q_OS_LINUX
    // Each reply is shorter than a USB packet: without low latency an adapter may hold every one
    // for its latency timer.
    lowLatency_.enable(port_.handle());
#endif
    return true;
}

void SerialLinkPort::close() {
    if (!port_.isOpen())
        return;
    // A frame just written (the end frame of a failed exchange) still goes out.
    if (!broken_)
        port_.flush();
    lowLatency_.restore(); // on the descriptor, so before it is closed
    port_.close();
    broken_ = false;
}

bool SerialLinkPort::isOpen() const {
    return port_.isOpen() && !broken_;
}

void SerialLinkPort::write(ByteSpan bytes) {
    if (!isOpen() || bytes.empty())
        return;
    port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    // Hand the frame to the driver now rather than on the next turn of the event loop: the radio
    // answers sooner and the exchange loses no time between frames.
    port_.flush();
}

std::size_t SerialLinkPort::discardInput() {
    if (!isOpen())
        return 0;
    // What is dropped: the bytes read into the port's buffer and those the driver still holds.
    std::size_t n = static_cast<std::size_t>(std::max<qint64>(0, port_.bytesAvailable()));
#ifdef Q_OS_UNIX
    int held = 0;
    if (::ioctl(port_.handle(), FIONREAD, &held) == 0 && held > 0)
        n += static_cast<std::size_t>(held);
#endif
    port_.clear(QSerialPort::Input);
    return n;
}

void SerialLinkPort::discardOutput() {
    if (isOpen())
        port_.clear(QSerialPort::Output);
}

void SerialLinkPort::setReceiveThreshold(std::size_t t) {
    threshold_ = t < 1 ? 1 : t;
}

void SerialLinkPort::onReadyRead() {
    if (broken_)
        return;
    if (static_cast<std::size_t>(port_.bytesAvailable()) < threshold_)
        return; // not a whole reply yet: leave the bytes buffered
    const QByteArray data = port_.readAll();
    if (receiver_)
        receiver_(ByteSpan(reinterpret_cast<const std::uint8_t*>(data.constData()),
                           static_cast<std::size_t>(data.size())));
}

void SerialLinkPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // The device is gone or broken. Left open, the port keeps signalling at full speed while
        // writes still seem to succeed; closed, the reply time-outs carry the exchange to its end.
        // The close waits for the next turn of the event loop: this handler may run inside the
        // port's own read notification, which must not be torn down under it.
        lastError_ = port_.errorString();
        if (port_.isOpen() && !broken_) {
            broken_ = true;
            QMetaObject::invokeMethod(
                this,
                [this, generation = generation_] {
                    if (generation == generation_)
                        close();
                },
                Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
}

SerialLinkTimer::SerialLinkTimer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (handler_)
            handler_();
    });
}

void SerialLinkTimer::start(int ms) {
    timer_.start(ms);
}

void SerialLinkTimer::stop() {
    timer_.stop();
}

} // namespace zt
