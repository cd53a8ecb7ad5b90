#include "files/CFile.h"

#include <cstdio>

#include "common/ExecLog.h"

namespace qw {

using platform::FileHandle;
using platform::PathKind;

CFile::~CFile() {
    AddExecLog("CFile::~CFile");
    Close();
}

bool CFile::Open(const std::string& name, unsigned access, Disposition disposition) {
    AddExecLog("CFile::Open");
    Close();
    writeFailed_ = false;
    const bool exists = platform::GetPathKind(name) == PathKind::File;
    const bool write = (access & kWrite) != 0;
    switch (disposition) {
    case kCreateNew:
        if (exists) return false;
        return file_.Open(name, FileHandle::Mode::CreateTruncate);
    case kCreateAlways:
        temp_ = name + ".tmp";
        if (!file_.Open(temp_, FileHandle::Mode::CreateTruncate)) {
            temp_.clear();
            return false;
        }
        target_ = name;
        return true;
    case kOpenExisting:
        if (!exists) return false;
        return file_.Open(name, write ? FileHandle::Mode::ReadWrite : FileHandle::Mode::Read);
    case kOpenAlways:
        if (!exists && !write) {
            // Create the empty file, then open it for reading only.
            FileHandle created;
            if (!created.Open(name, FileHandle::Mode::ReadWrite)) return false;
        }
        return file_.Open(name, write ? FileHandle::Mode::ReadWrite : FileHandle::Mode::Read);
    case kTruncateExisting:
        if (!exists || !write) return false;
        return file_.Open(name, FileHandle::Mode::CreateTruncate);
    }
    return false;
}

bool CFile::Close() {
    AddExecLog("CFile::Close");
    if (!file_.IsOpen()) return true;
    file_.Close();
    bool ok = true;
    if (!target_.empty()) {
        if (writeFailed_ || std::rename(temp_.c_str(), target_.c_str()) != 0) {
            platform::RemoveFile(temp_);
            ok = false;
        }
    }
    target_.clear();
    temp_.clear();
    writeFailed_ = false;
    return ok;
}

size_t CFile::Read(void* buffer, size_t count) {
    AddExecLog("CFile::Read");
    return file_.Read(buffer, count) == count ? count : 0;
}

size_t CFile::Write(const void* buffer, size_t count) {
    AddExecLog("CFile::Write");
    if (file_.Write(buffer, count) == count) return count;
    writeFailed_ = true;
    return 0;
}

uint64_t CFile::Seek(int64_t distance, Origin origin) {
    AddExecLog("CFile::Seek");
    if (auto pos = file_.Seek(distance, origin)) return *pos;
    return file_.Seek(0, kCurrent).value_or(0);
}

uint64_t CFile::Size() const {
    AddExecLog("CFile::Size");
    return file_.Size().value_or(0);
}

} // namespace qw
