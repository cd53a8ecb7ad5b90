// Fuzz target: message layout and glyph drawing. The input gives a code page, a style (sizes,
// spacings and an area that may be zero, negative or tiny) and a list of out items (texts and
// function codes of any value); Convert must stay inside its 512-item list and end it. The
// texts' bytes then go through DrawString and DrawString2 at a position and height from the
// input, into a small surface.
//
// Layout: byte 0 bit 0 = GBK, bits 1–4 = kinsoku, indent, bold, shadow; 8 × int16 style (left,
// top, right, bottom, line spacing, character spacing, font size, font index); int16 x, y and
// int8 height for the drawing; then items: a byte < 0x80 is followed by an int16 code; any other
// byte by a length byte and that many text bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/CDIBImage.h"
#include "text/CMesTextBuffer.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t left;
    template <typename T>
    T Next() {
        T v{};
        const size_t n = left < sizeof(T) ? left : sizeof(T);
        if (n == 0) return v; // an empty input may come with no buffer at all
        std::memcpy(&v, p, n);
        p += n, left -= n;
        return v;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const uint8_t flags = in.Next<uint8_t>();
    const qw::TextProfile& profile = (flags & 1) ? qw::GbkTextProfile() : qw::Cp932TextProfile();
    qw::CMesTextBuffer buffer(profile);
    buffer.Setup(qw::MesTextSetup{});
    buffer.kinsoku = flags & 2;
    buffer.indent = flags & 4;
    buffer.bold = flags & 8;
    buffer.shadow = flags & 16;
    buffer.leftX = in.Next<int16_t>();
    buffer.topY = in.Next<int16_t>();
    buffer.rightX = in.Next<int16_t>();
    buffer.bottomY = in.Next<int16_t>();
    buffer.lineSpacing = in.Next<int16_t>();
    buffer.charSpacing = in.Next<int16_t>();
    buffer.fontSize = in.Next<int16_t>();
    buffer.fontIndex = in.Next<int16_t>();
    buffer.ChangePage();
    const int x = in.Next<int16_t>(), y = in.Next<int16_t>();
    const int height = in.Next<int8_t>();

    std::vector<qw::MesOutItem> items;
    std::string allText;
    while (in.left > 0 && items.size() < size_t(qw::kMesOutItems)) {
        const uint8_t tag = in.Next<uint8_t>();
        if (tag < 0x80) {
            items.push_back(qw::MesOutItem::Code(in.Next<int16_t>()));
        } else {
            const size_t n = std::min<size_t>(in.Next<uint8_t>(), in.left);
            const std::string text(reinterpret_cast<const char*>(in.p), n);
            in.p += n, in.left -= n;
            items.push_back(qw::MesOutItem::Text(text, profile));
            allText += text;
        }
    }
    std::vector<qw::MesDrawItem> list(qw::kMesDrawItems);
    list.back().type = -1; // must be overwritten only by a terminator, or stay
    buffer.Convert(items.data(), int(items.size()), list);
    size_t end = 0;
    while (end < list.size() && list[end].type != qw::kMesDrawEnd)
        ++end;
    if (end == list.size()) __builtin_trap(); // the list was not terminated in bounds

    qw::CDIBImage image;
    image.Create(64, 32);
    image.SetTextProfile(profile);
    image.BeginDrawString(profile.face, height, (flags & 8) ? 700 : 400, false, false, false, 0);
    const std::string text = allText.substr(0, 64);
    image.DrawString(x % 96, y % 64, 0x00FFFFFF, text.c_str());
    image.DrawString2(x % 96, y % 64, 0x80FFFFFF, text.c_str());
    image.EndDrawString();
    return 0;
}
