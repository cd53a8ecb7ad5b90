#include "common/ExecLog.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace qw {
namespace {

// Each entry holds what the ring would print: the name and a line feed, cut to 1022 characters.
constexpr size_t kMaxNameLength = 1022;

std::atomic<const char*> g_ring[kExecLogEntries];
std::atomic<int> g_writeIndex{-1}; // -1: the trace is off

} // namespace

void AddExecLog(const char* name) {
    int index = g_writeIndex.load(std::memory_order_relaxed);
    do {
        if (index < 0) return;
    } while (!g_writeIndex.compare_exchange_weak(index, (index + 1) % kExecLogEntries,
                                                 std::memory_order_relaxed));
    g_ring[index].store(name, std::memory_order_relaxed);
}

bool InitExecLog() {
    if (g_writeIndex.load() >= 0) return false;
    for (auto& entry : g_ring)
        entry.store(nullptr);
    g_writeIndex.store(0);
    return true;
}

std::string FormatExecLog() {
    std::string out = "【実行ログ】\n";
    out += "Old\n";
    int start = g_writeIndex.load();
    if (start < 0) start = 0;
    int line = 1;
    int i = start;
    do {
        const char* name = g_ring[i].load(std::memory_order_relaxed);
        if (name && *name) {
            char number[16];
            std::snprintf(number, sizeof number, "%04d:", line++);
            out += number;
            out.append(name, strnlen(name, kMaxNameLength));
            out += '\n';
        }
        i = (i + kExecLogEntries - 1) % kExecLogEntries;
    } while (i != start);
    out += "New\n";
    return out;
}

bool OutputExecLog(const std::string* directory) {
    if (directory && g_writeIndex.load() >= 0) {
        std::string path = *directory + kExecLogFileName;
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::string text = FormatExecLog();
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    g_writeIndex.store(-1);
    for (auto& entry : g_ring)
        entry.store(nullptr);
    return true;
}

} // namespace qw
