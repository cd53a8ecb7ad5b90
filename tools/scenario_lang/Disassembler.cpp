#include "scenario_lang/Disassembler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "common/Text.h"
#include "files/TitleKeyStream.h"
#include "scenario/ScenarioCommands.h"
#include "scenario_lang/Assembler.h"
#include "scenario_lang/Expression.h"
#include "scenario_lang/ScenarioImage.h"
#include "scenario_lang/TextLiteral.h"

namespace qw::scenario_lang {

namespace {

constexpr size_t kRawBytesPerLine = 32;

std::string Blob(ByteSpan bytes) {
    std::string out = "<";
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out + ">";
}

std::string LabelName(uint32_t index) {
    return std::string("@L") + std::to_string(index);
}

struct Param {
    std::string text;
    std::optional<int32_t> number; // set for plain numbers (type 1)
};

// One parameter starting at `p`: its text and length. Anything the assembler would not write back
// identically becomes raw bytes.
Param DecodeParam(ByteSpan area, size_t p, size_t& length) {
    const size_t rest = area.size() - p;
    const uint8_t type = area[p];
    std::optional<std::string> text;
    std::optional<int32_t> number;
    length = 1;
    switch (type) {
    case snr::kParamNumber:
    case snr::kParamVariable:
    case snr::kParamStringVariable: {
        if (rest < snr::kScalarParamSize) {
            length = rest;
            break;
        }
        length = snr::kScalarParamSize;
        const int32_t v = LoadLEUnchecked<int32_t>(area.data() + p + 1);
        if (type == snr::kParamNumber) {
            text = std::to_string(v);
            number = v;
        } else {
            text = std::string(type == snr::kParamVariable ? "v" : "s") + std::to_string(v);
        }
        break;
    }
    case snr::kParamText: {
        const void* zero = std::memchr(area.data() + p + 1, 0, rest - 1);
        if (!zero) {
            length = rest;
            break;
        }
        const size_t len =
            static_cast<size_t>(static_cast<const uint8_t*>(zero) - (area.data() + p + 1));
        length = len + 2;
        text = DecodeTextLiteral(
            std::string_view(reinterpret_cast<const char*>(area.data() + p + 1), len),
            TextKind::kScenario);
        break;
    }
    case snr::kParamExpression: {
        ExprPairs pairs;
        size_t q = p + 1;
        bool ended = false;
        for (; q + snr::kExprPairSize <= area.size(); q += snr::kExprPairSize) {
            const int32_t kind = LoadLEUnchecked<int32_t>(area.data() + q);
            const int32_t operand = LoadLEUnchecked<int32_t>(area.data() + q + 4);
            if (kind == snr::kExprEnd) {
                ended = true;
                if (operand != 0) pairs.emplace_back(kind, operand); // spoils the decompiling
                break;
            }
            pairs.emplace_back(kind, operand);
        }
        if (!ended) {
            length = rest;
            break;
        }
        length = q + snr::kExprPairSize - p;
        text = DecompileExpression(pairs);
        break;
    }
    default:
        break;
    }
    const ByteSpan bytes = area.subspan(p, length);
    if (text) {
        auto back = AssembleParameter(*text);
        if (back && std::equal(back->begin(), back->end(), bytes.begin(), bytes.end()))
            return {std::move(*text), number};
    }
    return {Blob(bytes), std::nullopt};
}

// True for the parameters that the interpreter takes as label numbers (L in the command's row).
bool IsLabelParam(const ScenarioCommand* command, size_t index, size_t count) {
    return command && command->params.IsLabelAt(static_cast<int>(index), static_cast<int>(count));
}

std::string CommandLine(uint16_t id, ByteSpan area, uint32_t labelCount) {
    std::string line;
    const ScenarioCommand* command =
        id == snr::kDefinitionRecordId ? nullptr : FindScenarioCommand(id);
    if (id == snr::kDefinitionRecordId)
        line = "record";
    else if (command)
        line = std::string(command->name);
    else
        line = std::string("#") + std::to_string(id);
    std::vector<Param> params;
    for (size_t p = 0; p < area.size();) {
        size_t length = 0;
        params.push_back(DecodeParam(area, p, length));
        p += length;
    }
    for (size_t i = 0; i < params.size(); ++i) {
        const Param& param = params[i];
        line += i ? ", " : " ";
        if (param.number && *param.number >= 0 &&
            static_cast<uint32_t>(*param.number) < labelCount &&
            IsLabelParam(command, i, params.size()))
            line += LabelName(static_cast<uint32_t>(*param.number));
        else
            line += param.text;
    }
    return line;
}

} // namespace

DisassembleResult Disassemble(ByteSpan file, const DisassembleOptions& options) {
    DisassembleResult result;
    Bytes bytes(file.begin(), file.end());
    const std::string title = options.title ? *options.title : ProductTitle();
    bool scrambled = false;
    if (!IsPlainScenarioFile(bytes)) {
        XorTitleKeyStream(bytes, title);
        if (!IsPlainScenarioFile(bytes)) {
            result.error = "not a scenario file, or scrambled with another title (see --title)";
            return result;
        }
        scrambled = true;
    }
    std::string error;
    auto image = ParseScenarioFile(bytes, error);
    if (!image) {
        result.error = error;
        return result;
    }
    const Bytes& stream = image->stream;
    const size_t n = stream.size();

    // The command records; what is left when a record does not fit becomes raw bytes.
    struct Item {
        size_t offset;
        size_t size;
        bool raw;
    };
    std::vector<Item> items;
    for (size_t pos = 0; pos < n;) {
        size_t size = n - pos;
        bool raw = true;
        if (size >= snr::kRecordHeaderSize) {
            size_t need =
                snr::kRecordHeaderSize + LoadLEUnchecked<uint16_t>(stream.data() + pos + 2);
            if (need <= size) {
                size = need;
                raw = false;
            }
        }
        items.push_back({pos, size, raw});
        pos += size;
    }
    std::vector<size_t> anchors;
    for (const Item& item : items)
        anchors.push_back(item.offset);
    anchors.push_back(n);
    auto isAnchor = [&](uint32_t offset) {
        return std::binary_search(anchors.begin(), anchors.end(), size_t{offset});
    };

    // Labels that point at a record (or the end) are written there; others with their offset.
    // The assembler numbers labels in the order it meets them, so .labels restores any other order.
    const auto& labels = image->labels;
    std::vector<uint32_t> order;
    std::map<size_t, std::vector<uint32_t>> labelsAt;
    for (uint32_t i = 0; i < labels.size(); ++i)
        if (!isAnchor(labels[i])) order.push_back(i);
    const size_t rawLabels = order.size();
    for (uint32_t i = 0; i < labels.size(); ++i)
        if (isAnchor(labels[i])) {
            labelsAt[labels[i]].push_back(i);
            order.push_back(i);
        }
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(rawLabels), order.end(),
                     [&](uint32_t a, uint32_t b) { return labels[a] < labels[b]; });
    bool ordered = true;
    for (uint32_t i = 0; i < order.size(); ++i)
        ordered = ordered && order[i] == i;

    // A load-point table is written in place when its entries point at records in stream order.
    std::map<size_t, std::vector<int>> loadPointsAt;
    std::vector<int> rawTables;
    for (int t = 0; t < snr::kLoadPointTables; ++t) {
        const auto& table = image->loadPoints[static_cast<size_t>(t)];
        bool inPlace = true;
        for (size_t i = 0; i < table.size(); ++i)
            inPlace = inPlace && isAnchor(table[i]) && (i == 0 || table[i - 1] <= table[i]);
        if (!inPlace)
            rawTables.push_back(t);
        else
            for (uint32_t offset : table)
                loadPointsAt[offset].push_back(t);
    }

    std::string& out = result.text;
    out = "; disassembled by qwdis";
    if (!options.sourceName.empty()) out += std::string(" from ") + options.sourceName;
    out += "\n";
    if (scrambled)
        out += std::string(".scramble ") + DecodeTextLiteral(title, TextKind::kPlain) + "\n";
    if (image->header16)
        out += std::string(".header16 ") + std::to_string(static_cast<int32_t>(image->header16)) +
               "\n";
    if (std::any_of(image->header1048.begin(), image->header1048.end(),
                    [](uint8_t b) { return b; }))
        out += std::string(".header1048 ") + Blob(image->header1048) + "\n";
    if (!ordered) {
        out += ".labels";
        for (uint32_t i = 0; i < labels.size(); ++i)
            out += (i == 0 ? " " : i % 8 == 0 ? ",\n    " : ", ") + LabelName(i);
        out += "\n";
    }
    for (size_t k = 0; k < rawLabels; ++k)
        out += LabelName(order[k]) + " = " + std::to_string(labels[order[k]]) + "\n";
    for (int t : rawTables)
        for (uint32_t offset : image->loadPoints[static_cast<size_t>(t)])
            out += std::string(".loadpoint ") + std::to_string(t) + " = " + std::to_string(offset) +
                   "\n";
    out += "\n";

    auto anchorLines = [&](size_t offset) {
        if (auto it = labelsAt.find(offset); it != labelsAt.end())
            for (uint32_t i : it->second)
                out += LabelName(i) + "\n";
        if (auto it = loadPointsAt.find(offset); it != loadPointsAt.end())
            for (int t : it->second)
                out += std::string(".loadpoint ") + std::to_string(t) + "\n";
    };
    const uint32_t labelCount = static_cast<uint32_t>(labels.size());
    for (const Item& item : items) {
        anchorLines(item.offset);
        if (item.raw) {
            for (size_t i = 0; i < item.size; i += kRawBytesPerLine)
                out += ".raw " +
                       Blob(ByteSpan(stream).subspan(item.offset + i,
                                                     std::min(kRawBytesPerLine, item.size - i))) +
                       "\n";
            continue;
        }
        const uint16_t id = LoadLEUnchecked<uint16_t>(stream.data() + item.offset);
        const ByteSpan area = ByteSpan(stream).subspan(item.offset + snr::kRecordHeaderSize,
                                                       item.size - snr::kRecordHeaderSize);
        out += CommandLine(id, area, labelCount) + "\n";
    }
    anchorLines(n);
    return result;
}

} // namespace qw::scenario_lang
