#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

namespace qw::platform {

PathKind GetPathKind(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::File;
}

std::vector<std::string> ListDirectory(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    ::closedir(dir);
    return names;
}

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return ".";
    return buf;
}

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle::~FileHandle() {
    Close();
}

bool FileHandle::Open(const std::string& path, Mode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::ReadWrite:
        flags |= O_RDWR | O_CREAT;
        break;
    case Mode::CreateTruncate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    do {
        fd_ = ::open(path.c_str(), flags, 0644);
    } while (fd_ < 0 && errno == EINTR);
    struct stat st;
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode))) Close();
    return fd_ >= 0;
}

void FileHandle::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

size_t FileHandle::Read(void* buffer, size_t size) {
    if (fd_ < 0) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t FileHandle::ReadAt(uint64_t offset, void* buffer, size_t size) const {
    if (fd_ < 0 || offset > static_cast<uint64_t>(INT64_MAX)) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                            static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t FileHandle::Write(const void* buffer, size_t size) {
    if (fd_ < 0) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

std::optional<uint64_t> FileHandle::Seek(int64_t distance, int origin) {
    if (fd_ < 0) return std::nullopt;
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(fd_, static_cast<off_t>(distance), whence);
    if (pos < 0) return std::nullopt;
    return static_cast<uint64_t>(pos);
}

std::optional<uint64_t> FileHandle::Size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    FileHandle f;
    if (!f.Open(path, FileHandle::Mode::Read)) return std::nullopt;
    auto size = f.Size();
    if (!size) return std::nullopt;
    std::vector<uint8_t> data(*size);
    if (f.ReadAt(0, data.data(), data.size()) != data.size()) return std::nullopt;
    return data;
}

namespace {

std::atomic<bool> durableWrites{true};
std::atomic<int> injectedWriteFailures{0};

bool SyncFd(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR) return false;
    return true;
}

// Flushes the directory that holds `path`, so a rename into it survives a power cut.
bool SyncDirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : path.substr(0, slash);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = SyncFd(fd);
    ::close(fd);
    return ok;
}

bool TakeInjectedFailure() {
    int n = injectedWriteFailures.load();
    while (n > 0)
        if (injectedWriteFailures.compare_exchange_weak(n, n - 1)) return true;
    return false;
}

} // namespace

void SetDurableWrites(bool on) {
    durableWrites = on;
}

void InjectWriteFailures(int count) {
    injectedWriteFailures = count;
}

bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> data) {
    const std::string temp = path + ".tmp";
    const bool durable = durableWrites;
    int fd;
    do {
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    auto fail = [&] {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    size_t want = data.size();
    const bool injected = TakeInjectedFailure();
    if (injected) want /= 2;
    size_t done = 0;
    while (done < want) {
        ssize_t n = ::write(fd, data.data() + done, want - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        done += static_cast<size_t>(n);
    }
    if (injected) return fail();
    if (durable && !SyncFd(fd)) return fail();
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail();
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail();
    // The new file is in place; a directory that cannot be flushed still holds it.
    if (durable) SyncDirectoryOf(path);
    return true;
}

std::optional<int64_t> GetLastWriteTime(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<int64_t>(st.st_mtime);
}

std::optional<std::string> FindEntryNoCase(const std::string& directory, const std::string& name) {
    const std::string exact = (directory.empty() ? std::string() : directory + "/") + name;
    if (GetPathKind(directory.empty() ? name : exact) != PathKind::Missing) return name;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    for (const std::string& entry : ListDirectory(directory.empty() ? "." : directory)) {
        if (entry.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = lower(entry[i]) == lower(name[i]);
        if (same) return entry;
    }
    return std::nullopt;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CreateDirectories(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string prefix = path.substr(0, i);
        PathKind kind = GetPathKind(prefix);
        if (kind == PathKind::Directory) continue;
        if (kind == PathKind::File) return false;
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

} // namespace qw::platform
