// The single-instance lock: one holder per game directory, kept in a directory no other user can
// reach, never following a planted symlink, and gone when the holder lets go.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/Process.h"

namespace qw::platform {
namespace {

namespace fs = std::filesystem;

// Sets (or, given nullopt, clears) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("qw_lock_test_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_F(InstanceLockTest, OneHolderPerGameAndNothingLeftBehind) {
    fs::path runtime = root_ / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.string());
    std::string path;
    {
        InstanceLock first("/games/a/");
        ASSERT_TRUE(first.Acquire());
        path = first.Path();
        EXPECT_EQ(fs::path(path).parent_path(), runtime);
        EXPECT_TRUE(fs::exists(path));

        InstanceLock second("/games/a/");
        EXPECT_FALSE(second.Acquire());
        InstanceLock other("/games/b/");
        EXPECT_TRUE(other.Acquire());
        EXPECT_NE(other.Path(), path);
    }
    EXPECT_TRUE(fs::is_empty(runtime)); // both files went with their locks
    InstanceLock again("/games/a/");
    EXPECT_TRUE(again.Acquire());
}

TEST_F(InstanceLockTest, WithoutARuntimeDirectoryAPrivateOneIsMade) {
    ScopedEnv xdg("XDG_RUNTIME_DIR", std::nullopt);
    ScopedEnv tmp("TMPDIR", root_.string());
    InstanceLock lock("/games/a/");
    ASSERT_TRUE(lock.Acquire());
    fs::path dir = fs::path(lock.Path()).parent_path();
    EXPECT_EQ(dir, root_ / ("quillwork-" + std::to_string(::getuid())));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
}

TEST_F(InstanceLockTest, DirectoriesOthersCanReachAreNotUsed) {
    ScopedEnv tmp("TMPDIR", root_.string());
    fs::path shared = root_ / ("quillwork-" + std::to_string(::getuid()));
    fs::path elsewhere = root_ / "elsewhere";
    fs::create_directory(elsewhere);
    fs::permissions(elsewhere, fs::perms::owner_all, fs::perm_options::replace);

    // Open to everybody (the runtime directory too), or a symlink put where the private
    // directory goes: the game runs, without a lock and without writing there.
    fs::path openRuntime = root_ / "open";
    fs::create_directory(openRuntime);
    fs::permissions(openRuntime, fs::perms::all, fs::perm_options::replace);
    ScopedEnv xdg("XDG_RUNTIME_DIR", openRuntime.string());
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all, fs::perm_options::replace);
    {
        InstanceLock lock("/games/a/");
        EXPECT_TRUE(lock.Acquire());
        EXPECT_EQ(lock.Path(), "");
    }
    fs::remove(shared);
    fs::create_directory_symlink(elsewhere, shared);
    {
        InstanceLock lock("/games/a/");
        EXPECT_TRUE(lock.Acquire());
        EXPECT_EQ(lock.Path(), "");
    }
    EXPECT_TRUE(fs::is_empty(openRuntime));
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(InstanceLockTest, ASymlinkAtTheLockNameIsNotFollowed) {
    fs::path runtime = root_ / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.string());
    fs::path victim = root_ / "victim";
    std::ofstream(victim) << "keep";
    std::string path = InstanceLock("/games/a/").Path();
    fs::create_symlink(victim, path);
    {
        InstanceLock lock("/games/a/");
        lock.Acquire(); // runs unlocked rather than lock through the link
    }
    std::ifstream in(victim);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(fs::is_symlink(path)); // not this process's file: left alone
}

} // namespace
} // namespace qw::platform
