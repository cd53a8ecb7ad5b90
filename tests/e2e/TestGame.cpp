#include "TestGame.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qw::e2e {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

int RunCommand(const std::string& command) {
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

TestGame::TestGame(const std::string& name) {
    dir_ = std::string(QW_E2E_WORK_DIR) + "/" + name;
    fs::remove_all(dir_);
    for (const char* archive : {"DATA", "MGD", "MSD", "SE", "BGM", "VOICE"})
        fs::create_directories(dir_ + "/" + archive);
}

void TestGame::AddScenario(const std::string& member, const std::string& source,
                           const std::string& extraArgs) {
    std::string src = dir_ + "/" + member + ".qws";
    WriteText(src, source);
    std::string cmd = std::string(QW_BIN_QWASM) + " " + extraArgs + " " + Quote(src) + " -o " +
                      Quote(dir_ + "/MSD/" + member) + " 2>" + Quote(src + ".err");
    ASSERT_EQ(RunCommand(cmd), 0) << ReadText(src + ".err");
    fs::remove(src);
    fs::remove(src + ".err");
}

void TestGame::AddFile(const std::string& archive, const std::string& member,
                       const std::string& bytes) {
    std::string dir = archive.empty() ? dir_ : dir_ + "/" + archive;
    fs::create_directories(dir);
    WriteText(dir + "/" + member, bytes);
}

void TestGame::Pack(const std::string& archive, const std::string& format) {
    std::string dir = dir_ + "/" + archive;
    std::string packed = dir_ + "/" + archive + ".packing";
    std::string cmd = std::string(QW_BIN_QWPACK) + " create --format " + format + " " +
                      Quote(packed) + " " + Quote(dir) + " >/dev/null 2>" + Quote(packed + ".err");
    ASSERT_EQ(RunCommand(cmd), 0) << ReadText(packed + ".err");
    fs::remove(packed + ".err");
    fs::remove_all(dir);
    fs::rename(packed, dir);
}

void TestGame::WriteIni(const std::string& text) {
    WriteText(dir_ + "/Novel.ini", text);
}

RunResult TestGame::Run(const std::string& args, bool dumpState) const {
    return RunProgram(QW_BIN_QUILLWORK, args, dumpState);
}

RunResult TestGame::RunProgram(const std::string& program, const std::string& args,
                               bool dumpState) const {
    RunResult r;
    std::string out = dir_ + "/run.stdout", err = dir_ + "/run.stderr",
                state = dir_ + "/state.json";
    fs::remove(state);
    std::string cmd = program + " " + Quote(dir_) + " --headless " + args;
    if (dumpState) cmd += " --dump-state " + Quote(state);
    cmd += " >" + Quote(out) + " 2>" + Quote(err);
    r.exitCode = RunCommand(cmd);
    r.stdoutText = ReadText(out);
    r.stderrText = ReadText(err);
    if (dumpState && FileExists(state)) {
        r.stateText = ReadText(state);
        r.state = ParseJson(r.stateText);
    }
    return r;
}

} // namespace qw::e2e
