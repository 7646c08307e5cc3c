// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated radio for window tests: a child process serving the radio's side of the link on
// a pseudo-terminal reached through a link in a scratch folder, with a dump of its memory on
// every end frame and a log of every frame.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace zt::test {

class SimRadio {
  public:
    // `link`: the port path to appear on (several radios one after another on one path); by
    // default a path of its own.
    explicit SimRadio(QStringList args = {}, const QString& link = {}) {
        device_ = link.isEmpty() ? dir_.filePath("radio") : link;
        QStringList all = {ZT_RADIO_SIM,
                           "--link",
                           device_,
                           "--dump",
                           dir_.filePath("dump.bin"),
                           "--log",
                           dir_.filePath("frames.log")};
        all += args;
        proc_.start("python3", all);
        // The simulated radio prints its device path once it listens.
        if (proc_.waitForReadyRead(10000))
            started_ = proc_.readLine().trimmed() == device_.toUtf8();
    }
    ~SimRadio() {
        proc_.terminate();
        if (!proc_.waitForFinished(5000))
            proc_.kill();
        proc_.waitForFinished(5000);
    }
    bool started() const { return started_; }
    const QString& device() const { return device_; }
    QString file(const char* name) const { return dir_.filePath(name); }
    // The memory as of the last end frame ("" before any).
    QByteArray dumped() const {
        QFile f(dir_.filePath("dump.bin"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList log() const {
        QFile f(dir_.filePath("frames.log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // Logged frames of one direction ("rx"/"tx") and kind ("read", "write", "handshake", ...).
    int count(const QString& what) const {
        int n = 0;
        for (const QString& l : log())
            if (l.section(' ', 1).startsWith(what))
                ++n;
        return n;
    }

  private:
    QTemporaryDir dir_;
    QString device_;
    QProcess proc_;
    bool started_ = false;
};

} // namespace zt::test
