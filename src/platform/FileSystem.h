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

// Writes `data` to a temporary file beside `path` ("<path>.tmp"), flushes it to the disk, renames
// it into place and flushes the directory, so a crash or a power cut at any point leaves the
// previous file or the new one, whole. On failure the temporary file is removed, the old file is
// kept and the result is false. A ".tmp" left by an earlier crash is simply overwritten.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> data);
// Whether WriteFileAtomic flushes to the disk (on by default). Benchmarks turn it off to
// measure the rest of a write; the rename stays atomic either way.
void SetDurableWrites(bool on);
// Test hook: the next `count` calls of WriteFileAtomic fail after writing half of their
// temporary file, as a full disk would.
void InjectWriteFailures(int count);

// The last-write time of a file in seconds since 1970-01-01 UTC, or nullopt.
std::optional<int64_t> GetLastWriteTime(const std::string& path);

// The entry of `directory` whose name equals `name` without regard to ASCII case, spelled as on
// disk (an exact match first); nullopt when there is none.
std::optional<std::string> FindEntryNoCase(const std::string& directory, const std::string& name);

bool RemoveFile(const std::string& path);

// Creates `path` and any missing parents. False when a part exists but is not a directory or
// cannot be created.
bool CreateDirectories(const std::string& path);

} // namespace qw::platform
