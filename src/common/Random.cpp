#include "common/Random.h"

namespace qw {
namespace {
Lcg g_random;
}

void SeedRandom(uint32_t seed) {
    g_random = Lcg(seed);
}
int NextRandom() {
    return g_random.Next();
}

} // namespace qw
