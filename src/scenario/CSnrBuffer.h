#pragma once
// CSnrBuffer: the reader of compiled scenario files and of the screens' definition files (the
// same format; layout in SnrFormat.h). It loads one file from the scenario archive, unscrambling
// it when needed, and walks its command records: the current command's id, its parameters
// (numbers, integer variables, postfix expressions, texts with string-variable references, string
// variables), jumps to labels and load points, the saved-game position record, and the lookup of
// definition records.
//
// Walking a command:
//
//     reader.ClearFault();
//     uint16_t id = reader.GetCmdID();
//     int count = reader.GetNumParam();
//     for (SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p))
//         if (reader.IsStringParam(p)) use(reader.GetStringParam(p));
//         else use(reader.GetValueParam(p));
//     if (reader.HasFault()) { /* parameter error: end the game */ }
//     reader.NextCommand();   // unless the command jumped
//
// Faults. A scenario file is trusted by nobody here: every read is bounds-checked and a file
// that breaks a rule never makes the reader read or write outside its own buffers. Instead the
// reader records a fault (SnrFault) and gives a harmless result: 0 for a value, an empty or cut
// text, an unchanged position for a refused jump. The first fault is kept until ClearFault (or a
// new Read/ReadFromMemory/Load/Initialize/Release); later faults do not overwrite it. The
// interpreter clears the fault before each command and checks HasFault after reading the
// parameters and after a jump, and ends the game with its parameter error when it is set. The
// faults and where they arise:
//
//   kNotLoaded      no file is loaded (a walk accessor was called)
//   kNoMember       Read: the source has no such member (or there is no source)
//   kBadMagic       Read: neither a plain file nor one scrambled with the key title
//   kBadHeader      Read: shorter than the header, or the tables run past the end of the file
//   kEndOfFile      a walk accessor was called at the end of the file (no command there)
//   kRecordOverrun  the current record's header or parameter area runs past the end of the file
//                   (the area is cut at the end of the file)
//   kParamOverrun   a parameter runs past the end of its parameter area, or a parameter was read
//                   past the last one
//   kBadVariable    an integer variable index outside the bound list (or no list bound)
//   kBadStringVar   a string variable index outside 0-1999, or a slot that is not bound
//   kStackOverflow  an expression pushes a 51st value
//   kStackUnderflow an operator finds fewer than two values, or the expression ends empty
//   kDivideByZero   division or remainder by zero
//   kTextTooLong    a text expansion would reach 512 bytes (the text is cut at 511, on a
//                   character boundary)
//   kBadText        an "&" reference whose two bytes do not both lie inside the text
//   kBadLabel       a label number outside the label table
//   kBadLoadPoint   a load-point table outside 0-255 or an index outside its table
//   kBadTarget      a jump, seek or loaded position outside the command stream
//   kBadRecord      Load: the position record is truncated or its return list too long
//
// Parameters are cursors (SnrParam) into the loaded file rather than raw pointers; a cursor stays
// safe to use after the file changes (it is checked again on every use) but then means nothing.
//
// Variables are bound, not owned: the integer list (the save data's scenario variables) and up to
// 2000 string-variable slots of 64 bytes each. The reader only reads them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "scenario/SnrFormat.h"

namespace qw {

enum class SnrFault : uint8_t {
    kNone,
    kNotLoaded,
    kNoMember,
    kBadMagic,
    kBadHeader,
    kEndOfFile,
    kRecordOverrun,
    kParamOverrun,
    kBadVariable,
    kBadStringVar,
    kStackOverflow,
    kStackUnderflow,
    kDivideByZero,
    kTextTooLong,
    kBadText,
    kBadLabel,
    kBadLoadPoint,
    kBadTarget,
    kBadRecord,
};

// A short English description of the fault ("" for kNone), for logs and tools.
const char* SnrFaultText(SnrFault fault);

// A parameter of a command: the offset of its type byte in the loaded file, and the end of the
// command's parameter area. Past the last parameter when offset >= end.
struct SnrParam {
    uint32_t offset = 0;
    uint32_t end = 0;
    bool IsValid() const { return offset < end; }
};

// An output of GetSetupParam. "N"/"n" store into an int32_t; "B"/"b" into a uint8_t or a bool
// (1/true when non-zero); "S"/"s" into a std::string or a char buffer (cut to the buffer, on a
// character boundary, and always terminated).
using SetupOutput = std::variant<int32_t*, uint8_t*, bool*, std::string*, std::span<char>>;

class CSnrBuffer {
public:
    static constexpr size_t kNameSize = 64;        // file name field, terminator included
    static constexpr size_t kValueCount = 1000;    // default size of the integer list
    static constexpr int kStrSlots = 2000;         // string-variable slots
    static constexpr size_t kStrSize = 64;         // bytes of one string variable
    static constexpr size_t kReturnSlots = 256;    // the return list of the position record
    static constexpr size_t kSaveHeaderSize = 72;  // position record without return positions
    static constexpr uint16_t kNoCommand = 0xFFFF; // GetCmdID where there is no command

    CSnrBuffer();
    virtual ~CSnrBuffer();
    CSnrBuffer(const CSnrBuffer&) = delete;
    CSnrBuffer& operator=(const CSnrBuffer&) = delete;

    // The scenario archive that readers without a source of their own read from. The main window
    // registers it once the archives are open; null unregisters. Not owned.
    static void SetDefaultSource(IMemberSource* source);
    static IMemberSource* GetDefaultSource();

    // A fresh reader: no file, no variables bound, faults cleared, the key title back to the
    // product title. `source` is where Read looks for members (null: the default source at the
    // time of each Read). Always true.
    bool Initialize(IMemberSource* source = nullptr);
    // Frees the loaded file; the reader is then empty (IsFinish is true).
    void Release();
    void SetSource(IMemberSource* source);

    // The title whose key stream unscrambles files; nullopt (the default) means the product
    // title at the time of each Read. Code-page bytes.
    void SetKeyTitle(std::optional<std::string> title);

    // Loads the member `name` from the source (the default extension is the source's business).
    // On success the position is the first command and the name (at most 63 bytes) is kept. On
    // failure the reader is empty, the fault says why and the result is false.
    bool Read(std::string_view name);
    // The same from a file already in memory (tests, tools and fuzzers).
    bool ReadFromMemory(std::string_view name, Bytes file);
    // Why the last Read or ReadFromMemory refused its file, with the numbers ("" after a
    // success). A failed Read also writes it to the trace and to stderr.
    const std::string& GetReadRefusal() const { return readRefusal_; }
    const std::string& GetFileName() const;
    bool IsLoaded() const;

    // Binds the integer variables: `count` values from `list` (null unbinds). The save data keeps
    // them alive while bound.
    void SetValList(const int32_t* list, size_t count = kValueCount);
    // Binds string-variable slot `index` (0-1999) to a 64-byte text (null unbinds). False when
    // the index is out of range.
    bool SetStrList(int index, const char* text);

    // The current command's id; kNoCommand (with a fault) at the end of the file, when nothing
    // is loaded, or when the record header is cut off. kNoCommand is no command of the table, so
    // an interpreter that runs off the end of its file meets its unknown-command error.
    uint16_t GetCmdID();
    // The current command's first parameter (past the last one when it has none).
    SnrParam GetParam();
    // The current command's parameter-area size, cut at the end of the file.
    uint32_t GetParamSize();
    // The number of parameters, counted by stepping through the area. A last parameter that runs
    // past the area counts and records kParamOverrun.
    int GetNumParam();
    // The parameter after `param`.
    SnrParam NextParam(SnrParam param);
    // True for texts (type 3) and string variables (type 5).
    bool IsStringParam(SnrParam param) const;
    // The value of a number, variable or expression; 0 for strings and unknown types.
    int32_t GetValueParam(SnrParam param);
    // The expanded text of a text or string-variable parameter, in the reader's text buffer (its
    // data is zero-terminated; the next text read overwrites it). Empty for value parameters.
    std::string_view GetStringParam(SnrParam param);

    // Steps over the current record; at the end of the file the position stays there. False when
    // there was no record to step over.
    bool NextCommand();
    // True when the position is at or past the end of the loaded file (always when empty).
    bool IsFinish() const;

    // Jumps to label `label` / load point `index` of table `table`. Out-of-range numbers and
    // targets outside the command stream are refused: fault, position unchanged, false.
    bool JumpToLabel(int32_t label);
    bool JumpToLoadPoint(int32_t table, int32_t index);
    // Position = command-stream start + offset; an offset past the stream is refused likewise.
    bool SeekBegin(uint32_t offset);
    // Position - command-stream start.
    uint32_t GetPos() const;
    // Position - file start (what saved games keep), and the way back; a position outside the
    // command stream is refused like a jump.
    uint32_t GetFilePos() const { return static_cast<uint32_t>(pos_); }
    bool SeekFilePos(uint32_t filePos);

    uint32_t GetLabelCount() const;
    uint32_t GetLoadPointCount(int table) const;

    // The position record of a saved game: file name (64 bytes, zero-padded), position from the
    // start of the file, return-list count and positions. Appended to `out`.
    void Save(ByteWriter& out) const;
    // Reads a position record: reloads the named file through Read and restores the position
    // and the return list. The number of bytes consumed, or nullopt (with a fault) when the
    // record is cut off, the file cannot be read, or the position is outside its stream.
    std::optional<size_t> Load(ByteSpan record);

    // Definition lookup. From the current position on, finds the first record with id 0 whose
    // first two parameters are value parameters equal to id1 and id2, and leaves the position on
    // it (false at the end of the file, with the position there). Then each format letter takes
    // the next parameter into the next output: N/n a value, B/b a flag, S/s a text. A parameter
    // of the wrong class, a missing parameter, another letter, a missing or mismatched output or
    // a fault on an output parameter ends the call with false; outputs already stored keep their
    // values. Surplus parameters are ignored.
    bool GetSetupParam(int32_t id1, int32_t id2, std::string_view format,
                       std::span<const SetupOutput> outputs);
    template <typename... Out>
    requires(std::is_constructible_v<SetupOutput, Out&&>&&...) bool GetSetupParam(
        int32_t id1, int32_t id2, std::string_view format, Out&&... outputs) {
        const std::array<SetupOutput, sizeof...(Out)> list{SetupOutput(outputs)...};
        return GetSetupParam(id1, id2, format, std::span<const SetupOutput>(list));
    }

    SnrFault GetFault() const;
    bool HasFault() const;
    void ClearFault();

private:
    struct Record {
        uint16_t id = kNoCommand;
        uint32_t paramStart = 0;
        uint32_t paramEnd = 0; // cut at the end of the file
        size_t next = 0;       // start of the following record (may lie past the end)
    };
    struct Extent {
        uint32_t size = 0; // bytes of the parameter, at most up to the end of its area
        bool whole = true; // false when it runs past its area
    };

    void Fault(SnrFault fault) {
        if (fault_ == SnrFault::kNone) fault_ = fault;
    }
    bool Parse(std::string_view name, Bytes file);
    // Records a refusal of the file being read: the fault and its reason; false.
    bool RefuseFile(SnrFault fault, std::string reason);
    std::optional<Record> CurrentRecord(SnrFault& fault) const;
    SnrParam Clamp(SnrParam param) const;
    Extent ParamExtent(SnrParam param) const;
    SnrFault ValueOf(SnrParam param, int32_t& value) const;
    SnrFault Evaluate(SnrParam param, int32_t& value) const;
    SnrFault Variable(int64_t index, int32_t& value) const;
    SnrFault ExpandString(SnrParam param);
    bool JumpTo(uint64_t streamOffset);
    bool StoreSetupOutput(char letter, SnrParam param, const SetupOutput& output);

    static IMemberSource*& DefaultSourceSlot();

    IMemberSource* source_ = nullptr;
    std::optional<std::string> keyTitle_;
    std::string name_;
    Bytes file_;
    uint32_t labelCount_ = 0;
    size_t labelTable_ = 0;
    std::array<size_t, snr::kLoadPointTables> loadPointTable_{};
    std::array<uint32_t, snr::kLoadPointTables> loadPointCount_{};
    size_t streamStart_ = 0;
    size_t pos_ = 0;
    std::array<uint32_t, kReturnSlots> returnList_{};
    uint32_t returnCount_ = 0;
    std::array<char, snr::kTextBufferSize> text_{};
    size_t textLength_ = 0;
    const int32_t* values_ = nullptr;
    size_t valueCount_ = 0;
    std::array<const char*, kStrSlots> strings_{};
    SnrFault fault_ = SnrFault::kNone;
    std::string readRefusal_;
};

} // namespace qw
