// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file and its channel file change together. A save takes the pair's lock (a hidden
// lock file beside it holding the saver's process id), writes both new files beside the pair,
// then a commit record naming them, flushed to the disk before the first rename; after the last
// rename the record is removed. Whoever takes the lock next and finds a record finishes that
// commit, so after a kill or a power cut at any moment the pair is the old one or the new one,
// never a mix and never without its channel file. Taking the lock also removes what interrupted
// saves of this program left beside the pair (only names this program gives its own files).
#pragma once

#include "files/file_io.h"

#include <chrono>
#include <optional>
#include <string>

namespace zt {

// How long a save or an open waits for another program's save of the same pair to end.
std::chrono::milliseconds PairLockWait();
// Sets that wait (tests shorten it); returns the previous one.
std::chrono::milliseconds SetPairLockWait(std::chrono::milliseconds wait);

// The hidden files of a pair, all beside the settings file.
std::string PairLockPath(const std::string& settingsPath);
std::string PairRecordPath(const std::string& settingsPath);

enum class LockStatus {
    Held,        // the lock is this program's now
    Busy,        // another program kept it for the whole wait
    Unavailable, // the lock file cannot be made or locked (a read-only folder, for one)
};

// The lock of a pair, held while the object lives (or until release()).
class PairLock {
  public:
    PairLock() = default;
    ~PairLock();
    PairLock(PairLock&& other) noexcept;
    PairLock& operator=(PairLock&& other) noexcept;
    PairLock(const PairLock&) = delete;
    PairLock& operator=(const PairLock&) = delete;

    // Takes the lock of the pair of `settingsPath`, waiting at most PairLockWait() while another
    // program saves it. Otherwise `error` says why: "PATH is being saved by another program
    // (pid N)" (Busy), or the path and the system's reason (Unavailable).
    LockStatus acquire(const std::string& settingsPath, FileError& error);
    bool held() const { return fd_ >= 0; }
    // Lets the lock go; its file is removed when no other program has the document open.
    void release();

    // While the lock is held: marks the document as open in this program until release() or
    // the end of the object, and lets the lock itself go for other programs' saves. Returns the
    // process id of another program that has it open (0 when none, -1 when one does whose id
    // is not known).
    long holdOpen();

  private:
    int fd_ = -1;
    std::string path_;
    bool saving_ = false; // the save lock (not only the open mark) is held
};

// With the lock held: finishes a commit that a previous save began and could not end (its
// record is there), then removes the temporary files that interrupted saves of this pair left.
// False with `error` when a rename or removal the commit needs is refused.
bool RecoverPair(const std::string& settingsPath, FileError& error);

// With the lock held and both new files written and flushed: records the commit, puts the
// channel file, then the settings file, in place and removes the record. On a failure before
// the settings file is in place the previous pair is put back and false returned with `error`;
// when even that is refused the record stays, and the next open finishes the commit.
bool CommitPairFiles(StagedFile& settings, StagedFile& channels, FileError& error);

// Another program's open mark on the pair: its process id, -1 when its id is not known, 0 when
// no other program has the document open. Nothing is created or locked.
long PairOpenedElsewhere(const std::string& settingsPath);

// Process id of the program that holds the pair's lock, read from its lock file (0 when unknown).
long PairLockHolder(const std::string& settingsPath);

} // namespace zt
