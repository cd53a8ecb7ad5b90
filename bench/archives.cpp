// Member lookups per second in 50,000-member archives of each format, and the time to open one.
// Peers: a hash index over case-folded names (what a reader could build at open time instead of
// relying on the table order), and a plain linear scan (what archives in another order would cost
// without the reader's index).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/ArchiveWriter.h"
#include "files/CFileJoin.h"
#include "files/MemberNameOrder.h"
#include "platform/FileSystem.h"

namespace {

using qw::ArchiveFormat;

constexpr int kMembers = 50000;

const char* BaseName(ArchiveFormat f) {
    switch (f) {
    case ArchiveFormat::Sm2mpx10:
        return "SM2";
    case ArchiveFormat::Mgcfile:
        return "MGC";
    default:
        return "FJS";
    }
}

// Names like those of a voice archive, with punctuation so the word order matters; they fit
// the 12 bytes of SM2MPX10.
std::vector<std::string> MemberNames() {
    std::vector<std::string> names;
    const char* marks[] = {"", "_", "-", "0"};
    for (int i = 0; i < kMembers; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%c%05d%s.OGG", 'A' + i % 26, i, marks[i % 4]);
        names.push_back(buf);
    }
    return names;
}

struct Fixture {
    std::string dir;
    std::vector<std::string> names;
    std::vector<std::string> queries; // shuffled, in mixed case

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qwbenchXXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern + "/";
        names = MemberNames();
        std::vector<qw::ArchiveMemberData> members;
        for (const auto& n : names)
            members.push_back({n, qw::Bytes(16, 0x5A)});
        for (auto f : {ArchiveFormat::Sm2mpx10, ArchiveFormat::Mgcfile, ArchiveFormat::Fjsys}) {
            std::string error;
            auto bytes = qw::BuildArchive(f, members, error);
            if (!bytes || !qw::platform::WriteFileAtomic(dir + BaseName(f), *bytes)) std::abort();
        }
        // The same members in input order: a table the binary search cannot use.
        std::vector<qw::ArchiveMemberData> shuffled = members;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
        std::string error;
        auto bytes = qw::BuildArchive(ArchiveFormat::Fjsys, shuffled, error, false);
        if (!bytes || !qw::platform::WriteFileAtomic(dir + "UNSORTED", *bytes)) std::abort();

        queries = names;
        std::mt19937 rng(2);
        std::shuffle(queries.begin(), queries.end(), rng);
        for (auto& q : queries)
            for (char& c : q)
                if (rng() & 1) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

void BM_Lookup(benchmark::State& state, ArchiveFormat format) {
    auto& d = Data();
    qw::CFileJoin join;
    if (!join.Initialize(d.dir, BaseName(format), ".OGG")) std::abort();
    size_t i = 0;
    for (auto _ : state) {
        int found = join.FileSearch(d.queries[i], true);
        benchmark::DoNotOptimize(found);
        if (++i == d.queries.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Lookup, sm2mpx10, ArchiveFormat::Sm2mpx10);
BENCHMARK_CAPTURE(BM_Lookup, mgcfile, ArchiveFormat::Mgcfile);
BENCHMARK_CAPTURE(BM_Lookup, fjsys, ArchiveFormat::Fjsys);

// Peer: a hash index over folded names, built once.
void BM_Lookup_HashIndexPeer(benchmark::State& state) {
    auto& d = Data();
    std::unordered_map<std::string, int> index;
    for (int i = 0; i < kMembers; ++i)
        index.emplace(qw::FoldMemberName(d.names[i]), i);
    size_t i = 0;
    for (auto _ : state) {
        auto it = index.find(qw::FoldMemberName(d.queries[i]));
        benchmark::DoNotOptimize(it);
        if (++i == d.queries.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_HashIndexPeer);

// A table in another order: the binary search misses, the index built on the first miss finds.
void BM_Lookup_OtherOrder(benchmark::State& state) {
    auto& d = Data();
    qw::CFileJoin join;
    if (!join.Initialize(d.dir, "UNSORTED", ".OGG")) std::abort();
    size_t i = 0;
    for (auto _ : state) {
        int found = join.FileSearch(d.queries[i], true);
        benchmark::DoNotOptimize(found);
        if (++i == d.queries.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_OtherOrder);

// Peer: the plain linear scan over the same table.
void BM_Lookup_LinearScanPeer(benchmark::State& state) {
    auto& d = Data();
    qw::CFileJoin join;
    if (!join.Initialize(d.dir, "UNSORTED", ".OGG")) std::abort();
    size_t i = 0;
    for (auto _ : state) {
        int found = join.GetTable()->FindLinear(d.queries[i]);
        benchmark::DoNotOptimize(found);
        if (++i == d.queries.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_LinearScanPeer);

void BM_Open(benchmark::State& state, ArchiveFormat format) {
    auto& d = Data();
    for (auto _ : state) {
        qw::CFileJoin join;
        bool ok = join.Initialize(d.dir, BaseName(format), ".OGG");
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK_CAPTURE(BM_Open, sm2mpx10, ArchiveFormat::Sm2mpx10)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Open, mgcfile, ArchiveFormat::Mgcfile)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Open, fjsys, ArchiveFormat::Fjsys)->Unit(benchmark::kMicrosecond);

// Peer: opening and building the hash index above over the loaded table.
void BM_Open_HashIndexPeer(benchmark::State& state) {
    auto& d = Data();
    for (auto _ : state) {
        qw::CFileJoin join;
        if (!join.Initialize(d.dir, "FJS", ".OGG")) std::abort();
        const auto* table = join.GetTable();
        std::unordered_map<std::string, int> index;
        index.reserve(static_cast<size_t>(table->Count()));
        for (int i = 0; i < table->Count(); ++i)
            index.emplace(qw::FoldMemberName(*table->Name(i)), i);
        benchmark::DoNotOptimize(index);
    }
}
BENCHMARK(BM_Open_HashIndexPeer)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
