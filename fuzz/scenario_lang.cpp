// Fuzzes the scenario assembler and disassembler with their round-trip promise. First byte even:
// the rest is a compiled file; whatever the disassembler accepts must assemble back to the same
// bytes. First byte odd: the rest is source text; whatever assembles must disassemble and
// assemble back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scenario_lang/Assembler.h"
#include "scenario_lang/Disassembler.h"

using namespace qw::scenario_lang;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool source = data[0] & 1;
    ++data;
    --size;
    qw::Bytes file;
    if (source) {
        AssembleResult a =
            Assemble(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.qws");
        if (!a.Ok()) return 0;
        file = std::move(a.file);
    } else {
        file.assign(data, data + size);
    }
    DisassembleResult d = Disassemble(file);
    if (!d.Ok()) {
        if (source) __builtin_trap(); // the assembler's own output must disassemble
        return 0;
    }
    AssembleResult again = Assemble(d.text, "dis.qws");
    if (!again.Ok() || again.file != file) __builtin_trap();
    return 0;
}
