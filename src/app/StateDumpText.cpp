// The dumped state's text style: the message text buffer of the running scenario screen (the
// current screen, else the nearest suspended one), null when there is none.
//
//   "text_style": {"area": [8, 8, 645, 116], "line_spacing": 4, "char_spacing": 1,
//                  "font_size": 24, "font_index": 0, "colour": "0xFFFFFFFF",
//                  "shadow_colour": "0xFF010101", "bold": false, "shadow": false,
//                  "kinsoku": false, "indent": false, "pen": [8, 8], "next_line_y": 36}

#include <cstdio>

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CRootFlow.h"

namespace qw {

namespace {

const CMesTextBuffer* RunningTextBuffer(const CMainWindow& main) {
    const CRootFlow* flow = main.GetRootFlow();
    if (!flow) return nullptr;
    auto bufferOf = [](const CDIBBaseScreen* screen) -> const CMesTextBuffer* {
        const auto* s = dynamic_cast<const CDIBSnrScreen*>(screen);
        return s ? s->GetTextBuffer() : nullptr;
    };
    if (const CMesTextBuffer* b = bufferOf(flow->GetCurrentScreen())) return b;
    for (int i = flow->GetStackCount() - 1; i >= 0; --i)
        if (const CMesTextBuffer* b = bufferOf(flow->GetStackedScreen(i))) return b;
    return nullptr;
}

std::string Colour(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"0x%08X\"", c);
    return buf;
}

} // namespace

std::string DumpTextStyleJson(const CMainWindow& main) {
    const CMesTextBuffer* b = RunningTextBuffer(main);
    if (!b) return "null";
    const auto n = [](int32_t v) { return std::to_string(v); };
    return "{\"area\": [" + n(b->leftX) + ", " + n(b->topY) + ", " + n(b->rightX) + ", " +
           n(b->bottomY) + "], \"line_spacing\": " + n(b->lineSpacing) +
           ", \"char_spacing\": " + n(b->charSpacing) + ", \"font_size\": " + n(b->fontSize) +
           ", \"font_index\": " + n(b->fontIndex) + ", \"colour\": " + Colour(b->textColour) +
           ", \"shadow_colour\": " + Colour(b->shadowColour) + ", \"bold\": " + JsonBool(b->bold) +
           ", \"shadow\": " + JsonBool(b->shadow) + ", \"kinsoku\": " + JsonBool(b->kinsoku) +
           ", \"indent\": " + JsonBool(b->indent) + ", \"pen\": [" + n(b->curX) + ", " +
           n(b->curY) + "], \"next_line_y\": " + n(b->nextLineY) + "}";
}

} // namespace qw
