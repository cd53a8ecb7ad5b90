#pragma once
// Tokens of the scenario language (see docs/scenario-language.md). The lexer works on UTF-8
// source and keeps byte positions; SourceMap turns them into lines and columns.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bytes.h"

namespace qw::scenario_lang {

enum class TokenKind {
    kEnd,
    kNewline,
    kComma,
    kEquals,
    kLParen,
    kRParen,
    kPlus,
    kMinus,
    kStar,
    kSlash,
    kPercent,
    kHash,
    kNumber,    // decimal or 0x hexadecimal, without sign
    kName,      // command names, keywords, variables (v12, s3)
    kDirective, // .name (text without the dot)
    kLabel,     // @name (text without the at sign)
    kString,    // "..." (text is the body between the quotes, escapes untouched)
    kBlob,      // <hex bytes>
    kError,
};

struct Token {
    TokenKind kind = TokenKind::kEnd;
    size_t pos = 0; // byte offset of the token's first character
    size_t end = 0; // byte offset just past it
    std::string_view text;
    uint64_t number = 0;
    Bytes blob;
    std::string error; // for kError
};

class SourceLexer {
public:
    explicit SourceLexer(std::string_view source) : src_(source) {}
    Token Next();

private:
    Token Make(TokenKind kind, size_t start, size_t end);
    Token Fail(size_t start, std::string message);
    Token LexNumber(size_t start);
    Token LexString(size_t start);
    Token LexBlob(size_t start);
    size_t NameEnd(size_t from) const;

    std::string_view src_;
    size_t at_ = 0;
};

// Characters that may appear in names: ASCII letters, digits, "_" and any byte of a non-ASCII
// UTF-8 character (so labels can be written in Japanese).
bool IsNameByte(uint8_t c);
bool IsNameStart(uint8_t c);

// Lines and columns (both from 1; columns count characters) of byte positions in a source.
class SourceMap {
public:
    explicit SourceMap(std::string_view source);
    void Locate(size_t pos, int& line, int& column) const;

private:
    std::string_view src_;
    std::vector<size_t> lineStarts_;
};

} // namespace qw::scenario_lang
