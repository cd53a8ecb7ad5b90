#pragma once
// Something that hands out whole named members: an archive reader, or a map of files in a test.
// Readers of scenarios, pictures, hit maps and cursors take their data through it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Bytes.h"
#include "platform/FileSystem.h"

namespace qw {

// A member's bytes on an independent handle: offset and size in the file.
struct MemberStream {
    platform::FileHandle file;
    uint64_t offset = 0;
    uint64_t size = 0;

    // Reads up to `count` bytes at `position` within the member, never past its end.
    size_t Read(uint64_t position, void* buffer, size_t count) const;
};

class IMemberSource {
public:
    virtual ~IMemberSource() = default;
    // The whole member (the default extension is added to names without one), or nullopt when
    // it cannot be found or read.
    virtual std::optional<Bytes> ReadMember(std::string_view name) = 0;
    // The member on a handle of its own, read at explicit offsets (streaming readers); nullopt
    // when it cannot be found, and from sources that hold no files.
    virtual std::optional<MemberStream> OpenStream(std::string_view /*name*/) {
        return std::nullopt;
    }
};

} // namespace qw
