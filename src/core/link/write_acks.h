// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the acknowledgements of a write can be trusted.
//
// A write frame's reply is a single byte, 0x06 (stored) or 0x0A (send it again): it names neither
// the block nor the frame. A radio or cable that sends an acknowledgement twice (the second a few
// milliseconds after the first) therefore lets a repeated 0x06 stand for the reply to the next
// frame, and from then on every reply is taken for the frame after its own: a refused block is
// never sent again, and the write ends early. Timing cannot tell them apart in general: on a real
// line a reply cannot come sooner than the frame's wire time (22 bytes at 9600 baud, about 23 ms),
// but on an unpaced pseudo-terminal a fast radio answers within a millisecond, and a repetition
// that comes later than the wire time looks like any reply.
//
// What can always be told is the count: the radio sends one reply for every frame, so during a
// write every byte beyond one reply per frame is a repetition. The link counts such surplus bytes
//   - pending before a frame is sent (they are stale and dropped, but counted),
//   - delivered together with a reply beyond the receive threshold,
//   - arriving in a short quiet time after the end frame's acknowledgement (the last repetition
//     of a write whose replies ran one frame ahead would otherwise come after the port closed).
// A write with any surplus byte is not reported as written on its acknowledgements: it is read
// back, and it is written only when the radio holds what was sent (else it ends as differing or
// unfinished, never as written).
#pragma once

#include <cstddef>

namespace zt {

// How long the link listens after a write's end frame was acknowledged for a repetition.
constexpr int kAckQuietMs = 60;

class WriteAckWatch {
  public:
    // The first write frame of an exchange is about to go out.
    void begin() {
        surplus_ = 0;
        watching_ = true;
    }
    // The write frames are over (the write ended, or its read-back begins).
    void end() { watching_ = false; }
    bool watching() const { return watching_; }
    // `n` bytes were pending when the next frame was about to be sent.
    void stale(std::size_t n) {
        if (watching_)
            surplus_ += n;
    }
    // A delivery of `n` bytes where a reply of `threshold` bytes was awaited.
    void delivered(std::size_t n, std::size_t threshold) {
        if (watching_ && n > threshold)
            surplus_ += n - threshold;
    }
    // Bytes that arrived when no reply was awaited.
    void unasked(std::size_t n) {
        if (watching_)
            surplus_ += n;
    }
    // Some acknowledgement of this write came more than once.
    bool doubtful() const { return surplus_ > 0; }
    std::size_t surplus() const { return surplus_; }

  private:
    std::size_t surplus_ = 0;
    bool watching_ = false;
};

} // namespace zt
