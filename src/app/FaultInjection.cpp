#include "app/FaultInjection.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace qw {

void InjectFaultAtTick(int tick) {
    static const char* spec = std::getenv("QUILLWORK_FAULT");
    if (!spec) return;
    const char* at = std::strchr(spec, '@');
    if (!at || std::atoi(at + 1) != tick) return;
    if (std::strncmp(spec, "throw", 5) == 0) throw std::runtime_error("injected fault");
    if (std::strncmp(spec, "crash", 5) == 0) std::raise(SIGSEGV);
}

} // namespace qw
