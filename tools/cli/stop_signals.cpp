// SPDX-License-Identifier: GPL-3.0-or-later
#include "stop_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zt {

namespace {

// The write end of the socket pair that carries SIGINT and SIGTERM into the event loop.
int g_signalPipe = -1;

extern "C" void OnStopSignal(int) {
    const char c = 1;
    if (g_signalPipe >= 0) [[maybe_unused]]
        const auto n = ::write(g_signalPipe, &c, 1);
}

} // namespace

// The handlers do not restart an interrupted read, so a question waiting on the terminal ends too.
StopSignals::StopSignals(std::function<void()> onStop) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return;
    read_ = fds[0];
    g_signalPipe = fds[1];
    ::fcntl(g_signalPipe, F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(read_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, onStop = std::move(onStop)] {
        char buf[16];
        [[maybe_unused]] const auto n = ::read(read_, buf, sizeof buf);
        received_ = true;
        onStop();
    });
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    ::sigaction(SIGINT, &sa, &oldInt_);
    ::sigaction(SIGTERM, &sa, &oldTerm_);
}

StopSignals::~StopSignals() {
    if (read_ < 0)
        return;
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    notifier_.reset();
    ::close(g_signalPipe);
    g_signalPipe = -1;
    ::close(read_);
}

} // namespace zt
