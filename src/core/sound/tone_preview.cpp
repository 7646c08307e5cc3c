// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/tone_preview.h"

namespace zt {

namespace {
constexpr int kShortestStepMs = 5; // steps of 4 ms and less are not played
constexpr int kLowestToneHz = 49;  // lower tones are played as silence
} // namespace

bool TonePreview::Prepare(const ToneTipEntry& tip) {
    Stop();
    repeat_ = tip.Repeat;
    intervalMs_ = tip.Interval * 10;
    int total = 0;
    for (const ToneTipStep& s : tip.Steps)
        total += s.Length * 10;
    return total >= kShortestStepMs;
}

void TonePreview::Play(TipSource tip, std::function<void()> finished) {
    clock_.Cancel();
    tip_ = std::move(tip);
    finished_ = std::move(finished);
    pass_ = 0;
    next_ = 0;
    playing_ = repeat_ > 0 && tip_;
    if (!playing_) {
        if (finished_)
            finished_();
        return;
    }
    step();
}

void TonePreview::Stop() {
    if (!playing_)
        return;
    playing_ = false;
    clock_.Cancel();
    out_.Halt();
}

void TonePreview::step() {
    if (!playing_)
        return;
    const ToneTipEntry* tip = tip_();
    while (pass_ < repeat_ && tip != nullptr) {
        while (next_ < 14) {
            const ToneTipStep s = tip->Steps[static_cast<std::size_t>(next_++)];
            const int ms = s.Length * 10;
            if (ms < kShortestStepMs)
                continue;
            const int hz = s.Tone * 10;
            if (hz >= kLowestToneHz)
                out_.Tone(hz, ms);
            else
                out_.Silence(ms);
            clock_.After(ms, [this] { step(); });
            return;
        }
        // The interval after each pass.
        next_ = 0;
        ++pass_;
        if (intervalMs_ > 0) {
            out_.Silence(intervalMs_);
            clock_.After(intervalMs_, [this] { step(); });
            return;
        }
    }
    playing_ = false;
    auto done = std::move(finished_);
    finished_ = nullptr;
    if (done)
        done();
}

} // namespace zt
