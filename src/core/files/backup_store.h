// SPDX-License-Identifier: GPL-3.0-or-later
// Backups of the radio's memory: every complete read and every write keeps what the radio held
// (or what is about to be written) in a folder of its own in the user's data folder, so that a
// channel list lost to a wrong write or a wrong file can be had back. A backup holds the raw
// 9280-byte memory image, the radio information as the program knew it, and the decoded data file
// pair, so it opens like any document. The newest backups are kept, and besides them the newest
// read of every radio (by serial number); the older ones are removed.
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

enum class BackupKind { Read, Write };

// What is known of a write's outcome: None for a read; for a write, whether its read-back found
// what was written (NotChecked: verifying was off, or the write or its read-back did not end).
enum class BackupCheck { None, NotChecked, Verified, Differs };

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
};

// The files of a backup folder.
namespace backup_file {
constexpr const char* kImage = "image.bin";    // the 9280 bytes of radio memory
constexpr const char* kPair = "radio.dat";     // the decoded pair: radio.dat and radio.fre
constexpr const char* kInfo = "info.ini";      // the radio information texts
constexpr const char* kInfoBlock = "info.bin"; // the raw information area, when one was read
constexpr const char* kDescription = "backup.ini";
} // namespace backup_file

class BackupStore {
  public:
    static constexpr int kKeep = 50;

    // `folder` is created when the first backup is kept.
    explicit BackupStore(std::string folder, int keep = kKeep);
    const std::string& folder() const { return folder_; }

    // Keeps a backup of `image` and of `pair` (the document it decodes to), with the radio
    // information (and the raw information area when `infoBlock` is given), taken at `when`. The
    // information kept is the radio's own: the texts of `infoBlock` when given; without it only the
    // serial number of `info` (a new document's record holds invented dates and codes);
    // then removes the oldest beyond the newest `keep` (prune()).
    // Everything is written into a hidden folder that is renamed into place at the end, so an
    // interrupted backup leaves nothing that lists or opens. Returns the backup's folder, or
    // nullopt with `error` saying why nothing was kept.
    std::optional<std::string> keep(BackupKind kind, const RadioImage& image, const DocumentCopy& pair,
                                    const RadioInfoRecord& info, const RadioInfoBlock* infoBlock,
                                    std::time_t when, std::string* error = nullptr);

    // Every complete backup, newest first. Folders without a readable description or image (and
    // hidden unfinished ones) are not listed.
    std::vector<BackupEntry> list() const;

    // Removes the oldest backups beyond the newest `keep` (but never a radio's newest read), and
    // unfinished folders left by an interrupted backup.
    void prune() const;

  private:
    std::string folder_;
    int keep_;
};

// What a host keeps when the link engine asks for a backup (LinkHost::keepBackup), now: for a read,
// the image and the document it becomes (decoded over the working copy, as the read will load it);
// for a write, the image and the working copy that is being written.
std::optional<std::string> KeepExchangeBackup(BackupStore& store, BackupKind kind, const RadioImage& image,
                                              const Document& doc, const RadioInfoRecord& info,
                                              const RadioInfoBlock* infoBlock, std::string* error = nullptr);

// Records in the backup `folder` (of a write) the file name of the document written and what its
// read-back found, so that the backups of writes can be told apart. False, with `error` naming the
// file, when the description could not be rewritten.
bool NoteBackupWrite(const std::string& folder, const std::string& document, BackupCheck check,
                     std::string* error = nullptr);

// The backups folder of this user: `dataDir`/backups.
std::string BackupFolder(const std::string& dataDir);

// Loads a backup's pair as an untitled document ("new.dat"), as a read of that radio would leave
// it; the radio information record takes the backup's texts. Returns 0, or the id of the message
// that refuses it (9002 when its files cannot be read or are not sound; `detail` then names the
// file and the system's reason); nothing changes then.
int OpenBackup(AppState& app, Document& doc, RadioInfoRecord& info, const BackupEntry& entry,
               std::string* detail = nullptr);

} // namespace zt
