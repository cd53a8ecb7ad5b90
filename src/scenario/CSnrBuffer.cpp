#include "scenario/CSnrBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/ExecLog.h"
#include "common/Result.h"
#include "common/Text.h"
#include "files/TitleKeyStream.h"

namespace qw {

namespace {

bool BeginsWithMagic(const Bytes& file) {
    return file.size() >= snr::kMagic.size() &&
           std::memcmp(file.data(), snr::kMagic.data(), snr::kMagic.size()) == 0;
}

// The length of the longest prefix of `s` (of `len` bytes) made of whole characters that is at
// most `max` bytes long.
size_t WholeCharacters(const char* s, size_t len, size_t max) {
    size_t i = 0;
    while (i < len) {
        size_t cl = (IsLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < len) ? 2 : 1;
        if (i + cl > max) break;
        i += cl;
    }
    return i;
}

} // namespace

const char* SnrFaultText(SnrFault fault) {
    switch (fault) {
    case SnrFault::kNone:
        return "";
    case SnrFault::kNotLoaded:
        return "no scenario file is loaded";
    case SnrFault::kNoMember:
        return "the file cannot be found";
    case SnrFault::kBadMagic:
        return "not a scenario file, or scrambled with another title";
    case SnrFault::kBadHeader:
        return "the header or its tables run past the end of the file";
    case SnrFault::kEndOfFile:
        return "no command at the end of the file";
    case SnrFault::kRecordOverrun:
        return "a command record runs past the end of the file";
    case SnrFault::kParamOverrun:
        return "a parameter runs past the end of its command";
    case SnrFault::kBadVariable:
        return "integer variable number out of range";
    case SnrFault::kBadStringVar:
        return "string variable number out of range or not bound";
    case SnrFault::kStackOverflow:
        return "expression stack overflow";
    case SnrFault::kStackUnderflow:
        return "expression stack underflow";
    case SnrFault::kDivideByZero:
        return "division by zero";
    case SnrFault::kTextTooLong:
        return "text longer than 511 bytes after expansion";
    case SnrFault::kBadText:
        return "string-variable reference cut off by the end of the text";
    case SnrFault::kBadLabel:
        return "label number out of range";
    case SnrFault::kBadLoadPoint:
        return "load point out of range";
    case SnrFault::kBadTarget:
        return "position outside the command stream";
    case SnrFault::kBadRecord:
        return "saved position record is damaged";
    }
    return "unknown fault";
}

CSnrBuffer::CSnrBuffer() = default;

CSnrBuffer::~CSnrBuffer() {
    AddExecLog("CSnrBuffer::~CSnrBuffer");
}

IMemberSource*& CSnrBuffer::DefaultSourceSlot() {
    static IMemberSource* source = nullptr;
    return source;
}

void CSnrBuffer::SetDefaultSource(IMemberSource* source) {
    AddExecLog("CSnrBuffer::SetDefaultSource");
    DefaultSourceSlot() = source;
}

IMemberSource* CSnrBuffer::GetDefaultSource() {
    AddExecLog("CSnrBuffer::GetDefaultSource");
    return DefaultSourceSlot();
}

bool CSnrBuffer::Initialize(IMemberSource* source) {
    AddExecLog("CSnrBuffer::Initialize");
    Release();
    source_ = source;
    keyTitle_.reset();
    returnList_.fill(0);
    returnCount_ = 0;
    values_ = nullptr;
    valueCount_ = 0;
    strings_.fill(nullptr);
    return true;
}

void CSnrBuffer::Release() {
    AddExecLog("CSnrBuffer::Release");
    Bytes().swap(file_);
    name_.clear();
    labelCount_ = 0;
    labelTable_ = 0;
    loadPointTable_.fill(0);
    loadPointCount_.fill(0);
    streamStart_ = 0;
    pos_ = 0;
    fault_ = SnrFault::kNone;
    readRefusal_.clear();
}

void CSnrBuffer::SetSource(IMemberSource* source) {
    AddExecLog("CSnrBuffer::SetSource");
    source_ = source;
}

void CSnrBuffer::SetKeyTitle(std::optional<std::string> title) {
    AddExecLog("CSnrBuffer::SetKeyTitle");
    keyTitle_ = std::move(title);
}

const std::string& CSnrBuffer::GetFileName() const {
    AddExecLog("CSnrBuffer::GetFileName");
    return name_;
}

bool CSnrBuffer::IsLoaded() const {
    AddExecLog("CSnrBuffer::IsLoaded");
    return !file_.empty();
}

bool CSnrBuffer::Read(std::string_view name) {
    AddExecLog("CSnrBuffer::Read");
    Release();
    IMemberSource* source = source_ ? source_ : DefaultSourceSlot();
    std::optional<Bytes> member;
    if (source) member = source->ReadMember(name);
    const bool ok = member ? Parse(name, std::move(*member))
                           : RefuseFile(SnrFault::kNoMember, "no such member");
    // A missing file is the caller's to report (some are optional); only a file that is there
    // and refused has a reason worth noting.
    if (!ok && member) NoteRefusal(std::string(name), readRefusal_);
    return ok;
}

bool CSnrBuffer::ReadFromMemory(std::string_view name, Bytes file) {
    AddExecLog("CSnrBuffer::ReadFromMemory");
    Release();
    return Parse(name, std::move(file));
}

bool CSnrBuffer::RefuseFile(SnrFault fault, std::string reason) {
    Fault(fault);
    readRefusal_ = std::move(reason);
    return false;
}

bool CSnrBuffer::Parse(std::string_view name, Bytes file) {
    AddExecLog("CSnrBuffer::Parse");
    if (!BeginsWithMagic(file)) {
        XorTitleKeyStream(file, keyTitle_ ? *keyTitle_ : ProductTitle());
        if (!BeginsWithMagic(file))
            return RefuseFile(SnrFault::kBadMagic,
                              "not a scenario file, or scrambled with another title (the first "
                              "bytes are not \"MSCENARIO FILE  \" either way)");
    }
    // The engine keeps positions in 32 bits; the tables must lie inside the file.
    const uint64_t size = file.size();
    const auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
    if (size < snr::kHeaderSize)
        return RefuseFile(
            SnrFault::kBadHeader,
            Refuse("%llu bytes, shorter than the %zu-byte header", u(size), snr::kHeaderSize)
                .reason);
    if (size > std::numeric_limits<uint32_t>::max())
        return RefuseFile(SnrFault::kBadHeader,
                          Refuse("%llu bytes: scenario files are below 4 GB", u(size)).reason);
    const uint32_t labels = *LoadLE<uint32_t>(file, snr::kLabelCountOffset);
    uint64_t at = snr::kHeaderSize + 4ull * labels;
    if (at > size)
        return RefuseFile(SnrFault::kBadHeader,
                          Refuse("the label table (%u labels at %zu) runs past the end of the "
                                 "file (%llu bytes)",
                                 labels, snr::kHeaderSize, u(size))
                              .reason);
    for (int k = 0; k < snr::kLoadPointTables; ++k) {
        const uint32_t count = *LoadLE<uint32_t>(file, snr::kLoadPointCountsOffset + 4 * k);
        loadPointTable_[k] = static_cast<size_t>(at);
        loadPointCount_[k] = count;
        const uint64_t tableAt = at;
        at += 4ull * count;
        if (at > size) {
            loadPointTable_.fill(0);
            loadPointCount_.fill(0);
            return RefuseFile(SnrFault::kBadHeader,
                              Refuse("load-point table %d (%u entries at %llu) runs past the end "
                                     "of the file (%llu bytes)",
                                     k, count, u(tableAt), u(size))
                                  .reason);
        }
    }
    file_ = std::move(file);
    labelCount_ = labels;
    labelTable_ = snr::kHeaderSize;
    streamStart_ = static_cast<size_t>(at);
    pos_ = streamStart_;
    name_ = std::string(name.substr(0, kNameSize - 1));
    return true;
}

void CSnrBuffer::SetValList(const int32_t* list, size_t count) {
    AddExecLog("CSnrBuffer::SetValList");
    values_ = list;
    valueCount_ = list ? count : 0;
}

bool CSnrBuffer::SetStrList(int index, const char* text) {
    AddExecLog("CSnrBuffer::SetStrList");
    if (index < 0 || index >= kStrSlots) return false;
    strings_[static_cast<size_t>(index)] = text;
    return true;
}

std::optional<CSnrBuffer::Record> CSnrBuffer::CurrentRecord(SnrFault& fault) const {
    if (file_.empty()) {
        fault = SnrFault::kNotLoaded;
        return std::nullopt;
    }
    if (pos_ >= file_.size()) {
        fault = SnrFault::kEndOfFile;
        return std::nullopt;
    }
    if (file_.size() - pos_ < snr::kRecordHeaderSize) {
        fault = SnrFault::kRecordOverrun;
        return std::nullopt;
    }
    Record r;
    r.id = LoadLEUnchecked<uint16_t>(file_.data() + pos_);
    const size_t size = LoadLEUnchecked<uint16_t>(file_.data() + pos_ + 2);
    r.paramStart = static_cast<uint32_t>(pos_ + snr::kRecordHeaderSize);
    r.next = r.paramStart + size;
    if (r.next > file_.size()) {
        fault = SnrFault::kRecordOverrun;
        r.paramEnd = static_cast<uint32_t>(file_.size());
    } else {
        r.paramEnd = static_cast<uint32_t>(r.next);
    }
    return r;
}

uint16_t CSnrBuffer::GetCmdID() {
    AddExecLog("CSnrBuffer::GetCmdID");
    SnrFault fault = SnrFault::kNone;
    auto r = CurrentRecord(fault);
    Fault(fault);
    return r ? r->id : kNoCommand;
}

SnrParam CSnrBuffer::GetParam() {
    AddExecLog("CSnrBuffer::GetParam");
    SnrFault fault = SnrFault::kNone;
    auto r = CurrentRecord(fault);
    Fault(fault);
    if (!r) return {};
    return {r->paramStart, r->paramEnd};
}

uint32_t CSnrBuffer::GetParamSize() {
    AddExecLog("CSnrBuffer::GetParamSize");
    SnrFault fault = SnrFault::kNone;
    auto r = CurrentRecord(fault);
    Fault(fault);
    return r ? r->paramEnd - r->paramStart : 0;
}

SnrParam CSnrBuffer::Clamp(SnrParam param) const {
    param.end = std::min<uint32_t>(param.end, static_cast<uint32_t>(file_.size()));
    return param;
}

CSnrBuffer::Extent CSnrBuffer::ParamExtent(SnrParam param) const {
    // `param` is clamped and valid.
    const uint32_t avail = param.end - param.offset;
    const uint8_t* p = file_.data() + param.offset;
    switch (p[0]) {
    case snr::kParamNumber:
    case snr::kParamVariable:
    case snr::kParamStringVariable:
        if (avail >= snr::kScalarParamSize)
            return {static_cast<uint32_t>(snr::kScalarParamSize), true};
        return {avail, false};
    case snr::kParamText: {
        const void* zero = std::memchr(p + 1, 0, avail - 1);
        if (!zero) return {avail, false};
        return {static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - p + 1), true};
    }
    case snr::kParamExpression:
        for (uint32_t q = 1; q + snr::kExprPairSize <= avail; q += snr::kExprPairSize)
            if (LoadLEUnchecked<int32_t>(p + q) == snr::kExprEnd)
                return {static_cast<uint32_t>(q + snr::kExprPairSize), true};
        return {avail, false};
    default:
        return {1, true};
    }
}

int CSnrBuffer::GetNumParam() {
    AddExecLog("CSnrBuffer::GetNumParam");
    SnrFault fault = SnrFault::kNone;
    auto r = CurrentRecord(fault);
    Fault(fault);
    if (!r) return 0;
    int count = 0;
    for (SnrParam p{r->paramStart, r->paramEnd}; p.IsValid();) {
        ++count;
        Extent e = ParamExtent(p);
        if (!e.whole) Fault(SnrFault::kParamOverrun);
        p.offset += e.size;
    }
    return count;
}

SnrParam CSnrBuffer::NextParam(SnrParam param) {
    AddExecLog("CSnrBuffer::NextParam");
    param = Clamp(param);
    if (!param.IsValid()) return {param.end, param.end};
    Extent e = ParamExtent(param);
    if (!e.whole) Fault(SnrFault::kParamOverrun);
    return {param.offset + e.size, param.end};
}

bool CSnrBuffer::IsStringParam(SnrParam param) const {
    AddExecLog("CSnrBuffer::IsStringParam");
    param = Clamp(param);
    if (!param.IsValid()) return false;
    const uint8_t type = file_[param.offset];
    return type == snr::kParamText || type == snr::kParamStringVariable;
}

SnrFault CSnrBuffer::Variable(int64_t index, int32_t& value) const {
    value = 0;
    if (!values_ || index < 0 || static_cast<uint64_t>(index) >= valueCount_)
        return SnrFault::kBadVariable;
    value = values_[index];
    return SnrFault::kNone;
}

SnrFault CSnrBuffer::ValueOf(SnrParam param, int32_t& value) const {
    value = 0;
    param = Clamp(param);
    if (!param.IsValid()) return SnrFault::kParamOverrun;
    const uint8_t type = file_[param.offset];
    switch (type) {
    case snr::kParamNumber:
    case snr::kParamVariable: {
        if (param.end - param.offset < snr::kScalarParamSize) return SnrFault::kParamOverrun;
        const int32_t n = LoadLEUnchecked<int32_t>(file_.data() + param.offset + 1);
        if (type == snr::kParamNumber) {
            value = n;
            return SnrFault::kNone;
        }
        return Variable(n, value);
    }
    case snr::kParamExpression:
        return Evaluate(param, value);
    default:
        return SnrFault::kNone; // strings and unknown types are worth 0
    }
}

SnrFault CSnrBuffer::Evaluate(SnrParam param, int32_t& value) const {
    value = 0;
    std::array<int32_t, snr::kExprStackDepth> stack;
    size_t depth = 0;
    for (size_t q = param.offset + 1; q + snr::kExprPairSize <= param.end;
         q += snr::kExprPairSize) {
        const int32_t kind = LoadLEUnchecked<int32_t>(file_.data() + q);
        const int32_t operand = LoadLEUnchecked<int32_t>(file_.data() + q + 4);
        if (kind == snr::kExprEnd) {
            if (depth == 0) return SnrFault::kStackUnderflow;
            value = stack[depth - 1];
            return SnrFault::kNone;
        }
        if (kind == snr::kExprPush || kind == snr::kExprVariable) {
            if (depth == stack.size()) return SnrFault::kStackOverflow;
            int32_t v = operand;
            if (kind == snr::kExprVariable) {
                if (SnrFault f = Variable(operand, v); f != SnrFault::kNone) return f;
            }
            stack[depth++] = v;
            continue;
        }
        if (kind < snr::kExprAdd || kind > snr::kExprMod) continue; // not an operation: ignored
        if (depth < 2) return SnrFault::kStackUnderflow;
        const int32_t right = stack[--depth];
        const int32_t left = stack[depth - 1];
        // 32-bit two's-complement arithmetic: sums and products wrap, and the one quotient that
        // does not fit (INT32_MIN / -1) wraps to INT32_MIN with remainder 0.
        const auto l = static_cast<uint32_t>(left), r = static_cast<uint32_t>(right);
        int32_t result = 0;
        switch (kind) {
        case snr::kExprAdd:
            result = static_cast<int32_t>(l + r);
            break;
        case snr::kExprSub:
            result = static_cast<int32_t>(l - r);
            break;
        case snr::kExprMul:
            result = static_cast<int32_t>(l * r);
            break;
        default:
            if (right == 0) return SnrFault::kDivideByZero;
            if (right == -1) {
                result = kind == snr::kExprDiv ? static_cast<int32_t>(0u - l) : 0;
            } else {
                result = kind == snr::kExprDiv ? left / right : left % right;
            }
            break;
        }
        stack[depth - 1] = result;
    }
    return SnrFault::kParamOverrun; // no terminating pair inside the parameter area
}

int32_t CSnrBuffer::GetValueParam(SnrParam param) {
    AddExecLog("CSnrBuffer::GetValueParam");
    int32_t value = 0;
    Fault(ValueOf(param, value));
    return value;
}

SnrFault CSnrBuffer::ExpandString(SnrParam param) {
    constexpr size_t kLimit = snr::kTextBufferSize - 1;
    size_t out = 0;
    SnrFault fault = SnrFault::kNone;
    auto note = [&fault](SnrFault f) {
        if (fault == SnrFault::kNone) fault = f;
    };
    // Appends whole characters of `s`; false (and a fault) when they do not all fit.
    auto append = [&](const char* s, size_t len) {
        size_t n = WholeCharacters(s, len, kLimit - out);
        std::memcpy(text_.data() + out, s, n);
        out += n;
        if (n < len) note(SnrFault::kTextTooLong);
        return n == len;
    };
    auto slotText = [this](int64_t index) -> std::optional<std::string_view> {
        if (index < 0 || index >= kStrSlots || !strings_[static_cast<size_t>(index)])
            return std::nullopt;
        const char* s = strings_[static_cast<size_t>(index)];
        return std::string_view(s, strnlen(s, kStrSize));
    };

    param = Clamp(param);
    if (!param.IsValid()) {
        text_[0] = 0;
        return SnrFault::kParamOverrun;
    }
    const uint8_t type = file_[param.offset];
    const size_t avail = param.end - param.offset;
    const char* body = reinterpret_cast<const char*>(file_.data() + param.offset + 1);
    if (type == snr::kParamStringVariable) {
        if (avail < snr::kScalarParamSize) {
            note(SnrFault::kParamOverrun);
        } else if (auto s = slotText(LoadLEUnchecked<int32_t>(file_.data() + param.offset + 1))) {
            append(s->data(), s->size());
        } else {
            note(SnrFault::kBadStringVar);
        }
    } else if (type == snr::kParamText) {
        const void* zero = std::memchr(body, 0, avail - 1);
        const size_t n =
            zero ? static_cast<size_t>(static_cast<const char*>(zero) - body) : avail - 1;
        if (!zero) note(SnrFault::kParamOverrun);
        for (size_t i = 0; i < n;) {
            if (body[i] != snr::kTextEscape) {
                size_t cl = (IsLeadByte(static_cast<uint8_t>(body[i])) && i + 1 < n) ? 2 : 1;
                if (!append(body + i, cl)) break;
                i += cl;
            } else if (i + 1 < n && body[i + 1] == snr::kTextEscape) {
                if (!append(body + i, 1)) break;
                i += 2;
            } else if (i + 2 < n) {
                const uint16_t code = static_cast<uint16_t>(static_cast<uint8_t>(body[i + 1]) |
                                                            static_cast<uint8_t>(body[i + 2]) << 8);
                if (auto s = slotText(static_cast<int64_t>(code & snr::kTextRefMask) - 1)) {
                    if (!append(s->data(), s->size())) break;
                } else {
                    note(SnrFault::kBadStringVar);
                }
                i += 3;
            } else {
                note(SnrFault::kBadText); // the reference's number is cut by the terminator
                break;
            }
        }
    }
    text_[out] = 0;
    textLength_ = out;
    return fault;
}

std::string_view CSnrBuffer::GetStringParam(SnrParam param) {
    AddExecLog("CSnrBuffer::GetStringParam");
    Fault(ExpandString(param));
    return {text_.data(), textLength_};
}

bool CSnrBuffer::NextCommand() {
    AddExecLog("CSnrBuffer::NextCommand");
    if (IsFinish()) return false;
    SnrFault fault = SnrFault::kNone;
    auto r = CurrentRecord(fault);
    pos_ = r ? std::min(r->next, file_.size()) : file_.size();
    return true;
}

bool CSnrBuffer::IsFinish() const {
    AddExecLog("CSnrBuffer::IsFinish");
    return pos_ >= file_.size();
}

bool CSnrBuffer::JumpTo(uint64_t streamOffset) {
    if (file_.empty()) {
        Fault(SnrFault::kNotLoaded);
        return false;
    }
    if (streamOffset > file_.size() - streamStart_) {
        Fault(SnrFault::kBadTarget);
        return false;
    }
    pos_ = streamStart_ + static_cast<size_t>(streamOffset);
    return true;
}

bool CSnrBuffer::JumpToLabel(int32_t label) {
    AddExecLog("CSnrBuffer::JumpToLabel");
    if (file_.empty()) {
        Fault(SnrFault::kNotLoaded);
        return false;
    }
    if (label < 0 || static_cast<uint32_t>(label) >= labelCount_) {
        Fault(SnrFault::kBadLabel);
        return false;
    }
    return JumpTo(LoadLEUnchecked<uint32_t>(file_.data() + labelTable_ + 4 * size_t(label)));
}

bool CSnrBuffer::JumpToLoadPoint(int32_t table, int32_t index) {
    AddExecLog("CSnrBuffer::JumpToLoadPoint");
    if (file_.empty()) {
        Fault(SnrFault::kNotLoaded);
        return false;
    }
    if (table < 0 || table >= snr::kLoadPointTables || index < 0 ||
        static_cast<uint32_t>(index) >= loadPointCount_[static_cast<size_t>(table)]) {
        Fault(SnrFault::kBadLoadPoint);
        return false;
    }
    const size_t at = loadPointTable_[static_cast<size_t>(table)] + 4 * size_t(index);
    return JumpTo(LoadLEUnchecked<uint32_t>(file_.data() + at));
}

bool CSnrBuffer::SeekBegin(uint32_t offset) {
    AddExecLog("CSnrBuffer::SeekBegin");
    return JumpTo(offset);
}

bool CSnrBuffer::SeekFilePos(uint32_t filePos) {
    AddExecLog("CSnrBuffer::SeekFilePos");
    if (!file_.empty() && filePos < streamStart_) {
        Fault(SnrFault::kBadTarget);
        return false;
    }
    return JumpTo(uint64_t(filePos) - (file_.empty() ? 0 : streamStart_));
}

uint32_t CSnrBuffer::GetPos() const {
    AddExecLog("CSnrBuffer::GetPos");
    return static_cast<uint32_t>(pos_ - streamStart_);
}

uint32_t CSnrBuffer::GetLabelCount() const {
    AddExecLog("CSnrBuffer::GetLabelCount");
    return labelCount_;
}

uint32_t CSnrBuffer::GetLoadPointCount(int table) const {
    AddExecLog("CSnrBuffer::GetLoadPointCount");
    if (table < 0 || table >= snr::kLoadPointTables) return 0;
    return loadPointCount_[static_cast<size_t>(table)];
}

void CSnrBuffer::Save(ByteWriter& out) const {
    AddExecLog("CSnrBuffer::Save");
    out.PutFixedString(name_, kNameSize);
    out.Put<uint32_t>(static_cast<uint32_t>(pos_));
    out.Put<int32_t>(static_cast<int32_t>(returnCount_));
    for (uint32_t i = 0; i < returnCount_; ++i)
        out.Put<uint32_t>(returnList_[i]);
}

std::optional<size_t> CSnrBuffer::Load(ByteSpan record) {
    AddExecLog("CSnrBuffer::Load");
    fault_ = SnrFault::kNone;
    auto name = LoadFixedString(record, 0, kNameSize);
    auto pos = LoadLE<uint32_t>(record, kNameSize);
    auto count = LoadLE<int32_t>(record, kNameSize + 4);
    if (!name || !pos || !count || *count < 0 || static_cast<uint32_t>(*count) > kReturnSlots ||
        !FitsIn(record.size(), kSaveHeaderSize, 4ull * static_cast<uint32_t>(*count))) {
        Fault(SnrFault::kBadRecord);
        return std::nullopt;
    }
    if (!Read(std::string(*name))) return std::nullopt;
    if (*pos < streamStart_ || *pos > file_.size()) {
        Fault(SnrFault::kBadTarget);
        return std::nullopt;
    }
    pos_ = *pos;
    returnCount_ = static_cast<uint32_t>(*count);
    for (uint32_t i = 0; i < returnCount_; ++i)
        returnList_[i] = LoadLEUnchecked<uint32_t>(record.data() + kSaveHeaderSize + 4 * i);
    return kSaveHeaderSize + 4 * size_t(returnCount_);
}

bool CSnrBuffer::StoreSetupOutput(char letter, SnrParam param, const SetupOutput& output) {
    switch (letter) {
    case 'N':
    case 'n':
    case 'B':
    case 'b': {
        if (IsStringParam(param)) return false;
        int32_t value = 0;
        if (SnrFault f = ValueOf(param, value); f != SnrFault::kNone) {
            Fault(f);
            return false;
        }
        if (letter == 'N' || letter == 'n') {
            auto* out = std::get_if<int32_t*>(&output);
            if (!out || !*out) return false;
            **out = value;
        } else if (auto* byte = std::get_if<uint8_t*>(&output); byte && *byte) {
            **byte = value != 0 ? 1 : 0;
        } else if (auto* flag = std::get_if<bool*>(&output); flag && *flag) {
            **flag = value != 0;
        } else {
            return false;
        }
        return true;
    }
    case 'S':
    case 's': {
        if (!IsStringParam(param)) return false;
        if (SnrFault f = ExpandString(param); f != SnrFault::kNone) {
            Fault(f);
            return false;
        }
        if (auto* str = std::get_if<std::string*>(&output); str && *str) {
            (*str)->assign(text_.data(), textLength_);
        } else if (auto* buf = std::get_if<std::span<char>>(&output); buf && !buf->empty()) {
            size_t n = WholeCharacters(text_.data(), textLength_, buf->size() - 1);
            std::memcpy(buf->data(), text_.data(), n);
            (*buf)[n] = 0;
        } else {
            return false;
        }
        return true;
    }
    default:
        return false;
    }
}

bool CSnrBuffer::GetSetupParam(int32_t id1, int32_t id2, std::string_view format,
                               std::span<const SetupOutput> outputs) {
    AddExecLog("CSnrBuffer::GetSetupParam");
    for (;;) {
        SnrFault fault = SnrFault::kNone;
        auto r = CurrentRecord(fault);
        if (!r) {
            pos_ = file_.size(); // the end, also past a cut-off record header
            return false;
        }
        if (r->id == snr::kDefinitionRecordId) {
            const SnrParam first{r->paramStart, r->paramEnd};
            if (first.IsValid() && !IsStringParam(first)) {
                const Extent e = ParamExtent(first);
                const SnrParam second{first.offset + e.size, first.end};
                int32_t v1 = 0, v2 = 0;
                if (e.whole && second.IsValid() && !IsStringParam(second) &&
                    ValueOf(first, v1) == SnrFault::kNone &&
                    ValueOf(second, v2) == SnrFault::kNone && v1 == id1 && v2 == id2) {
                    Fault(fault);
                    SnrParam p = second;
                    for (size_t i = 0; i < format.size(); ++i) {
                        const Extent pe = ParamExtent(p);
                        p.offset += pe.size;
                        if (!p.IsValid() || i >= outputs.size()) return false;
                        if (!StoreSetupOutput(format[i], p, outputs[i])) return false;
                    }
                    return true;
                }
            }
        }
        pos_ = std::min(r->next, file_.size());
    }
}

SnrFault CSnrBuffer::GetFault() const {
    AddExecLog("CSnrBuffer::GetFault");
    return fault_;
}

bool CSnrBuffer::HasFault() const {
    AddExecLog("CSnrBuffer::HasFault");
    return fault_ != SnrFault::kNone;
}

void CSnrBuffer::ClearFault() {
    AddExecLog("CSnrBuffer::ClearFault");
    fault_ = SnrFault::kNone;
}

} // namespace qw
