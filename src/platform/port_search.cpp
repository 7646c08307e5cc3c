// SPDX-License-Identifier: GPL-3.0-or-later
#include "port_search.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zt {

namespace {
constexpr int kMsgPortPermission = 22003; // how to join the dialout group, ending "Port:"
}

QList<SystemPort> ListSystemPorts() {
    QList<SystemPort> out;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        SystemPort s;
        s.name = p.portName();
        s.device = p.systemLocation();
        s.description = p.description();
        s.hasUsbIds = p.hasVendorIdentifier() && p.hasProductIdentifier();
        s.vendorId = p.vendorIdentifier();
        s.productId = p.productIdentifier();
        s.serialNumber = p.serialNumber();
        s.usb = p.hasVendorIdentifier() || s.name.startsWith("ttyUSB") || s.name.startsWith("ttyACM");
        out.push_back(s);
    }
    SortSystemPorts(out);
    return out;
}

void SortSystemPorts(QList<SystemPort>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const SystemPort& a, const SystemPort& b) {
        if (a.usb != b.usb)
            return a.usb;
        return a.name < b.name;
    });
}

std::string DevicePathOf(const std::string& name) {
#ifdef Q_OS_WIN
    return name;
#else
    if (name.find('/') != std::string::npos)
        return name;
    return "/dev/" + name;
#endif
}

std::string ResolvedDevice(const std::string& name) {
    const QString canonical = QFileInfo(QString::fromStdString(DevicePathOf(name))).canonicalFilePath();
    return canonical.toStdString();
}

namespace {

#ifndef Q_OS_WIN
PortProblem FromErrnoImpl(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return {PortFault::Missing, std::strerror(err)};
    case EACCES:
    case EPERM:
        return {PortFault::Permission, std::strerror(err)};
    case EBUSY:
        return {PortFault::Busy, std::strerror(err)};
    default:
        return {PortFault::Other, std::strerror(err)};
    }
}

// Opens the device without waiting for a carrier and closes it again; the caller's thread may
// block here when the driver does.
PortProblem TrialOpen(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FromErrnoImpl(errno);
    PortProblem p;
    if (!::isatty(fd))
        p = {PortFault::NotSerial, std::strerror(ENOTTY)};
    ::close(fd);
    return p;
}
#endif

} // namespace

PortProblem ProblemFromErrno(int err) {
#ifdef Q_OS_WIN
    return {PortFault::Other, std::strerror(err)};
#else
    return FromErrnoImpl(err);
#endif
}

PortProblem DiagnosePort(const std::string& name) {
#ifdef Q_OS_WIN
    (void)name;
    return {};
#else
    const std::string path = DevicePathOf(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return FromErrnoImpl(errno); // a missing node or a link to nothing
    if (!S_ISCHR(st.st_mode))
        return {PortFault::NotSerial, std::strerror(ENOTTY)};
    if (::access(path.c_str(), R_OK | W_OK) != 0)
        return FromErrnoImpl(errno);
    return TrialOpen(path);
#endif
}

bool PortPresent(const std::string& name) {
#ifdef Q_OS_WIN
    (void)name;
    return false;
#else
    struct stat st {};
    return !name.empty() && ::stat(DevicePathOf(name).c_str(), &st) == 0 && S_ISCHR(st.st_mode);
#endif
}

bool ReasonedLinkPort::open(const std::string& name) {
    problem_ = {};
    failure_.clear();
    if (port_.open(name))
        return true;
    problem_ = DiagnosePort(name);
    if (problem_.ok()) // the device looks fine, yet the serial port refused it
        problem_ = {PortFault::Other, port_.lastError().toStdString()};
    const std::string path = DevicePathOf(name);
    // A refused port gets the whole dialout advice (how to join the group) where there is one.
    const std::string advice =
        problem_.fault == PortFault::Permission ? app_.LangText(kMsgPortPermission) : "";
    failure_ =
        advice.empty() ? SkippedPortText(app_, {path, problem_.fault, problem_.detail}) : advice + " " + path;
    return false;
}

std::vector<std::string> SearchCandidates(const QStringList& first, const QList<SystemPort>& system) {
    std::vector<std::string> names;
    std::vector<std::string> devices;
    auto add = [&](const QString& n) {
        const std::string name = n.trimmed().toStdString();
        if (name.empty())
            return;
        std::string device = ResolvedDevice(name);
        if (device.empty())
            device = DevicePathOf(name); // missing: tried all the same, to report why
        if (std::find(devices.begin(), devices.end(), device) != devices.end())
            return;
        devices.push_back(device);
        names.push_back(name);
    };
    for (const QString& n : first)
        add(n);
    for (const SystemPort& p : system)
        add(p.name);
    return names;
}

// The opening threads' reports go through here; the search may be gone when one arrives.
struct PortSearch::Mailbox {
    std::mutex mutex;
    PortSearch* owner = nullptr;
};

PortSearch::PortSearch(QObject* parent)
    : QObject(parent), search_(port_, timer_, *this, *this), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->owner = this;
    port_.setReceiver([this](ByteSpan bytes) { search_.onReceive(bytes); });
    timer_.setHandler([this] { search_.onTimeout(); });
}

PortSearch::~PortSearch() {
    {
        std::lock_guard<std::mutex> lock(mailbox_->mutex);
        mailbox_->owner = nullptr;
    }
    // A search still running ends quietly: the end frame where a handshake went out, port closed.
    onTrying = nullptr;
    onSkipped = nullptr;
    onEnded = nullptr;
    search_.cancel();
}

void PortSearch::trying(const std::string& port, std::size_t index, std::size_t count) {
    if (onTrying)
        onTrying(port, index, count);
}

void PortSearch::skipped(const SkippedPort& s) {
    if (onSkipped)
        onSkipped(s);
}

void PortSearch::searchEnded(const SearchResult& r) {
    if (onEnded)
        onEnded(r);
}

void PortSearch::startOpen(const std::string& name) {
    const unsigned generation = ++generation_;
#ifdef Q_OS_WIN
    opened(generation, name, {});
#else
    // The trial open runs on a thread of its own: a driver that blocks in open holds that thread,
    // not the search, whose timer skips the port. The thread ends when the driver lets it go.
    std::thread([mailbox = mailbox_, generation, name] {
        const PortProblem problem = TrialOpen(DevicePathOf(name));
        std::lock_guard<std::mutex> lock(mailbox->mutex);
        if (PortSearch* owner = mailbox->owner)
            QMetaObject::invokeMethod(
                owner, [owner, generation, name, problem] { owner->opened(generation, name, problem); },
                Qt::QueuedConnection);
    }).detach();
#endif
}

void PortSearch::opened(unsigned generation, const std::string& name, PortProblem problem) {
    if (generation != generation_)
        return; // abandoned
    if (!problem.ok()) {
        search_.onOpened(false, problem.fault, problem.detail);
        return;
    }
    if (!port_.open(name)) {
        search_.onOpened(false, PortFault::Other, port_.lastError().toStdString());
        return;
    }
    search_.onOpened(true, PortFault::None, {});
}

void PortSearch::abandon() {
    ++generation_;
}

std::string PortSearch::lastError() const {
    return port_.lastError().toStdString();
}

} // namespace zt
