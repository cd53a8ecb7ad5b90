#pragma once
// Writing joined-file archives: the table of contents laid out in the reader's lookup order, with
// the members' data after it. Used by the `qwpack` tool and by tests that build archives.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "files/ArchiveTable.h"

namespace qw {

struct ArchiveMemberInfo {
    std::string name; // in the game's code page, with its extension
    uint64_t size = 0;
};

// Where everything goes. The members' data follows `head` back to back, in table order.
struct ArchivePlan {
    Bytes head;                   // header, entry table and (FJSYS) name block
    std::vector<size_t> order;    // input indices in table order
    std::vector<uint64_t> offset; // per input member, its absolute offset
    uint64_t totalSize = 0;
};

// Empty when `name` can be stored in `format`, else a message saying why not.
std::string CheckArchiveMemberName(ArchiveFormat format, std::string_view name);

// Lays out an archive. With `sortForLookup` false the table keeps the input order (for tests of
// archives made by other tools). nullopt with `error` set for a bad or duplicate name, no
// members, or a member that the format's 32-bit fields cannot place.
std::optional<ArchivePlan> PlanArchive(ArchiveFormat format,
                                       std::span<const ArchiveMemberInfo> members,
                                       std::string& error, bool sortForLookup = true);

struct ArchiveMemberData {
    std::string name;
    Bytes data;
};

// The whole archive in memory; nullopt with `error` set as for PlanArchive.
std::optional<Bytes> BuildArchive(ArchiveFormat format, std::span<const ArchiveMemberData> members,
                                  std::string& error, bool sortForLookup = true);

} // namespace qw
