// Archive header parsing and member lookup on arbitrary bytes: the parser must refuse or accept
// without reading outside the data, and every lookup must agree with the name it returns.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/ArchiveTable.h"
#include "files/MemberNameOrder.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qw::ByteSpan bytes(data, size);

    // The comparison: antisymmetric, and 0 exactly for names equal with case ignored.
    if (size >= 2) {
        size_t cut = data[0] % size;
        std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
        std::string_view a = all.substr(0, cut), b = all.substr(std::min(cut, all.size()));
        int ab = qw::CompareMemberNames(a, b), ba = qw::CompareMemberNames(b, a);
        Check((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0));
        Check((ab == 0) == (qw::FoldMemberName(a) == qw::FoldMemberName(b)));
    }

    auto table = qw::ArchiveTable::Parse(bytes, size);
    if (!table) return 0;
    Check(table->Count() > 0);
    const int probes = table->Count() < 64 ? table->Count() : 64;
    for (int i = 0; i < probes; ++i) {
        (void)table->InBounds(i);
        auto name = table->Name(i);
        if (!name) continue;
        int found = table->Find(*name);
        Check(found >= 0);
        Check(qw::CompareMemberNames(*table->Name(found), *name) == 0);
        std::string longer(*name);
        longer += ".X";
        int other = table->Find(longer);
        Check(other < 0 || qw::CompareMemberNames(*table->Name(other), longer) == 0);
    }
    return 0;
}
