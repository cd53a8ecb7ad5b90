#pragma once
// Finds files in a directory by the names the game asks for. The game's names are in its code
// page (CP932) and carry no meaning for case, while the file system here is case-sensitive and
// usually stores names in UTF-8. A name is looked up in a cached listing of the directory:
//
//   1. the exact bytes;
//   2. the bytes with ASCII letter case ignored (double-byte characters kept whole);
//   3. the name converted to UTF-8, exactly and then with ASCII case ignored.
//
// When several files match with case ignored, the first in byte order of their names wins. A
// name that misses rescans the directory once, so files added while the game runs are found.
// Only plain names are served: a name containing a path separator, "." or ".." is never found.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qw {

class LooseFileDirectory {
public:
    // `directory` is empty (the current directory) or ends with a separator.
    void Reset(std::string directory);
    // Full path of the file for `name`, or nullopt.
    std::optional<std::string> Resolve(std::string_view name);

private:
    std::optional<std::string> Lookup(std::string_view name) const;
    void Scan();

    std::string directory_;
    bool scanned_ = false;
    std::unordered_set<std::string> names_;
    std::unordered_map<std::string, std::string> byGameFold_;  // folded as code-page text
    std::unordered_map<std::string, std::string> byAsciiFold_; // folded as UTF-8 text
};

} // namespace qw
