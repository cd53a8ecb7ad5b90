#include "scenario_lang/Expression.h"

#include <algorithm>

#include "scenario/SnrFormat.h"

namespace qw::scenario_lang {

namespace {

constexpr size_t kMaxDecompiledPairs = 1024;

struct Node {
    int32_t kind = 0;
    int32_t value = 0;
    int left = -1;
    int right = -1;
};

int Precedence(const Node& n) {
    switch (n.kind) {
    case snr::kExprAdd:
    case snr::kExprSub:
        return 1;
    case snr::kExprMul:
    case snr::kExprDiv:
    case snr::kExprMod:
        return 2;
    default:
        return 3;
    }
}

std::string Print(const std::vector<Node>& nodes, int index) {
    const Node& n = nodes[static_cast<size_t>(index)];
    if (n.kind == snr::kExprPush) return std::to_string(n.value);
    if (n.kind == snr::kExprVariable) return std::string("v") + std::to_string(n.value);
    static const char* const kOps[] = {"+", "-", "*", "/", "%"};
    const Node& l = nodes[static_cast<size_t>(n.left)];
    const Node& r = nodes[static_cast<size_t>(n.right)];
    std::string left = Print(nodes, n.left);
    std::string right = Print(nodes, n.right);
    // Operators associate to the left: a right operand of the same precedence needs parentheses.
    if (Precedence(l) < Precedence(n)) left = std::string("(") + left + ")";
    if (Precedence(r) <= Precedence(n)) right = std::string("(") + right + ")";
    return left + " " + kOps[n.kind - snr::kExprAdd] + " " + right;
}

} // namespace

int ExpressionDepth(const ExprPairs& pairs) {
    int depth = 0, deepest = 0;
    for (auto [kind, operand] : pairs) {
        (void)operand;
        if (kind == snr::kExprPush || kind == snr::kExprVariable) {
            deepest = std::max(deepest, ++depth);
        } else if (kind >= snr::kExprAdd && kind <= snr::kExprMod) {
            if (depth < 2) return -1;
            --depth;
        }
    }
    return depth == 1 ? deepest : -1;
}

std::optional<std::string> DecompileExpression(const ExprPairs& pairs) {
    // Printing recurses over the tree; expressions longer than any scenario needs stay raw bytes.
    if (pairs.size() > kMaxDecompiledPairs) return std::nullopt;
    std::vector<Node> nodes;
    std::vector<int> stack;
    for (auto [kind, operand] : pairs) {
        if (kind == snr::kExprPush || kind == snr::kExprVariable) {
            nodes.push_back({kind, operand, -1, -1});
        } else if (kind >= snr::kExprAdd && kind <= snr::kExprMod && operand == 0 &&
                   stack.size() >= 2) {
            int right = stack.back();
            stack.pop_back();
            int left = stack.back();
            stack.pop_back();
            nodes.push_back({kind, 0, left, right});
        } else {
            return std::nullopt;
        }
        stack.push_back(static_cast<int>(nodes.size()) - 1);
    }
    if (stack.size() != 1) return std::nullopt;
    return std::string("(") + Print(nodes, stack.back()) + ")";
}

} // namespace qw::scenario_lang
