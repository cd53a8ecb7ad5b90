#pragma once
// Process-level services: the single-instance lock, optional modules loaded by name, the hook
// for fatal signals, and the local time used to seed the random generator.

#include <cstdint>
#include <string>

namespace qw::platform {

// A lock held for the life of the process, keyed by the game directory: a file in a directory
// private to the user (the session's runtime directory, else "quillwork-<uid>" made 0700 in the
// temporary directory), opened without following symlinks and removed when the lock is
// released. Acquire() is false when another process holds it; without a private directory the
// game runs unlocked (Path() is then empty).
class InstanceLock {
public:
    explicit InstanceLock(const std::string& key);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    bool Acquire();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

// A shared library opened by path; symbols are looked up on each call.
class DynamicModule {
public:
    DynamicModule() = default;
    ~DynamicModule();
    DynamicModule(const DynamicModule&) = delete;
    DynamicModule& operator=(const DynamicModule&) = delete;
    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

// Installs `handler` for crashes (segmentation fault, bus error, illegal instruction, arithmetic
// fault, abort). It runs once, in the signal context, and the process then exits with 255.
void InstallFatalSignalHandler(void (*handler)(int signal));

// The seed of the random generator at start-up, from the local time:
// ((((month × 720 + day × 24 + hour) × 60 + minute) × 60 + second) × 1000 + milliseconds).
uint32_t LocalTimeSeed();

} // namespace qw::platform
