// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/data_files.h"

#include "files/file_io.h"
#include "files/pair_commit.h"
#include "model/channel_table.h"
#include "model/model_config.h"
#include "model/new_document.h"
#include "util/shown_text.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace zt {

namespace {

// The message `id`, then on a line of its own what it concerns: the file and the system's reason.
void Report(const AppState& app, int id, const std::string& detail = {}) {
    if (app.prompter)
        app.prompter->message(detail.empty() ? app.LangText(id) : app.LangText(id) + "\n" + detail);
}

// The detail of a refused file: "PATH: reason" when the system refused it, else the path alone
// (its content was refused; the message says how).
std::string RefusalDetail(const std::string& path, const FileError& error) {
    return error.reason.empty() ? ShownText(path) : error.text();
}

// A file of the pair may be replaced only when it is missing or a regular file (or a link): a
// folder or another kind of file in its place is never touched.
bool ReplaceablePlace(const std::string& path, FileError& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(path, ec).type();
    if (type == fs::file_type::directory) {
        error = {path, std::generic_category().message(EISDIR)};
        return false;
    }
    if (type != fs::file_type::not_found && type != fs::file_type::regular &&
        type != fs::file_type::symlink) {
        error = {path, ec ? ec.message() : "not a regular file"};
        return false;
    }
    return true;
}

bool SamePath(std::string_view a, std::string_view b) {
#ifdef _WIN32
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
#else
    return a == b;
#endif
}

} // namespace

std::string ChannelFilePath(std::string_view settingsPath) {
    // Only the file name part is changed, so a short name never eats into its folder.
    const auto slash = settingsPath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t nameLen = settingsPath.size() - nameStart;
    const std::size_t keep = nameLen >= 3 ? settingsPath.size() - 3 : nameStart;
    return std::string(settingsPath.substr(0, keep)) + "fre";
}

bool IsSettingsFileName(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() < 4)
        return false;
    const std::string_view ext = name.substr(name.size() - 4);
    return std::equal(ext.begin(), ext.end(), ".dat",
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

int ParseSettingsFile(std::span<const std::uint8_t> bytes, LoadedPair& out) {
    if (bytes.size() != kSettingsRecordSize)
        return 9033;
    out.settings = ReadSettings(bytes.first<kSettingsRecordSize>());
    out.channels.clear();
    return 0;
}

std::optional<std::size_t> ChannelFileBytesNeeded(const SettingsRecord& settings) {
    const int count = settings.ChannelCount;
    if (count < 0 || count > kMaxChannels)
        return std::nullopt;
    return static_cast<std::size_t>(count) * kChannelRecordSize;
}

int ParseChannelFile(std::span<const std::uint8_t> bytes, LoadedPair& out) {
    const auto need = ChannelFileBytesNeeded(out.settings);
    if (!need || bytes.size() < *need)
        return 9002;
    const std::size_t count = *need / kChannelRecordSize;
    std::bitset<kMaxChannels + 1> seen;
    std::vector<ChannelRecord> channels;
    channels.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ChannelRecord r =
            DecodeChannel(bytes.subspan(i * kChannelRecordSize).first<kChannelRecordSize>());
        if (r.ChannelNo < 1 || r.ChannelNo > kMaxChannels || seen.test(static_cast<std::size_t>(r.ChannelNo)))
            return 9002;
        seen.set(static_cast<std::size_t>(r.ChannelNo));
        channels.push_back(r);
    }
    out.channels = std::move(channels);
    return 0;
}

int ParsePair(std::span<const std::uint8_t> settingsBytes, std::span<const std::uint8_t> channelBytes,
              LoadedPair& out) {
    LoadedPair p;
    if (const int id = ParseSettingsFile(settingsBytes, p))
        return id;
    if (const int id = ParseChannelFile(channelBytes, p))
        return id;
    out = std::move(p);
    return 0;
}

int ReadPair(const std::string& settingsPath, bool withChannels, LoadedPair& out, std::string* detail) {
    FileError error;
    const auto refuse = [&](int id, const std::string& path) {
        if (detail)
            *detail = RefusalDetail(path, error);
        return id;
    };
    // The size first, so that a large file of another kind is refused without reading it.
    const auto size = RegularFileSize(settingsPath, &error);
    if (!size)
        return refuse(9002, settingsPath);
    if (*size != kSettingsRecordSize)
        return refuse(9033, settingsPath);
    const auto bytes = ReadFileBytes(settingsPath, kSettingsRecordSize + 1, &error);
    if (!bytes)
        return refuse(9002, settingsPath);
    LoadedPair p;
    if (const int id = ParseSettingsFile(*bytes, p))
        return refuse(id, settingsPath);
    if (withChannels) {
        const std::string channelPath = ChannelFilePath(settingsPath);
        const auto need = ChannelFileBytesNeeded(p.settings);
        if (!need)
            return refuse(9002, settingsPath);
        std::vector<std::uint8_t> ch;
        if (*need > 0) {
            auto read = ReadFileBytes(channelPath, *need, &error);
            if (!read)
                return refuse(9002, channelPath);
            ch = std::move(*read);
        }
        if (const int id = ParseChannelFile(ch, p))
            return refuse(id, channelPath);
    }
    out = std::move(p);
    return 0;
}

void InstallPair(AppState& app, Document& doc, const LoadedPair& p, RadioInfoRecord* info) {
    doc.file.settings = p.settings;
    // Slots past the file's channels are cleared, so nothing of the previous document stays behind
    // them in memory.
    for (std::size_t i = 0; i < doc.file.channels.size(); ++i)
        doc.file.channels[i] = i < p.channels.size() ? p.channels[i] : ChannelRecord{};
    doc.work.settings = doc.file.settings;
    RadioInfoRecord scratch;
    LoadModelInfo(app, doc.file.settings, info ? *info : scratch);
    doc.work.channels = doc.file.channels;
}

PairBytes EncodePair(const DocumentCopy& copy) {
    PairBytes out;
    out.settings = WriteSettings(copy.settings);
    const auto n = static_cast<std::size_t>(UsedSlots(copy));
    out.channels.resize(n * kChannelRecordSize);
    for (std::size_t i = 0; i < n; ++i)
        EncodeChannel(copy.channels[i],
                      std::span(out.channels).subspan(i * kChannelRecordSize).first<kChannelRecordSize>());
    return out;
}

void CommitToFileCopy(AppState& app, Document& doc) {
    StoreModelInfo(app, doc.work.settings);
    doc.file.settings = doc.work.settings;
    const int n = UsedSlots(doc.work);
    for (int i = 0; i < n; ++i)
        doc.file.channels[static_cast<std::size_t>(i)] = doc.work.channels[static_cast<std::size_t>(i)];
}

bool LoadSettingsOnly(AppState& app, Document& doc, const std::string& path) {
    LoadedPair p;
    std::string detail;
    if (const int id = ReadPair(path, false, p, &detail)) {
        Report(app, id, detail);
        return false;
    }
    // Only the settings come from the file: the channel table, and with it the channel count,
    // stays as it is. The file's own count describes a channel file that is not read, and taking
    // it would drop the document's channels (a count of 0 would leave a new document empty).
    const auto count = doc.work.settings.ChannelCount;
    doc.work.settings = p.settings;
    doc.work.settings.ChannelCount = count;
    CommitToFileCopy(app, doc);
    return true;
}

bool LoadWithChannels(AppState& app, Document& doc, const std::string& path, RadioInfoRecord* info) {
    LoadedPair p;
    std::string detail;
    if (const int id = ReadPair(path, true, p, &detail)) {
        Report(app, id, detail);
        return false;
    }
    InstallPair(app, doc, p, info);
    return true;
}

OpenResult OpenDocument(AppState& app, Document& doc, const std::string& path, RadioInfoRecord* info) {
    FileError error;
    // A save of this pair that another program has begun ends first; one that was cut short (a
    // kill, a power cut) is finished here. In a folder where no lock file can be made nobody can
    // have saved either, and the pair is read as it is.
    PairLock lock;
    const LockStatus locked = lock.acquire(path, error);
    if (locked == LockStatus::Busy) {
        Report(app, 9002, error.text());
        return OpenResult::Refused;
    }
    if (locked == LockStatus::Held && !RecoverPair(path, error)) {
        Report(app, 9002, error.text());
        return OpenResult::Refused;
    }
    const auto head = ReadFileBytes(path, 4, &error);
    if (!head) {
        Report(app, 9002, error.text());
        return OpenResult::Refused;
    }
    const std::string version(head->begin(), head->end());
    if (!IsVersionText(version)) {
        Report(app, 9065, ShownText(path));
        return OpenResult::Refused;
    }
    // Files of this program's own version always open, even when the version table is missing.
    if (version != kProgramDataVersion && !IsPairKnown(app.versions, kProgramDataVersion, version)) {
        lock.release(); // the pair is not read: no save waits for the answer
        if (!app.prompter)
            return OpenResult::Refused;
        // A damaged table is named first: the version may be one it would have paired.
        const std::string damaged = VersionTableProblemText(app.versions);
        const std::string question = VersionMessage(app, kProgramDataVersion, version, 1);
        const Answer a = app.prompter->ask(damaged.empty() ? question : damaged + "\r\n" + question,
                                           Icon::Question, Buttons::YesNo);
        if (a == Answer::Yes && HandOver(app, version))
            return OpenResult::HandedOver;
        return OpenResult::Refused;
    }
    LoadedPair p;
    std::string detail;
    if (const int id = ReadPair(path, true, p, &detail)) {
        Report(app, id, detail);
        return OpenResult::Refused;
    }
    p.settings.Version = kProgramDataVersion;
    InstallPair(app, doc, p, info);
    app.DocFileName = path;
    app.IsUntitled = false;
    return OpenResult::Opened;
}

bool SaveDocument(AppState& app, Document& doc) {
    const std::string datPath = app.DocFileName;
    // The channel file's name is the settings file's with "fre" for its last three characters:
    // only names ending in ".dat" give every document a channel file of its own.
    if (!IsSettingsFileName(datPath)) {
        Report(app, kNotASettingsFileName, ShownText(datPath));
        return false;
    }
    // Every saved settings file carries this program's version, whatever a template or a radio
    // left in the record, so that the file opens again.
    doc.work.settings.Version = kProgramDataVersion;
    // The file copy stands for what is on disk: when the save fails it goes back to what it was,
    // so the unsaved changes still count as changes.
    const DocumentCopy previous = doc.file;
    auto failed = [&](const FileError& error) {
        doc.file = previous;
        Report(app, 9002, error.text());
        return false;
    };
    CommitToFileCopy(app, doc);
    const std::string frePath = ChannelFilePath(datPath);
    // A settings file named like its own channel file ("x.fre") would be overwritten by the channels.
    if (SamePath(datPath, frePath))
        return failed({datPath, "the settings file and its channel file would have one name"});
    const PairBytes bytes = EncodePair(doc.file);
    FileError error;
    // One save of a pair at a time: another program's save ends first, and one cut short is
    // finished before this one begins.
    PairLock lock;
    if (lock.acquire(datPath, error) != LockStatus::Held || !RecoverPair(datPath, error))
        return failed(error);
    StagedFile datFile(datPath), freFile(frePath);
    // Both new files are complete and on the disk before either old one is replaced; a folder in
    // the place of either is refused before anything is written.
    if (!ReplaceablePlace(datPath, error) || !ReplaceablePlace(frePath, error))
        return failed(error);
    if (!datFile.write(bytes.settings))
        return failed(datFile.error());
    if (!freFile.write(bytes.channels))
        return failed(freFile.error());
    if (!ReplaceablePlace(datPath, error) || !ReplaceablePlace(frePath, error) ||
        !CommitPairFiles(datFile, freFile, error))
        return failed(error);
    app.IsUntitled = false;
    return true;
}

std::string TemplatePath(const AppState& app) {
    const std::string name = app.ModelNameText + "_" + std::to_string(BandCodeFromText(app.BandText)) +
                             (app.InitFromFactory ? ".dat" : "_NEW.dat");
    return (std::filesystem::path(app.ProgramDir) / "Init" / name).string();
}

void LoadTemplate(AppState& app, Document& doc, RadioInfoRecord* info) {
    const std::string path = TemplatePath(app);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        LoadWithChannels(app, doc, path, info);
        return;
    }
    if (app.ModelNameText == "ZT-450E") {
        const std::string fallback =
            (std::filesystem::path(app.ProgramDir) / "Init" / "ZT-450E_0.dat").string();
        if (std::filesystem::exists(fallback, ec))
            LoadSettingsOnly(app, doc, fallback);
    }
}

void InitDocument(AppState& app, Document& doc, RadioInfoRecord& info) {
    SetNewDocumentValues(app, doc, info);
    LoadTemplate(app, doc, &info);
}

} // namespace zt
