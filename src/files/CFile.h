#pragma once
// A plain file, for the files the game writes (save data, configuration).
//
// A file opened with kCreateAlways is written to a temporary file beside it and renamed into
// place when it is closed, so a crash or a failed write mid-way keeps the previous file whole.
// If any write failed, Close discards the temporary file and reports false.

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace qw {

class CFile {
public:
    // Desired access (may be combined).
    enum Access : unsigned { kRead = 1, kWrite = 2 };
    // Creation disposition.
    enum Disposition {
        kCreateNew,       // fails when the file exists
        kCreateAlways,    // a new, empty file replaces any old one (atomically, on Close)
        kOpenExisting,    // fails when the file does not exist
        kOpenAlways,      // opens, or creates an empty file
        kTruncateExisting // fails when the file does not exist; empties it
    };
    // Seek origins.
    enum Origin { kBegin = 0, kCurrent = 1, kEnd = 2 };

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual bool Open(const std::string& name, unsigned access, Disposition disposition);
    // True unless a pending replacement could not be put in place.
    virtual bool Close();
    // `count` when all bytes were read (or written), else 0.
    virtual size_t Read(void* buffer, size_t count);
    virtual size_t Write(const void* buffer, size_t count);
    // The new position; unchanged (and returned) on failure.
    virtual uint64_t Seek(int64_t distance, Origin origin);
    virtual uint64_t Size() const;

    bool IsOpen() const { return file_.IsOpen(); }

private:
    platform::FileHandle file_;
    std::string target_; // the path to replace on Close (kCreateAlways), else empty
    std::string temp_;
    bool writeFailed_ = false;
};

} // namespace qw
