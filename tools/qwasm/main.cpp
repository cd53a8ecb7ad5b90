// qwasm: the scenario assembler. Turns a scenario or definition file written in the scenario
// language into the compiled file the engine reads.

#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "scenario_lang/Assembler.h"
#include "scenario_lang/LanguageHelp.h"

namespace {

const char* const kUsage = R"(usage: qwasm [options] INPUT [-o OUTPUT]

Assembles INPUT (the scenario language, UTF-8) into a compiled scenario or definition file.
The output defaults to INPUT with the extension ".MSD".

  -o, --output FILE       where to write the file
  --scramble TITLE        scramble with the product title TITLE (also --title)
  --plain                 write a plain file even when the source says .scramble
  --sjis                  the input is Shift-JIS (the game's code page), not UTF-8
  -h, --help              this text and the language summary
  --version               the version

)";

bool ReadWhole(const std::string& path, std::string& out) {
    auto bytes = qw::platform::ReadWholeFile(path);
    if (!bytes) return false;
    out.assign(bytes->begin(), bytes->end());
    return true;
}

std::string DefaultOutput(const std::string& input) {
    size_t slash = input.find_last_of('/');
    size_t dot = input.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return input + ".MSD";
    return input.substr(0, dot) + ".MSD";
}

} // namespace

int main(int argc, char** argv) {
    using namespace qw::scenario_lang;
    AssembleOptions options;
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage << LanguageSummary();
            return 0;
        } else if (arg == "--version") {
            std::cout << "qwasm 0.1.0\n";
            return 0;
        } else if (arg == "-o" || arg == "--output") {
            auto v = value();
            if (!v) {
                std::cerr << "qwasm: " << arg << " needs a file name\n";
                return 2;
            }
            output = *v;
        } else if (arg == "--scramble" || arg == "--title") {
            auto v = value();
            if (!v) {
                std::cerr << "qwasm: " << arg << " needs a title\n";
                return 2;
            }
            auto title = qw::platform::Utf8ToGame(*v);
            if (!title || title->empty()) {
                std::cerr << "qwasm: the title cannot be written in the game's code page\n";
                return 2;
            }
            options.scrambleTitle = *title;
        } else if (arg == "--plain") {
            options.plain = true;
        } else if (arg == "--sjis") {
            options.gameCodePageInput = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << "qwasm: unknown option " << arg << " (see --help)\n";
            return 2;
        } else if (input.empty()) {
            input = arg;
        } else {
            std::cerr << "qwasm: more than one input file\n";
            return 2;
        }
    }
    if (input.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::string source;
    if (input == "-") {
        source.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else if (!ReadWhole(input, source)) {
        std::cerr << "qwasm: cannot read " << input << "\n";
        return 1;
    }
    if (output.empty()) {
        if (input == "-") {
            std::cerr << "qwasm: give -o when reading standard input\n";
            return 2;
        }
        output = DefaultOutput(input);
    }
    AssembleResult result = Assemble(source, input == "-" ? "<stdin>" : input, options);
    for (const std::string& e : result.errors)
        std::cerr << e << "\n";
    if (!result.Ok()) return 1;
    if (!qw::platform::WriteFileAtomic(output, result.file)) {
        std::cerr << "qwasm: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
