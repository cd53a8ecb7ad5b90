// qwdis: the scenario disassembler. Prints a compiled scenario or definition file in the scenario
// language; qwasm turns the result back into the same bytes.

#include <iostream>
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "scenario_lang/Disassembler.h"

namespace {

const char* const kUsage = R"(usage: qwdis [options] INPUT [-o OUTPUT]

Prints the compiled scenario or definition file INPUT in the scenario language (see qwasm
--help), to standard output or to OUTPUT. qwasm reassembles the result into the same bytes,
scrambled files included (the output then starts with a .scramble directive).

  -o, --output FILE       where to write the text
  --title TITLE           the product title that unscrambles INPUT (default: the engine's)
  --sjis                  write Shift-JIS (the game's code page) instead of UTF-8
  -h, --help              this text
  --version               the version
)";

} // namespace

int main(int argc, char** argv) {
    using namespace qw::scenario_lang;
    DisassembleOptions options;
    std::string input, output;
    bool sjis = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "qwdis 0.1.0\n";
            return 0;
        } else if ((arg == "-o" || arg == "--output") && i + 1 < argc) {
            output = argv[++i];
        } else if (arg == "--title" && i + 1 < argc) {
            auto title = qw::platform::Utf8ToGame(argv[++i]);
            if (!title) {
                std::cerr << "qwdis: the title cannot be written in the game's code page\n";
                return 2;
            }
            options.title = *title;
        } else if (arg == "--sjis") {
            sjis = true;
        } else if (arg == "-o" || arg == "--output" || arg == "--title") {
            std::cerr << "qwdis: " << arg << " needs a value\n";
            return 2;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "qwdis: unknown option " << arg << " (see --help)\n";
            return 2;
        } else if (input.empty()) {
            input = arg;
        } else {
            std::cerr << "qwdis: more than one input file\n";
            return 2;
        }
    }
    if (input.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    auto file = qw::platform::ReadWholeFile(input);
    if (!file) {
        std::cerr << "qwdis: cannot read " << input << "\n";
        return 1;
    }
    options.sourceName = input.substr(input.find_last_of('/') + 1);
    DisassembleResult result = Disassemble(*file, options);
    if (!result.Ok()) {
        std::cerr << "qwdis: " << input << ": " << result.error << "\n";
        return 1;
    }
    std::string text = std::move(result.text);
    if (sjis) {
        auto game = qw::platform::Utf8ToGame(text);
        if (!game) {
            std::cerr << "qwdis: the text cannot be written in the game's code page\n";
            return 1;
        }
        text = std::move(*game);
    }
    if (output.empty()) {
        std::cout << text;
        return std::cout.good() ? 0 : 1;
    }
    if (!qw::platform::WriteFileAtomic(
            output,
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
        std::cerr << "qwdis: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
