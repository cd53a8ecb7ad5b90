// Fuzzes the scenario reader: reading (plain, and scrambled with the product title), walking every
// command and parameter (values, expressions, text expansion), jumps, definition lookups and the
// saved-position record. The last 8 input bytes steer the jumps and lookups; the rest is the file.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "scenario/CSnrBuffer.h"

namespace {

class OneFile : public qw::IMemberSource {
public:
    explicit OneFile(qw::Bytes file) : file_(std::move(file)) {}
    std::optional<qw::Bytes> ReadMember(std::string_view) override { return file_; }

private:
    qw::Bytes file_;
};

void WalkCommand(qw::CSnrBuffer& reader) {
    reader.ClearFault();
    (void)reader.GetCmdID();
    (void)reader.GetParamSize();
    const int count = reader.GetNumParam();
    int seen = 0;
    for (qw::SnrParam p = reader.GetParam(); p.IsValid() && seen <= count;
         p = reader.NextParam(p)) {
        ++seen;
        std::string_view text = reader.GetStringParam(p); // also on value parameters
        if (text.data()[text.size()] != '\0' || text.size() >= 512) __builtin_trap();
        (void)reader.GetValueParam(p);
        (void)reader.IsStringParam(p);
    }
    if (seen != count) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t control[8] = {};
    const size_t fileSize = size >= 8 ? size - 8 : size;
    if (size >= 8) std::memcpy(control, data + fileSize, 8);
    OneFile source(qw::Bytes(data, data + fileSize));

    static int32_t values[1000];
    static char strings[256][64];
    for (int i = 0; i < 1000; ++i)
        values[i] = i * 7 - 3000;
    for (int i = 0; i < 256; ++i)
        std::memset(strings[i], 'a' + i % 26, (i * 5) % 64 + 1);
    std::memset(strings[255], 0x82, 64); // a slot without terminator: read at most 64 bytes

    qw::CSnrBuffer reader;
    reader.Initialize(&source);
    if (!reader.Read("FUZZ")) return 0;
    reader.SetValList(values);
    for (int i = 0; i < 256; ++i)
        reader.SetStrList(i, strings[i]);

    for (int steps = 0; !reader.IsFinish() && steps < 20000; ++steps) {
        WalkCommand(reader);
        reader.NextCommand();
    }
    if (!reader.IsFinish()) return 0;

    // Jumps with numbers from the control bytes, each followed by one command.
    const int32_t label = static_cast<int8_t>(control[0]);
    if (reader.JumpToLabel(label)) WalkCommand(reader);
    if (reader.JumpToLoadPoint(control[1], static_cast<int8_t>(control[2]))) WalkCommand(reader);
    if (reader.SeekBegin(control[3] * 4u)) WalkCommand(reader);

    // Saved position round trip.
    qw::ByteWriter saved;
    reader.Save(saved);
    const uint32_t pos = reader.GetPos();
    qw::CSnrBuffer other;
    other.Initialize(&source);
    if (!other.Load(saved.Data()) || other.GetPos() != pos) __builtin_trap();

    // Definition lookups, walking repeated records.
    static const char* const kFormats[] = {"NNNNN", "SNB", "bsnS", "", "NX", "SSSS", "BBBB", "nN"};
    const char* format = kFormats[control[4] % 8];
    int32_t n[5] = {};
    uint8_t b[5] = {};
    std::string s[5];
    reader.SeekBegin(0);
    for (int steps = 0; steps < 1000 && !reader.IsFinish(); ++steps) {
        bool found = false;
        switch (format[0]) {
        case 'N':
            found = reader.GetSetupParam(control[5] % 4, control[6] % 4, format, &n[0], &n[1],
                                         &n[2], &n[3], &n[4]);
            break;
        case 'S':
            found = reader.GetSetupParam(control[5] % 4, control[6] % 4, format, &s[0], &n[1],
                                         &b[2], &s[3]);
            break;
        case 'b':
            found = reader.GetSetupParam(control[5] % 4, control[6] % 4, format, &b[0], &s[1],
                                         &n[2], &s[2]);
            break;
        case 'B':
            found = reader.GetSetupParam(control[5] % 4, control[6] % 4, format, &b[0], &b[1],
                                         &b[2], &b[3]);
            break;
        default:
            found = reader.GetSetupParam(control[5] % 4, control[6] % 4, format, &n[0], &n[1]);
            break;
        }
        if (!found) break;
        reader.NextCommand();
    }
    return 0;
}
