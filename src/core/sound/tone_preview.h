// SPDX-License-Identifier: GPL-3.0-or-later
// Preview of a tone tip on the computer's sound output, played step by step from timer calls so
// that the program stays responsive and the preview can be ended at any moment (Stop, closing
// the window, a new document, quitting) without a loop waiting underneath.
#pragma once

#include "model/records.h"

#include <functional>

namespace zt {

// Where the preview's sound goes. Each call follows what was queued before it.
class ToneOutput {
  public:
    virtual ~ToneOutput() = default;
    // Sounds `hz` for `ms` milliseconds.
    virtual void Tone(int hz, int ms) = 0;
    // Stays silent for `ms` milliseconds.
    virtual void Silence(int ms) = 0;
    // Drops whatever is queued or sounding.
    virtual void Halt() = 0;
};

// One pending timed call at a time.
class StepClock {
  public:
    virtual ~StepClock() = default;
    // Calls `fn` once, `ms` milliseconds from now; replaces a call still pending.
    virtual void After(int ms, std::function<void()> fn) = 0;
    // Forgets the pending call.
    virtual void Cancel() = 0;
};

class TonePreview {
  public:
    // The tip as it is now: read before each step, so a change of the steps takes effect for
    // the steps not yet played. Never null while the preview runs.
    using TipSource = std::function<const ToneTipEntry*()>;

    TonePreview(ToneOutput& out, StepClock& clock) : out_(out), clock_(clock) {}
    ~TonePreview() { Stop(); }
    TonePreview(const TonePreview&) = delete;
    TonePreview& operator=(const TonePreview&) = delete;

    // Captures the repeat count and the interval of `tip`; true when its steps last longer than
    // 4 ms in all (a shorter tip has nothing to play).
    bool Prepare(const ToneTipEntry& tip);
    // Plays the prepared tip: each pass plays the steps longer than 4 ms (a tone above 48 Hz, else
    // silence), then waits the interval. `finished` runs when the last pass has ended on its own.
    void Play(TipSource tip, std::function<void()> finished);
    // Ends the preview before its next step; the sound stops at once. `finished` does not run.
    void Stop();
    bool Playing() const { return playing_; }

  private:
    void step();

    ToneOutput& out_;
    StepClock& clock_;
    TipSource tip_;
    std::function<void()> finished_;
    int repeat_ = 0;
    int intervalMs_ = 0;
    int pass_ = 0;
    int next_ = 0; // next step index 0..13; 14 = the interval
    bool playing_ = false;
};

} // namespace zt
