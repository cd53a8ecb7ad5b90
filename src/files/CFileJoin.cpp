#include "files/CFileJoin.h"

#include <algorithm>
#include <new>

#include "common/ExecLog.h"
#include "common/Result.h"
#include "common/Text.h"

namespace qw {

namespace {
// Names longer than this are not searched for an extension (the platform's path limit).
constexpr size_t kMaxPath = 260;
} // namespace

size_t MemberStream::Read(uint64_t position, void* buffer, size_t count) const {
    AddExecLog("MemberStream::Read");
    if (position >= size) return 0;
    uint64_t left = size - position;
    if (count > left) count = static_cast<size_t>(left);
    return file.ReadAt(offset + position, buffer, count);
}

CFileJoin::~CFileJoin() {
    AddExecLog("CFileJoin::~CFileJoin");
    Release();
}

void CFileJoin::Release() {
    AddExecLog("CFileJoin::Release");
    table_.reset();
    file_.Close();
    currentOffset_ = currentSize_ = readPosition_ = 0;
    entryCount_ = 0;
    currentIndex_ = -1;
    mode_ = kModeNone;
    format_ = 0;
    memberOpen_ = false;
    loose_.Reset({});
    multiPaths_.clear();
    multiByPath_.clear();
}

bool CFileJoin::Initialize(std::string_view directory, std::string_view baseName,
                           std::string_view defaultExtension) {
    AddExecLog("CFileJoin::Initialize");
    Release();
    std::string dir(directory);
    if (!dir.empty()) AddPathSeparator(dir);
    basePath_ = dir + std::string(baseName);
    defaultExtension_ = std::string(defaultExtension);

    // The platform the data comes from finds "DATA" as "data" too; look the base name up in the
    // directory when it is not there as given.
    if (platform::GetPathKind(basePath_) == platform::PathKind::Missing) {
        LooseFileDirectory parent;
        parent.Reset(dir);
        if (auto found = parent.Resolve(baseName)) basePath_ = *found;
    }

    switch (FindJoin()) {
    case kJoinDirectory:
        mode_ = kModeDirectory;
        AddPathSeparator(basePath_);
        loose_.Reset(basePath_);
        currentOffset_ = 0;
        break;
    case kJoinFile:
        mode_ = kModeArchive;
        if (!ReadHeader()) mode_ = kModeNone;
        break;
    default:
        mode_ = kModeNone;
        break;
    }
    memberOpen_ = false;
    return mode_ != kModeNone;
}

int CFileJoin::FindJoin() const {
    AddExecLog("CFileJoin::FindJoin");
    switch (platform::GetPathKind(basePath_)) {
    case platform::PathKind::Directory:
        return kJoinDirectory;
    case platform::PathKind::File:
        return kJoinFile;
    case platform::PathKind::Missing:
        break;
    }
    return kJoinMissing;
}

int CFileJoin::GetFileVersion() const {
    AddExecLog("CFileJoin::GetFileVersion");
    uint8_t head[8];
    if (file_.ReadAt(0, head, sizeof head) != sizeof head) return 0;
    return static_cast<int>(DetectArchiveFormat(head));
}

bool CFileJoin::ReadHeader() {
    AddExecLog("CFileJoin::ReadHeader");
    table_.reset();
    entryCount_ = 0;
    if (!file_.Open(basePath_, platform::FileHandle::Mode::Read)) return false;
    format_ = GetFileVersion();
    if (format_ != 0) {
        Result<ArchiveTable> loaded = ArchiveTable::Load(file_);
        if (!loaded) NoteRefusal(basePath_, loaded.Reason());
        table_ = std::move(loaded).Optional();
    }
    if (!table_) {
        file_.Close();
        format_ = 0;
        return false;
    }
    entryCount_ = table_->Count();
    return true;
}

std::string CFileJoin::SearchExt(std::string_view name) const {
    AddExecLog("CFileJoin::SearchExt");
    std::string key(name);
    if (key.substr(0, kMaxPath).find('.') == std::string::npos) key += defaultExtension_;
    return key;
}

int CFileJoin::FileSearch(std::string_view key, bool peek) {
    AddExecLog("CFileJoin::FileSearch");
    if (!table_) return -1;
    int index = table_->Find(key);
    if (index >= 0 && !peek) {
        currentOffset_ = table_->Offset(index);
        currentIndex_ = index;
    }
    return index;
}

bool CFileJoin::Open(std::string_view name) {
    AddExecLog("CFileJoin::Open");
    memberOpen_ = false;
    std::string key = SearchExt(name);
    if (mode_ == kModeDirectory) {
        file_.Close();
        auto path = loose_.Resolve(key);
        if (!path || !file_.Open(*path, platform::FileHandle::Mode::Read)) return false;
        currentOffset_ = 0;
        currentSize_ = file_.Size().value_or(0);
    } else if (mode_ == kModeArchive) {
        // A member that does not lie inside the archive cannot be opened.
        int index = FileSearch(key, true);
        if (index < 0 || !table_->InBounds(index)) {
            currentIndex_ = -1;
            return false;
        }
        currentIndex_ = index;
        currentOffset_ = table_->Offset(index);
        currentSize_ = table_->Size(index);
    } else {
        return false;
    }
    memberOpen_ = true;
    SeekEntry(0);
    return true;
}

void CFileJoin::Close() {
    AddExecLog("CFileJoin::Close");
    memberOpen_ = false;
    if (mode_ == kModeDirectory) file_.Close();
    if (mode_ == kModeArchive) currentIndex_ = -1;
    currentSize_ = readPosition_ = 0;
}

uint64_t CFileJoin::GetSize() const {
    AddExecLog("CFileJoin::GetSize");
    return memberOpen_ ? currentSize_ : 0;
}

void CFileJoin::SeekEntry(uint64_t position) {
    AddExecLog("CFileJoin::SeekEntry");
    readPosition_ = position;
}

size_t CFileJoin::ReadBytes(void* buffer, size_t count) {
    AddExecLog("CFileJoin::ReadBytes");
    // Unlike a raw file read, this stops at the member's end instead of running on into the
    // next member's bytes.
    if (!memberOpen_ || readPosition_ >= currentSize_) return 0;
    uint64_t left = currentSize_ - readPosition_;
    if (count > left) count = static_cast<size_t>(left);
    size_t got = file_.ReadAt(currentOffset_ + readPosition_, buffer, count);
    readPosition_ += got;
    return got;
}

int CFileJoin::OpenMulti(std::string_view name) {
    AddExecLog("CFileJoin::OpenMulti");
    std::string key = SearchExt(name);
    if (mode_ == kModeDirectory) {
        auto path = loose_.Resolve(key);
        if (!path || platform::GetPathKind(*path) != platform::PathKind::File) return 0;
        auto [it, added] = multiByPath_.emplace(*path, static_cast<int>(multiPaths_.size()) + 1);
        if (added) multiPaths_.push_back(*path);
        return it->second;
    }
    if (mode_ == kModeArchive) {
        int index = FileSearch(key, true);
        if (index < 0 || !table_->InBounds(index)) return 0;
        return index + 1;
    }
    return 0;
}

int CFileJoin::ArchiveIndex(int member) const {
    if (mode_ != kModeArchive || !table_ || member < 1 || member > table_->Count()) return -1;
    return member - 1;
}

const std::string* CFileJoin::LoosePath(int member) const {
    if (mode_ != kModeDirectory || member < 1 || static_cast<size_t>(member) > multiPaths_.size())
        return nullptr;
    return &multiPaths_[static_cast<size_t>(member) - 1];
}

platform::FileHandle CFileJoin::GetHandleMulti(int member) const {
    AddExecLog("CFileJoin::GetHandleMulti");
    platform::FileHandle handle;
    if (const std::string* path = LoosePath(member))
        handle.Open(*path, platform::FileHandle::Mode::Read);
    else if (ArchiveIndex(member) >= 0)
        handle.Open(basePath_, platform::FileHandle::Mode::Read);
    return handle;
}

uint64_t CFileJoin::GetSizeMulti(int member) const {
    AddExecLog("CFileJoin::GetSizeMulti");
    if (const std::string* path = LoosePath(member)) {
        platform::FileHandle f;
        if (!f.Open(*path, platform::FileHandle::Mode::Read)) return 0;
        return f.Size().value_or(0);
    }
    int index = ArchiveIndex(member);
    return index >= 0 ? table_->Size(index) : 0;
}

uint64_t CFileJoin::GetBeginOffsetMulti64(int member) const {
    AddExecLog("CFileJoin::GetBeginOffsetMulti64");
    int index = ArchiveIndex(member);
    return index >= 0 ? table_->Offset(index) : 0;
}

std::optional<MemberStream> CFileJoin::OpenStream(std::string_view name) {
    AddExecLog("CFileJoin::OpenStream");
    int member = OpenMulti(name);
    if (member == 0) return std::nullopt;
    MemberStream stream;
    stream.file = GetHandleMulti(member);
    if (!stream.file.IsOpen()) return std::nullopt;
    stream.offset = GetBeginOffsetMulti64(member);
    stream.size = mode_ == kModeDirectory ? stream.file.Size().value_or(0) : GetSizeMulti(member);
    return stream;
}

std::optional<Bytes> CFileJoin::ReadMember(std::string_view name) {
    AddExecLog("CFileJoin::ReadMember");
    std::string key = SearchExt(name);
    if (mode_ == kModeDirectory) {
        auto path = loose_.Resolve(key);
        if (!path) return std::nullopt;
        return platform::ReadWholeFile(*path);
    }
    if (mode_ != kModeArchive) return std::nullopt;
    int index = FileSearch(key, true);
    if (index < 0 || !table_->InBounds(index)) return std::nullopt;
    Bytes data;
    try {
        data.resize(table_->Size(index));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (file_.ReadAt(table_->Offset(index), data.data(), data.size()) != data.size())
        return std::nullopt;
    return data;
}

} // namespace qw
