// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_host.h"

#include "util/shown_text.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

namespace zt {

namespace {

// The answer of the first button: Yes, Retry (the information read asks Retry or Cancel) or OK.
Answer Positive(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::RetryCancel:
        return Answer::Retry;
    default:
        return Answer::Ok;
    }
}

Answer Negative(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

// Asks on the terminal; anything but y or yes is a no.
bool AskTerminal(const std::string& text) {
    std::cerr << ShownText(OneLine(text)) << " [y/N] " << std::flush;
    std::string reply;
    if (!std::getline(std::cin, reply))
        return false;
    return reply == "y" || reply == "Y" || reply == "yes" || reply == "Yes";
}

} // namespace

Answer CliPrompter::ask(const std::string& text, Icon, Buttons buttons, const std::string&) {
    // Messages name files and show texts from them: control characters are shown escaped.
    last_ = ShownText(OneLine(text));
    if (verbose || (interactive && buttons == Buttons::Ok))
        std::cerr << last_ << '\n';
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (yes || (interactive && AskTerminal(text)))
        return Positive(buttons);
    return Negative(buttons);
}

std::optional<bool> CliHost::decideRetry() {
    if (retries <= 0)
        return false;
    --retries;
    if (verbose) {
        std::cerr << (barShown_ ? "\n" : "") << "No reply from the radio: starting again";
        if (retries == 0)
            std::cerr << " for the last time.\n";
        else
            std::cerr << " (" << retries << (retries == 1 ? " more retry" : " more retries")
                      << " allowed).\n";
    }
    barShown_ = false;
    return true;
}

void CliHost::openProgress(LinkMode) {
    barShown_ = false;
    setProgress(0);
}

void CliHost::drawBar(int percent) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
    barShown_ = true;
}

void CliHost::setProgress(int percent) {
    if (progressBar)
        drawBar(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

void CliHost::beginReadBack() {
    closeProgress();
    if (progressBar)
        std::cerr << "Reading back to verify\n";
    setProgress(0);
}

WriteBackup CliHost::keep(BackupKind kind, const std::array<std::uint8_t, 0x2440>& image) {
    if (!backups || !engine || !doc)
        return {};
    // The radio is the one read on the cable in this exchange, never one named elsewhere.
    BackupRadio radio;
    if (const CableRadio* c = engine->cableRadio())
        radio = {&c->infoBlock, c->ident.modelId, c->ident.firmware};
    std::string error;
    if (const auto kept = KeepExchangeBackup(*backups, kind, image, *doc, radio, &error)) {
        if (verbose) {
            closeProgress();
            std::cerr << "Backup (" << BackupKindText(kind) << ") kept in " << ShownText(*kept) << '\n';
        }
        return {*kept, {}};
    }
    if (error.empty())
        error = "the backups folder " + backups->folder() + " cannot be written";
    return {{}, error};
}

void CliHost::keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) {
    if (mode != LinkMode::Read)
        return;
    // A read goes on without its backup, with a warning.
    if (const WriteBackup kept = keep(BackupKind::Read, image); !kept.error.empty()) {
        closeProgress();
        std::cerr << "ztprog-cli: warning: no backup kept: " << ShownText(OneLine(kept.error)) << '\n';
    }
}

WriteBackup CliHost::keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) {
    const bool restore = engine && engine->restoring();
    WriteBackup kept = keep(restore ? BackupKind::Restore : BackupKind::Write, image);
    backupError = kept.error;
    writeBackup = kept.folder;
    if (!kept.folder.empty())
        NoteBackupWrite(kept.folder, documentName, BackupCheck::NotChecked);
    return kept;
}

WriteBackup CliHost::keepMemoryBackup(const std::array<std::uint8_t, 0x2440>& memory) {
    WriteBackup kept = keep(BackupKind::BeforeWrite, memory);
    backupError = kept.error;
    memoryBackup = kept.folder;
    return kept;
}

std::string CliHost::newestMemoryBackup(const std::string& serial) {
    if (!backups)
        return {};
    const auto e = backups->newestMemory(serial);
    return e ? e->date + " " + e->time + ": " + e->folder : std::string();
}

void CliHost::writeOutcome(bool acknowledged, VerifyStatus verify) {
    if (writeBackup.empty())
        return;
    const BackupCheck check = !acknowledged                      ? BackupCheck::Failed
                              : verify == VerifyStatus::Verified ? BackupCheck::Verified
                              : verify == VerifyStatus::Differs  ? BackupCheck::Differs
                                                                 : BackupCheck::NotChecked;
    std::string error;
    if (!NoteBackupWrite(writeBackup, documentName, check, &error)) {
        closeProgress();
        std::cerr << "ztprog-cli: warning: " << ShownText(OneLine(error)) << '\n';
    }
}

void CliHost::beginBackupRead() {
    closeProgress();
    if (progressBar)
        std::cerr << "Reading the radio's memory for its backup\n";
}

void CliHost::beginWriting() {
    closeProgress();
    if (progressBar)
        std::cerr << (engine && engine->restoring() ? "Restoring\n" : "Writing\n");
}

void CliHost::closeProgress() {
    if (barShown_) {
        std::fputc('\n', stderr);
        barShown_ = false;
    }
}

bool CliHost::askPassword(std::string& current) {
    // The password given on the command line is offered once; a radio that still refuses it ends
    // the exchange with the password failure message.
    if (password && !passwordOffered_) {
        passwordOffered_ = true;
        current = *password;
        return true;
    }
    if (interactive && !password) {
        closeProgress();
        std::cerr << "Password: " << std::flush;
        std::string typed;
        if (std::getline(std::cin, typed)) {
            const auto nul = typed.find('\0');
            if (nul != std::string::npos)
                typed.resize(nul);
            while (!typed.empty() && typed.back() == ' ')
                typed.pop_back();
            current = typed;
        }
    }
    return true;
}

void CliHost::exchangeEnded(const LinkResult& result) {
    closeProgress();
    QCoreApplication::exit(result.ok() ? 0 : 1);
}

} // namespace zt
