#include "platform/Window.h"

#include "platform/AudioSink.h"

namespace qw::platform {

std::unique_ptr<AudioSink> Window::OpenAudio(std::shared_ptr<SoundMixer> mixer) {
    return MakeHeadlessAudioSink(std::move(mixer), "");
}

bool Window::TakeOverlayEvent(WindowEvent& event) {
    if (overlay_.events.empty()) return false;
    OverlayEvent e = overlay_.events.front();
    overlay_.events.pop_front();
    switch (e.type) {
    case OverlayEvent::Type::Char:
        event = {WindowEvent::Type::Char, e.value, 0, 0, 0};
        break;
    case OverlayEvent::Type::Close:
        event = {WindowEvent::Type::CloseRequest};
        break;
    case OverlayEvent::Type::Wheel: {
        Point p = GetCursorPosition();
        event = {WindowEvent::Type::MouseWheel, e.value, p.x, p.y, 0};
        break;
    }
    }
    return true;
}

} // namespace qw::platform
