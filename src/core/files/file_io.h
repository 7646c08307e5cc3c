// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading with a size limit, and writing that never leaves a half-written file: the
// new content goes to a temporary file in the same folder, is flushed to the disk, and is then
// renamed over the old one; the folder is flushed after the rename, so that a power cut leaves
// either the old file or the complete new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zt {

// Why a file operation failed: the file and the system's reason ("No space left on device").
struct FileError {
    std::string path;
    std::string reason;
    // The reason goes on from the path as one sentence ("PATH is being saved by ...").
    bool sentence = false;
    // "PATH: reason" (or "PATH reason"), the path shown with its control characters escaped.
    std::string text() const;
};

// The steps of reading and writing a file at which the system may refuse. Tests stand in for a
// full disk or an unreadable file through SetFileFaultHook.
enum class FileStep { Open, Read, Create, Write, Flush, Close, Rename, FlushFolder, Remove };
// Called before each step with the file (or folder) it works on; a non-zero errno value makes the
// step fail with that error, 0 lets it run.
using FileFaultHook = std::function<int(FileStep step, const std::string& path)>;
// Installs `hook` (an empty one removes it); returns the one it replaces.
FileFaultHook SetFileFaultHook(FileFaultHook hook);
// What the installed hook says of this step (0 when none is installed): for the file operations
// of other parts of the file layer.
int FileStepFault(FileStep step, const std::string& path);

// The file's bytes, at most `limit` of them; nullopt (and `error` saying why) when the file is
// missing, not a regular file or cannot be opened or read.
std::optional<std::vector<std::uint8_t>>
ReadFileBytes(const std::string& path, std::size_t limit = 16u * 1024 * 1024, FileError* error = nullptr);
// The size of a regular file; nullopt (and `error` saying why) when it is missing or not a
// regular file.
std::optional<std::uintmax_t> RegularFileSize(const std::string& path, FileError* error = nullptr);

// A temporary file beside `target` holding `data`; commit() renames it into place, and the
// destructor removes it when it was never committed. A target that exists must be a regular file
// (or a link): a folder or any other kind of file there is never replaced.
class StagedFile {
  public:
    explicit StagedFile(std::string target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the temporary file and flushes it to the disk; false when it cannot be created,
    // written completely, flushed or closed.
    bool write(std::span<const std::uint8_t> data);
    // Renames the written temporary file over the target, then (with `flushFolder`) flushes the
    // folder so that the rename itself is on the disk. False when the target is not a file that may
    // be replaced or the rename fails (nothing changed), or when the folder cannot be flushed (the
    // new file is in place then; renamed() tells).
    bool commit(bool flushFolder = true);
    bool renamed() const { return renamed_; }
    // Why the last write or commit failed.
    const FileError& error() const { return error_; }
    const std::string& target() const { return target_; }
    // The temporary file's path.
    const std::string& tempPath() const { return temp_; }
    // The written temporary file is left where it is at the end (a commit record names it).
    void keep() { written_ = false; }
    // A fresh hidden name beside `target`: its SideBase, "." + number + "." + suffix (a suffix of
    // at most five characters keeps the name within the file system's limit).
    static std::string SideName(const std::string& target, const char* suffix);

  private:
    bool fail(const std::string& path, int err);
    std::string target_;
    std::string temp_;
    bool written_ = false;
    bool renamed_ = false;
    FileError error_;
};

// The start of every hidden name the program puts beside `target`: "." + its file name, or, when
// that would leave no room for a suffix of 16 bytes within a file name's 255 bytes, "." + the
// name cut (never inside a UTF-8 character) + "~" + 16 hexadecimal digits of a hash of the whole
// name. The same target always gives the same base.
std::string SideBase(const std::string& target);
// The longest suffix a SideBase leaves room for.
inline constexpr std::size_t kSideSuffixRoom = 16;

// Flushes a folder's list of names to the disk (after a rename in it); a no-op on Windows, where
// a folder cannot be flushed. False with `error` when the system refuses.
bool FlushFolder(const std::string& folder, FileError* error = nullptr);

// True when both paths lead to one file: the same device and file number when both exist (links,
// other spellings and case-blind file systems included), else the same absolute path.
bool SameFile(const std::string& a, const std::string& b);

// The folder a path's file is in ("." for a bare name).
std::string FolderOf(const std::string& path);

// Writes `data` to `path` through a staged temporary file; false with `error` saying why.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data,
                        FileError* error = nullptr);

} // namespace zt
