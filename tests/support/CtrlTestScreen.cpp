#include "support/CtrlTestScreen.h"

#include <map>

#include "app/CMainWindow.h"
#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/CSpriteCache.h"
#include "scenario/CSnrBuffer.h"
#include "ui/CDIBButtonCtrl.h"
#include "ui/CtrlParam.h"

namespace qw::test {

namespace {

constexpr int32_t kControlRecord = 90;
constexpr int32_t kRowRecord = 91;
constexpr int32_t kCaptionRecord = 92;
constexpr uint32_t kBackground = 0xFF203040;

int CellCount(int type) {
    switch (type) {
    case kCtrlButton:
        return kCtrlStates;
    case kCtrlCheck:
    case kCtrlScroll:
        return kCtrlStates * 2;
    default:
        return 1;
    }
}

void Report(const char* name) {
    if (CMainWindow* main = GetMainWindow()) main->ErrorETC("CtrlTestScreen", name);
}

} // namespace

bool CtrlTestScreen::Initialize() {
    AddExecLog("CtrlTestScreen::Initialize");
    if (!CDIBBaseScreen::Initialize()) return false;
    backImage_->FillFull(kBackground);
    drawImage_->FillFull(kBackground);
    fired_.clear();
    return ReadControls();
}

bool CtrlTestScreen::ReadControls() {
    AddExecLog("CtrlTestScreen::ReadControls");
    CSnrBuffer reader;
    reader.Initialize();
    if (!reader.Read("CTRLTEST")) {
        if (CMainWindow* main = GetMainWindow()) main->ErrorRead("CtrlTestScreen", "CTRLTEST");
        return false;
    }
    // Navigation rows first: each control takes its rows at set-up.
    std::map<int32_t, std::vector<CtrlJumpRow>> rows;
    for (int32_t n = 0;; ++n) {
        int32_t id = 0;
        CtrlJumpRow row{};
        reader.SeekBegin(0);
        if (!reader.GetSetupParam(kRowRecord, n, "NNNNNN", &id, &row[0], &row[1], &row[2], &row[3],
                                  &row[4]))
            break;
        rows[id].push_back(row);
    }
    for (int32_t n = 1; n <= 256; ++n) {
        int32_t type = 0;
        reader.SeekBegin(0);
        if (!reader.GetSetupParam(kControlRecord, n, "N", &type)) break;
        CtrlParam p = DefaultCtrlParam();
        std::string parts, hit;
        int32_t* cells = type == kCtrlButton   ? p.button.cells.data()
                         : type == kCtrlCheck  ? p.check.cells.data()
                         : type == kCtrlScroll ? p.scroll.cells.data()
                                               : &p.image.cell;
        std::vector<SetupOutput> out = {&type, &parts, &hit, &p.id, &p.hitNo, &p.x, &p.y};
        std::string format = "NSSNNNN";
        for (int i = 0; i < CellCount(type); ++i) {
            out.emplace_back(&cells[i]);
            format += 'N';
        }
        if (type == kCtrlButton) {
            out.emplace_back(&p.button.blend);
            format += 'B';
        } else if (type == kCtrlCheck) {
            out.emplace_back(&p.check.checked);
            format += 'B';
        } else if (type == kCtrlScroll) {
            for (int32_t* v : {&p.scroll.value, &p.scroll.orientation, &p.scroll.minimum,
                               &p.scroll.maximum, &p.scroll.startMargin, &p.scroll.endMargin}) {
                out.emplace_back(v);
                format += 'N';
            }
        }
        reader.SeekBegin(0);
        if (!reader.GetSetupParam(kControlRecord, n, format, out)) {
            Report("CTRLTEST");
            return false;
        }
        // Shown, enabled and the sound kind may follow; what is missing keeps its default.
        int32_t soundKind = p.soundKind;
        out.insert(out.end(), {&p.show, &p.enable, &soundKind});
        reader.SeekBegin(0);
        reader.GetSetupParam(kControlRecord, n, format + "BBN", out);
        p.soundKind = static_cast<uint8_t>(soundKind);
        SetCtrlName(p.parts, parts);
        SetCtrlName(p.hitName, hit);
        auto it = rows.find(p.id);
        if (it != rows.end()) {
            p.jumpRows = static_cast<int32_t>(std::min<size_t>(it->second.size(), kCtrlJumpRows));
            for (int32_t r = 0; r < p.jumpRows; ++r)
                p.jumpTable[static_cast<size_t>(r)] = it->second[static_cast<size_t>(r)];
        }
        if (!MakeControl(type, &p)) {
            Report("MakeControl()");
            return false;
        }
    }
    for (int32_t n = 0;; ++n) {
        int32_t id = 0, x = 0, y = 0;
        std::string picture;
        reader.SeekBegin(0);
        if (!reader.GetSetupParam(kCaptionRecord, n, "NSNN", &id, &picture, &x, &y)) break;
        auto* button = dynamic_cast<CDIBButtonCtrl*>(GetCtrl(id));
        CMainWindow* main = GetMainWindow();
        CSpriteCache* cache = main ? main->GetSpriteCache() : nullptr;
        CDIBSprite* image = cache ? cache->Read(picture) : nullptr;
        if (!button || !image || !button->InitCaption()) {
            if (image) cache->Free(image);
            Report("InitCaption()");
            return false;
        }
        for (int state = 0; state < kCtrlStates; ++state) {
            VertexQuad quad;
            image->SetVertex(quad, 0, x, y, 0xFFFFFFFF);
            button->SetCaption(state, *image, quad);
        }
        cache->Free(image);
    }
    int32_t focus = -1;
    reader.SeekBegin(0);
    if (reader.GetSetupParam(kControlRecord, 0, "N", &focus) && focus >= 0) SetForcus(focus);
    return true;
}

void CtrlTestScreen::Move() {
    AddExecLog("CtrlTestScreen::Move");
    CDIBBaseScreen::Move();
    CMainWindow* main = GetMainWindow();
    const int tick = main ? main->GetTickCount() : 0;
    for (CDIBBaseCtrl* c = GetCtrlTop(); c; c = c->GetNext())
        if (c->IsPush()) fired_.push_back({tick, c->GetCtrlID()});
}

std::string CtrlTestScreen::FiredJson() const {
    std::string out = "[";
    for (size_t i = 0; i < fired_.size(); ++i) {
        if (i) out += ", ";
        out += "{\"tick\": " + std::to_string(fired_[i].tick) +
               ", \"id\": " + std::to_string(fired_[i].id) + "}";
    }
    return out + "]";
}

} // namespace qw::test
