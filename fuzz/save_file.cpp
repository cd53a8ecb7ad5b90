// The saved-game file parser and the caption reader of the save/load screen: any bytes are
// refused with a reason or accepted, and an accepted file writes back the same bytes up to the
// end of its state. The caption reader (the first 112 bytes) agrees with the whole parser on
// every file the parser accepts.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/Bytes.h"
#include "files/TitleKeyStream.h"
#include "save/SaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qw::TitleKeyCache keys;
    // The header is a digest no mutation finds: the input's first byte says whether to put the
    // right one in front.
    qw::Bytes file;
    if (size > 0 && (data[0] & 1)) {
        const auto header = qw::savefile::Header("Quillwork");
        file.assign(header.begin(), header.end());
        file.insert(file.end(), data + 1, data + size);
    } else {
        file.assign(data, data + size);
    }
    auto summary = qw::savefile::ParseSummary(file, "Quillwork");
    auto parsed = qw::savefile::Parse(file, "Quillwork", keys);
    if (parsed) {
        if (!summary) std::abort();
        const qw::Bytes again = qw::savefile::Write(*parsed, "Quillwork", keys);
        if (again.size() > file.size() || std::memcmp(again.data(), file.data(), again.size()) != 0)
            std::abort();
    }
    return 0;
}
