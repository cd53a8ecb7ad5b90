#include "text/MesCell.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"

namespace qw {

const char* MesFaceName(const TextProfile& profile, int32_t fontIndex) {
    return fontIndex == 0 ? profile.face : "";
}

void DrawMesCell(const MesCellTarget& t, const MesDrawItem& item) {
    AddExecLog("DrawMesCell");
    if (item.type != kMesDrawWord || t.text == nullptr || !t.text->IsCreated()) return;
    const int size = item.fontSize;
    if (size <= 0) return;
    const int64_t cx = int64_t(item.x) - t.leftX, cy = int64_t(item.y) - t.topY;
    const int64_t cell = int64_t(size) + 2;
    // Cells wholly outside the text image change nothing (and keep the arithmetic in range).
    if (cx >= t.text->GetWidth() || cy >= t.text->GetHeight() || cx + cell <= 0 || cy + cell <= 0)
        return;
    const int x = int(cx), y = int(cy), n = int(cell);
    const int bx = t.backgroundX + item.x, by = t.backgroundY + item.y;

    // 1. The background behind the cell.
    if (t.background) t.background->Copy(t.text, x, y, bx, by, n, n);
    t.text->AddRGN(x, y, x + n, y + n);

    // 2–4. The glyph.
    if (item.IsGlyph()) {
        if (t.glyphs && t.glyphs->GetElement(int(item.character[1]) - 1)) {
            VertexQuad quad;
            const int index = int(item.character[1]) - 1;
            if (item.shadow) {
                t.glyphs->SetStretchVertex(quad, index, x + 3, y + 3, size, size,
                                           item.shadowColour);
                t.glyphs->StretchBltBlend(t.text, quad, true);
            }
            t.glyphs->SetStretchVertex(quad, index, x + 1, y + 1, size, size, item.textColour);
            t.glyphs->StretchBltBlend(t.text, quad, true);
        }
    } else {
        t.text->SetTextProfile(*t.profile);
        t.text->BeginDrawString(MesFaceName(*t.profile, item.fontIndex), size,
                                item.bold ? 700 : 400, false, false, false, 0);
        const char* chars = reinterpret_cast<const char*>(item.character);
        if (item.shadow)
            t.text->DrawStringS(x, y, 2, 2, item.textColour, item.shadowColour, chars);
        else
            t.text->DrawString(x, y, item.textColour, chars);
        t.text->EndDrawString();
    }

    // 5. Pixels the glyph left as they were become transparent. Without a background every
    // cell pixel compares against 0.
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(t.text->GetWidth(), x + n), y1 = std::min(t.text->GetHeight(), y + n);
    for (int py = y0; py < y1; ++py) {
        uint32_t* row = t.text->Row(py);
        const int sy = by + (py - y);
        const bool rowIn =
            t.background && t.background->IsCreated() && sy >= 0 && sy < t.background->GetHeight();
        for (int px = x0; px < x1; ++px) {
            const int sx = bx + (px - x);
            uint32_t under = 0;
            if (rowIn && sx >= 0 && sx < t.background->GetWidth())
                under = t.background->Row(sy)[sx];
            if (((row[px] ^ under) & 0x00FFFFFF) == 0) row[px] = 0;
        }
    }
}

} // namespace qw
