#include "files/ArchiveWriter.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "common/ExecLog.h"
#include "files/MemberNameOrder.h"

namespace qw {

std::string CheckArchiveMemberName(ArchiveFormat format, std::string_view name) {
    if (name.empty()) return "empty member name";
    if (name.find('\0') != std::string_view::npos) return "member name contains a zero byte";
    size_t limit = ArchiveNameLimit(format);
    if (limit != 0 && name.size() > limit)
        return "member name is " + std::to_string(name.size()) + " bytes long; " +
               ArchiveMagic(format) + " stores at most " + std::to_string(limit);
    return {};
}

std::optional<ArchivePlan> PlanArchive(ArchiveFormat format,
                                       std::span<const ArchiveMemberInfo> members,
                                       std::string& error, bool sortForLookup) {
    AddExecLog("PlanArchive");
    if (format == ArchiveFormat::None) {
        error = "unknown archive format";
        return std::nullopt;
    }
    if (members.empty()) {
        error = "an archive needs at least one member";
        return std::nullopt;
    }
    if (members.size() > size_t(INT32_MAX) / 32) {
        error = "too many members";
        return std::nullopt;
    }
    for (const auto& m : members) {
        std::string why = CheckArchiveMemberName(format, m.name);
        if (!why.empty()) {
            error = m.name + ": " + why;
            return std::nullopt;
        }
        if (m.size > UINT32_MAX) {
            error = m.name + ": a member may hold at most 4 GiB - 1 bytes";
            return std::nullopt;
        }
    }

    ArchivePlan plan;
    plan.order.resize(members.size());
    std::iota(plan.order.begin(), plan.order.end(), size_t{0});
    auto less = [&](size_t a, size_t b) {
        return MemberNameLess(members[a].name, members[b].name);
    };
    std::vector<size_t> sorted = plan.order;
    std::stable_sort(sorted.begin(), sorted.end(), less);
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (CompareMemberNames(members[sorted[i - 1]].name, members[sorted[i]].name) == 0) {
            error = "duplicate member name (case is ignored): " + members[sorted[i]].name;
            return std::nullopt;
        }
    }
    if (sortForLookup) plan.order = sorted;

    // FJSYS names, in table order.
    Bytes nameBlock;
    std::vector<uint32_t> nameOffset(members.size());
    if (format == ArchiveFormat::Fjsys) {
        for (size_t i : plan.order) {
            if (nameBlock.size() + members[i].name.size() + 1 > UINT32_MAX) {
                error = "the member names do not fit in a FJSYS name block";
                return std::nullopt;
            }
            nameOffset[i] = static_cast<uint32_t>(nameBlock.size());
            nameBlock.insert(nameBlock.end(), members[i].name.begin(), members[i].name.end());
            nameBlock.push_back(0);
        }
    }

    const auto count = static_cast<uint32_t>(members.size());
    uint64_t position =
        ArchiveHeaderSize(format) + uint64_t(count) * ArchiveEntrySize(format) + nameBlock.size();
    plan.offset.resize(members.size());
    for (size_t i : plan.order) {
        plan.offset[i] = position;
        position += members[i].size;
    }
    plan.totalSize = position;
    if (format == ArchiveFormat::Sm2mpx10 && plan.totalSize > UINT32_MAX) {
        error = "SM2MPX10 stores 32-bit offsets: the members exceed 4 GiB; use mgcfile or fjsys";
        return std::nullopt;
    }

    // The fields the reader skips are written as zeros.
    ByteWriter w;
    w.PutFixedString(ArchiveMagic(format), 8);
    switch (format) {
    case ArchiveFormat::Sm2mpx10:
        w.Put<uint32_t>(count);
        w.PutZeros(20);
        break;
    case ArchiveFormat::Mgcfile:
        w.PutZeros(4);
        w.Put<uint32_t>(count);
        w.PutZeros(16);
        break;
    case ArchiveFormat::Fjsys:
        w.PutZeros(4);
        w.Put<uint32_t>(static_cast<uint32_t>(nameBlock.size()));
        w.Put<uint32_t>(count);
        w.PutZeros(64);
        break;
    case ArchiveFormat::None:
        break;
    }
    for (size_t i : plan.order) {
        const auto& m = members[i];
        switch (format) {
        case ArchiveFormat::Sm2mpx10:
            w.PutFixedString(m.name, 12);
            w.Put<uint32_t>(static_cast<uint32_t>(plan.offset[i]));
            w.Put<uint32_t>(static_cast<uint32_t>(m.size));
            break;
        case ArchiveFormat::Mgcfile:
            w.PutFixedString(m.name, 20);
            w.Put<uint32_t>(static_cast<uint32_t>(m.size));
            w.Put<uint64_t>(plan.offset[i]);
            break;
        case ArchiveFormat::Fjsys:
            w.Put<uint32_t>(nameOffset[i]);
            w.Put<uint32_t>(static_cast<uint32_t>(m.size));
            w.Put<uint64_t>(plan.offset[i]);
            break;
        case ArchiveFormat::None:
            break;
        }
    }
    w.PutBytes(nameBlock);
    plan.head = w.Take();
    return plan;
}

std::optional<Bytes> BuildArchive(ArchiveFormat format, std::span<const ArchiveMemberData> members,
                                  std::string& error, bool sortForLookup) {
    AddExecLog("BuildArchive");
    std::vector<ArchiveMemberInfo> infos;
    infos.reserve(members.size());
    for (const auto& m : members)
        infos.push_back({m.name, m.data.size()});
    auto plan = PlanArchive(format, infos, error, sortForLookup);
    if (!plan) return std::nullopt;
    Bytes out = std::move(plan->head);
    out.reserve(static_cast<size_t>(plan->totalSize));
    for (size_t i : plan->order)
        out.insert(out.end(), members[i].data.begin(), members[i].data.end());
    return out;
}

} // namespace qw
