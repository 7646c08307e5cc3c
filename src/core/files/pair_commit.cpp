// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/pair_commit.h"

#include "files/data_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zt {

namespace fs = std::filesystem;

namespace {

std::atomic<long long> lockWaitMs{10000};

// The lock file's bytes: the save lock and the open mark are locks on one byte each; the process
// ids of the saver and of the program that marked the document open are written as text.
constexpr long kSaveByte = 0;
constexpr long kOpenByte = 1;
constexpr long kSaverPidAt = 0;
constexpr long kOpenerPidAt = 16;
constexpr std::size_t kPidField = 16;

std::string Reason(int err) {
    return std::generic_category().message(err);
}

std::string Beside(const std::string& target, const std::string& name) {
    return (fs::path(target).parent_path() / name).string();
}

std::string NameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

bool IsRegular(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

// Renames `from` to `to`; a refusal is reported for `shown`, the file the user knows.
bool Rename(const std::string& from, const std::string& to, const std::string& shown, FileError& error) {
    if (const int err = FileStepFault(FileStep::Rename, to)) {
        error = {shown, Reason(err)};
        return false;
    }
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        error = {shown, ec.message()};
        return false;
    }
    return true;
}

bool Remove(const std::string& path, const std::string& shown, FileError& error) {
    if (const int err = FileStepFault(FileStep::Remove, path)) {
        error = {shown, Reason(err)};
        return false;
    }
    std::error_code ec;
    fs::remove(path, ec);
    if (ec) {
        error = {shown, ec.message()};
        return false;
    }
    return true;
}

// A name this program gives a hidden file of `target`: its side base, ".", 1 to 10 digits, ".",
// `suffix`. Only files named so are ever removed or renamed by the recovery.
bool IsSideName(std::string_view name, const std::string& target, std::string_view suffix) {
    const std::string base = SideBase(target) + ".";
    if (name.size() <= base.size() || name.substr(0, base.size()) != base)
        return false;
    const std::string_view rest = name.substr(base.size());
    const auto dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 10)
        return false;
    if (!std::all_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dot),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return rest.substr(dot + 1) == suffix;
}

// The commit record: the names of the new settings and channel files and of the previous channel
// file set aside ("-" when there was none), then "end".
struct CommitRecord {
    std::string datTemp, freTemp, aside;
};

std::string RecordText(const CommitRecord& r) {
    return "ztprog pair commit\ndat " + r.datTemp + "\nfre " + r.freTemp + "\naside " +
           (r.aside.empty() ? "-" : r.aside) + "\nend\n";
}

// The record's names when it is complete and names only files of this pair; nullopt otherwise (a
// record cut short was never complete on the disk, so no rename of its commit had begun).
std::optional<CommitRecord> ParseRecord(const std::string& text, const std::string& datPath) {
    const std::string frePath = ChannelFilePath(datPath);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto nl = text.find('\n', start);
        if (nl == std::string::npos)
            return std::nullopt; // cut short
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    if (lines.size() != 5 || lines[0] != "ztprog pair commit" || lines[4] != "end")
        return std::nullopt;
    const auto field = [&](std::size_t i, const char* key) -> std::optional<std::string> {
        const std::string prefix = std::string(key) + " ";
        if (lines[i].compare(0, prefix.size(), prefix) != 0)
            return std::nullopt;
        return lines[i].substr(prefix.size());
    };
    const auto dat = field(1, "dat"), fre = field(2, "fre"), aside = field(3, "aside");
    if (!dat || !fre || !aside || !IsSideName(*dat, datPath, "tmp") || !IsSideName(*fre, frePath, "tmp") ||
        (*aside != "-" && !IsSideName(*aside, frePath, "old")))
        return std::nullopt;
    return CommitRecord{*dat, *fre, *aside == "-" ? std::string() : *aside};
}

// Puts the files a complete record names in place: each new file not yet renamed is renamed now,
// and the previous channel file set aside is removed.
bool FinishCommit(const CommitRecord& r, const std::string& datPath, FileError& error) {
    const std::string frePath = ChannelFilePath(datPath);
    if (IsRegular(Beside(datPath, r.freTemp)) && !Rename(Beside(datPath, r.freTemp), frePath, frePath, error))
        return false;
    if (IsRegular(Beside(datPath, r.datTemp)) && !Rename(Beside(datPath, r.datTemp), datPath, datPath, error))
        return false;
    if (!r.aside.empty() && IsRegular(Beside(datPath, r.aside)) &&
        !Remove(Beside(datPath, r.aside), frePath, error))
        return false;
    return FlushFolder(FolderOf(datPath), &error);
}

// Removes what interrupted saves of this pair left: temporary files of either file and of the
// commit record. A previous channel file set aside by a program version without commit records
// is put back when the channel file is missing (the settings file is then the previous one too).
void RemoveLeftovers(const std::string& datPath) {
    const std::string frePath = ChannelFilePath(datPath);
    const std::string recordPath = PairRecordPath(datPath);
    std::error_code ec;
    fs::directory_iterator it(FolderOf(datPath), ec), end;
    std::vector<fs::path> temps, asides;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsSideName(name, datPath, "tmp") || IsSideName(name, frePath, "tmp") ||
            IsSideName(name, recordPath, "tmp"))
            temps.push_back(it->path());
        else if (IsSideName(name, frePath, "old"))
            asides.push_back(it->path());
    }
    FileError ignored;
    for (const fs::path& p : temps)
        if (IsRegular(p.string()))
            Remove(p.string(), datPath, ignored);
    if (!asides.empty() && !Exists(frePath)) {
        const auto newest =
            std::max_element(asides.begin(), asides.end(), [](const fs::path& a, const fs::path& b) {
                std::error_code e1, e2;
                return fs::last_write_time(a, e1) < fs::last_write_time(b, e2);
            });
        if (IsRegular(newest->string()))
            Rename(newest->string(), frePath, frePath, ignored);
    }
}

#ifndef _WIN32
bool LockByte(int fd, short type, long at) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = 1;
#ifdef F_OFD_SETLK
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
#else
    // Without locks of an open file's own: the whole file is the save lock, and no open mark.
    if (at != kSaveByte)
        return type == F_UNLCK;
    return ::flock(fd, (type == F_UNLCK ? LOCK_UN : LOCK_EX) | LOCK_NB) == 0;
#endif
}

bool ByteLockedByOther(int fd, long at) {
#ifdef F_OFD_GETLK
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
#else
    (void)fd;
    (void)at;
    return false;
#endif
}

long ReadPid(int fd, long at) {
    char buf[kPidField + 1] = {};
    const ssize_t n = ::pread(fd, buf, kPidField, at);
    return n > 0 ? std::strtol(buf, nullptr, 10) : 0;
}

void WritePid(int fd, long at) {
    char buf[kPidField + 1];
    std::snprintf(buf, sizeof buf, "%-15ld\n", static_cast<long>(::getpid()));
    [[maybe_unused]] const ssize_t n = ::pwrite(fd, buf, kPidField, at);
}

bool SameFile(int fd, const std::string& path) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}
#endif

std::string BusyReason(long pid) {
    return "is being saved by another program (pid " + (pid > 0 ? std::to_string(pid) : "unknown") + ")";
}

} // namespace

std::chrono::milliseconds PairLockWait() {
    return std::chrono::milliseconds(lockWaitMs.load());
}

std::chrono::milliseconds SetPairLockWait(std::chrono::milliseconds wait) {
    return std::chrono::milliseconds(lockWaitMs.exchange(wait.count()));
}

std::string PairLockPath(const std::string& settingsPath) {
    return Beside(settingsPath, SideBase(settingsPath) + ".lock");
}

std::string PairRecordPath(const std::string& settingsPath) {
    return Beside(settingsPath, SideBase(settingsPath) + ".commit");
}

PairLock::~PairLock() {
    release();
}

PairLock::PairLock(PairLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)), saving_(other.saving_) {}

PairLock& PairLock::operator=(PairLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        saving_ = other.saving_;
    }
    return *this;
}

#ifndef _WIN32

LockStatus PairLock::acquire(const std::string& settingsPath, FileError& error) {
    release();
    const std::string lockPath = PairLockPath(settingsPath);
    const auto deadline = std::chrono::steady_clock::now() + PairLockWait();
    static thread_local std::mt19937 rng{std::random_device{}()};
    for (;;) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            error = {settingsPath, Reason(errno)};
            return LockStatus::Unavailable;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            error = {lockPath, "not a regular file"};
            return LockStatus::Unavailable;
        }
        while (!LockByte(fd, F_WRLCK, kSaveByte)) {
            if (errno != EAGAIN && errno != EACCES && errno != EINTR && errno != EWOULDBLOCK) {
                error = {settingsPath, Reason(errno)};
                ::close(fd);
                return LockStatus::Unavailable;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                error = {settingsPath, BusyReason(ReadPid(fd, kSaverPidAt)), true};
                ::close(fd);
                return LockStatus::Busy;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 10));
        }
        // The previous holder may have removed the file before letting it go: then the lock is
        // on a file nobody else sees, and the one now at the path is taken instead.
        if (SameFile(fd, lockPath)) {
            fd_ = fd;
            path_ = lockPath;
            saving_ = true;
            WritePid(fd, kSaverPidAt);
            return LockStatus::Held;
        }
        ::close(fd);
    }
}

void PairLock::release() {
    if (fd_ < 0)
        return;
    if (!saving_)
        saving_ = LockByte(fd_, F_WRLCK, kSaveByte);
    // Nobody saves and nobody has the document open: the lock file goes.
    if (saving_ && LockByte(fd_, F_WRLCK, kOpenByte) && SameFile(fd_, path_))
        ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    saving_ = false;
}

long PairLock::holdOpen() {
    if (fd_ < 0)
        return 0;
    long other = 0;
    if (ByteLockedByOther(fd_, kOpenByte)) {
        other = ReadPid(fd_, kOpenerPidAt);
        if (other <= 0)
            other = -1;
    }
    if (!LockByte(fd_, F_RDLCK, kOpenByte))
        return other;
    if (other == 0)
        WritePid(fd_, kOpenerPidAt);
    LockByte(fd_, F_UNLCK, kSaveByte);
    saving_ = false;
    return other;
}

long PairOpenedElsewhere(const std::string& settingsPath) {
    const int fd = ::open(PairLockPath(settingsPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    long pid = 0;
    if (ByteLockedByOther(fd, kOpenByte)) {
        pid = ReadPid(fd, kOpenerPidAt);
        if (pid <= 0)
            pid = -1;
    }
    ::close(fd);
    return pid;
}

long PairLockHolder(const std::string& settingsPath) {
    const int fd = ::open(PairLockPath(settingsPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    const long pid = ReadPid(fd, kSaverPidAt);
    ::close(fd);
    return pid;
}

#else // Windows: byte-range locks of the file handle; the lock file stays.

namespace {
HANDLE AsHandle(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}
bool LockByteWin(HANDLE h, long at, bool exclusive) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(at);
    return LockFileEx(h, (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o);
}
long ReadPidWin(HANDLE h, long at) {
    char buf[kPidField + 1] = {};
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(at);
    DWORD n = 0;
    return ReadFile(h, buf, kPidField, &n, &o) && n > 0 ? std::strtol(buf, nullptr, 10) : 0;
}
void WritePidWin(HANDLE h, long at) {
    char buf[kPidField + 1];
    std::snprintf(buf, sizeof buf, "%-15ld\n", static_cast<long>(_getpid()));
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(at);
    DWORD n = 0;
    WriteFile(h, buf, kPidField, &n, &o);
}
HANDLE OpenLockFile(const std::string& path) {
    return CreateFileW(fs::path(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN, nullptr);
}
} // namespace

LockStatus PairLock::acquire(const std::string& settingsPath, FileError& error) {
    release();
    const std::string lockPath = PairLockPath(settingsPath);
    const HANDLE h = OpenLockFile(lockPath);
    if (h == INVALID_HANDLE_VALUE) {
        error = {settingsPath, std::system_category().message(static_cast<int>(GetLastError()))};
        return LockStatus::Unavailable;
    }
    const auto deadline = std::chrono::steady_clock::now() + PairLockWait();
    while (!LockByteWin(h, kSaveByte, true)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            error = {settingsPath, BusyReason(ReadPidWin(h, kSaverPidAt)), true};
            CloseHandle(h);
            return LockStatus::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    fd_ = static_cast<int>(reinterpret_cast<intptr_t>(h));
    path_ = lockPath;
    saving_ = true;
    WritePidWin(h, kSaverPidAt);
    return LockStatus::Held;
}

void PairLock::release() {
    if (fd_ < 0)
        return;
    CloseHandle(AsHandle(fd_)); // lets every lock of the handle go
    fd_ = -1;
    saving_ = false;
}

long PairLock::holdOpen() {
    if (fd_ < 0)
        return 0;
    const HANDLE h = AsHandle(fd_);
    long other = 0;
    if (LockByteWin(h, kOpenByte, true)) {
        OVERLAPPED o{};
        o.Offset = kOpenByte;
        UnlockFileEx(h, 0, 1, 0, &o);
    } else {
        other = ReadPidWin(h, kOpenerPidAt);
        if (other <= 0)
            other = -1;
    }
    if (!LockByteWin(h, kOpenByte, false))
        return other;
    if (other == 0)
        WritePidWin(h, kOpenerPidAt);
    OVERLAPPED o{};
    o.Offset = kSaveByte;
    UnlockFileEx(h, 0, 1, 0, &o);
    saving_ = false;
    return other;
}

long PairOpenedElsewhere(const std::string& settingsPath) {
    std::error_code ec;
    if (!fs::exists(PairLockPath(settingsPath), ec))
        return 0;
    const HANDLE h = OpenLockFile(PairLockPath(settingsPath));
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    long pid = 0;
    if (LockByteWin(h, kOpenByte, true)) {
        OVERLAPPED o{};
        o.Offset = kOpenByte;
        UnlockFileEx(h, 0, 1, 0, &o);
    } else {
        pid = ReadPidWin(h, kOpenerPidAt);
        if (pid <= 0)
            pid = -1;
    }
    CloseHandle(h);
    return pid;
}

long PairLockHolder(const std::string& settingsPath) {
    const HANDLE h = OpenLockFile(PairLockPath(settingsPath));
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    const long pid = ReadPidWin(h, kSaverPidAt);
    CloseHandle(h);
    return pid;
}

#endif

bool RecoverPair(const std::string& settingsPath, FileError& error) {
    const std::string recordPath = PairRecordPath(settingsPath);
    if (IsRegular(recordPath)) {
        FileError readError;
        const auto bytes = ReadFileBytes(recordPath, 4096, &readError);
        if (!bytes) {
            error = {settingsPath, readError.reason};
            return false;
        }
        const auto record = ParseRecord(std::string(bytes->begin(), bytes->end()), settingsPath);
        if (record && !FinishCommit(*record, settingsPath, error))
            return false;
        if (!Remove(recordPath, settingsPath, error) || !FlushFolder(FolderOf(settingsPath), &error))
            return false;
    }
    RemoveLeftovers(settingsPath);
    return true;
}

bool CommitPairFiles(StagedFile& dat, StagedFile& fre, FileError& error) {
    const std::string& datPath = dat.target();
    const std::string& frePath = fre.target();
    const std::string recordPath = PairRecordPath(datPath);
    const bool hadOld = Exists(frePath);
    const std::string aside = hadOld ? StagedFile::SideName(frePath, "old") : std::string();
    const CommitRecord record{NameOf(dat.tempPath()), NameOf(fre.tempPath()), hadOld ? NameOf(aside) : ""};
    const std::string text = RecordText(record);
    {
        StagedFile recordFile(recordPath);
        if (!recordFile.write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) ||
            !recordFile.commit()) {
            error = {datPath, recordFile.error().reason};
            if (recordFile.renamed()) {
                FileError ignored;
                Remove(recordPath, datPath, ignored);
            }
            return false;
        }
    }
    // From here the record answers for the new files: they stay until the commit is finished or
    // undone.
    dat.keep();
    fre.keep();
    // Undoes the commit after a refused step; when even that is refused, the record stays and the
    // next open or save finishes the commit.
    const auto undo = [&](bool freInPlace) {
        FileError ignored;
        bool undone = true;
        if (freInPlace)
            undone = hadOld ? Rename(aside, frePath, frePath, ignored) : Remove(frePath, frePath, ignored);
        else if (hadOld && !Exists(frePath))
            undone = Rename(aside, frePath, frePath, ignored);
        if (!undone)
            return false;
        Remove(dat.tempPath(), datPath, ignored);
        if (!freInPlace)
            Remove(fre.tempPath(), frePath, ignored);
        Remove(recordPath, datPath, ignored);
        return false;
    };
    if (hadOld && !Rename(frePath, aside, frePath, error))
        return undo(false);
    if (!Rename(fre.tempPath(), frePath, frePath, error))
        return undo(false);
    if (!Rename(dat.tempPath(), datPath, datPath, error))
        return undo(true);
    // The new pair is in place. A folder that cannot be flushed still fails the save, so that the
    // document keeps counting its changes as unsaved; the record then stays until the next open.
    if (!FlushFolder(FolderOf(datPath), &error))
        return false;
    FileError late;
    if (hadOld && !Remove(aside, frePath, late))
        return true; // the record stays, and the next open removes the previous channel file
    if (Remove(recordPath, datPath, late))
        FlushFolder(FolderOf(datPath), &late);
    return true;
}

} // namespace zt
