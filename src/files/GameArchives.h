#pragma once
// The six archives a game is made of, opened at start-up from the install directory.

#include <string>

#include "files/CFileJoin.h"

namespace qw {

inline constexpr int kGameArchiveCount = 6;

// Slots, in the order they are opened.
enum GameArchiveSlot {
    kArchiveData = 0,  // hit maps, cursors, movies, general data
    kArchiveMgd = 1,   // pictures
    kArchiveMsd = 2,   // compiled scenarios and definitions
    kArchiveSe = 3,    // sound effects
    kArchiveBgm = 4,   // music
    kArchiveVoice = 5, // voices
};

struct GameArchiveName {
    const char* baseName;
    const char* extension;
};

// Base name and default extension of each slot. The simplified-Chinese build reads its pictures
// and scenarios from "MGS" and "MSS".
extern const GameArchiveName kGameArchiveNames[kGameArchiveCount];

// Opens the six archives in slot order and stops at the first that cannot be opened. Returns
// that slot, or -1 when all are open.
int OpenGameArchives(const std::string& installDir, CFileJoin (&archives)[kGameArchiveCount]);

// The message shown when slot `slot` cannot be opened (game code page).
std::string GameArchiveErrorText(int slot);

} // namespace qw
