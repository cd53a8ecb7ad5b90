#pragma once
// Drawing one laid-out character cell of the message window into its text image: the window
// background behind the cell first, then the glyph (from the font, or a special glyph from the
// glyph picture), then every pixel still equal to the background cleared to transparent, so the
// text image holds only the text with its edges blended towards the background. The message
// window, the backlog and the choices all draw their text this way.

#include <cstdint>

#include "text/MesItems.h"
#include "text/TextProfile.h"

namespace qw {

class CDIBImage;
class CDIBSprite;

// Where a cell is drawn from and to.
struct MesCellTarget {
    // The text image; its origin is the text area's top-left (leftX, topY) of the window image.
    CDIBImage* text = nullptr;
    // The window background in window-image coordinates: window pixel (x, y) is background
    // pixel (backgroundX + x, backgroundY + y), e.g. the origin of the parts image's entry 0.
    CDIBImage* background = nullptr;
    int backgroundX = 0, backgroundY = 0;
    // The glyph picture (FONT.MGD); special glyph n is its entry n − 1. May be null.
    CDIBSprite* glyphs = nullptr;
    int32_t leftX = 0, topY = 0;
    const TextProfile* profile = &BuildTextProfile();
};

// The font face of a draw item's font index. Only entry 0 of the face table is filled; the
// other entries are empty names, which the platform layer resolves to the same default face.
const char* MesFaceName(const TextProfile& profile, int32_t fontIndex);

// Draws `item` (a type-2 draw item) into the target's text image and adds its cell to the text
// image's update region. Any other item type draws nothing.
void DrawMesCell(const MesCellTarget& target, const MesDrawItem& item);

} // namespace qw
