// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_io.h"

#include "util/shown_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zt {

namespace fs = std::filesystem;

namespace {

std::mutex hookMutex;
FileFaultHook faultHook;

// The errno value a test asked this step to fail with, or 0.
int InjectedFault(FileStep step, const std::string& path) {
    std::lock_guard lock(hookMutex);
    return faultHook ? faultHook(step, path) : 0;
}

std::string Reason(int err) {
    return std::generic_category().message(err);
}

void SetError(FileError* error, const std::string& path, std::string reason) {
    if (error)
        *error = {path, std::move(reason)};
}

// Why `path` cannot be read as a file: it is missing, a folder, or another kind of file.
std::string NotAFileReason(const std::error_code& statusEc, fs::file_type type) {
    if (statusEc && statusEc != std::errc::no_such_file_or_directory)
        return statusEc.message();
    switch (type) {
    case fs::file_type::not_found:
        return Reason(ENOENT);
    case fs::file_type::directory:
        return Reason(EISDIR);
    default:
        return "not a regular file";
    }
}

#ifndef _WIN32
// Writes all of `data` to `fd`, going on after an interruption or a short write.
int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}
#endif

} // namespace

std::string FileError::text() const {
    return ShownText(path) + (sentence ? " " : ": ") + ShownText(reason);
}

FileFaultHook SetFileFaultHook(FileFaultHook hook) {
    std::lock_guard lock(hookMutex);
    std::swap(faultHook, hook);
    return hook;
}

int FileStepFault(FileStep step, const std::string& path) {
    return InjectedFault(step, path);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path, std::size_t limit,
                                                       FileError* error) {
    std::error_code ec;
    const fs::file_status st = fs::status(fs::path(path), ec);
    if (st.type() != fs::file_type::regular) {
        SetError(error, path, NotAFileReason(ec, st.type()));
        return std::nullopt;
    }
    if (const int err = InjectedFault(FileStep::Open, path)) {
        SetError(error, path, Reason(err));
        return std::nullopt;
    }
    errno = 0;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        SetError(error, path, Reason(errno ? errno : EIO));
        return std::nullopt;
    }
    std::vector<std::uint8_t> data;
    char buf[8192];
    int readError = InjectedFault(FileStep::Read, path);
    while (readError == 0 && data.size() < limit) {
        const std::size_t want = std::min<std::size_t>(sizeof buf, limit - data.size());
        const std::size_t got = std::fread(buf, 1, want, in);
        data.insert(data.end(), buf, buf + got);
        if (got < want) {
            if (std::ferror(in))
                readError = errno ? errno : EIO;
            break;
        }
    }
    std::fclose(in);
    if (readError) {
        SetError(error, path, Reason(readError));
        return std::nullopt;
    }
    return data;
}

std::optional<std::uintmax_t> RegularFileSize(const std::string& path, FileError* error) {
    std::error_code ec;
    const fs::file_status st = fs::status(fs::path(path), ec);
    if (st.type() != fs::file_type::regular) {
        SetError(error, path, NotAFileReason(ec, st.type()));
        return std::nullopt;
    }
    const auto n = fs::file_size(fs::path(path), ec);
    if (ec) {
        SetError(error, path, ec.message());
        return std::nullopt;
    }
    return n;
}

std::string SideBase(const std::string& target) {
    constexpr std::size_t kNameMax = 255;
    const std::string name = fs::path(target).filename().string();
    if (1 + name.size() + kSideSuffixRoom <= kNameMax)
        return "." + name;
    // FNV-1a over the whole name, so that two long names with one beginning get two bases.
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    std::size_t keep = kNameMax - kSideSuffixRoom - 1 - 1 - 16;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep; // not inside a UTF-8 character
    return "." + name.substr(0, keep) + "~" + hex;
}

std::string StagedFile::SideName(const std::string& target, const char* suffix) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    const fs::path t(target);
    return (t.parent_path() / (SideBase(target) + "." + std::to_string(rng() % 1000000000) + "." + suffix))
        .string();
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(fs::path(a), fs::path(b), ec) && !ec)
        return true;
    std::error_code ea, eb;
    const fs::path ca = fs::weakly_canonical(fs::absolute(fs::path(a), ea), ea);
    const fs::path cb = fs::weakly_canonical(fs::absolute(fs::path(b), eb), eb);
    return !ea && !eb && ca == cb;
}

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

StagedFile::StagedFile(std::string target) : target_(std::move(target)), temp_(SideName(target_, "tmp")) {}

StagedFile::~StagedFile() {
    if (written_) {
        std::error_code ec;
        fs::remove(fs::path(temp_), ec);
    }
}

bool StagedFile::fail(const std::string& path, int err) {
    error_ = {path, Reason(err)};
    return false;
}

bool StagedFile::write(std::span<const std::uint8_t> data) {
    error_ = {};
    if (written_) { // written before: start again on a fresh temporary file
        std::error_code ec;
        fs::remove(fs::path(temp_), ec);
        written_ = false;
    }
    if (const int err = InjectedFault(FileStep::Create, temp_))
        return fail(target_, err);
#ifdef _WIN32
    const HANDLE h = CreateFileW(fs::path(temp_).wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = {target_, std::system_category().message(static_cast<int>(GetLastError()))};
        return false;
    }
    written_ = true; // from here on the destructor cleans up
    std::string why;
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (why.empty() && left > 0) {
        if (const int err = InjectedFault(FileStep::Write, temp_)) {
            why = Reason(err);
            break;
        }
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        if (!WriteFile(h, p, chunk, &done, nullptr) || done == 0)
            why = std::system_category().message(static_cast<int>(GetLastError()));
        p += done;
        left -= done;
    }
    if (why.empty()) {
        if (const int err = InjectedFault(FileStep::Flush, temp_))
            why = Reason(err);
        else if (!FlushFileBuffers(h))
            why = std::system_category().message(static_cast<int>(GetLastError()));
    }
    const int closeErr = InjectedFault(FileStep::Close, temp_);
    if (!CloseHandle(h) && why.empty())
        why = std::system_category().message(static_cast<int>(GetLastError()));
    if (why.empty() && closeErr)
        why = Reason(closeErr);
    if (!why.empty()) {
        error_ = {target_, why};
        return false;
    }
    return true;
#else
    const int fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(target_, errno);
    written_ = true; // from here on the destructor cleans up
    int err = InjectedFault(FileStep::Write, temp_);
    if (err == 0)
        err = WriteAll(fd, data.data(), data.size());
    if (err == 0) {
        err = InjectedFault(FileStep::Flush, temp_);
        if (err == 0 && ::fsync(fd) != 0)
            err = errno;
    }
    // A close error (a network file system reporting a failed write late) fails the write too.
    const int injectedClose = InjectedFault(FileStep::Close, temp_);
    if (::close(fd) != 0 && err == 0 && errno != EINTR)
        err = errno;
    if (err == 0)
        err = injectedClose;
    if (err != 0)
        return fail(target_, err);
    return true;
#endif
}

bool StagedFile::commit(bool flushFolder) {
    error_ = {};
    if (!written_)
        return fail(target_, ENOENT);
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(fs::path(target_), ec);
    if (st.type() == fs::file_type::directory)
        return fail(target_, EISDIR);
    if (st.type() != fs::file_type::not_found && st.type() != fs::file_type::regular &&
        st.type() != fs::file_type::symlink) {
        error_ = {target_, "not a regular file"};
        return false;
    }
    if (const int err = InjectedFault(FileStep::Rename, target_))
        return fail(target_, err);
    fs::rename(fs::path(temp_), fs::path(target_), ec);
    if (ec) {
        error_ = {target_, ec.message()};
        return false;
    }
    written_ = false;
    renamed_ = true;
    if (flushFolder && !FlushFolder(FolderOf(target_), &error_))
        return false;
    return true;
}

bool FlushFolder(const std::string& folder, FileError* error) {
    if (const int err = InjectedFault(FileStep::FlushFolder, folder)) {
        SetError(error, folder, Reason(err));
        return false;
    }
#ifdef _WIN32
    (void)folder;
    return true;
#else
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, folder, Reason(errno));
        return false;
    }
    int err = 0;
    // Some file systems cannot flush a folder at all; that is no failure of the save.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS)
        err = errno;
    ::close(fd);
    if (err != 0) {
        SetError(error, folder, Reason(err));
        return false;
    }
    return true;
#endif
}

bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data, FileError* error) {
    StagedFile f(path);
    if (f.write(data) && f.commit())
        return true;
    if (error)
        *error = f.error();
    return false;
}

} // namespace zt
