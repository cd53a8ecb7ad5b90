// The scenario screen's load point and saved-game load. The component state a load point leaves
// in the save data is the VVram's record, the reader's position record and the screen's own
// 56 bytes:
//
//   0   load point: the reader's position to resume at, from the start of the file
//   4   wait limit, 8 wait elapsed (ATIMES / AWAIT)
//   12  kinsoku, 13 indent (bytes)
//   14  text area left, top, right, bottom
//   30  line spacing, 34 character spacing, 38 font index, 42 font size
//   46  text colour, 50 shadow colour (ARGB)
//   54  bold, 55 shadow (bytes)

#include <cstring>

#include "app/DebugHook.h"
#include "app/GameServices.h"
#include "common/ExecLog.h"
#include "common/Result.h"
#include "graphics/CDIBSnrVVram.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

namespace {

// The text style the record keeps, as the text buffer holds it.
struct TextStyle {
    uint8_t kinsoku = 0, indent = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t lineSpacing = 0, charSpacing = 0, fontIndex = 0, fontSize = 0;
    uint32_t textColour = 0, shadowColour = 0;
    uint8_t bold = 0, shadow = 0;

    static TextStyle From(const CMesTextBuffer& b) {
        return {b.kinsoku,    b.indent,       b.leftX,       b.topY,      b.rightX,
                b.bottomY,    b.lineSpacing,  b.charSpacing, b.fontIndex, b.fontSize,
                b.textColour, b.shadowColour, b.bold,        b.shadow};
    }
    void To(CMesTextBuffer& b) const {
        b.kinsoku = kinsoku != 0;
        b.indent = indent != 0;
        b.leftX = left;
        b.topY = top;
        b.rightX = right;
        b.bottomY = bottom;
        b.lineSpacing = lineSpacing;
        b.charSpacing = charSpacing;
        b.fontIndex = fontIndex;
        b.fontSize = fontSize;
        b.textColour = textColour;
        b.shadowColour = shadowColour;
        b.bold = bold != 0;
        b.shadow = shadow != 0;
    }
};

} // namespace

struct CDIBSnrScreen::PendingLoad {
    std::unique_ptr<CDIBSnrVVram> vvram;
    std::unique_ptr<CSnrBuffer> reader;
    uint32_t loadPoint = 0;
    uint32_t waitLimit = 0, waitElapsed = 0;
    TextStyle style;
};

// Made and destroyed here, where the pending load is a complete type.
CDIBSnrScreen::CDIBSnrScreen(CBaseGame* parent) : CDIBSnrBaseScreen(parent) {}
CDIBSnrScreen::~CDIBSnrScreen() = default;

void CDIBSnrScreen::DropPendingLoad() {
    pending_.reset();
}

void CDIBSnrScreen::WriteScreenRecord(ByteWriter& out) const {
    TextStyle style;
    if (textBuffer_) {
        style = TextStyle::From(*textBuffer_);
    } else {
        // The buffer has gone to the message window: the window's defaults.
        CMesTextBuffer defaults;
        defaults.Initialize();
        defaults.Setup(MesTextSetup{});
        style = TextStyle::From(defaults);
    }
    out.Put<uint32_t>(buffer_->GetFilePos());
    out.Put<uint32_t>(waitLimit_);
    out.Put<uint32_t>(waitElapsed_);
    out.Put<uint8_t>(style.kinsoku);
    out.Put<uint8_t>(style.indent);
    for (int32_t v : {style.left, style.top, style.right, style.bottom, style.lineSpacing,
                      style.charSpacing, style.fontIndex, style.fontSize})
        out.Put<int32_t>(v);
    out.Put<uint32_t>(style.textColour);
    out.Put<uint32_t>(style.shadowColour);
    out.Put<uint8_t>(style.bold);
    out.Put<uint8_t>(style.shadow);
}

void CDIBSnrScreen::MoveCmdLPT() {
    AddExecLog("CDIBSnrScreen::MoveCmdLPT");
    if (!save_->SaveConfig()) NoteRefusal("CONFIG.SAV", "could not be written; play goes on");
    Advance();
    Save();
}

bool CDIBSnrScreen::Save() {
    AddExecLog("CDIBSnrScreen::Save");
    if (!vvram_ || !buffer_ || !save_) return false;
    ByteWriter out;
    if (!vvram_->Save(out)) return false;
    buffer_->Save(out);
    WriteScreenRecord(out);
    // The records have fixed sizes well below the buffer; a state that would not fit keeps the
    // previous snapshot rather than a cut one.
    if (out.Size() > CSaveData::kComponentBufferSize) {
        NoteRefusal("LPT", "the state of " + std::to_string(out.Size()) +
                               " bytes does not fit the component buffer");
        return false;
    }
    if (save_->componentBuffer.size() < CSaveData::kComponentBufferSize)
        save_->componentBuffer.assign(CSaveData::kComponentBufferSize, 0);
    std::memcpy(save_->componentBuffer.data(), out.Data().data(), out.Size());
    save_->componentLength = static_cast<int32_t>(out.Size());
    save_->TakeSnapshot();
    return true;
}

bool CDIBSnrScreen::CheckState(ByteSpan state, std::string& why) {
    AddExecLog("CDIBSnrScreen::CheckState");
    pending_.reset();
    if (!save_) {
        why = "no save data";
        return false;
    }
    auto p = std::make_unique<PendingLoad>();
    p->vvram = std::make_unique<CDIBSnrVVram>();
    if (!p->vvram->Initialize(&vvramHost_)) {
        why = "the layers cannot be made";
        return false;
    }
    const std::optional<size_t> vvramBytes = p->vvram->Load(state);
    if (!vvramBytes) {
        why = "bad layer record";
        return false;
    }
    size_t at = *vvramBytes;
    p->reader = std::make_unique<CSnrBuffer>();
    p->reader->Initialize();
    const std::optional<size_t> readerBytes = p->reader->Load(state.subspan(at));
    if (!readerBytes) {
        why = "bad scenario position record";
        if (!p->reader->GetReadRefusal().empty()) why += " (" + p->reader->GetReadRefusal() + ")";
        return false;
    }
    at += *readerBytes;
    const ByteSpan record = state.subspan(at);
    if (record.size() < kScreenRecordSize) {
        why = "the screen record is cut short: " + std::to_string(record.size()) + " of " +
              std::to_string(kScreenRecordSize) + " bytes";
        return false;
    }
    const uint8_t* r = record.data();
    p->loadPoint = LoadLEUnchecked<uint32_t>(r);
    if (!p->reader->SeekFilePos(p->loadPoint)) {
        why = "load point " + std::to_string(p->loadPoint) + " is outside the scenario";
        return false;
    }
    p->waitLimit = LoadLEUnchecked<uint32_t>(r + 4);
    p->waitElapsed = LoadLEUnchecked<uint32_t>(r + 8);
    TextStyle& s = p->style;
    s.kinsoku = r[12];
    s.indent = r[13];
    int32_t* fields[] = {&s.left,        &s.top,         &s.right,     &s.bottom,
                         &s.lineSpacing, &s.charSpacing, &s.fontIndex, &s.fontSize};
    for (size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = LoadLEUnchecked<int32_t>(r + 14 + 4 * i);
    s.textColour = LoadLEUnchecked<uint32_t>(r + 46);
    s.shadowColour = LoadLEUnchecked<uint32_t>(r + 50);
    s.bold = r[54];
    s.shadow = r[55];
    pending_ = std::move(p);
    return true;
}

bool CDIBSnrScreen::Load() {
    AddExecLog("CDIBSnrScreen::Load");
    if (!pending_) return false;
    std::unique_ptr<PendingLoad> p = std::move(pending_);
    // The pictures the new layers hold are taken before the old layers give theirs back.
    vvram_.swap(p->vvram);
    buffer_.swap(p->reader);
    buffer_->SetValList(save_->localVars.data(), kVariableCount);
    for (int i = 0; i < kStringVariableCount; ++i)
        buffer_->SetStrList(i, save_->stringVars[static_cast<size_t>(i)].data());
    SetWaitState(p->waitLimit, p->waitElapsed);
    latches_.fill(0);
    step_ = 0;
    continue_ = 0;
    if (textBuffer_) p->style.To(*textBuffer_);
    return true;
}

void CDIBSnrScreen::OnChangeScreen1st() {
    AddExecLog("CDIBSnrScreen::OnChangeScreen1st");
    GameServices& services = Services();
    if (startSlot_ != -1) {
        const int slot = startSlot_;
        startSlot_ = -1; // loaded once, however often the screen is told
        auto check = [this](ByteSpan state, std::string& why) { return CheckState(state, why); };
        if (save_->LoadGame(slot, check) && Load()) {
            loadFailed_ = false;
        } else {
            pending_.reset();
            loadFailed_ = true;
            // Nothing to run: the game says so and ends.
            services.ErrorMsg("セーブデータの読み込みに失敗しました。");
            EndGame();
            return;
        }
    }
    if (DebugHook* hook = services.GetLoadedDebugHook()) {
        for (int i = 0; i < kVariableCount; ++i)
            hook->OnUpdateValue(i, save_->localVars[static_cast<size_t>(i)]);
        hook->OnSnrFileChange(save_->GetSnrFileName().c_str());
    }
}

} // namespace qw
