#include "support/LightServices.h"

#include <cstdio>

#include "common/Text.h"
#include "scenario/CSnrBuffer.h"

namespace qw::test {

std::optional<Bytes> ScenarioArchive::ReadMember(std::string_view name) {
    auto it = files.find(Key(name));
    if (it != files.end()) return it->second;
    return fallback;
}

std::string ScenarioArchive::Key(std::string_view name) {
    std::string key(name.substr(0, name.find('.')));
    for (char& c : key)
        c = ToUpperAscii(c);
    return key;
}

LightServices::LightServices() {
    input_ = std::make_unique<CInput>();
    input_->Initialize(&device, nullptr);
    platform::SetClock(&clock);
    CSnrBuffer::SetDefaultSource(&scenarios);
    SetServices(this);
}

LightServices::~LightServices() {
    if (&Services() == this) SetServices(nullptr);
    CSnrBuffer::SetDefaultSource(nullptr);
    platform::SetClock(nullptr);
}

void LightServices::VErrorMsg(const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    device.ShowMessageBox(platform::MessageBoxKind::Error, "", text);
}

bool LightServices::TakeCloseRequest() {
    bool requested = closeRequested_;
    closeRequested_ = false;
    return requested;
}

bool LightServices::SetCursorList(int index, int systemNumber) {
    if (index == 0 && systemNumber >= 0 && systemNumber <= 15)
        device.SetCursor(
            device.LoadSystemCursor(static_cast<platform::SystemCursor>(systemNumber)));
    return true;
}

} // namespace qw::test
