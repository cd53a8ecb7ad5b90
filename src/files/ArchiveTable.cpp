#include "files/ArchiveTable.h"

#include <climits>
#include <cstring>

#include "common/ExecLog.h"
#include "files/MemberNameOrder.h"
#include "platform/FileSystem.h"

namespace qw {

ArchiveFormat DetectArchiveFormat(ByteSpan head) {
    if (head.size() < 8) return ArchiveFormat::None;
    const char* p = reinterpret_cast<const char*>(head.data());
    for (auto f : {ArchiveFormat::Fjsys, ArchiveFormat::Sm2mpx10, ArchiveFormat::Mgcfile})
        if (std::strncmp(p, ArchiveMagic(f), 8) == 0) return f;
    return ArchiveFormat::None;
}

const char* ArchiveMagic(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Sm2mpx10:
        return "SM2MPX10";
    case ArchiveFormat::Mgcfile:
        return "MGCFILE";
    case ArchiveFormat::Fjsys:
        return "FJSYS";
    case ArchiveFormat::None:
        break;
    }
    return "";
}

size_t ArchiveHeaderSize(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Sm2mpx10:
    case ArchiveFormat::Mgcfile:
        return 32;
    case ArchiveFormat::Fjsys:
        return 84;
    case ArchiveFormat::None:
        break;
    }
    return 0;
}

size_t ArchiveEntrySize(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Sm2mpx10:
        return 20;
    case ArchiveFormat::Mgcfile:
        return 32;
    case ArchiveFormat::Fjsys:
        return 16;
    case ArchiveFormat::None:
        break;
    }
    return 0;
}

size_t ArchiveNameLimit(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Sm2mpx10:
        return 12;
    case ArchiveFormat::Mgcfile:
        return 19;
    case ArchiveFormat::Fjsys:
    case ArchiveFormat::None:
        break;
    }
    return 0;
}

Result<ArchiveLayout> ParseArchiveHeader(ByteSpan header, uint64_t fileSize) {
    ArchiveLayout layout;
    layout.format = DetectArchiveFormat(header);
    if (layout.format == ArchiveFormat::None)
        return Refuse("not an archive (the magic is none of SM2MPX10, MGCFILE, FJSYS)");
    const char* magic = ArchiveMagic(layout.format);
    size_t headerSize = ArchiveHeaderSize(layout.format);
    if (header.size() < headerSize)
        return Refuse("%s header cut short: %zu of %zu bytes", magic, header.size(), headerSize);

    std::optional<int32_t> count;
    switch (layout.format) {
    case ArchiveFormat::Sm2mpx10:
        count = LoadLE<int32_t>(header, 8);
        break;
    case ArchiveFormat::Mgcfile:
        count = LoadLE<int32_t>(header, 12);
        break;
    case ArchiveFormat::Fjsys:
        count = LoadLE<int32_t>(header, 16);
        layout.nameBlockSize = LoadLE<uint32_t>(header, 12).value_or(0);
        break;
    case ArchiveFormat::None:
        break;
    }
    if (!count || *count <= 0)
        return Refuse("entry count %d: an archive holds at least one entry", count.value_or(0));
    layout.count = *count;
    layout.tableOffset = headerSize;
    layout.tableSize = uint64_t(layout.count) * ArchiveEntrySize(layout.format);
    layout.nameBlockOffset = layout.tableOffset + layout.tableSize;
    // A table that cannot fit in the file is refused before anything is allocated for it.
    const auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
    if (layout.nameBlockOffset > fileSize)
        return Refuse("%d entries of %zu bytes at offset %llu run past the end of the file (%llu "
                      "bytes)",
                      layout.count, ArchiveEntrySize(layout.format), u(layout.tableOffset),
                      u(fileSize));
    if (layout.End() > fileSize)
        return Refuse("the name block (%u bytes at offset %llu) runs past the end of the file "
                      "(%llu bytes)",
                      layout.nameBlockSize, u(layout.nameBlockOffset), u(fileSize));
    return layout;
}

Result<ArchiveTable> ArchiveTable::Parse(ByteSpan data, uint64_t fileSize) {
    AddExecLog("ArchiveTable::Parse");
    auto layout = ParseArchiveHeader(data, fileSize);
    if (!layout) return Refusal{layout.Reason()};
    if (layout->End() > data.size())
        return Refuse("the table ends at byte %llu, past the %zu bytes given",
                      static_cast<unsigned long long>(layout->End()), data.size());
    ArchiveTable table;
    table.layout_ = *layout;
    table.fileSize_ = fileSize;
    auto at = [&](uint64_t offset, uint64_t size) {
        return data.subspan(static_cast<size_t>(offset), static_cast<size_t>(size));
    };
    auto entries = at(layout->tableOffset, layout->tableSize);
    table.entries_.assign(entries.begin(), entries.end());
    auto names = at(layout->nameBlockOffset, layout->nameBlockSize);
    table.names_.assign(names.begin(), names.end());
    return table;
}

Result<ArchiveTable> ArchiveTable::Load(const platform::FileHandle& file) {
    AddExecLog("ArchiveTable::Load");
    auto fileSize = file.Size();
    if (!fileSize) return Refuse("the file's size cannot be read");
    uint8_t head[84] = {};
    size_t got = file.ReadAt(0, head, sizeof head);
    auto layout = ParseArchiveHeader(ByteSpan(head, got), *fileSize);
    if (!layout) return Refusal{layout.Reason()};
    if (layout->End() > SIZE_MAX) return Refuse("the table is too large to load");
    Bytes data;
    try {
        data.resize(static_cast<size_t>(layout->End()));
    } catch (const std::bad_alloc&) {
        return Refuse("no memory for a table of %llu bytes",
                      static_cast<unsigned long long>(layout->End()));
    }
    if (size_t read = file.ReadAt(0, data.data(), data.size()); read != data.size())
        return Refuse("the table could not be read (%zu of %zu bytes)", read, data.size());
    return Parse(data, *fileSize);
}

std::optional<std::string_view> ArchiveTable::Name(int index) const {
    const uint8_t* e = Entry(index);
    switch (layout_.format) {
    case ArchiveFormat::Sm2mpx10:
        return LoadFixedString(ByteSpan(e, 12), 0, 12);
    case ArchiveFormat::Mgcfile:
        return LoadFixedString(ByteSpan(e, 20), 0, 20);
    case ArchiveFormat::Fjsys: {
        uint32_t offset = LoadLEUnchecked<uint32_t>(e);
        if (offset >= names_.size()) return std::nullopt;
        return LoadFixedString(names_, offset, names_.size() - offset);
    }
    case ArchiveFormat::None:
        break;
    }
    return std::nullopt;
}

uint64_t ArchiveTable::Offset(int index) const {
    const uint8_t* e = Entry(index);
    switch (layout_.format) {
    case ArchiveFormat::Sm2mpx10:
        return LoadLEUnchecked<uint32_t>(e + 12);
    case ArchiveFormat::Mgcfile:
        return LoadLEUnchecked<uint64_t>(e + 24);
    case ArchiveFormat::Fjsys:
        return LoadLEUnchecked<uint64_t>(e + 8);
    case ArchiveFormat::None:
        break;
    }
    return 0;
}

uint32_t ArchiveTable::Size(int index) const {
    const uint8_t* e = Entry(index);
    switch (layout_.format) {
    case ArchiveFormat::Sm2mpx10:
        return LoadLEUnchecked<uint32_t>(e + 16);
    case ArchiveFormat::Mgcfile:
        return LoadLEUnchecked<uint32_t>(e + 20);
    case ArchiveFormat::Fjsys:
        return LoadLEUnchecked<uint32_t>(e + 4);
    case ArchiveFormat::None:
        break;
    }
    return 0;
}

bool ArchiveTable::InBounds(int index) const {
    return FitsIn(fileSize_, Offset(index), Size(index));
}

std::string ArchiveTable::EntryFault(int index) const {
    if (layout_.format == ArchiveFormat::Fjsys) {
        uint32_t offset = LoadLEUnchecked<uint32_t>(Entry(index));
        if (offset >= names_.size())
            return Refuse("entry %d: name offset %u is outside the name block (%zu bytes)", index,
                          offset, names_.size())
                .reason;
    }
    if (!InBounds(index))
        return Refuse("entry %d: offset %llu + size %u is past the end of the file (%llu bytes)",
                      index, static_cast<unsigned long long>(Offset(index)), Size(index),
                      static_cast<unsigned long long>(fileSize_))
            .reason;
    return {};
}

int ArchiveTable::Find(std::string_view key) const {
    int index = FindBinary(key);
    if (index >= 0) return index;
    if (order_ == Order::Unknown) CheckOrder();
    if (order_ == Order::Lookup) return -1;
    auto it = byFoldedName_.find(FoldMemberName(key));
    return it == byFoldedName_.end() ? -1 : it->second;
}

void ArchiveTable::CheckOrder() const {
    AddExecLog("ArchiveTable::CheckOrder");
    // In lookup order when every name can be read and each sorts strictly after the one before.
    bool sorted = true;
    std::optional<std::string_view> previous;
    for (int i = 0; i < layout_.count && sorted; ++i) {
        auto name = Name(i);
        sorted = name && (!previous || CompareMemberNames(*previous, *name) < 0);
        previous = name;
    }
    order_ = sorted ? Order::Lookup : Order::Other;
    if (sorted) return;
    byFoldedName_.reserve(static_cast<size_t>(layout_.count));
    for (int i = 0; i < layout_.count; ++i)
        if (auto name = Name(i)) byFoldedName_.emplace(FoldMemberName(*name), i); // first wins
}

int ArchiveTable::FindBinary(std::string_view key) const {
    int low = 0, high = layout_.count - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        auto name = Name(mid);
        // An entry whose name cannot be read is passed over as if it sorted after the key.
        int c = name ? CompareMemberNames(key, *name) : -1;
        if (c == 0) return mid;
        if (c < 0)
            high = mid - 1;
        else
            low = mid + 1;
    }
    return -1;
}

int ArchiveTable::FindLinear(std::string_view key) const {
    for (int i = 0; i < layout_.count; ++i) {
        auto name = Name(i);
        if (name && CompareMemberNames(key, *name) == 0) return i;
    }
    return -1;
}

} // namespace qw
