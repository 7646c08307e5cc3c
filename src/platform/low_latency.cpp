// SPDX-License-Identifier: GPL-3.0-or-later
#include "low_latency.h"

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace zt {

#ifdef __linux__
static_assert(kAsyncLowLatency == ASYNC_LOW_LATENCY);

namespace {

bool GetFlags(int fd, int& flags) {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0)
        return false;
    flags = s.flags;
    return true;
}

// The flags are part of the driver's whole serial settings: the others are written back as read.
bool SetFlags(int fd, int flags) {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0)
        return false;
    s.flags = flags;
    return ::ioctl(fd, TIOCSSERIAL, &s) == 0;
}

} // namespace

SerialFlagsCalls SystemSerialFlags() {
    return {GetFlags, SetFlags};
}
#else
SerialFlagsCalls SystemSerialFlags() {
    return {};
}
#endif

void LowLatencyMode::enable(int fd) {
    // A new opening: what an earlier one left to restore belonged to a descriptor now gone.
    fd_ = -1;
    on_ = false;
    int flags = 0;
    if (fd < 0 || !calls_.get || !calls_.set || !calls_.get(fd, flags))
        return;
    if (flags & kAsyncLowLatency) {
        on_ = true; // already on: nothing to change, nothing to restore
        return;
    }
    if (!calls_.set(fd, flags | kAsyncLowLatency))
        return;
    fd_ = fd;
    saved_ = flags;
    // A driver may take the request and still not act on it; what it reports back is the truth.
    int now = 0;
    on_ = calls_.get(fd, now) && (now & kAsyncLowLatency);
}

void LowLatencyMode::restore() {
    if (fd_ >= 0)
        calls_.set(fd_, saved_);
    fd_ = -1;
}

} // namespace zt
