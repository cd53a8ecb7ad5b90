#include "scenario_lang/Assembler.h"

#include <algorithm>
#include <map>

#include "common/Text.h"
#include "files/TitleKeyStream.h"
#include "platform/CodePage.h"
#include "scenario/ScenarioCommands.h"
#include "scenario_lang/Expression.h"
#include "scenario_lang/ScenarioImage.h"
#include "scenario_lang/SourceLexer.h"
#include "scenario_lang/TextLiteral.h"

namespace qw::scenario_lang {

namespace {

constexpr size_t kMaxErrors = 50;
constexpr int kMaxNesting = 256;

// A parameter that names a label: the label's number goes into the int32 at `offset`.
struct LabelUse {
    size_t offset; // in the parameter area while parsing, in the stream once placed
    std::string name;
    size_t pos;
};

struct LabelDef {
    std::string name;
    size_t pos;
    uint32_t offset;
};

std::string Describe(const Token& t) {
    switch (t.kind) {
    case TokenKind::kEnd:
        return "the end of the file";
    case TokenKind::kNewline:
        return "the end of the line";
    case TokenKind::kString:
        return "a text";
    case TokenKind::kBlob:
        return "raw bytes";
    case TokenKind::kNumber:
        return std::string("the number ") + std::string(t.text);
    case TokenKind::kLabel:
        return std::string("the label @") + std::string(t.text);
    case TokenKind::kDirective:
        return std::string("the directive .") + std::string(t.text);
    default:
        return std::string("\"") + std::string(t.text) + "\"";
    }
}

class Parser {
public:
    explicit Parser(std::string_view source) : lex_(source), map_(source) { Advance(); }

    void Run();
    bool ParseParam(Bytes& area, std::vector<LabelUse>& uses);
    bool AtEnd() const { return tok_.kind == TokenKind::kEnd; }
    bool Failed() const { return !errors_.empty(); }
    void Finish(std::string_view fileName, const AssembleOptions& options, AssembleResult& result);

private:
    void Advance() {
        prevEnd_ = tok_.end;
        tok_ = lex_.Next();
        if (tok_.kind == TokenKind::kError) Error(tok_.pos, tok_.error);
    }
    void Error(size_t pos, std::string message);
    void SkipLine() {
        while (tok_.kind != TokenKind::kNewline && tok_.kind != TokenKind::kEnd)
            Advance();
    }
    void SkipNewlines() {
        while (tok_.kind == TokenKind::kNewline)
            Advance();
    }
    bool Statement();
    bool Directive();
    bool Command();
    bool Int32(int32_t& out, const char* what);
    bool UInt32(uint32_t& out, const char* what);
    bool Variable(uint8_t& type, int32_t& index);
    bool Expression(Bytes& area, std::vector<LabelUse>& uses);
    bool Sum(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting);
    bool Product(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting);
    bool Unary(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting);
    bool Primary(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting);
    bool ToInt32(uint64_t magnitude, bool negative, size_t pos, int32_t& out);

    SourceLexer lex_;
    SourceMap map_;
    Token tok_;
    size_t prevEnd_ = 0;
    std::vector<std::pair<size_t, std::string>> errors_;

    ScenarioImage image_;
    std::vector<LabelDef> labels_;
    std::map<std::string, size_t, std::less<>> labelIndex_;
    std::optional<std::vector<std::pair<std::string, size_t>>> labelOrder_;
    std::vector<LabelUse> uses_;
    std::optional<std::string> scrambleTitle_;
    bool seenHeader16_ = false;
    bool seenHeader1048_ = false;
};

void Parser::Error(size_t pos, std::string message) {
    int line = 0, column = 0;
    map_.Locate(pos, line, column);
    // One message per line: what follows a mistake is usually noise.
    for (const auto& e : errors_) {
        int l = 0, c = 0;
        map_.Locate(e.first, l, c);
        if (l == line) return;
    }
    if (errors_.size() < kMaxErrors) errors_.emplace_back(pos, std::move(message));
}

void Parser::Run() {
    while (tok_.kind != TokenKind::kEnd && errors_.size() < kMaxErrors) {
        if (tok_.kind == TokenKind::kNewline) {
            Advance();
            continue;
        }
        if (!Statement()) {
            SkipLine();
        } else if (tok_.kind != TokenKind::kNewline && tok_.kind != TokenKind::kEnd) {
            Error(tok_.pos,
                  "unexpected " + Describe(tok_) + " (parameters are separated by commas)");
            SkipLine();
        }
    }
}

bool Parser::ToInt32(uint64_t magnitude, bool negative, size_t pos, int32_t& out) {
    if (negative) {
        if (magnitude > 0x80000000ull) {
            Error(pos, "number too small for 32 bits");
            return false;
        }
        out = static_cast<int32_t>(0u - static_cast<uint32_t>(magnitude));
    } else {
        out = static_cast<int32_t>(static_cast<uint32_t>(magnitude)); // 0x80000000 and up wrap
    }
    return true;
}

bool Parser::Int32(int32_t& out, const char* what) {
    const size_t pos = tok_.pos;
    bool negative = false;
    if (tok_.kind == TokenKind::kMinus) {
        negative = true;
        Advance();
    }
    if (tok_.kind != TokenKind::kNumber) {
        Error(tok_.pos, std::string("expected ") + what + ", found " + Describe(tok_));
        return false;
    }
    uint64_t magnitude = tok_.number;
    Advance();
    return ToInt32(magnitude, negative, pos, out);
}

bool Parser::UInt32(uint32_t& out, const char* what) {
    if (tok_.kind != TokenKind::kNumber) {
        Error(tok_.pos, std::string("expected ") + what + ", found " + Describe(tok_));
        return false;
    }
    out = static_cast<uint32_t>(tok_.number);
    Advance();
    return true;
}

bool Parser::Statement() {
    if (tok_.kind == TokenKind::kLabel) {
        LabelDef def{std::string(tok_.text), tok_.pos, static_cast<uint32_t>(image_.stream.size())};
        Advance();
        if (tok_.kind == TokenKind::kEquals) {
            Advance();
            if (!UInt32(def.offset, "a stream offset")) return false;
        }
        if (auto it = labelIndex_.find(def.name); it != labelIndex_.end()) {
            int line = 0, column = 0;
            map_.Locate(labels_[it->second].pos, line, column);
            Error(def.pos,
                  "label @" + def.name + " is already defined on line " + std::to_string(line));
            return false;
        }
        labelIndex_.emplace(def.name, labels_.size());
        labels_.push_back(std::move(def));
        if (tok_.kind != TokenKind::kNewline && tok_.kind != TokenKind::kEnd) {
            Error(tok_.pos, "a label stands on a line of its own");
            return false;
        }
        return true;
    }
    if (tok_.kind == TokenKind::kDirective) return Directive();
    if (tok_.kind == TokenKind::kName || tok_.kind == TokenKind::kHash) return Command();
    Error(tok_.pos,
          std::string("expected a command, a label or a directive, found ") + Describe(tok_));
    return false;
}

bool Parser::Directive() {
    const std::string name(tok_.text);
    const size_t pos = tok_.pos;
    Advance();
    if (EqualsNoCase(name, "loadpoint")) {
        const size_t tablePos = tok_.pos;
        uint32_t table = 0, offset = static_cast<uint32_t>(image_.stream.size());
        if (!UInt32(table, "a load-point table number")) return false;
        if (table >= snr::kLoadPointTables) {
            Error(tablePos, "load-point tables are numbered 0 to 255");
            return false;
        }
        if (tok_.kind == TokenKind::kEquals) {
            Advance();
            if (!UInt32(offset, "a stream offset")) return false;
        }
        image_.loadPoints[table].push_back(offset);
        return true;
    }
    if (EqualsNoCase(name, "labels")) {
        if (labelOrder_) {
            Error(pos, "only one .labels directive is allowed");
            return false;
        }
        labelOrder_.emplace();
        for (;;) {
            if (tok_.kind != TokenKind::kLabel) {
                Error(tok_.pos, std::string("expected a label (@name), found ") + Describe(tok_));
                return false;
            }
            labelOrder_->emplace_back(std::string(tok_.text), tok_.pos);
            Advance();
            if (tok_.kind != TokenKind::kComma) return true;
            Advance();
            SkipNewlines();
        }
    }
    if (EqualsNoCase(name, "scramble")) {
        if (scrambleTitle_) {
            Error(pos, "only one .scramble directive is allowed");
            return false;
        }
        if (tok_.kind != TokenKind::kString) {
            Error(tok_.pos, std::string("expected the title as a text, found ") + Describe(tok_));
            return false;
        }
        TextError error;
        auto title = EncodeTextLiteral(tok_.text, TextKind::kPlain, error);
        if (!title) {
            Error(tok_.pos + 1 + error.offset, error.message);
            return false;
        }
        if (title->empty()) {
            Error(tok_.pos, "the title is empty");
            return false;
        }
        scrambleTitle_ = std::move(*title);
        Advance();
        return true;
    }
    if (EqualsNoCase(name, "header16")) {
        if (seenHeader16_) {
            Error(pos, "only one .header16 directive is allowed");
            return false;
        }
        seenHeader16_ = true;
        int32_t value = 0;
        if (!Int32(value, "a number")) return false;
        image_.header16 = static_cast<uint32_t>(value);
        return true;
    }
    if (EqualsNoCase(name, "header1048") || EqualsNoCase(name, "raw")) {
        const bool header = EqualsNoCase(name, "header1048");
        if (header && seenHeader1048_) {
            Error(pos, "only one .header1048 directive is allowed");
            return false;
        }
        if (tok_.kind != TokenKind::kBlob) {
            Error(tok_.pos, std::string("expected raw bytes <..>, found ") + Describe(tok_));
            return false;
        }
        if (header) {
            seenHeader1048_ = true;
            if (tok_.blob.size() > snr::kReserved2Size) {
                Error(tok_.pos, ".header1048 holds at most 64 bytes");
                return false;
            }
            std::copy(tok_.blob.begin(), tok_.blob.end(), image_.header1048.begin());
        } else {
            image_.stream.insert(image_.stream.end(), tok_.blob.begin(), tok_.blob.end());
        }
        Advance();
        return true;
    }
    Error(pos, std::string("unknown directive .") + name);
    return false;
}

bool Parser::Command() {
    const size_t pos = tok_.pos;
    uint16_t id = 0;
    if (tok_.kind == TokenKind::kHash) {
        Advance();
        if (tok_.kind != TokenKind::kNumber || tok_.number > 0xFFFF) {
            Error(tok_.pos, "expected a command number from 0 to 65535 after \"#\"");
            return false;
        }
        id = static_cast<uint16_t>(tok_.number);
    } else if (EqualsNoCase(tok_.text, "record")) {
        id = snr::kDefinitionRecordId;
    } else if (const ScenarioCommand* c = FindScenarioCommand(tok_.text)) {
        id = c->id;
    } else {
        Error(pos,
              "unknown command \"" + std::string(tok_.text) + "\" (write #N for command number N)");
        return false;
    }
    Advance();
    Bytes area;
    std::vector<LabelUse> uses;
    if (tok_.kind != TokenKind::kNewline && tok_.kind != TokenKind::kEnd) {
        for (;;) {
            if (!ParseParam(area, uses)) return false;
            if (tok_.kind != TokenKind::kComma) break;
            Advance();
            SkipNewlines(); // a line that ends with a comma goes on on the next line
        }
    }
    if (area.size() > snr::kMaxParamArea) {
        Error(pos, std::string("the parameters take ") + std::to_string(area.size()) +
                       " bytes; a command holds at most 65535");
        return false;
    }
    ByteWriter w;
    w.Put<uint16_t>(id);
    w.Put<uint16_t>(static_cast<uint16_t>(area.size()));
    const size_t areaStart = image_.stream.size() + snr::kRecordHeaderSize;
    image_.stream.insert(image_.stream.end(), w.Data().begin(), w.Data().end());
    image_.stream.insert(image_.stream.end(), area.begin(), area.end());
    for (LabelUse& use : uses) {
        use.offset += areaStart;
        uses_.push_back(std::move(use));
    }
    return true;
}

bool Parser::Variable(uint8_t& type, int32_t& index) {
    const std::string_view text = tok_.text;
    const size_t pos = tok_.pos;
    const char c = ToLowerAscii(text[0]);
    if (c != 'v' && c != 's') {
        Error(pos, std::string("unknown name \"") + std::string(text) +
                       "\" (variables are written v12 and s3, texts in double quotes)");
        return false;
    }
    type = c == 'v' ? snr::kParamVariable : snr::kParamStringVariable;
    std::string_view rest = text.substr(1);
    if (rest.empty()) {
        // "v-5": a negative index written right after the letter.
        const size_t letterEnd = tok_.end;
        Advance();
        if (tok_.kind != TokenKind::kMinus || tok_.pos != letterEnd) {
            Error(pos,
                  std::string("expected a variable number after \"") + std::string(text) + "\"");
            return false;
        }
        const size_t minusEnd = tok_.end;
        Advance();
        if (tok_.kind != TokenKind::kNumber || tok_.pos != minusEnd) {
            Error(pos,
                  std::string("expected a variable number after \"") + std::string(text) + "-\"");
            return false;
        }
        const uint64_t magnitude = tok_.number;
        Advance();
        return ToInt32(magnitude, true, pos, index);
    }
    SourceLexer digits(rest);
    Token number = digits.Next();
    if (number.kind != TokenKind::kNumber || number.end != rest.size()) {
        Error(pos, std::string("unknown name \"") + std::string(text) +
                       "\" (variables are written v12 and s3, texts in double quotes)");
        return false;
    }
    Advance();
    return ToInt32(number.number, false, pos, index);
}

bool Parser::ParseParam(Bytes& area, std::vector<LabelUse>& uses) {
    ByteWriter w;
    switch (tok_.kind) {
    case TokenKind::kNumber:
    case TokenKind::kMinus: {
        int32_t value = 0;
        if (!Int32(value, "a number")) return false;
        w.Put<uint8_t>(snr::kParamNumber);
        w.Put<int32_t>(value);
        break;
    }
    case TokenKind::kLabel:
        uses.push_back({area.size() + 1, std::string(tok_.text), tok_.pos});
        w.Put<uint8_t>(snr::kParamNumber);
        w.Put<int32_t>(0);
        Advance();
        break;
    case TokenKind::kName: {
        uint8_t type = 0;
        int32_t index = 0;
        if (!Variable(type, index)) return false;
        w.Put<uint8_t>(type);
        w.Put<int32_t>(index);
        break;
    }
    case TokenKind::kString: {
        TextError error;
        auto text = EncodeTextLiteral(tok_.text, TextKind::kScenario, error);
        if (!text) {
            Error(tok_.pos + 1 + error.offset, error.message);
            return false;
        }
        // The reader expands a text into 511 bytes at most; the fixed part alone must fit.
        size_t fixed = 0;
        for (size_t i = 0; i < text->size();) {
            if ((*text)[i] != snr::kTextEscape) {
                ++fixed;
                i += 1;
            } else if (i + 1 < text->size() && (*text)[i + 1] == snr::kTextEscape) {
                ++fixed;
                i += 2;
            } else {
                i += 3; // a reference: its text is not known here
            }
        }
        if (fixed >= snr::kTextBufferSize) {
            Error(tok_.pos, std::string("text of ") + std::to_string(fixed) +
                                " bytes; the engine shows at most 511 bytes of a text");
            return false;
        }
        w.Put<uint8_t>(snr::kParamText);
        w.PutBytes(*text);
        w.Put<uint8_t>(0);
        Advance();
        break;
    }
    case TokenKind::kLParen:
        return Expression(area, uses);
    case TokenKind::kBlob:
        w.PutBytes(tok_.blob);
        Advance();
        break;
    default:
        Error(tok_.pos, std::string("expected a parameter, found ") + Describe(tok_));
        return false;
    }
    area.insert(area.end(), w.Data().begin(), w.Data().end());
    return true;
}

bool Parser::Expression(Bytes& area, std::vector<LabelUse>& uses) {
    const size_t pos = tok_.pos;
    ExprPairs pairs;
    std::vector<LabelUse> exprUses; // offsets are pair indices here
    if (!Primary(pairs, exprUses, 0)) return false;
    // Primary parsed the parenthesised whole.
    const int depth = ExpressionDepth(pairs);
    if (depth > snr::kExprStackDepth) {
        Error(pos, std::string("expression needs ") + std::to_string(depth) +
                       " stack entries; the engine has " + std::to_string(snr::kExprStackDepth));
        return false;
    }
    ByteWriter w;
    w.Put<uint8_t>(snr::kParamExpression);
    for (auto [kind, operand] : pairs) {
        w.Put<int32_t>(kind);
        w.Put<int32_t>(operand);
    }
    w.Put<int32_t>(snr::kExprEnd);
    w.Put<int32_t>(0);
    for (LabelUse& use : exprUses) {
        use.offset = area.size() + 1 + use.offset * snr::kExprPairSize + 4;
        uses.push_back(std::move(use));
    }
    area.insert(area.end(), w.Data().begin(), w.Data().end());
    return true;
}

bool Parser::Sum(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting) {
    if (!Product(pairs, uses, nesting)) return false;
    while (tok_.kind == TokenKind::kPlus || tok_.kind == TokenKind::kMinus) {
        const int32_t op = tok_.kind == TokenKind::kPlus ? snr::kExprAdd : snr::kExprSub;
        Advance();
        if (!Product(pairs, uses, nesting)) return false;
        pairs.emplace_back(op, 0);
    }
    return true;
}

bool Parser::Product(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting) {
    if (!Unary(pairs, uses, nesting)) return false;
    while (tok_.kind == TokenKind::kStar || tok_.kind == TokenKind::kSlash ||
           tok_.kind == TokenKind::kPercent) {
        const int32_t op = tok_.kind == TokenKind::kStar    ? snr::kExprMul
                           : tok_.kind == TokenKind::kSlash ? snr::kExprDiv
                                                            : snr::kExprMod;
        Advance();
        if (!Unary(pairs, uses, nesting)) return false;
        pairs.emplace_back(op, 0);
    }
    return true;
}

bool Parser::Unary(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting) {
    if (tok_.kind != TokenKind::kMinus) return Primary(pairs, uses, nesting);
    const size_t pos = tok_.pos;
    Advance();
    if (tok_.kind == TokenKind::kNumber) { // a negative number
        int32_t value = 0;
        if (!ToInt32(tok_.number, true, pos, value)) return false;
        Advance();
        pairs.emplace_back(snr::kExprPush, value);
        return true;
    }
    if (nesting >= kMaxNesting) {
        Error(pos, "expression nested too deeply");
        return false;
    }
    // -x is 0 - x: the format has no negation.
    pairs.emplace_back(snr::kExprPush, 0);
    if (!Unary(pairs, uses, nesting + 1)) return false;
    pairs.emplace_back(snr::kExprSub, 0);
    return true;
}

bool Parser::Primary(ExprPairs& pairs, std::vector<LabelUse>& uses, int nesting) {
    switch (tok_.kind) {
    case TokenKind::kNumber: {
        int32_t value = 0;
        if (!ToInt32(tok_.number, false, tok_.pos, value)) return false;
        pairs.emplace_back(snr::kExprPush, value);
        Advance();
        return true;
    }
    case TokenKind::kName: {
        const size_t pos = tok_.pos;
        uint8_t type = 0;
        int32_t index = 0;
        if (!Variable(type, index)) return false;
        if (type != snr::kParamVariable) {
            Error(pos, "string variables cannot be used in arithmetic");
            return false;
        }
        pairs.emplace_back(snr::kExprVariable, index);
        return true;
    }
    case TokenKind::kLabel:
        uses.push_back({pairs.size(), std::string(tok_.text), tok_.pos});
        pairs.emplace_back(snr::kExprPush, 0);
        Advance();
        return true;
    case TokenKind::kLParen: {
        const size_t pos = tok_.pos;
        if (nesting >= kMaxNesting) {
            Error(pos, "expression nested too deeply");
            return false;
        }
        Advance();
        if (!Sum(pairs, uses, nesting + 1)) return false;
        if (tok_.kind != TokenKind::kRParen) {
            Error(tok_.pos, std::string("expected \")\" or an operator, found ") + Describe(tok_));
            return false;
        }
        Advance();
        return true;
    }
    default:
        Error(tok_.pos,
              std::string("expected a number, a variable or \"(\", found ") + Describe(tok_));
        return false;
    }
}

void Parser::Finish(std::string_view fileName, const AssembleOptions& options,
                    AssembleResult& result) {
    // Label numbers: the order of definition, or the order of the .labels list.
    std::map<std::string, uint32_t, std::less<>> numbers;
    if (labelOrder_) {
        for (const auto& [name, pos] : *labelOrder_) {
            if (!labelIndex_.count(name))
                Error(pos, std::string("label @") + name + " is listed but not defined");
            else if (!numbers.emplace(name, static_cast<uint32_t>(numbers.size())).second)
                Error(pos, std::string("label @") + name + " is listed twice");
        }
        for (const LabelDef& def : labels_)
            if (!numbers.count(def.name))
                Error(def.pos, std::string("label @") + def.name + " is missing from .labels");
    } else {
        for (const LabelDef& def : labels_)
            numbers.emplace(def.name, static_cast<uint32_t>(numbers.size()));
    }
    image_.labels.assign(labels_.size(), 0);
    for (const LabelDef& def : labels_)
        if (auto it = numbers.find(def.name); it != numbers.end())
            image_.labels[it->second] = def.offset;
    for (const LabelUse& use : uses_) {
        auto it = numbers.find(use.name);
        if (it == numbers.end()) {
            Error(use.pos, std::string("undefined label @") + use.name);
            continue;
        }
        StoreLE<uint32_t>(image_.stream, use.offset, it->second);
    }

    std::sort(errors_.begin(), errors_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [pos, message] : errors_) {
        int line = 0, column = 0;
        map_.Locate(pos, line, column);
        result.errors.push_back(std::string(fileName) + ":" + std::to_string(line) + ":" +
                                std::to_string(column) + ": " + message);
    }
    if (!result.errors.empty()) return;

    Bytes file = BuildScenarioFile(image_);
    std::optional<std::string> title =
        options.scrambleTitle ? options.scrambleTitle : scrambleTitle_;
    if (title && !options.plain) {
        XorTitleKeyStream(file, *title);
        if (IsPlainScenarioFile(file)) { // would read as a plain file: cannot happen in practice
            result.errors.push_back(
                std::string(fileName) +
                ": the scrambled file would begin with the magic; choose another title");
            return;
        }
    }
    result.file = std::move(file);
}

} // namespace

AssembleResult Assemble(std::string_view source, std::string_view fileName,
                        const AssembleOptions& options) {
    AssembleResult result;
    std::string converted;
    if (options.gameCodePageInput) {
        auto utf8 = platform::GameToUtf8(source);
        if (!utf8) {
            int line = 1;
            for (size_t start = 0; start <= source.size(); ++line) {
                size_t nl = std::min(source.find('\n', start), source.size());
                if (!platform::GameToUtf8(source.substr(start, nl - start))) break;
                start = nl + 1;
            }
            result.errors.push_back(std::string(fileName) + ":" + std::to_string(line) +
                                    ":1: not valid " + platform::GameCodePage() + " text");
            return result;
        }
        converted = std::move(*utf8);
        source = converted;
    }
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3); // UTF-8 byte-order mark
    Parser parser(source);
    parser.Run();
    parser.Finish(fileName, options, result);
    return result;
}

std::optional<Bytes> AssembleParameter(std::string_view text) {
    Parser parser(text);
    Bytes area;
    std::vector<LabelUse> uses;
    if (!parser.ParseParam(area, uses) || !parser.AtEnd() || parser.Failed() || !uses.empty())
        return std::nullopt;
    return area;
}

} // namespace qw::scenario_lang
