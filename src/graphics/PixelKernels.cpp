// Choosing the span kernels once for the processor at hand.

#include "graphics/PixelKernels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "graphics/PixelKernelsX86.h"

namespace qw {

const PixelKernels* Avx2PixelKernels() {
#if defined(__x86_64__)
    static const bool available = avx2::kTable && __builtin_cpu_supports("avx2");
    return available ? avx2::kTable : nullptr;
#else
    return nullptr;
#endif
}

namespace {

SimdLevel BestLevel() {
    if (Avx2PixelKernels()) return SimdLevel::Avx2;
    if (Sse2PixelKernels()) return SimdLevel::Sse2;
    return SimdLevel::Scalar;
}

const PixelKernels* TableFor(SimdLevel level);

// QUILLWORK_SIMD=scalar|sse2|avx2 picks the kernels for a whole run, so runs can compare the
// paths. A level the processor lacks falls back to the best one below it; an unknown value or
// none gives the best the processor offers.
SimdLevel StartLevel() {
    const char* wanted = std::getenv("QUILLWORK_SIMD");
    SimdLevel level = BestLevel();
    if (!wanted) return level;
    if (std::strcmp(wanted, "scalar") == 0)
        level = SimdLevel::Scalar;
    else if (std::strcmp(wanted, "sse2") == 0)
        level = SimdLevel::Sse2;
    else if (std::strcmp(wanted, "avx2") != 0)
        return level;
    while (level != SimdLevel::Scalar && !TableFor(level))
        level = level == SimdLevel::Avx2 ? SimdLevel::Sse2 : SimdLevel::Scalar;
    return level;
}

const PixelKernels* TableFor(SimdLevel level) {
    switch (level) {
    case SimdLevel::Avx2:
        return Avx2PixelKernels();
    case SimdLevel::Sse2:
        return Sse2PixelKernels();
    case SimdLevel::Scalar:
        return &ScalarPixelKernels();
    }
    return nullptr;
}

struct Active {
    std::atomic<SimdLevel> level{StartLevel()};
    std::atomic<const PixelKernels*> table{TableFor(level.load())};
};

Active& State() {
    static Active active;
    return active;
}

} // namespace

const PixelKernels& ActivePixelKernels() {
    return *State().table.load(std::memory_order_relaxed);
}

SimdLevel GetSimdLevel() {
    return State().level.load(std::memory_order_relaxed);
}

bool SetSimdLevel(SimdLevel level) {
    const PixelKernels* table = TableFor(level);
    if (!table) return false;
    State().table.store(table, std::memory_order_relaxed);
    State().level.store(level, std::memory_order_relaxed);
    return true;
}

} // namespace qw
