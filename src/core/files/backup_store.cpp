// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/backup_store.h"

#include "files/data_files.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "link/radio_info.h"
#include "util/local_time.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "Backup";
constexpr const char* kInfoSection = "RadioInfo";
constexpr const char* kPartialPrefix = ".partial-";
// An unfinished folder this old was left by a backup that was interrupted, not one being written.
constexpr auto kStalePartial = std::chrono::hours(1);

constexpr const char* kManifestHeader = "ztprog backup";

struct KindName {
    BackupKind kind;
    const char* text;   // in the description and the lists
    const char* folder; // in the folder's name
};
constexpr KindName kKinds[] = {
    {BackupKind::Read, "read", "read"},
    {BackupKind::BeforeWrite, "before write", "before-write"},
    {BackupKind::Write, "write", "write"},
    {BackupKind::BatchRead, "batch read", "batch-read"},
    {BackupKind::BatchWrite, "batch write", "batch-write"},
    {BackupKind::Restore, "restore", "restore"},
};

const KindName& NameOf(BackupKind k) {
    for (const KindName& n : kKinds)
        if (n.kind == k)
            return n;
    return kKinds[0];
}

// A serial number as it may appear in a folder name: letters, digits, '-' and '_' only.
std::string NamePart(const std::string& serial) {
    std::string out;
    for (unsigned char c : serial)
        if (std::isalnum(c) || c == '-' || c == '_')
            out += static_cast<char>(c);
    return out.substr(0, 24);
}

// A text on one line, for an INI value.
std::string OneLineValue(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

int UsedChannels(const RadioImage& image) {
    int n = 0;
    for (int s = 0; s < kMaxChannels; ++s)
        if ((image[static_cast<std::size_t>(addr::kUsedBitmap + s / 8)] >> (s % 8) & 1) != 0)
            ++n;
    return n;
}

// The texts of the radio information record, by name: written to and read from info.ini.
template <class Info, class F> void InfoFields(Info& i, F&& f) {
    f("SalesArea", i.SalesArea);
    f("ProductionBatch", i.ProductionBatch);
    f("CustomerCode", i.CustomerCode);
    f("Model", i.InfoModel);
    f("SerialNumber", i.SerialNumber);
    f("FactoryDate", i.FactoryDate);
    f("RepairDate", i.RepairDate);
    f("Version", i.InfoVersion);
    f("RepairReason", i.RepairReason);
    f("DealerCode", i.DealerCode);
    f("StockInDate", i.StockInDate);
    f("SaleDate", i.SaleDate);
    f("HandledBy", i.HandledBy);
}

std::string TextOf(const std::string& s) {
    return s;
}
template <std::size_t N> std::string TextOf(const FixedText<N>& t) {
    return t.trimmed();
}
void SetText(std::string& s, const std::string& v) {
    s = v;
}
template <std::size_t N> void SetText(FixedText<N>& t, const std::string& v) {
    // Shorter than the field: ended by a NUL, as the radio's own texts are.
    t = v.size() < N ? v + std::string(1, '\0') : v;
}

bool WriteBytes(const fs::path& p, std::span<const std::uint8_t> bytes, FileError& error) {
    return WriteFileReplacing(p.string(), bytes, &error);
}

// The files the program wrote into a backup folder, as its manifest names them; nullopt when the
// folder has no manifest of this program (a folder someone else made, or an old backup).
std::optional<std::vector<std::string>> ManifestFiles(const fs::path& dir) {
    const auto bytes = ReadFileBytes((dir / backup_file::kManifest).string(), 64 * 1024);
    if (!bytes)
        return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t b : *bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (b != '\r') {
            line += static_cast<char>(b);
        }
    }
    if (lines.empty() || lines[0] != kManifestHeader)
        return std::nullopt;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& name = lines[i];
        // Plain names in the folder itself only: a manifest never leads out of its folder.
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
            name.find('\\') != std::string::npos || name == backup_file::kManifest)
            continue;
        files.push_back(name);
    }
    return files;
}

// Removes a backup folder this store made: the regular files its manifest names, then the
// manifest, then the folder itself when that left it empty. A file or folder someone put there
// stays, and with it the folder; a folder without the manifest is not touched at all.
void RemoveBackupFolder(const fs::path& dir) {
    std::error_code ec;
    if (fs::symlink_status(dir, ec).type() != fs::file_type::directory)
        return;
    const auto files = ManifestFiles(dir);
    if (!files)
        return;
    for (const std::string& name : *files) {
        const fs::path f = dir / name;
        if (fs::symlink_status(f, ec).type() == fs::file_type::regular)
            fs::remove(f, ec);
    }
    fs::remove(dir / backup_file::kManifest, ec);
    fs::remove(dir, ec); // only when empty
}

std::optional<BackupEntry> ReadEntry(const fs::path& dir) {
    IniFile ini;
    if (!ini.loadFile((dir / backup_file::kDescription).string()))
        return std::nullopt;
    const auto size = RegularFileSize((dir / backup_file::kImage).string());
    if (!size || *size != kRadioImageSize || !RegularFileSize((dir / backup_file::kPair).string()))
        return std::nullopt;
    BackupEntry e;
    e.folder = dir.string();
    const std::string kind = ini.text(kSection, "Kind");
    for (const KindName& n : kKinds)
        if (kind == n.text)
            e.kind = n.kind;
    e.date = ini.text(kSection, "Date");
    e.time = ini.text(kSection, "Time");
    e.stamp = ParseIniInt(ini.text(kSection, "Stamp")).value_or(0);
    const std::string order = ini.text(kSection, "Order");
    std::from_chars(order.data(), order.data() + order.size(), e.order); // stays 0 when unreadable
    e.serial = ini.text(kSection, "Serial");
    e.channelCount = static_cast<int>(ParseIniInt(ini.text(kSection, "Channels")).value_or(0));
    e.model = ini.text(kSection, "Model");
    e.document = ini.text(kSection, "Document");
    e.salesArea = ini.text(kSection, "SalesArea");
    e.customerCode = ini.text(kSection, "CustomerCode");
    const std::string check = ini.text(kSection, "Verified");
    const bool failed = ini.text(kSection, "Result") == "failed";
    e.check = !IsWriteBackup(e.kind) ? BackupCheck::None
              : failed               ? BackupCheck::Failed
              : check == "yes"       ? BackupCheck::Verified
              : check == "no"        ? BackupCheck::Differs
                                     : BackupCheck::NotChecked;
    return e;
}

bool IsMemoryKind(BackupKind k) {
    return !IsWriteBackup(k);
}

} // namespace

const char* BackupKindText(BackupKind kind) {
    return NameOf(kind).text;
}

bool IsWriteBackup(BackupKind kind) {
    return kind == BackupKind::Write || kind == BackupKind::BatchWrite || kind == BackupKind::Restore;
}

const char* BackupCheckText(BackupCheck check) {
    switch (check) {
    case BackupCheck::None:
        return "";
    case BackupCheck::NotChecked:
        return "not checked";
    case BackupCheck::Verified:
        return "yes";
    case BackupCheck::Differs:
    case BackupCheck::Failed:
        return "no";
    }
    return "";
}

std::string BackupIsoTime(const BackupEntry& entry) {
    if (entry.stamp != 0)
        return FormatTime(LocalTime(static_cast<std::time_t>(entry.stamp)), "%Y-%m-%dT%H:%M:%S");
    return entry.date + "T" + entry.time;
}

BackupStore::BackupStore(std::string folder, int keep)
    : folder_(std::move(folder)), keep_(std::max(1, keep)) {}

std::optional<std::string> BackupStore::keep(BackupKind kind, const RadioImage& image,
                                             const DocumentCopy& pair, const BackupRadio& radio,
                                             std::time_t when, std::string* error) {
    auto fail = [error](std::string why) -> std::optional<std::string> {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec)
        return fail("cannot create " + FileError{folder_, ec.message()}.text());

    const std::tm tm = LocalTime(when);
    // The radio's own information, as read from it in this exchange; without it no texts at all
    // (a document's record holds another radio's texts, or invented dates and codes).
    RadioInfoRecord own;
    if (radio.infoBlock)
        DecodeRadioInfo(*radio.infoBlock, own);
    own.InfoModel = radio.model;
    own.InfoVersion = radio.firmware;
    const std::string serial = radio.infoBlock ? own.SerialNumber.trimmed() : std::string();
    std::string name = FormatTime(tm, "%Y%m%d-%H%M%S") + "-" + NameOf(kind).folder;
    if (const std::string part = NamePart(serial); !part.empty())
        name += "-" + part;
    // Two backups in the same second (a write and its read, a quick second read) get a number.
    std::string unique = name;
    for (int n = 2; fs::exists(fs::path(folder_) / unique, ec) ||
                    fs::exists(fs::path(folder_) / (kPartialPrefix + unique), ec);
         ++n)
        unique = name + "-" + std::to_string(n);

    const fs::path partial = fs::path(folder_) / (kPartialPrefix + unique);
    const fs::path final = fs::path(folder_) / unique;
    fs::create_directory(partial, ec);
    if (ec)
        return fail("cannot create " + FileError{partial.string(), ec.message()}.text());
    FileError written;
    auto abandon = [&]() {
        RemoveBackupFolder(partial);
        return fail("cannot write " + written.text());
    };

    // The manifest comes first: whatever is written after it, an interrupted backup can be
    // removed by it, and only what it names.
    std::string manifest = std::string(kManifestHeader) + "\n";
    for (const std::string& f : {std::string(backup_file::kImage), std::string(backup_file::kPair),
                                 ChannelFilePath(backup_file::kPair), std::string(backup_file::kInfoBlock),
                                 std::string(backup_file::kInfo), std::string(backup_file::kDescription)})
        manifest += f + "\n";
    if (!WriteBytes(partial / backup_file::kManifest,
                    std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()),
                    written))
        return abandon();

    if (!WriteBytes(partial / backup_file::kImage, image, written))
        return abandon();
    const PairBytes bytes = EncodePair(pair);
    if (!WriteBytes(partial / backup_file::kPair, bytes.settings, written) ||
        !WriteBytes(partial / ChannelFilePath(backup_file::kPair), bytes.channels, written))
        return abandon();
    if (radio.infoBlock && !WriteBytes(partial / backup_file::kInfoBlock, *radio.infoBlock, written))
        return abandon();

    IniFile infoIni;
    InfoFields(own, [&](const char* key, const auto& v) {
        const std::string_view k = key;
        if (radio.infoBlock || k == "Model" || k == "Version")
            infoIni.setValue(kInfoSection, key, OneLineValue(TextOf(v)));
    });
    if (!infoIni.saveFile((partial / backup_file::kInfo).string(), &written))
        return abandon();

    // The description is written last: a folder without it is never listed.
    IniFile desc;
    desc.setValue(kSection, "Kind", NameOf(kind).text);
    desc.setValue(kSection, "Date", FormatTime(tm, "%Y-%m-%d"));
    desc.setValue(kSection, "Time", FormatTime(tm, "%H:%M:%S"));
    desc.setValue(kSection, "Stamp", std::to_string(static_cast<long long>(when)));
    desc.setValue(kSection, "Order",
                  std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count()));
    desc.setValue(kSection, "Serial", OneLineValue(serial));
    desc.setValue(kSection, "Channels", std::to_string(UsedChannels(image)));
    desc.setValue(kSection, "Model",
                  OneLineValue(radio.model.empty() ? pair.settings.Model.ModelName.trimmed() : radio.model));
    if (radio.infoBlock) {
        desc.setValue(kSection, "SalesArea", OneLineValue(TrimFixed(own.SalesArea)));
        desc.setValue(kSection, "CustomerCode", OneLineValue(own.CustomerCode.trimmed()));
    }
    if (!radio.firmware.empty())
        desc.setValue(kSection, "Firmware", OneLineValue(radio.firmware));
    if (IsWriteBackup(kind))
        desc.setValue(kSection, "Verified", "not checked");
    if (!desc.saveFile((partial / backup_file::kDescription).string(), &written))
        return abandon();

    fs::rename(partial, final, ec);
    if (ec) {
        written = {final.string(), ec.message()};
        return abandon();
    }
    // The renamed folder is on the disk only once the backups folder is flushed.
    if (!FlushFolder(folder_, &written))
        return fail("cannot write " + written.text());
    prune();
    return final.string();
}

std::vector<BackupEntry> BackupStore::list() const {
    std::vector<BackupEntry> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_directory(ec))
            continue;
        if (auto e = ReadEntry(it->path()))
            found.push_back(std::move(*e));
    }
    std::sort(found.begin(), found.end(), [](const BackupEntry& a, const BackupEntry& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        return a.order != b.order ? a.order > b.order : a.folder > b.folder;
    });
    return found;
}

std::optional<BackupEntry> BackupStore::newestMemory(const std::string& serial) const {
    if (serial.empty())
        return std::nullopt;
    for (const BackupEntry& e : list())
        if (IsMemoryKind(e.kind) && e.serial == serial)
            return e;
    return std::nullopt;
}

void BackupStore::prune() const {
    const std::vector<BackupEntry> all = list();
    std::error_code ec;
    // Beyond the newest, each radio keeps its newest read and its newest memory before a write:
    // writing many radios in a row must not remove the memory the first of them held before.
    std::set<std::string> lastRead;
    std::set<std::string> lastBeforeWrite;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const BackupEntry& e = all[i];
        bool radiosLast = false;
        if (!e.serial.empty() && IsMemoryKind(e.kind))
            radiosLast =
                (e.kind == BackupKind::BeforeWrite ? lastBeforeWrite : lastRead).insert(e.serial).second;
        if (i >= static_cast<std::size_t>(keep_) && !radiosLast)
            RemoveBackupFolder(e.folder);
    }
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(kPartialPrefix))
            continue;
        std::error_code timeEc;
        const auto written = fs::last_write_time(it->path(), timeEc);
        if (!timeEc && now - written > kStalePartial)
            RemoveBackupFolder(it->path()); // only one with this program's manifest
    }
}

std::optional<std::string> KeepExchangeBackup(BackupStore& store, BackupKind kind, const RadioImage& image,
                                              const Document& doc, const BackupRadio& radio,
                                              std::string* error) {
    DocumentCopy pair = doc.work;
    if (kind != BackupKind::Write && kind != BackupKind::BatchWrite)
        DecodeRadioImage(image, pair);
    return store.keep(kind, image, pair, radio, std::time(nullptr), error);
}

bool NoteBackupWrite(const std::string& folder, const std::string& document, BackupCheck check,
                     std::string* error) {
    const std::string path = (fs::path(folder) / backup_file::kDescription).string();
    IniFile desc;
    if (!desc.loadFile(path)) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    if (!document.empty())
        desc.setValue(kSection, "Document", OneLineValue(document));
    desc.setValue(kSection, "Verified", check == BackupCheck::None ? "not checked" : BackupCheckText(check));
    desc.setValue(kSection, "Result", check == BackupCheck::Failed ? "failed" : "written");
    FileError written;
    if (!desc.saveFile(path, &written)) {
        if (error)
            *error = "cannot write " + written.text();
        return false;
    }
    return true;
}

std::optional<BackupEntry> FindBackup(const BackupStore& store, const std::string& folder,
                                      std::string* error) {
    std::error_code ec;
    fs::path dir = folder;
    if (!fs::is_directory(dir, ec) && dir.is_relative() && dir.has_filename() && !dir.has_parent_path())
        dir = fs::path(store.folder()) / folder;
    if (!fs::is_directory(dir, ec)) {
        if (error)
            *error = FileError{folder, "no such backup folder"}.text();
        return std::nullopt;
    }
    auto e = ReadEntry(dir);
    if (!e && error)
        *error = FileError{dir.string(), "not a complete backup (its description, memory image or data "
                                         "file is missing)"}
                     .text();
    return e;
}

std::optional<RadioImage> ReadBackupImage(const BackupEntry& entry, std::string* error) {
    FileError why;
    const auto bytes =
        ReadFileBytes((fs::path(entry.folder) / backup_file::kImage).string(), kRadioImageSize + 1, &why);
    if (!bytes || bytes->size() != kRadioImageSize) {
        if (error)
            *error = bytes ? FileError{(fs::path(entry.folder) / backup_file::kImage).string(),
                                       "not a memory image of " + std::to_string(kRadioImageSize) + " bytes"}
                                 .text()
                           : why.text();
        return std::nullopt;
    }
    RadioImage image;
    std::copy(bytes->begin(), bytes->end(), image.begin());
    return image;
}

std::string BackupFolder(const std::string& dataDir) {
    return (fs::path(dataDir) / "backups").string();
}

int OpenBackup(AppState& app, Document& doc, RadioInfoRecord& info, const BackupEntry& entry,
               std::string* detail) {
    LoadedPair pair;
    if (const int id = ReadPair((fs::path(entry.folder) / backup_file::kPair).string(), true, pair, detail))
        return id;
    InstallPair(app, doc, pair, &info);
    IniFile ini;
    if (ini.loadFile((fs::path(entry.folder) / backup_file::kInfo).string()))
        InfoFields(info, [&](const char* key, auto& v) {
            if (const auto value = ini.value(kInfoSection, key))
                SetText(v, *value);
        });
    app.DocFileName = "new.dat";
    app.IsUntitled = true;
    return 0;
}

} // namespace zt
