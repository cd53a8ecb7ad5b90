#include "platform/Process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace qw::platform {

namespace {
std::string RuntimeDirectory() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return dir;
    return "/tmp";
}
} // namespace

InstanceLock::InstanceLock(const std::string& key) {
    size_t hash = std::hash<std::string>{}(key);
    char name[64];
    std::snprintf(name, sizeof name, "/quillwork-%016zx.lock", hash);
    path_ = RuntimeDirectory() + name;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_); // the lock goes with the descriptor
}

bool InstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true; // no runtime directory: run rather than refuse the player
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
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
