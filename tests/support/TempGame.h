#pragma once
// A throw-away game directory for tests that start the main window in-process: the six archives
// as empty folders and a "START" scenario with no commands.

#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/Bytes.h"
#include "platform/FileSystem.h"

namespace qw::test {

inline Bytes EmptyScenarioFile() {
    ByteWriter w;
    w.PutBytes(std::string_view("MSCENARIO FILE  "));
    w.PutZeros(1112 - 16);
    return w.Take();
}

class TempGame {
public:
    explicit TempGame(const std::string& name) {
        dir_ = (std::filesystem::temp_directory_path() /
                ("qw_game_" + name + "_" + std::to_string(::getpid())))
                   .string();
        std::filesystem::remove_all(dir_);
        for (const char* a : {"DATA", "MGD", "MSD", "SE", "BGM", "VOICE"})
            std::filesystem::create_directories(dir_ + "/" + a);
        Write("MSD/START.MSD", EmptyScenarioFile());
    }
    ~TempGame() { std::filesystem::remove_all(dir_); }
    void Write(const std::string& relative, const Bytes& data) const {
        platform::WriteFileAtomic(dir_ + "/" + relative, data);
    }
    void WriteText(const std::string& relative, const std::string& text) const {
        Write(relative, Bytes(text.begin(), text.end()));
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

} // namespace qw::test
