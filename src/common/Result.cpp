#include "common/Result.h"

#include <cstdio>
#include <deque>
#include <mutex>

#include "common/ExecLog.h"

namespace qw {

namespace {
// The trace keeps pointers, so the texts it is given live until the program ends; a game that
// refuses file after file keeps only the first ones.
constexpr size_t kKeptTexts = 256;
std::mutex g_textsMutex;
std::deque<std::string> g_texts;
} // namespace

Refusal Refuse(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args); // cut to fit
    va_end(args);
    return Refusal{text};
}

void NoteRefusal(const std::string& what, const std::string& reason) {
    const std::string line = what + ": " + reason;
    {
        std::lock_guard lock(g_textsMutex);
        if (g_texts.size() < kKeptTexts) {
            g_texts.push_back(line);
            AddExecLog(g_texts.back().c_str());
        } else {
            AddExecLog("NoteRefusal: (reason not kept)");
        }
    }
    std::fprintf(stderr, "quillwork: %s\n", line.c_str());
}

} // namespace qw
