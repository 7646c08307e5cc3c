// SPDX-License-Identifier: GPL-3.0-or-later
// The tone preview's sound and timing on Qt: a sine generator feeding one audio output stream,
// and a timer-driven step clock. Without an audio device the output stays silent and the
// preview keeps its timing from the clock alone.
#pragma once

#include "sound/tone_preview.h"

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <mutex>

class QAudioSink;

namespace zt {

// Sound as the audio stream asks for it: the queued segments one after the other (a tone is a
// sine, a pause is zeros), and zeros while nothing is queued, so the stream never runs dry. A tone
// always lasts exactly its length. When a segment comes a little late (the stream ran dry for up to
// kMaxLateMs), the next pause is shortened by that much, so that the steps keep their places in
// time; a longer gap is a new start and is not made up.
class ToneStream : public QIODevice {
  public:
    static constexpr int kMaxLateMs = 50;

    explicit ToneStream(const QAudioFormat& f);

    // Queues `hz` (0 = silence) for `ms` milliseconds.
    void push(int hz, int ms);
    void clear();
    bool empty() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    struct Segment {
        int hz;
        qint64 frames;
    };
    float next();
    QAudioFormat format_;
    mutable std::mutex mutex_;
    std::deque<Segment> queue_;
    double phase_ = 0.0;
    qint64 late_ = 0; // frames of zeros given since the last segment ended
};

class QtToneOutput : public QObject, public ToneOutput {
    Q_OBJECT
  public:
    explicit QtToneOutput(QObject* parent = nullptr);
    ~QtToneOutput() override;

    void Tone(int hz, int ms) override;
    void Silence(int ms) override;
    void Halt() override;

    // False when there is no audio device (or it failed): the output is silent.
    bool HasDevice() const { return sink_ != nullptr; }

  private:
    bool ensureRunning();
    void stopWhenIdle();

    std::unique_ptr<ToneStream> stream_;
    QAudioSink* sink_ = nullptr;
    QTimer idle_; // stops the stream once everything queued has been played
};

// A call made from inside a timed call is timed from when that call was due, not from when it
// ran, so that the steps of a preview do not drift by the timer's lateness.
class QtStepClock : public QObject, public StepClock {
    Q_OBJECT
  public:
    explicit QtStepClock(QObject* parent = nullptr);
    void After(int ms, std::function<void()> fn) override;
    void Cancel() override;

  private:
    QTimer timer_;
    QElapsedTimer since_;
    std::function<void()> pending_;
    qint64 due_ = 0;       // when the pending (or last) call was due, on since_
    bool running_ = false; // inside a timed call
};

} // namespace zt
