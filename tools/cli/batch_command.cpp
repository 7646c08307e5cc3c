// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_command.h"

#include "port_search.h"
#include "serial_link.h"
#include "stop_signals.h"

#include "files/version_table.h"
#include "link/batch_write.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

namespace zt {

namespace {

constexpr int kConfirmBatch = 34657;
constexpr int kWaiting = 34602;
constexpr int kGoOn = 34610;
constexpr int kFailedRadio = 34606;

// The command line around the batch: a line on stdout for every radio, the waiting and the progress
// on stderr, questions through the prompter (--yes answers them).
class CliBatchHost : public BatchHost {
  public:
    CliBatchHost(const AppState& app, CliPrompter& prompter, const BatchCommandOptions& o)
        : app_(app), prompter_(prompter), options_(o) {}
    BatchWriter* batch = nullptr;

    void phaseChanged(BatchPhase phase, const BatchRadio&) override {
        endBar();
        if (phase == BatchPhase::Waiting)
            std::cerr << ShownLine(app_.LangTextOr(kWaiting, "Waiting for the next radio on %1 ...",
                                                   app_.ComPortName))
                      << std::endl;
    }
    void portTrouble(const std::string& why) override {
        endBar();
        if (!why.empty())
            std::cerr << ShownLine(why) << std::endl;
    }
    void progress(int percent) override {
        if (!options_.progressBar)
            return;
        constexpr int kWidth = 40;
        std::string bar(static_cast<std::size_t>(percent * kWidth / 100), '#');
        bar.resize(kWidth, '.');
        std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
        std::fflush(stderr);
        barShown_ = true;
    }
    bool askPassword(std::string& password) override {
        endBar();
        if (options_.password && password != *options_.password) {
            password = *options_.password;
            return true;
        }
        if (options_.interactive && !options_.password) {
            std::cerr << "Password: " << std::flush;
            std::string typed;
            if (std::getline(std::cin, typed)) {
                while (!typed.empty() && (typed.back() == ' ' || typed.back() == '\r'))
                    typed.pop_back();
                password = typed;
            }
        }
        return true;
    }
    void radioDone(const BatchRadio& r, const BatchCount& count, const std::string& logError) override {
        endBar();
        std::cout << BatchLogLine(r) << std::endl;
        std::cerr << count.total() << " radio" << (count.total() == 1 ? "" : "s") << ": "
                  << count.written + count.verified << " written (" << count.verified << " verified), "
                  << count.failed << " failed" << std::endl;
        if (!logError.empty() || r.result != BatchResult::Failed || batch->stopRequested())
            return;
        const std::string serial = r.serial.empty() ? std::string("?") : r.serial;
        const std::string question = app_.LangTextOr(kFailedRadio, "Radio %1 failed: %2", serial, r.reason) +
                                     "\r\n" + app_.LangTextOr(kGoOn, "Go on with the next radio?");
        // On a terminal the user decides (--yes: go on); a run without one (a script) goes on: the
        // failure is in the log and on stderr, and the exit status says so.
        if (!options_.interactive) {
            std::cerr << ShownLine(app_.LangTextOr(kFailedRadio, "Radio %1 failed: %2", serial, r.reason))
                      << std::endl;
            batch->goOn();
        } else if (prompter_.ask(question, Icon::Question, Buttons::YesNo) == Answer::Yes)
            batch->goOn();
        else
            batch->stop();
    }
    void batchEnded(const BatchCount& c, const std::string& why) override {
        endBar();
        count = c;
        failure = why;
        QCoreApplication::exit(0);
    }

    BatchCount count;
    std::string failure;

  private:
    void endBar() {
        if (barShown_)
            std::fputc('\n', stderr);
        barShown_ = false;
    }
    const AppState& app_;
    CliPrompter& prompter_;
    const BatchCommandOptions& options_;
    bool barShown_ = false;
};

} // namespace

int BatchWriteCommand(AppState& app, Document& doc, CliPrompter& prompter, BackupStore* backups,
                      const BatchCommandOptions& options) {
    // The log first: one that cannot be written stops the batch before any radio is touched.
    BatchLog log;
    std::string error;
    if (!log.open(options.logPath, app.DocFileName, &error)) {
        std::cerr << "ztprog-cli: " << ShownLine(error) << '\n';
        return 1;
    }
    const std::string confirm =
        app.LangTextOr(kConfirmBatch, "Write the document %1 to every radio connected to %2?",
                       app.DocFileName, app.ComPortName);
    // On a terminal the document is confirmed once (--yes confirms it); a script confirms it by
    // asking for --repeat with its --log.
    if (options.interactive && prompter.ask(confirm, Icon::Question, Buttons::OkCancel) != Answer::Ok) {
        std::cerr << "ztprog-cli: not confirmed (use --yes): " << ShownLine(confirm) << '\n';
        return 1;
    }

    SerialLinkPort port;
    ReasonedLinkPort reasonedPort(port, app); // a port that does not open says why
    SerialLinkTimer replyTimer;
    SerialLinkTimer stepTimer;
    AppVersionTable versions(app);
    CliBatchHost host(app, prompter, options);
    BatchWriter batch(app, doc, reasonedPort, replyTimer, stepTimer, versions, host, log, backups);
    host.batch = &batch;
    AttachLinkEngine(port, replyTimer, batch);
    stepTimer.setHandler([&batch] { batch.onStepTimer(); });
    batch.setVerify(options.verify);
    if (options.password)
        batch.setPassword(*options.password);

    StopSignals stopSignals([&] {
        if (!batch.running())
            return;
        if (batch.phase() == BatchPhase::Writing || batch.phase() == BatchPhase::Verifying)
            std::cerr << "\nStopping once the radio in progress is written." << std::endl;
        batch.stop();
    });
    batch.start();
    QCoreApplication::exec(); // until CliBatchHost::batchEnded
    if (!host.failure.empty()) {
        std::cerr << "ztprog-cli: "
                  << OneLine(app.LangTextOr(34627, "The batch stopped: its log cannot be written.")) << ' '
                  << ShownLine(host.failure) << '\n';
        return 1;
    }
    return host.count.failed > 0 ? 1 : 0;
}

} // namespace zt
