// SPDX-License-Identifier: GPL-3.0-or-later
// Backups of the radio's memory: every complete read keeps what the radio held, every write what
// it sent (and, before it, what the radio held), each in a folder of its own in the user's data
// folder, so that a channel list lost to a wrong write or a wrong file can be had back. A backup
// holds the raw 9280-byte memory image (restore writes it back byte for byte), the radio's
// information area as read from the radio on the cable in the same exchange, and the decoded data
// file pair, so it also opens like any document. Each folder lists the files it holds in a
// manifest: pruning removes those files only, and never touches a folder without one. The newest
// backups are kept, and besides them each radio's newest read and newest memory before a write.
#pragma once

#include "app/app_state.h"
#include "link/radio_image.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace zt {

// What a backup holds: the radio's memory (a read, the read before a write, the read of a batch
// before it writes), or what a write sent (a single write, a batch write, a restore).
enum class BackupKind { Read, BeforeWrite, Write, BatchRead, BatchWrite, Restore };

// "read", "before write", "write", "batch read", "batch write", "restore".
const char* BackupKindText(BackupKind kind);
// The backup holds what a write sent, not what the radio held.
bool IsWriteBackup(BackupKind kind);

// What is known of a write's outcome: None for the radio's memory; for a write, whether its
// read-back found what was written (NotChecked: verifying was off, or the read-back did not end),
// or Failed: the write itself did not end (the radio may hold a part of it).
enum class BackupCheck { None, NotChecked, Verified, Differs, Failed };

// "yes", "no" or "not checked" (a failed write is "no"); "" for the radio's memory.
const char* BackupCheckText(BackupCheck check);

// The radio a backup is of, as read from the radio on the cable in the same exchange: never from
// an earlier exchange or from what an information window shows.
struct BackupRadio {
    const RadioInfoBlock* infoBlock = nullptr; // its information area; nullptr when none was read
    std::string model;                         // the model its identification named ("ZT-450E")
    std::string firmware;                      // its firmware version ("V300")
};

// One kept backup, as its description file tells it.
struct BackupEntry {
    std::string folder; // the backup's own folder
    BackupKind kind = BackupKind::Read;
    std::string date;     // "2026-12-10", local time
    std::string time;     // "20:31:05"
    std::string serial;   // the radio's serial number; empty when it had none
    int channelCount = 0; // channels in use in the image
    std::string model;    // "ZT-450E"
    std::string document; // a write: the file name of the document written
    BackupCheck check = BackupCheck::None;
    std::string salesArea;    // from the radio's information area
    std::string customerCode; // from the radio's information area
    long long stamp = 0;      // seconds since 1970 (UTC)
    long long order = 0;      // when it was written, finer: tells apart backups of one second
};

// When a backup was kept, as ISO 8601 local time: "2026-12-10T20:31:05".
std::string BackupIsoTime(const BackupEntry& entry);

// The files of a backup folder.
namespace backup_file {
constexpr const char* kImage = "image.bin";    // the 9280 bytes of radio memory
constexpr const char* kPair = "radio.dat";     // the decoded pair: radio.dat and radio.fre
constexpr const char* kInfo = "info.ini";      // the radio information texts
constexpr const char* kInfoBlock = "info.bin"; // the raw information area, when one was read
constexpr const char* kDescription = "backup.ini";
constexpr const char* kManifest = "manifest.txt"; // the files this program wrote into the folder
} // namespace backup_file

class BackupStore {
  public:
    static constexpr int kKeep = 50;

    // `folder` is created when the first backup is kept.
    explicit BackupStore(std::string folder, int keep = kKeep);
    const std::string& folder() const { return folder_; }

    // Keeps a backup of `image` and of `pair` (the document it decodes to), with what was read of
    // `radio` (its information area's texts and raw bytes, its model), taken at `when`; then
    // removes the oldest beyond the newest `keep` (prune()). Without an information area the
    // backup has no serial number: none is ever made up or taken from elsewhere.
    // Everything is written into a hidden folder that is renamed into place at the end, so an
    // interrupted backup leaves nothing that lists or opens. Returns the backup's folder, or
    // nullopt with `error` saying why nothing was kept.
    std::optional<std::string> keep(BackupKind kind, const RadioImage& image, const DocumentCopy& pair,
                                    const BackupRadio& radio, std::time_t when, std::string* error = nullptr);

    // Every complete backup, newest first. Folders without a readable description or image (and
    // hidden unfinished ones) are not listed.
    std::vector<BackupEntry> list() const;

    // The newest backup of the radio's memory (a read, a batch read or a read before a write) of
    // the radio with serial number `serial`; nullopt when none is kept (or `serial` is empty).
    std::optional<BackupEntry> newestMemory(const std::string& serial) const;

    // Removes the oldest backups beyond the newest `keep` (but never a radio's newest read nor its
    // newest memory before a write), and unfinished folders left by an interrupted backup. Only
    // the files a folder's manifest names are removed, and the folder only when that empties it;
    // a folder without the manifest is never touched.
    void prune() const;

  private:
    std::string folder_;
    int keep_;
};

// What a host keeps when the link engine asks for a backup, now: for the radio's memory and a
// restore, the image and the document it decodes to (over the working copy, as a read would load
// it); for a write, the image and the working copy that is being written.
std::optional<std::string> KeepExchangeBackup(BackupStore& store, BackupKind kind, const RadioImage& image,
                                              const Document& doc, const BackupRadio& radio,
                                              std::string* error = nullptr);

// Records in the backup `folder` (of a write) the file name of the document written and how the
// write ended, as soon as that is known, so that the backups of writes can be told apart. False,
// with `error` naming the file, when the description could not be rewritten.
bool NoteBackupWrite(const std::string& folder, const std::string& document, BackupCheck check,
                     std::string* error = nullptr);

// The backups folder of this user: `dataDir`/backups.
std::string BackupFolder(const std::string& dataDir);

// The backup kept in `folder` (a full path, or a folder name in `store`); nullopt with `error`
// saying why when it is not a complete backup.
std::optional<BackupEntry> FindBackup(const BackupStore& store, const std::string& folder,
                                      std::string* error);

// The raw memory image a backup holds; nullopt with `error` naming the file and the reason.
std::optional<RadioImage> ReadBackupImage(const BackupEntry& entry, std::string* error);

// Loads a backup's pair as an untitled document ("new.dat"), as a read of that radio would leave
// it; the radio information record takes the backup's texts. Returns 0, or the id of the message
// that refuses it (9002 when its files cannot be read or are not sound; `detail` then names the
// file and the system's reason); nothing changes then.
int OpenBackup(AppState& app, Document& doc, RadioInfoRecord& info, const BackupEntry& entry,
               std::string* detail = nullptr);

} // namespace zt
