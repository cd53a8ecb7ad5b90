#include "platform/Process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

namespace qw::platform {

namespace {

// A directory only this user can reach, or "" when none can be had: the runtime directory the
// session provides, else "quillwork-<uid>" made 0700 in the temporary directory. In a shared
// "/tmp" another user may have made that name first, or put a symlink there; the directory is
// used only when it is a real directory owned by this user that nobody else can enter.
std::string PrivateDirectory() {
    auto isPrivate = [](const std::string& dir) {
        struct stat st {};
        return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
               (st.st_mode & 077) == 0;
    };
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir && isPrivate(dir)) return dir;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillwork-" +
                      std::to_string(static_cast<unsigned long>(::getuid()));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return isPrivate(dir) ? dir : std::string();
}

} // namespace

InstanceLock::InstanceLock(const std::string& key) {
    std::string dir = PrivateDirectory();
    if (dir.empty()) return;
    size_t hash = std::hash<std::string>{}(key);
    char name[64];
    std::snprintf(name, sizeof name, "/quillwork-%016zx.lock", hash);
    path_ = dir + name;
}

InstanceLock::~InstanceLock() {
    if (fd_ < 0) return;
    // Removed while still locked: a process that opens the name from now on makes a new file,
    // and one that opened the old file sees, once it has the lock, that the name has moved on.
    ::unlink(path_.c_str());
    ::close(fd_);
}

bool InstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    if (path_.empty()) return true; // no private directory: run rather than refuse the player
    // A few rounds at most: each retry means another instance removed the file meanwhile.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) return true;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        // The lock counts only when it is on the file the name stands for now.
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
    return true;
}

DynamicModule::~DynamicModule() {
    Unload();
}

bool DynamicModule::Load(const std::string& path) {
    Unload();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void DynamicModule::Unload() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
}

void* DynamicModule::Symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

namespace {
void (*g_fatalHandler)(int) = nullptr;

void OnFatalSignal(int signal) {
    static volatile sig_atomic_t entered = 0;
    if (!entered) {
        entered = 1;
        if (g_fatalHandler) g_fatalHandler(signal);
    }
    ::_exit(255);
}
} // namespace

void InstallFatalSignalHandler(void (*handler)(int signal)) {
    g_fatalHandler = handler;
    for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) {
        struct sigaction sa {};
        sa.sa_handler = OnFatalSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        ::sigaction(sig, &sa, nullptr);
    }
}

uint32_t LocalTimeSeed() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    std::tm local{};
    time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &local);
    uint32_t month = static_cast<uint32_t>(local.tm_mon + 1);
    uint32_t seed = ((((month * 720u + static_cast<uint32_t>(local.tm_mday) * 24u +
                        static_cast<uint32_t>(local.tm_hour)) *
                           60u +
                       static_cast<uint32_t>(local.tm_min)) *
                          60u +
                      static_cast<uint32_t>(local.tm_sec)) *
                         1000u +
                     static_cast<uint32_t>(tv.tv_usec / 1000));
    return seed;
}

} // namespace qw::platform
