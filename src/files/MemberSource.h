#pragma once
// Something that hands out whole named members: an archive reader, or a map of files in a test.
// Readers of scenarios, pictures, hit maps and cursors take their data through it.

#include <optional>
#include <string_view>

#include "common/Bytes.h"

namespace qw {

class IMemberSource {
public:
    virtual ~IMemberSource() = default;
    // The whole member (the default extension is added to names without one), or nullopt when
    // it cannot be found or read.
    virtual std::optional<Bytes> ReadMember(std::string_view name) = 0;
};

} // namespace qw
