// Fields of the dumped state that a program around the engine adds (the control test driver's
// list of fired controls).

#include <utility>
#include <vector>

#include "app/JsonText.h"
#include "app/StateDump.h"

namespace qw {

namespace {
using Writer = std::function<std::string(const CMainWindow&)>;
std::vector<std::pair<std::string, Writer>>& ExtraFields() {
    static std::vector<std::pair<std::string, Writer>> fields;
    return fields;
}
} // namespace

void SetExtraStateDumpField(const std::string& name, Writer writer) {
    for (auto& [n, w] : ExtraFields()) {
        if (n == name) {
            w = std::move(writer);
            return;
        }
    }
    ExtraFields().emplace_back(name, std::move(writer));
}

std::string DumpExtraFieldsJson(const CMainWindow& main) {
    std::string out;
    for (const auto& [name, writer] : ExtraFields())
        if (writer) out += "  " + JsonString(name) + ": " + writer(main) + ",\n";
    return out;
}

} // namespace qw
