#pragma once
// The reader through which all game data is read: named members served either from a joined-file
// archive (one file with a table of contents, see ArchiveTable.h) or, during development, from a
// directory of loose files with the same name. Names given without an extension get the reader's
// default extension; case never matters.
//
// One member at a time is open for sequential reading (Open, ReadBytes, SeekEntry, Close).
// Streaming readers (music, voice, movies) take their own file handle through the "Multi"
// operations or OpenStream and read at the member's offset themselves; whole members are read
// with ReadMember. Neither disturbs the member that is open. A reader belongs to one thread
// (the user-interface thread); other threads read only through the handles it gives out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Bytes.h"
#include "files/ArchiveTable.h"
#include "files/LooseFileDirectory.h"
#include "files/MemberSource.h"
#include "platform/FileSystem.h"

namespace qw {

class CFileJoin : public IMemberSource {
public:
    enum Mode { kModeNone = 0, kModeDirectory = 1, kModeArchive = 2 };
    // FindJoin results.
    enum PathKind { kJoinMissing = 0, kJoinDirectory = 1, kJoinFile = 2 };

    CFileJoin() = default;
    ~CFileJoin() override;
    CFileJoin(const CFileJoin&) = delete;
    CFileJoin& operator=(const CFileJoin&) = delete;

    // (Re)opens the reader on `directory` + `baseName`: an archive file or a directory of loose
    // files. The base name is matched without regard to case. False, leaving the reader unusable
    // (mode 0), when neither exists or the archive has an unknown magic or a bad table.
    bool Initialize(std::string_view directory, std::string_view baseName,
                    std::string_view defaultExtension = {});

    // Opens one member for sequential reading, replacing any member open before. False for an
    // unknown member, and for an archive member that does not lie wholly inside the archive.
    bool Open(std::string_view name);
    void Close();
    // Size of the open member; 0 when none is open.
    uint64_t GetSize() const;
    // Reads from the current position of the open member; returns the count read. Reading stops
    // at the member's end (0 at the end, when no member is open, or on failure).
    size_t ReadBytes(void* buffer, size_t count);
    // Sets the read position to `position` bytes into the open member.
    void SeekEntry(uint64_t position);

    // Member handle for `name`, 0 when not found: the table index + 1 in archive mode; in
    // directory mode a number standing for the loose file, valid while the reader lives.
    int OpenMulti(std::string_view name);
    // A new handle owned by the caller: on the archive file (archive mode) or on the loose file
    // (directory mode). Closed when the member handle is unknown, or in mode 0.
    platform::FileHandle GetHandleMulti(int member) const;
    uint64_t GetSizeMulti(int member) const;
    // Offset of the member's first byte in the file from GetHandleMulti (0 in directory mode).
    uint64_t GetBeginOffsetMulti64(int member) const;
    // The three above in one step.
    std::optional<MemberStream> OpenStream(std::string_view name) override;

    // The whole member, without touching the open member.
    std::optional<Bytes> ReadMember(std::string_view name) override;

    int FindJoin() const;
    // 2, 3 or 4 for the magics "SM2MPX10", "MGCFILE" and "FJSYS" of the open archive, else 0.
    int GetFileVersion() const;
    bool ReadHeader();
    // Entry index of `key` (extension included), or -1. Unless peeking, a hit becomes the
    // current entry.
    int FileSearch(std::string_view key, bool peek);
    // `name` with the default extension added when it has none.
    std::string SearchExt(std::string_view name) const;

    int GetMode() const { return mode_; }
    int GetFormat() const { return format_; }
    bool IsMemberOpen() const { return memberOpen_; }
    const std::string& GetBasePath() const { return basePath_; }
    // The archive's table (archive mode), else null.
    const ArchiveTable* GetTable() const { return table_ ? &*table_ : nullptr; }

private:
    void Release();
    int ArchiveIndex(int member) const;
    const std::string* LoosePath(int member) const;

    platform::FileHandle file_;
    std::optional<ArchiveTable> table_;
    uint64_t currentOffset_ = 0;
    uint64_t currentSize_ = 0;  // size of the open member, fixed when it was opened
    uint64_t readPosition_ = 0; // within the open member
    int entryCount_ = 0;
    int currentIndex_ = -1;
    int mode_ = kModeNone;
    int format_ = 0;
    std::string basePath_;
    std::string defaultExtension_;
    bool memberOpen_ = false;

    LooseFileDirectory loose_;
    std::vector<std::string> multiPaths_; // directory mode: member handle - 1 -> path
    std::unordered_map<std::string, int> multiByPath_;
};

} // namespace qw
