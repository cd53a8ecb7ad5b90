// The dumped state's "audio" field:
//
//   "audio": {"device": {"sink": "null", "frames": 132300, "buffers_playing": 2},
//             "music": {"name": "BGM01", "playing": true, "loop": true, "ended": false,
//                       "paused": 0, "fade_mode": 0, "volume": 128, "mute": false,
//                       "ducked_volume": 128, "duck_level": 0, "voice_playing": false,
//                       "attenuation": -1362},
//             "effects": {"volume": 128, "mute": false, "paused": 0,
//                         "sounds": [{"index": 0, "name": "SE_BELL", "uses": 2}],
//                         "channels": [{"channel": 1, "sound": 0, "active": true, "loop": false,
//                                       "auto_free": false, "fade_mode": 0, "fade_factor": 255}]},
//             "voice": {"name": "V_A0001", "form": "memory", "playing": true, "ended": false,
//                       "character": 8, "mute": false, "volume": 128, "attenuation": -1362}}
//
// "sounds" and "channels" list the used entries only. The voice's "character" is the one its
// name's prefix gives, "mute" the mute of all voices, "attenuation" the volume last set on its
// buffer.
//
// "device" is null without a sound device; "frames" counts every frame the sink has mixed,
// "buffers_playing" the device's own silent buffer too. "attenuation" is the volume last set on
// the music's buffer, in hundredths of a decibel.

#include <cstring>

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "audio/CSEBuffer.h"
#include "audio/CVoiceBuffer.h"
#include "platform/AudioSink.h"

namespace qw {

namespace {

std::string N(int v) {
    return std::to_string(v);
}

std::string DumpEffectsJson(const CMainWindow& main) {
    const CSEBuffer* se = main.GetSEBuffer();
    if (!se) return "null";
    std::string sounds, channels;
    for (int i = 0; i < CSEBuffer::kSoundCount; ++i) {
        const CSEBuffer::Sound& s = *se->GetSound(i);
        if (!s.master) continue;
        if (!sounds.empty()) sounds += ", ";
        sounds += "{\"index\": " + N(i) + ", \"name\": " +
                  GameText(std::string(s.name.data(), strnlen(s.name.data(), s.name.size()))) +
                  ", \"uses\": " + N(s.uses) + "}";
    }
    for (int ch = 1; ch <= CSEBuffer::kChannelCount; ++ch) {
        const CSEBuffer::Channel& c = *se->GetChannel(ch);
        if (!c.buffer) continue;
        if (!channels.empty()) channels += ", ";
        channels += "{\"channel\": " + N(ch) + ", \"sound\": " + N(c.sound) +
                    ", \"active\": " + JsonBool(c.active) + ", \"loop\": " + JsonBool(c.loop) +
                    ", \"auto_free\": " + JsonBool(c.autoFree) +
                    ", \"fade_mode\": " + N(c.fadeMode) + ", \"fade_factor\": " + N(c.fadeFactor) +
                    "}";
    }
    return "{\"volume\": " + N(se->GetVolume()) + ", \"mute\": " + JsonBool(se->IsMuted()) +
           ", \"paused\": " + N(se->GetPauseCount()) + ", \"sounds\": [" + sounds +
           "], \"channels\": [" + channels + "]}";
}

std::string DumpVoiceJson(const CMainWindow& main) {
    const CVoiceBuffer* v = main.GetVoiceBuffer();
    if (!v) return "null";
    return "{\"name\": " + GameText(v->GetName()) +
           ", \"form\": " + JsonString(v->IsMemoryForm() ? "memory" : "file") +
           ", \"playing\": " + JsonBool(v->IsPlaying()) +
           ", \"ended\": " + JsonBool(v->HasEnded()) +
           ", \"character\": " + N(v->GetCharaNo(v->GetName())) +
           ", \"mute\": " + JsonBool(v->IsMuted()) + ", \"volume\": " + N(v->GetVolume()) +
           ", \"attenuation\": " + N(v->GetAttenuation()) + "}";
}

} // namespace

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
    return "{\"device\": " + device + ", \"music\": " + music +
           ", \"effects\": " + DumpEffectsJson(main) + ", \"voice\": " + DumpVoiceJson(main) + "}";
}

} // namespace qw
