// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports of the system and what stands in the way of each: listing them (USB adapters
// first, with their USB ids), telling whether a typed name or a link leads to a present device,
// naming why a port cannot be opened, and finding the radio among them (RadioSearch on the Qt
// serial port, with every open bounded in time).
#pragma once

#include "link/radio_search.h"
#include "serial_link.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zt {

struct SystemPort {
    QString name;        // "ttyUSB0", "COM3"
    QString device;      // "/dev/ttyUSB0"
    QString description; // what the system says about it ("" when nothing)
    bool usb = false;    // a USB adapter
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool hasUsbIds = false;
    QString serialNumber;
};

// The system's serial ports, USB adapters first, then by name.
QList<SystemPort> ListSystemPorts();
// Puts ports in that order: USB adapters (where a radio's cable is) before the built-in ports.
void SortSystemPorts(QList<SystemPort>& ports);

// The device behind a port name: "ttyUSB0" is /dev/ttyUSB0, a path stays as it is.
std::string DevicePathOf(const std::string& name);
// The device node a name leads to, links resolved ("" when it leads nowhere).
std::string ResolvedDevice(const std::string& name);

struct PortProblem {
    PortFault fault = PortFault::None;
    std::string detail; // the system's words
    bool ok() const { return fault == PortFault::None; }
};

// The kind of failure a system error number stands for (ENOENT: Missing, EACCES: Permission,
// EBUSY: Busy, ...), with the system's words.
PortProblem ProblemFromErrno(int err);
// Why `name` cannot be opened, from its device node (missing, a link to nothing, no permission)
// and a trial open that does not wait (busy, not a serial port). None when it can be opened.
PortProblem DiagnosePort(const std::string& name);
// The device exists as a device node (links resolved): a present port.
bool PortPresent(const std::string& name);

// The serial port of the exchanges with a reason when it cannot be opened: "PORT: permission
// denied: add yourself to the dialout group", in the user's language.
class ReasonedLinkPort : public LinkPort {
  public:
    ReasonedLinkPort(SerialLinkPort& port, const AppState& app) : port_(port), app_(app) {}
    bool open(const std::string& name) override;
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    void write(ByteSpan bytes) override { port_.write(bytes); }
    std::size_t discardInput() override { return port_.discardInput(); }
    void discardOutput() override { port_.discardOutput(); }
    void setReceiveThreshold(std::size_t t) override { port_.setReceiveThreshold(t); }
    std::string openFailure() const override { return failure_; }
    // Why the last open failed (None after one that succeeded).
    const PortProblem& problem() const { return problem_; }

  private:
    SerialLinkPort& port_;
    const AppState& app_;
    PortProblem problem_;
    std::string failure_;
};

// The names a search tries: `first` (typed paths, pseudo-terminals) in their order, then the
// system's ports (USB adapters first); a device reached by two names is tried once, by the first.
std::vector<std::string> SearchCandidates(const QStringList& first, const QList<SystemPort>& system);

// Finding the radio on the Qt serial port. The callbacks run on the thread of the event loop.
class PortSearch : public QObject, private SearchHost, private SearchPortOpener {
    Q_OBJECT
  public:
    explicit PortSearch(QObject* parent = nullptr);
    ~PortSearch() override;

    std::function<void(const std::string& port, std::size_t index, std::size_t count)> onTrying;
    std::function<void(const SkippedPort& s)> onSkipped;
    std::function<void(const SearchResult& r)> onEnded;

    bool start(std::vector<std::string> ports) { return search_.start(std::move(ports)); }
    void cancel() { search_.cancel(); }
    bool running() const { return search_.running(); }

  private:
    void trying(const std::string& port, std::size_t index, std::size_t count) override;
    void skipped(const SkippedPort& s) override;
    void searchEnded(const SearchResult& r) override;
    void startOpen(const std::string& name) override;
    void abandon() override;
    std::string lastError() const override;
    void opened(unsigned generation, const std::string& name, PortProblem problem);

    struct Mailbox; // where an opening thread leaves its report
    SerialLinkPort port_;
    SerialLinkTimer timer_;
    RadioSearch search_;
    std::shared_ptr<Mailbox> mailbox_;
    unsigned generation_ = 0;
};

} // namespace zt
