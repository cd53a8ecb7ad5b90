#pragma once
// The table of contents of a joined-file archive in one of its three formats, parsed from bytes,
// and the member lookup over it.
//
//   "SM2MPX10": header 32 bytes (count at 8), entries of 20 bytes: name[12] (not terminated when
//               full), offset u32 at 12, size u32 at 16.
//   "MGCFILE":  header 32 bytes (count at 12), entries of 32 bytes: name (zero-terminated within
//               bytes 0-19), size u32 at 20, offset u64 at 24.
//   "FJSYS":    header 84 bytes (name-block size at 12, count at 16), entries of 16 bytes: name
//               offset u32 at 0, size u32 at 4, offset u64 at 8; the name block of zero-terminated
//               names follows the entries.
//
// All integers little-endian; offsets are absolute file offsets. Tables are sorted in the order
// of MemberNameOrder.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/Bytes.h"
#include "common/Result.h"

namespace qw {

namespace platform {
class FileHandle;
}

// The values double as the reader's format numbers (0 when unknown).
enum class ArchiveFormat : int { None = 0, Sm2mpx10 = 2, Mgcfile = 3, Fjsys = 4 };

// The format named by the first 8 bytes, compared as a zero-terminated text of at most 8
// characters with each magic; None when it matches none or fewer than 8 bytes are given.
ArchiveFormat DetectArchiveFormat(ByteSpan head);
const char* ArchiveMagic(ArchiveFormat format);
size_t ArchiveHeaderSize(ArchiveFormat format); // 32, or 84 for FJSYS; 0 for None
size_t ArchiveEntrySize(ArchiveFormat format);  // 20, 32 or 16; 0 for None
// Longest member name the format can store (bytes), or 0 for no fixed limit.
size_t ArchiveNameLimit(ArchiveFormat format);

// Where the parts of an archive lie, from its fixed header.
struct ArchiveLayout {
    ArchiveFormat format = ArchiveFormat::None;
    int count = 0;
    uint32_t nameBlockSize = 0; // FJSYS only
    uint64_t tableOffset = 0;
    uint64_t tableSize = 0;
    uint64_t nameBlockOffset = 0;
    // End of the table, or of the name block for FJSYS: what has to be loaded.
    uint64_t End() const { return nameBlockOffset + nameBlockSize; }
};

// Reads the fixed header (at least ArchiveHeaderSize bytes, from the archive's first byte).
// Refused, with the reason, for an unknown magic, a short header, an entry count of 0 or less,
// or a table and name block that do not fit in an archive of `fileSize` bytes.
Result<ArchiveLayout> ParseArchiveHeader(ByteSpan header, uint64_t fileSize);

class ArchiveTable {
public:
    // `data` holds the archive from its first byte through at least the end of the table (and of
    // the name block); `fileSize` is the size of the whole archive.
    static Result<ArchiveTable> Parse(ByteSpan data, uint64_t fileSize);
    // Reads the header and the table from an open archive file and parses them.
    static Result<ArchiveTable> Load(const platform::FileHandle& file);

    ArchiveFormat Format() const { return layout_.format; }
    int Count() const { return layout_.count; }
    uint64_t FileSize() const { return fileSize_; }

    // Entry fields; `index` must lie in [0, Count()).
    // The stored name, or nullopt for an FJSYS name offset outside the name block (such an
    // entry never matches). A name running to the end of the block without a terminator ends
    // there.
    std::optional<std::string_view> Name(int index) const;
    uint64_t Offset(int index) const;
    uint32_t Size(int index) const;
    // True when the member lies wholly inside the archive file.
    bool InBounds(int index) const;
    // What is wrong with an entry the table holds but nobody can open (a name outside the name
    // block, a member past the end of the file), or "" for a sound entry. The table keeps such
    // entries; the engine just cannot open them, the tools name them.
    std::string EntryFault(int index) const;

    // Index of the entry named `key` (case ignored), or -1: a binary search in the table's lookup
    // order; when that misses, the first entry of that name in table order, so tables sorted some
    // other way still work. The first miss checks the table's order once: for a table in lookup
    // order a miss is final, for any other a hash index of the names is built and used from then
    // on (same result as a linear scan, without its cost).
    int Find(std::string_view key) const;
    int FindBinary(std::string_view key) const;
    int FindLinear(std::string_view key) const;

private:
    const uint8_t* Entry(int index) const {
        return entries_.data() + static_cast<size_t>(index) * ArchiveEntrySize(layout_.format);
    }

    void CheckOrder() const;

    ArchiveLayout layout_;
    uint64_t fileSize_ = 0;
    Bytes entries_;
    Bytes names_; // FJSYS name block

    // Built on the first miss of the binary search (see Find).
    enum class Order { Unknown, Lookup, Other };
    mutable Order order_ = Order::Unknown;
    mutable std::unordered_map<std::string, int> byFoldedName_;
};

} // namespace qw
