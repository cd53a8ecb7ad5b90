// qwpack: the archive tool for game makers. Builds "SM2MPX10", "MGCFILE" and "FJSYS" archives
// with their tables in the engine's lookup order, lists them, and unpacks them.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bytes.h"
#include "files/ArchiveTable.h"
#include "files/ArchiveWriter.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

using qw::ArchiveFormat;
using qw::platform::FileHandle;

constexpr const char* kUsage =
    "usage: qwpack create --format sm2mpx10|mgcfile|fjsys ARCHIVE FILE|DIR...\n"
    "       qwpack list ARCHIVE\n"
    "       qwpack extract ARCHIVE DIR [NAME...]\n"
    "       qwpack --help\n";

constexpr const char* kHelp =
    "\n"
    "create   Writes ARCHIVE from the given files. A DIR adds the regular files directly in it\n"
    "         (subdirectories are not entered; ARCHIVE itself is skipped). Each member is named\n"
    "         after its file name, with its extension; UTF-8 file names are stored in the game's\n"
    "         code page. Names must be unique when case is ignored, and fit the format: at most\n"
    "         12 bytes for sm2mpx10 (whose 32-bit offsets also limit the archive to 4 GiB), at\n"
    "         most 19 for mgcfile, any length for fjsys. The table is sorted in the engine's\n"
    "         lookup order. The archive is written to ARCHIVE.tmp and renamed into place when\n"
    "         complete.\n"
    "list     Prints one line per member, in table order: name, offset, size (tab-separated;\n"
    "         names in UTF-8).\n"
    "extract  Writes the members (or only the NAMEs, found with case ignored) into DIR, which is\n"
    "         created when missing; existing files are replaced. Names are written in UTF-8.\n"
    "\n"
    "Exit status: 0 on success, 1 on a usage error or bad data (with a message on stderr).\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "qwpack: %s\n", message.c_str());
    return 1;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "qwpack: %s\n%s", message.c_str(), kUsage);
    return 1;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

// File name on disk (normally UTF-8) -> member name in the game's code page.
std::optional<std::string> MemberNameFromFile(const std::string& fileName) {
    if (IsAscii(fileName)) return fileName;
    if (auto game = qw::platform::Utf8ToGame(fileName)) return game;
    // Not UTF-8: take the bytes as they are when they already are code-page text.
    if (qw::platform::GameToUtf8(fileName)) return fileName;
    return std::nullopt;
}

// Member name -> file name on disk.
std::string FileNameFromMember(std::string_view name) {
    if (IsAscii(name)) return std::string(name);
    return qw::platform::GameToUtf8(name).value_or(std::string(name));
}

std::string Printable(std::string_view name) {
    return qw::platform::GameToUtf8Lossy(name);
}

struct Input {
    std::string path;
    qw::ArchiveMemberInfo info;
};

bool AddFile(const std::string& path, const std::string& fileName, std::vector<Input>& inputs,
             std::string& error) {
    auto name = MemberNameFromFile(fileName);
    if (!name) {
        error = path + ": the file name cannot be written in the game's code page";
        return false;
    }
    FileHandle f;
    if (!f.Open(path, FileHandle::Mode::Read)) {
        error = path + ": cannot be read";
        return false;
    }
    inputs.push_back({path, {*name, f.Size().value_or(0)}});
    return true;
}

bool CopyBytes(const FileHandle& from, uint64_t offset, uint64_t size, FileHandle& to) {
    std::vector<uint8_t> buffer(1 << 20);
    while (size > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(size, buffer.size()));
        if (from.ReadAt(offset, buffer.data(), n) != n) return false;
        if (to.Write(buffer.data(), n) != n) return false;
        offset += n;
        size -= n;
    }
    return true;
}

int Create(const std::vector<std::string>& args) {
    ArchiveFormat format = ArchiveFormat::None;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--format") {
            if (i + 1 >= args.size()) return Usage("--format needs a value");
            value = args[++i];
        } else if (args[i].rfind("--format=", 0) == 0) {
            value = args[i].substr(9);
        } else {
            rest.push_back(args[i]);
            continue;
        }
        if (value == "sm2mpx10")
            format = ArchiveFormat::Sm2mpx10;
        else if (value == "mgcfile")
            format = ArchiveFormat::Mgcfile;
        else if (value == "fjsys")
            format = ArchiveFormat::Fjsys;
        else
            return Usage("unknown format '" + value + "' (sm2mpx10, mgcfile or fjsys)");
    }
    if (format == ArchiveFormat::None) return Usage("create needs --format");
    if (rest.size() < 2) return Usage("create needs an archive and at least one file or directory");

    const std::string& archive = rest[0];
    std::vector<Input> inputs;
    std::string error;
    for (size_t i = 1; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        switch (qw::platform::GetPathKind(arg)) {
        case qw::platform::PathKind::Missing:
            return Fail(arg + ": no such file or directory");
        case qw::platform::PathKind::File:
            if (!AddFile(arg, std::filesystem::path(arg).filename().string(), inputs, error))
                return Fail(error);
            break;
        case qw::platform::PathKind::Directory: {
            auto names = qw::platform::ListDirectory(arg);
            std::sort(names.begin(), names.end());
            std::string dir = arg;
            if (dir.back() != '/') dir += '/';
            for (const auto& n : names) {
                std::error_code ec;
                if (!std::filesystem::is_regular_file(dir + n, ec)) continue;
                // An archive rebuilt inside its own input directory does not pack itself.
                if (std::filesystem::equivalent(dir + n, archive, ec)) continue;
                if (!AddFile(dir + n, n, inputs, error)) return Fail(error);
            }
            break;
        }
        }
    }
    if (inputs.empty()) return Fail("no files to pack");

    std::vector<qw::ArchiveMemberInfo> infos;
    for (const auto& in : inputs)
        infos.push_back(in.info);
    auto plan = qw::PlanArchive(format, infos, error);
    if (!plan) {
        // Name the member in UTF-8 as the user typed it.
        return Fail(Printable(error));
    }

    const std::string temp = archive + ".tmp";
    FileHandle out;
    if (!out.Open(temp, FileHandle::Mode::CreateTruncate))
        return Fail(temp + ": cannot be created");
    bool ok = out.Write(plan->head.data(), plan->head.size()) == plan->head.size();
    for (size_t i : plan->order) {
        if (!ok) break;
        FileHandle in;
        ok = in.Open(inputs[i].path, FileHandle::Mode::Read) &&
             in.Size().value_or(0) == inputs[i].info.size &&
             CopyBytes(in, 0, inputs[i].info.size, out);
        if (!ok) error = inputs[i].path + ": could not be read whole (did it change?)";
    }
    if (!ok && error.empty()) error = temp + ": write failed";
    out.Close();
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(temp, archive, ec);
        if (ec) {
            ok = false;
            error = archive + ": " + ec.message();
        }
    }
    if (!ok) {
        qw::platform::RemoveFile(temp);
        return Fail(error);
    }
    return 0;
}

bool LoadArchive(const std::string& path, FileHandle& file, std::optional<qw::ArchiveTable>& table,
                 std::string& error) {
    if (qw::platform::GetPathKind(path) != qw::platform::PathKind::File ||
        !file.Open(path, FileHandle::Mode::Read)) {
        error = path + ": cannot open the archive";
        return false;
    }
    uint8_t head[8] = {};
    if (qw::DetectArchiveFormat(qw::ByteSpan(head, file.ReadAt(0, head, sizeof head))) ==
        ArchiveFormat::None) {
        error = path + ": not an archive (unknown magic)";
        return false;
    }
    qw::Result<qw::ArchiveTable> loaded = qw::ArchiveTable::Load(file);
    if (!loaded) {
        error = path + ": " + loaded.Reason();
        return false;
    }
    table = std::move(loaded).Optional();
    return true;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("list needs exactly one archive");
    FileHandle file;
    std::optional<qw::ArchiveTable> table;
    std::string error;
    if (!LoadArchive(args[0], file, table, error)) return Fail(error);
    // Entries nobody can open are listed too, and named on stderr; the exit status tells.
    int faults = 0;
    for (int i = 0; i < table->Count(); ++i) {
        auto name = table->Name(i);
        std::printf("%s\t%llu\t%llu\n", name ? Printable(*name).c_str() : "<bad name offset>",
                    static_cast<unsigned long long>(table->Offset(i)),
                    static_cast<unsigned long long>(table->Size(i)));
        if (std::string fault = table->EntryFault(i); !fault.empty()) {
            Fail(args[0] + ": " + fault);
            ++faults;
        }
    }
    return faults == 0 ? 0 : 1;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

int Extract(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage("extract needs an archive and a directory");
    FileHandle file;
    std::optional<qw::ArchiveTable> table;
    std::string error;
    if (!LoadArchive(args[0], file, table, error)) return Fail(error);

    int failures = 0;
    std::vector<int> selected;
    if (args.size() == 2) {
        for (int i = 0; i < table->Count(); ++i)
            selected.push_back(i);
    } else {
        for (size_t a = 2; a < args.size(); ++a) {
            std::string key = qw::platform::Utf8ToGame(args[a]).value_or(args[a]);
            int index = table->Find(key);
            if (index < 0) {
                Fail(args[a] + ": no such member");
                ++failures;
            } else {
                selected.push_back(index);
            }
        }
    }

    std::string dir = args[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (qw::platform::GetPathKind(dir) != qw::platform::PathKind::Directory)
        return Fail(dir + ": cannot create the directory");
    if (dir.back() != '/') dir += '/';

    for (int i : selected) {
        auto name = table->Name(i);
        std::string fileName = name ? FileNameFromMember(*name) : std::string();
        if (!name || !IsPlainFileName(fileName)) {
            Fail("entry " + std::to_string(i) + ": unusable member name, skipped");
            ++failures;
            continue;
        }
        if (!table->InBounds(i)) {
            Fail(fileName + ": " + table->EntryFault(i) + ", skipped");
            ++failures;
            continue;
        }
        FileHandle out;
        if (!out.Open(dir + fileName, FileHandle::Mode::CreateTruncate) ||
            !CopyBytes(file, table->Offset(i), table->Size(i), out)) {
            Fail(dir + fileName + ": write failed");
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage("no command given");
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (command == "create") return Create(args);
    if (command == "list") return List(args);
    if (command == "extract") return Extract(args);
    return Usage("unknown command '" + command + "'");
}
