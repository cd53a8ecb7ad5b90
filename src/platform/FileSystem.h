#pragma once
// Files and directories as the engine needs them: plain handles with 64-bit positioned reads,
// directory listings for case-insensitive lookups, and atomic whole-file writes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qw::platform {

enum class PathKind { Missing, Directory, File };

PathKind GetPathKind(const std::string& path);

// Names of the entries of `directory` (no "." or ".."); empty when it cannot be read.
std::vector<std::string> ListDirectory(const std::string& directory);

// The current working directory, without a trailing separator.
std::string CurrentDirectory();

// An open file. Movable, closes itself. Several handles on one file are independent.
class FileHandle {
public:
    enum class Mode { Read, ReadWrite, CreateTruncate };

    FileHandle() = default;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Reads up to `size` bytes at the current position; returns the count read (0 at the end or
    // on failure).
    size_t Read(void* buffer, size_t size);
    // Reads up to `size` bytes at `offset` without moving the position.
    size_t ReadAt(uint64_t offset, void* buffer, size_t size) const;
    size_t Write(const void* buffer, size_t size);
    // origin: 0 start, 1 current, 2 end. Returns the new position, or nullopt on failure.
    std::optional<uint64_t> Seek(int64_t distance, int origin);
    std::optional<uint64_t> Size() const;

private:
    int fd_ = -1;
};

// Whole file, or nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Writes `data` to a temporary file beside `path` and renames it into place, so a crash mid-write
// keeps the previous file whole.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> data);

bool RemoveFile(const std::string& path);

// Creates `path` and any missing parents. False when a part exists but is not a directory or
// cannot be created.
bool CreateDirectories(const std::string& path);

} // namespace qw::platform
