// SPDX-License-Identifier: GPL-3.0-or-later
#include "tone_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <cmath>
#include <cstring>
#include <numbers>

namespace zt {

ToneStream::ToneStream(const QAudioFormat& f) : format_(f) {
    // Unbuffered: what the sink reads is generated at that moment, never read ahead.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void ToneStream::push(int hz, int ms) {
    const std::lock_guard lock(mutex_);
    qint64 frames = static_cast<qint64>(format_.sampleRate()) * ms / 1000;
    if (late_ > static_cast<qint64>(format_.sampleRate()) * kMaxLateMs / 1000)
        late_ = 0; // idle, not late
    if (hz <= 0) {
        const qint64 madeUp = std::min(late_, frames);
        frames -= madeUp;
        late_ -= madeUp;
    }
    if (frames > 0)
        queue_.push_back({hz, frames});
}

void ToneStream::clear() {
    const std::lock_guard lock(mutex_);
    queue_.clear();
    late_ = 0;
}

bool ToneStream::empty() const {
    const std::lock_guard lock(mutex_);
    return queue_.empty();
}

qint64 ToneStream::bytesAvailable() const {
    return format_.bytesPerFrame() * 4096 + QIODevice::bytesAvailable();
}

float ToneStream::next() {
    if (queue_.empty()) {
        ++late_;
        return 0.0F;
    }
    Segment& s = queue_.front();
    float v = 0.0F;
    if (s.hz > 0) {
        v = 0.5F * static_cast<float>(std::sin(phase_));
        phase_ += 2.0 * std::numbers::pi * s.hz / format_.sampleRate();
        if (phase_ > 2.0 * std::numbers::pi)
            phase_ -= 2.0 * std::numbers::pi;
    }
    if (--s.frames == 0) {
        queue_.pop_front();
        phase_ = 0.0;
    }
    return v;
}

qint64 ToneStream::readData(char* data, qint64 maxSize) {
    const int frameBytes = format_.bytesPerFrame();
    if (frameBytes <= 0)
        return 0;
    const qint64 frames = maxSize / frameBytes;
    const std::lock_guard lock(mutex_);
    for (qint64 i = 0; i < frames; ++i) {
        const float v = next();
        char* frame = data + i * frameBytes;
        for (int c = 0; c < format_.channelCount(); ++c) {
            char* at = frame + c * format_.bytesPerSample();
            switch (format_.sampleFormat()) {
            case QAudioFormat::Int16: {
                const auto x = static_cast<qint16>(v * 32767.0F);
                std::memcpy(at, &x, sizeof x);
                break;
            }
            case QAudioFormat::Int32: {
                const auto x = static_cast<qint32>(v * 2147483647.0F);
                std::memcpy(at, &x, sizeof x);
                break;
            }
            case QAudioFormat::Float:
                std::memcpy(at, &v, sizeof v);
                break;
            default: { // unsigned 8 bit
                const auto x = static_cast<quint8>(128 + v * 127.0F);
                std::memcpy(at, &x, sizeof x);
                break;
            }
            }
        }
    }
    return frames * frameBytes;
}

QtToneOutput::QtToneOutput(QObject* parent) : QObject(parent) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat f;
    f.setSampleRate(48000);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(f))
        f = device.preferredFormat();
    stream_ = std::make_unique<ToneStream>(f);
    sink_ = new QAudioSink(device, f, this);
    // A small buffer keeps what is queued close to what is heard.
    sink_->setBufferSize(f.bytesForDuration(40000));
    idle_.setInterval(250);
    connect(&idle_, &QTimer::timeout, this, &QtToneOutput::stopWhenIdle);
}

QtToneOutput::~QtToneOutput() {
    if (sink_ != nullptr)
        sink_->stop();
}

bool QtToneOutput::ensureRunning() {
    if (sink_ == nullptr)
        return false;
    if (sink_->state() == QAudio::StoppedState || sink_->state() == QAudio::IdleState) {
        sink_->start(stream_.get());
        if (sink_->error() != QAudio::NoError) {
            // No usable device after all: stay silent from now on.
            sink_->stop();
            delete sink_;
            sink_ = nullptr;
            return false;
        }
    }
    idle_.start();
    return true;
}

void QtToneOutput::Tone(int hz, int ms) {
    if (ensureRunning())
        stream_->push(hz, ms);
}

void QtToneOutput::Silence(int ms) {
    if (ensureRunning())
        stream_->push(0, ms);
}

void QtToneOutput::Halt() {
    if (sink_ == nullptr)
        return;
    stream_->clear();
    sink_->stop();
    idle_.stop();
}

void QtToneOutput::stopWhenIdle() {
    // Nothing queued for a whole check period: what was queued has been heard.
    if (sink_ == nullptr || !stream_->empty())
        return;
    idle_.stop();
    QTimer::singleShot(250, this, [this] {
        if (sink_ != nullptr && stream_->empty() && !idle_.isActive())
            sink_->stop();
    });
}

QtStepClock::QtStepClock(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    since_.start();
    connect(&timer_, &QTimer::timeout, this, [this] {
        auto fn = std::move(pending_);
        pending_ = nullptr;
        if (!fn)
            return;
        running_ = true;
        fn();
        running_ = false;
    });
}

void QtStepClock::After(int ms, std::function<void()> fn) {
    const qint64 now = since_.elapsed();
    due_ = (running_ ? due_ : now) + std::max(0, ms);
    pending_ = std::move(fn);
    timer_.start(static_cast<int>(std::max<qint64>(0, due_ - now)));
}

void QtStepClock::Cancel() {
    timer_.stop();
    pending_ = nullptr;
}

} // namespace zt
