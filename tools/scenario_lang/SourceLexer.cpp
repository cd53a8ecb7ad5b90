#include "scenario_lang/SourceLexer.h"

#include <algorithm>

namespace qw::scenario_lang {

bool IsNameStart(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsNameByte(uint8_t c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

Token SourceLexer::Make(TokenKind kind, size_t start, size_t end) {
    Token t;
    t.kind = kind;
    t.pos = start;
    t.end = end;
    t.text = src_.substr(start, end - start);
    at_ = end;
    return t;
}

Token SourceLexer::Fail(size_t start, std::string message) {
    Token t;
    t.kind = TokenKind::kError;
    t.pos = start;
    t.end = start + 1;
    t.error = std::move(message);
    // Resume at the end of the line so one mistake gives one message.
    size_t nl = src_.find('\n', start);
    at_ = nl == std::string_view::npos ? src_.size() : nl;
    return t;
}

size_t SourceLexer::NameEnd(size_t from) const {
    while (from < src_.size() && IsNameByte(static_cast<uint8_t>(src_[from])))
        ++from;
    return from;
}

Token SourceLexer::Next() {
    for (;;) {
        while (at_ < src_.size() && (src_[at_] == ' ' || src_[at_] == '\t' || src_[at_] == '\r'))
            ++at_;
        if (at_ < src_.size() && src_[at_] == ';') {
            while (at_ < src_.size() && src_[at_] != '\n')
                ++at_;
            continue;
        }
        break;
    }
    const size_t start = at_;
    if (at_ >= src_.size()) return Make(TokenKind::kEnd, start, start);
    const char c = src_[at_];
    switch (c) {
    case '\n':
        return Make(TokenKind::kNewline, start, start + 1);
    case ',':
        return Make(TokenKind::kComma, start, start + 1);
    case '=':
        return Make(TokenKind::kEquals, start, start + 1);
    case '(':
        return Make(TokenKind::kLParen, start, start + 1);
    case ')':
        return Make(TokenKind::kRParen, start, start + 1);
    case '+':
        return Make(TokenKind::kPlus, start, start + 1);
    case '-':
        return Make(TokenKind::kMinus, start, start + 1);
    case '*':
        return Make(TokenKind::kStar, start, start + 1);
    case '/':
        return Make(TokenKind::kSlash, start, start + 1);
    case '%':
        return Make(TokenKind::kPercent, start, start + 1);
    case '#':
        return Make(TokenKind::kHash, start, start + 1);
    case '"':
        return LexString(start);
    case '<':
        return LexBlob(start);
    case '.':
    case '@': {
        size_t end = NameEnd(start + 1);
        if (end == start + 1)
            return Fail(start, c == '.' ? "expected a directive name after \".\""
                                        : "expected a label name after \"@\"");
        Token t = Make(c == '.' ? TokenKind::kDirective : TokenKind::kLabel, start, end);
        t.text = t.text.substr(1);
        return t;
    }
    default:
        break;
    }
    if (c >= '0' && c <= '9') return LexNumber(start);
    if (IsNameStart(static_cast<uint8_t>(c))) return Make(TokenKind::kName, start, NameEnd(start));
    if (c == '\0') return Fail(start, "unexpected NUL character");
    return Fail(start, std::string("unexpected character \"") + c + "\"");
}

Token SourceLexer::LexNumber(size_t start) {
    size_t end = NameEnd(start); // digits, and letters that would make it a bad number
    std::string_view digits = src_.substr(start, end - start);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    uint64_t value = 0;
    for (char d : digits) {
        int v = HexDigit(d);
        if (v < 0 || v >= base)
            return Fail(start, "malformed number \"" +
                                   std::string(src_.substr(start, end - start)) + "\"");
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(v);
        if (value > 0xFFFFFFFFull) return Fail(start, "number too large for 32 bits");
    }
    Token t = Make(TokenKind::kNumber, start, end);
    t.number = value;
    return t;
}

Token SourceLexer::LexString(size_t start) {
    size_t i = start + 1;
    while (i < src_.size() && src_[i] != '"' && src_[i] != '\n')
        i += (src_[i] == '\\' && i + 1 < src_.size() && src_[i + 1] != '\n') ? 2 : 1;
    if (i >= src_.size() || src_[i] != '"') return Fail(start, "text without its closing quote");
    Token t = Make(TokenKind::kString, start, i + 1);
    t.text = src_.substr(start + 1, i - start - 1);
    return t;
}

Token SourceLexer::LexBlob(size_t start) {
    Bytes bytes;
    size_t i = start + 1;
    for (;;) {
        while (i < src_.size() && (src_[i] == ' ' || src_[i] == '\t'))
            ++i;
        if (i >= src_.size() || src_[i] == '\n')
            return Fail(start, "raw bytes without their closing \">\"");
        if (src_[i] == '>') break;
        int hi = HexDigit(src_[i]);
        int lo = i + 1 < src_.size() ? HexDigit(src_[i + 1]) : -1;
        if (hi < 0 || lo < 0)
            return Fail(i, "raw bytes are written as pairs of hexadecimal digits");
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        i += 2;
    }
    Token t = Make(TokenKind::kBlob, start, i + 1);
    t.blob = std::move(bytes);
    return t;
}

SourceMap::SourceMap(std::string_view source) : src_(source) {
    lineStarts_.push_back(0);
    for (size_t i = 0; i < source.size(); ++i)
        if (source[i] == '\n') lineStarts_.push_back(i + 1);
}

void SourceMap::Locate(size_t pos, int& line, int& column) const {
    pos = std::min(pos, src_.size());
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
    size_t index = static_cast<size_t>(it - lineStarts_.begin()) - 1;
    line = static_cast<int>(index) + 1;
    column = 1;
    for (size_t i = lineStarts_[index]; i < pos; ++i)
        if ((static_cast<uint8_t>(src_[i]) & 0xC0) != 0x80) ++column; // count UTF-8 characters
}

} // namespace qw::scenario_lang
