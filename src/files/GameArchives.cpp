#include "files/GameArchives.h"

#include <cstdio>

#include "common/ExecLog.h"

namespace qw {

const GameArchiveName kGameArchiveNames[kGameArchiveCount] = {
    {"DATA", ".DAT"},
#if defined(QW_CODEPAGE_GBK)
    {"MGS", ".MGD"},  {"MSS", ".MSD"},
#else
    {"MGD", ".MGD"},  {"MSD", ".MSD"},
#endif
    {"SE", ".OGG"},   {"BGM", ".OGG"}, {"VOICE", ".OGG"},
};

int OpenGameArchives(const std::string& installDir, CFileJoin (&archives)[kGameArchiveCount]) {
    AddExecLog("OpenGameArchives");
    for (int slot = 0; slot < kGameArchiveCount; ++slot) {
        const auto& n = kGameArchiveNames[slot];
        if (!archives[slot].Initialize(installDir, n.baseName, n.extension)) return slot;
    }
    return -1;
}

std::string GameArchiveErrorText(int slot) {
    AddExecLog("GameArchiveErrorText");
    const char* base =
        slot >= 0 && slot < kGameArchiveCount ? kGameArchiveNames[slot].baseName : "";
    char text[256];
    std::snprintf(text, sizeof text, "MainWindow:FileJoin\n連結ファイル %s を読み込めません。",
                  base);
    return text;
}

} // namespace qw
