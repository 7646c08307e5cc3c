// The tone preview's sound and timing on Qt: a sine generator feeding one audio output stream,
// and a timer-driven step clock. Without an audio device the output stays silent and the
// preview keeps its timing from the clock alone.
#pragma once

#include "sound/tone_preview.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QAudioSink;

namespace zt {

class ToneStream;

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

class QtStepClock : public QObject, public StepClock {
    Q_OBJECT
  public:
    explicit QtStepClock(QObject* parent = nullptr);
    void After(int ms, std::function<void()> fn) override;
    void Cancel() override;

  private:
    QTimer timer_;
    std::function<void()> pending_;
};

} // namespace zt
