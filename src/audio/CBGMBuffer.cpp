#include "audio/CBGMBuffer.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "common/Text.h"

namespace qw {

namespace {
std::string_view StripExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}
} // namespace

bool CBGMBuffer::Initialize(CDSound* device, IMemberSource* archive) {
    AddExecLog("CBGMBuffer::Initialize");
    device_ = device;
    archive_ = archive;
    return true;
}

void CBGMBuffer::Release() {
    AddExecLog("CBGMBuffer::Release");
    Stop(0);
    name_.clear();
}

bool CBGMBuffer::Read(std::string_view name) {
    AddExecLog("CBGMBuffer::Read");
    if (!device_) return false;
    Stop(0);
    name_ = std::string(name);
    return true;
}

bool CBGMBuffer::Cache(std::string_view) {
    AddExecLog("CBGMBuffer::Cache");
    return device_ != nullptr;
}

bool CBGMBuffer::Play(int fadeInMs, bool loop) {
    AddExecLog("CBGMBuffer::Play");
    if (!device_ || name_.empty()) return false;
    fadeMode_ = fadeInMs > 0 ? 1 : 0;
    fadeTotal_ = fadeInMs;
    fadeElapsed_ = 0;
    playing_ = true;
    loop_ = loop;
    pause_.Reset();
    return true;
}

void CBGMBuffer::Stop(int fadeOutMs) {
    AddExecLog("CBGMBuffer::Stop");
    if (!playing_) return;
    if (pause_.IsPaused() || fadeOutMs <= 0) {
        playing_ = false;
        fadeMode_ = 0;
        return;
    }
    fadeMode_ = 2;
    fadeTotal_ = fadeOutMs;
    fadeElapsed_ = 0;
}

void CBGMBuffer::SetPause(bool on) {
    AddExecLog("CBGMBuffer::SetPause");
    pause_.Set(on);
}

bool CBGMBuffer::CheckPlaying(std::string_view name) const {
    AddExecLog("CBGMBuffer::CheckPlaying");
    return playing_ && EqualsNoCase(StripExtension(name), StripExtension(name_));
}

void CBGMBuffer::Move(int frameMs) {
    AddExecLog("CBGMBuffer::Move");
    if (!playing_) {
        fadeMode_ = 0;
        return;
    }
    if (pause_.IsPaused()) return;
    if (finishFade_) {
        fadeElapsed_ = fadeTotal_;
        finishFade_ = false;
    }
    if (fadeMode_ == 0) return;
    if (fadeElapsed_ >= fadeTotal_) {
        if (fadeMode_ == 2) {
            fadeMode_ = 0;
            Stop(0);
        }
        fadeMode_ = 0;
        return;
    }
    fadeElapsed_ = std::min(fadeElapsed_ + frameMs, fadeTotal_);
}

} // namespace qw
