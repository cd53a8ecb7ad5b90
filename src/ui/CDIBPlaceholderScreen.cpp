#include "ui/CDIBPlaceholderScreen.h"

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"

namespace qw {

bool CDIBPlaceholderScreen::Initialize() {
    AddExecLog("CDIBPlaceholderScreen::Initialize");
    if (!CDIBBaseScreen::Initialize()) return false;
    for (int y = 0; y < backImage_->GetHeight(); ++y) {
        uint32_t shade = static_cast<uint32_t>(24 + y * 40 / backImage_->GetHeight());
        uint32_t colour = 0xFF000000u | (shade << 16) | (shade << 8) | (shade + 24);
        uint32_t* row = backImage_->Row(y);
        for (int x = 0; x < backImage_->GetWidth(); ++x)
            row[x] = colour;
    }
    backImage_->Copy(drawImage_.get(), 0, 0, 0, 0, backImage_->GetWidth(), backImage_->GetHeight());
    return true;
}

void CDIBPlaceholderScreen::GetCallEffectParam(CallEffectParam& out) {
    out = CallEffectParam::Make(kEffectFade, 500);
}

} // namespace qw
