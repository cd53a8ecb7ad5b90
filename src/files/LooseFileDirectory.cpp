#include "files/LooseFileDirectory.h"

#include <algorithm>
#include <vector>

#include "common/ExecLog.h"
#include "common/Text.h"
#include "files/MemberNameOrder.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace qw {
namespace {

std::string AsciiFold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = ToLowerAscii(c);
    return out;
}

// A plain file name: no separator of either platform, not "." or "..". A 0x5C byte that is
// the trail byte of a double-byte character is part of that character.
bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<uint8_t>(name[i]);
        if (IsLeadByte(b) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (b == '/' || b == '\\' || b == 0) return false;
    }
    return true;
}

} // namespace

void LooseFileDirectory::Reset(std::string directory) {
    AddExecLog("LooseFileDirectory::Reset");
    directory_ = std::move(directory);
    scanned_ = false;
    names_.clear();
    byGameFold_.clear();
    byAsciiFold_.clear();
}

void LooseFileDirectory::Scan() {
    AddExecLog("LooseFileDirectory::Scan");
    names_.clear();
    byGameFold_.clear();
    byAsciiFold_.clear();
    std::vector<std::string> listing =
        platform::ListDirectory(directory_.empty() ? std::string(".") : directory_);
    std::sort(listing.begin(), listing.end());
    for (auto& name : listing) {
        byGameFold_.emplace(FoldMemberName(name), name);
        byAsciiFold_.emplace(AsciiFold(name), name);
        names_.insert(std::move(name));
    }
    scanned_ = true;
}

std::optional<std::string> LooseFileDirectory::Lookup(std::string_view name) const {
    std::string key(name);
    if (names_.count(key)) return key;
    if (auto it = byGameFold_.find(FoldMemberName(name)); it != byGameFold_.end())
        return it->second;
    auto utf8 = platform::GameToUtf8(name);
    if (utf8 && *utf8 != name) {
        if (names_.count(*utf8)) return *utf8;
        if (auto it = byAsciiFold_.find(AsciiFold(*utf8)); it != byAsciiFold_.end())
            return it->second;
    }
    return std::nullopt;
}

std::optional<std::string> LooseFileDirectory::Resolve(std::string_view name) {
    AddExecLog("LooseFileDirectory::Resolve");
    if (!IsPlainName(name)) return std::nullopt;
    if (!scanned_) Scan();
    auto found = Lookup(name);
    if (!found) {
        Scan();
        found = Lookup(name);
    }
    if (!found) return std::nullopt;
    return directory_ + *found;
}

} // namespace qw
