// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/backup_store.h"

#include "files/data_files.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "link/radio_info.h"
#include "util/local_time.h"

#include <algorithm>
#include <cctype>
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

const char* KindText(BackupKind k) {
    return k == BackupKind::Read ? "read" : "write";
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

// Removes a backup folder this store made: the regular files directly in it, then the folder
// itself when that left it empty. Nothing else is followed or removed (a folder or a link someone
// put there stays, and with it the folder).
void RemoveBackupFolder(const fs::path& dir) {
    std::error_code ec;
    if (fs::symlink_status(dir, ec).type() != fs::file_type::directory)
        return;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->symlink_status(ec).type() == fs::file_type::regular)
            files.push_back(it->path());
    for (const fs::path& f : files)
        fs::remove(f, ec);
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
    e.kind = ini.text(kSection, "Kind") == "write" ? BackupKind::Write : BackupKind::Read;
    e.date = ini.text(kSection, "Date");
    e.time = ini.text(kSection, "Time");
    e.serial = ini.text(kSection, "Serial");
    e.channelCount = static_cast<int>(ParseIniInt(ini.text(kSection, "Channels")).value_or(0));
    e.model = ini.text(kSection, "Model");
    e.document = ini.text(kSection, "Document");
    const std::string check = ini.text(kSection, "Verified");
    e.check = check == "yes"                ? BackupCheck::Verified
              : check == "no"               ? BackupCheck::Differs
              : e.kind == BackupKind::Write ? BackupCheck::NotChecked
                                            : BackupCheck::None;
    return e;
}

} // namespace

BackupStore::BackupStore(std::string folder, int keep)
    : folder_(std::move(folder)), keep_(std::max(1, keep)) {}

std::optional<std::string> BackupStore::keep(BackupKind kind, const RadioImage& image,
                                             const DocumentCopy& pair, const RadioInfoRecord& info,
                                             const RadioInfoBlock* infoBlock, std::time_t when,
                                             std::string* error) {
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
    // The radio's own information: what its information area holds when it was read; otherwise
    // only the serial number, never the dates and codes a new document makes up.
    RadioInfoRecord own = info;
    if (infoBlock)
        DecodeRadioInfo(*infoBlock, own);
    const std::string serial = own.SerialNumber.trimmed();
    std::string name = FormatTime(tm, "%Y%m%d-%H%M%S") + "-" + KindText(kind);
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

    if (!WriteBytes(partial / backup_file::kImage, image, written))
        return abandon();
    const PairBytes bytes = EncodePair(pair);
    if (!WriteBytes(partial / backup_file::kPair, bytes.settings, written) ||
        !WriteBytes(partial / ChannelFilePath(backup_file::kPair), bytes.channels, written))
        return abandon();
    if (infoBlock && !WriteBytes(partial / backup_file::kInfoBlock, *infoBlock, written))
        return abandon();

    IniFile infoIni;
    InfoFields(own, [&](const char* key, const auto& v) {
        const std::string_view k = key;
        if (infoBlock || k == "SerialNumber" || k == "Model" || k == "Version")
            infoIni.setValue(kInfoSection, key, OneLineValue(TextOf(v)));
    });
    infoIni.setValue(kInfoSection, "BandCode", std::to_string(own.InfoBandCode));
    if (!infoIni.saveFile((partial / backup_file::kInfo).string(), &written))
        return abandon();

    // The description is written last: a folder without it is never listed.
    IniFile desc;
    desc.setValue(kSection, "Kind", KindText(kind));
    desc.setValue(kSection, "Date", FormatTime(tm, "%Y-%m-%d"));
    desc.setValue(kSection, "Time", FormatTime(tm, "%H:%M:%S"));
    desc.setValue(kSection, "Stamp", std::to_string(static_cast<long long>(when)));
    desc.setValue(kSection, "Serial", OneLineValue(serial));
    desc.setValue(kSection, "Channels", std::to_string(UsedChannels(image)));
    desc.setValue(kSection, "Model", OneLineValue(pair.settings.Model.ModelName.trimmed()));
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
    struct Found {
        BackupEntry entry;
        long long stamp;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_directory(ec))
            continue;
        if (auto e = ReadEntry(it->path())) {
            IniFile ini;
            ini.loadFile((it->path() / backup_file::kDescription).string());
            found.push_back({*e, ParseIniInt(ini.text(kSection, "Stamp")).value_or(0)});
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.entry.folder > b.entry.folder;
    });
    std::vector<BackupEntry> out;
    for (auto& f : found)
        out.push_back(std::move(f.entry));
    return out;
}

void BackupStore::prune() const {
    const std::vector<BackupEntry> all = list();
    std::error_code ec;
    // Beyond the newest, each radio keeps its newest read: writing many radios in a row must not
    // remove the memory the first of them held before they were written.
    std::set<std::string> radios;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const BackupEntry& e = all[i];
        const bool radiosLastRead =
            e.kind == BackupKind::Read && !e.serial.empty() && radios.insert(e.serial).second;
        if (i >= static_cast<std::size_t>(keep_) && !radiosLastRead)
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
            RemoveBackupFolder(it->path());
    }
}

std::optional<std::string> KeepExchangeBackup(BackupStore& store, BackupKind kind, const RadioImage& image,
                                              const Document& doc, const RadioInfoRecord& info,
                                              const RadioInfoBlock* infoBlock, std::string* error) {
    DocumentCopy pair = doc.work;
    if (kind == BackupKind::Read)
        DecodeRadioImage(image, pair);
    return store.keep(kind, image, pair, info, infoBlock, std::time(nullptr), error);
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
    desc.setValue(kSection, "Document", OneLineValue(document));
    desc.setValue(kSection, "Verified",
                  check == BackupCheck::Verified  ? "yes"
                  : check == BackupCheck::Differs ? "no"
                                                  : "unchecked");
    if (!desc.saveFile(path)) {
        if (error)
            *error = "cannot write " + path;
        return false;
    }
    return true;
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
