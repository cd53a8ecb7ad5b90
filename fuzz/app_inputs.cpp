// The small parsers of the application shell: hit maps, cursor files, input scripts, ini text and
// the configuration file.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/CursorFile.h"
#include "app/HitMap.h"
#include "platform/IniProfile.h"
#include "platform/InputScript.h"
#include "save/CSaveData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    qw::ByteSpan rest(data + 1, size - 1);
    std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
    switch (data[0] % 5) {
    case 0: {
        auto map = qw::DecodeHitMap(rest);
        if (map && map->size() != 800u * 600u) __builtin_trap();
        break;
    }
    case 1: {
        auto cursor = qw::DecodeCursorFile(rest);
        if (cursor && cursor->pixels.size() !=
                          static_cast<size_t>(cursor->width) * static_cast<size_t>(cursor->height))
            __builtin_trap();
        break;
    }
    case 2: {
        std::string error;
        if (auto script = qw::platform::InputScript::Parse(text, error)) {
            qw::platform::InputOverlay overlay;
            for (int tick = 1; tick <= script->LastTick() && tick < 64; ++tick)
                script->Apply(tick, overlay);
        }
        break;
    }
    case 3: {
        auto ini = qw::platform::IniDocument::FromText(text);
        ini.GetString("MainWindow", "Pos", "");
        ini.GetInt("ConfigEx", "FrameSpeed", 1);
        ini.SetString("MainWindow", "Pos", "1,2");
        break;
    }
    case 4: {
        qw::CSaveData save;
        save.ParseConfig(rest);
        break;
    }
    }
    return 0;
}
