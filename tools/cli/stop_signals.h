// SPDX-License-Identifier: GPL-3.0-or-later
// SIGINT and SIGTERM as an event of the event loop: while a StopSignals lives, either signal
// calls its function from the loop (never from the signal handler), once for every signal.
#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

namespace zt {

class StopSignals {
  public:
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    // A stop signal arrived while this lived.
    bool received() const { return received_; }

  private:
    int read_ = -1;
    bool received_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace zt
