// SPDX-License-Identifier: GPL-3.0-or-later
// Low-latency mode of a serial driver. A USB serial adapter holds a short reply until its latency
// timer runs out (16 ms on common adapters); in low-latency mode the driver passes each reply on
// at once. Every block of a read is one request and one short reply, so this decides whether a
// read takes its time on the wire or half as long again.
#pragma once

namespace zt {

// The low-latency bit among the driver's serial flags (ASYNC_LOW_LATENCY on Linux).
inline constexpr int kAsyncLowLatency = 1 << 13;

// The driver's serial flags of an open port (the ASYNC_* flags). On Linux these are the
// TIOCGSERIAL/TIOCSSERIAL requests; a test passes its own functions to see what is asked.
struct SerialFlagsCalls {
    bool (*get)(int fd, int& flags) = nullptr; // false: the driver has no such settings
    bool (*set)(int fd, int flags) = nullptr;  // false: the driver refused them
};

// The system's calls: the ioctls on Linux, none elsewhere (nothing is asked there).
SerialFlagsCalls SystemSerialFlags();

// Asks the driver of an open port for low latency and puts its earlier flags back when done. A
// driver without the setting (a pseudo-terminal, many adapters) is left as it is, silently.
class LowLatencyMode {
  public:
    explicit LowLatencyMode(SerialFlagsCalls calls = SystemSerialFlags()) : calls_(calls) {}

    // Asks for low latency on the open port `fd`; whether it is on afterwards is on().
    void enable(int fd);
    // Restores the flags found by enable() when it changed them; call while the port is open.
    void restore();
    // The driver reported low latency at the last enable() (set then or already on before).
    bool on() const { return on_; }

  private:
    SerialFlagsCalls calls_;
    int fd_ = -1; // the port whose flags were changed, -1 when there is nothing to restore
    int saved_ = 0;
    bool on_ = false;
};

} // namespace zt
