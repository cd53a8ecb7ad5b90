#include "support/LayerScriptScreen.h"

#include <sstream>

#include "app/CMainWindow.h"
#include "app/GameServices.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CallEffectParam.h"

namespace qw::test {

namespace {

int Int(const std::vector<std::string>& args, size_t i) {
    return i < args.size() ? std::stoi(args[i]) : 0;
}

} // namespace

bool LayerScriptScreen::ReadScript(std::string_view text, std::string& error) {
    std::istringstream in{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        Step step;
        if (!(words >> step.tick)) continue;
        words >> step.op;
        static const struct {
            const char* op;
            size_t count;
        } kOps[] = {{"image", 2}, {"pos", 4},  {"size", 3},   {"color", 5},
                    {"blend", 2}, {"anti", 2}, {"overlap", 2}};
        size_t wanted = 0;
        for (const auto& o : kOps)
            if (step.op == o.op) wanted = o.count;
        for (std::string w; words >> w;)
            step.args.push_back(w);
        if (wanted == 0 || step.args.size() != wanted) {
            error = "line " + std::to_string(number) + ": " + line;
            return false;
        }
        steps_.push_back(step);
    }
    return true;
}

void LayerScriptScreen::Move() {
    const auto* main = dynamic_cast<const CMainWindow*>(&Services());
    const int tick = main ? main->GetTickCount() : 0;
    for (const Step& step : steps_)
        if (step.tick == tick) Apply(step);
    CDIBSnrScreen::Move();
}

void LayerScriptScreen::Apply(const Step& s) {
    CDIBSnrVVram* vvram = GetVVram();
    if (!vvram) return;
    if (s.op == "overlap") {
        const int effect = Int(s.args, 0), time = Int(s.args, 1);
        const bool plusOne = effect == kEffectBlt || effect == kEffectFade;
        vvram->StartTransition(CallEffectParam::Make(effect, plusOne ? time + 1 : time));
        return;
    }
    CDIBSnrLayer* layer = vvram->GetBackLayer(Int(s.args, 0));
    if (!layer) return;
    if (s.op == "image")
        layer->SetImage(s.args[1] == "-" ? "" : s.args[1]);
    else if (s.op == "pos")
        layer->SetPos(Int(s.args, 1), Int(s.args, 2), Int(s.args, 3));
    else if (s.op == "size")
        layer->SetBaseSize(Int(s.args, 1), Int(s.args, 2));
    else if (s.op == "color")
        layer->SetColor(Int(s.args, 1), Int(s.args, 2), Int(s.args, 3), Int(s.args, 4));
    else if (s.op == "blend")
        layer->SetBlend(Int(s.args, 1) != 0);
    else if (s.op == "anti")
        layer->SetAnti(Int(s.args, 1) != 0);
}

} // namespace qw::test
