// The dumped state's "audio" field:
//
//   "audio": {"device": {"sink": "null", "frames": 132300, "buffers_playing": 2},
//             "music": {"name": "BGM01", "playing": true, "loop": true, "ended": false,
//                       "paused": 0, "fade_mode": 0, "volume": 128, "mute": false,
//                       "ducked_volume": 128, "duck_level": 0, "voice_playing": false,
//                       "attenuation": -1362}}
//
// "device" is null without a sound device; "frames" counts every frame the sink has mixed,
// "buffers_playing" the device's own silent buffer too. "attenuation" is the volume last set on
// the music's buffer, in hundredths of a decibel.

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "platform/AudioSink.h"

namespace qw {

std::string DumpAudioJson(const CMainWindow& main) {
    std::string device = "null";
    const CDSound* sound = main.GetDSound();
    if (sound && sound->GetSink() && sound->GetMixer()) {
        device = std::string("{\"sink\": ") + JsonString(sound->GetSink()->Name()) +
                 ", \"frames\": " + std::to_string(sound->GetSink()->Frames()) +
                 ", \"buffers_playing\": " + std::to_string(sound->GetMixer()->PlayingCount()) +
                 "}";
    }
    std::string music = "null";
    if (const CBGMBuffer* bgm = main.GetBGMBuffer()) {
        auto n = [](int v) { return std::to_string(v); };
        music = "{\"name\": " + GameText(bgm->GetName()) +
                ", \"playing\": " + JsonBool(bgm->IsPlaying()) +
                ", \"loop\": " + JsonBool(bgm->IsLooping()) +
                ", \"ended\": " + JsonBool(bgm->HasEnded()) +
                ", \"paused\": " + n(bgm->GetPauseCount()) +
                ", \"fade_mode\": " + n(bgm->GetFadeMode()) +
                ", \"volume\": " + n(bgm->GetVolume()) + ", \"mute\": " + JsonBool(bgm->IsMuted()) +
                ", \"ducked_volume\": " + n(bgm->GetDuckedVolume()) +
                ", \"duck_level\": " + n(bgm->GetDuckLevel()) +
                ", \"voice_playing\": " + JsonBool(bgm->IsVoicePlaying()) +
                ", \"attenuation\": " + n(bgm->GetAttenuation()) + "}";
    }
    return "{\"device\": " + device + ", \"music\": " + music + "}";
}

} // namespace qw
