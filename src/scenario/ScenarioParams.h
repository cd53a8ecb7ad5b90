#pragma once
// What a scenario command takes: how many parameters and the class of each. Every row of the
// command list (ScenarioCommandList.h) carries one; the interpreter checks a command against it
// before the handler runs (CDIBSnrBaseScreen::PrepareCommand), and the disassembler reads which
// parameters are label numbers from it.
//
// A row writes its parameters as a pattern of letters, one per parameter:
//
//   V  a value          L  a label number (a value; the disassembler shows it as @name)
//   S  a text           E  either a value or a text
//
// An upper-case letter is checked and read before the handler runs: a text where a value is
// wanted (or the reverse) is the command's type error for that position. A lower-case letter
// says the same class but leaves the parameter to the handler, which checks and reads it when,
// and only if, it needs it (ONJP reads the labels up to the chosen one, IF checks its operators
// in order, OVERLAP's parameters depend on its first).
//
// One group in parentheses, followed by "+" (one or more times) or "*" (any number of times),
// repeats; letters after the group are the last parameters:
//
//   Params("VV")          exactly two values
//   Params("V(l)+")       a value, then one label or more
//   Params("(vev)+l")     groups of three, then a label: 4, 7, 10 … parameters
//   Params("VV(vvvv)*").AtLeast(6)
//
// The count a pattern implies is its length without a group, or the letters outside the group
// plus whole groups. AtLeast, Between and Counts replace that rule with their own. AnyParams()
// checks nothing at all; Pending(…) records what a command will take while its handler is not
// built yet: nothing is checked until the row becomes Params(…).

#include <cstdint>
#include <string_view>

namespace qw {

enum class ParamClass : uint8_t { kNone, kValue, kLabel, kText, kEither };

class ScenarioParams {
public:
    constexpr explicit ScenarioParams(std::string_view pattern) : pattern_(pattern) {
        constexpr size_t npos = std::string_view::npos;
        const size_t open = pattern.find('(');
        const size_t close = open == npos ? npos : pattern.find(')', open);
        if (open == npos) {
            prefix_ = static_cast<uint8_t>(pattern.size());
            min_ = max_ = prefix_;
        } else {
            if (close == npos || close == open + 1 || close + 1 >= pattern.size() ||
                (pattern[close + 1] != '+' && pattern[close + 1] != '*'))
                throw "a group is (letters) followed by + or *";
            prefix_ = static_cast<uint8_t>(open);
            groupStart_ = static_cast<uint8_t>(open + 1);
            group_ = static_cast<uint8_t>(close - open - 1);
            suffixStart_ = static_cast<uint8_t>(close + 2);
            suffix_ = static_cast<uint8_t>(pattern.size() - suffixStart_);
            min_ = prefix_ + suffix_ + (pattern[close + 1] == '+' ? group_ : 0);
            max_ = kUnbounded;
            step_ = group_;
        }
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (open != npos && (i == open || i == close || i == close + 1)) continue;
            if (ClassOf(pattern[i]) == ParamClass::kNone)
                throw "parameter letters are V, L, S and E (lower case: left to the handler)";
            if (IsChecked(pattern[i])) checksClasses_ = true;
        }
    }

    // Count rules that replace the one the pattern implies.
    constexpr ScenarioParams AtLeast(int n) const { return WithRange(n, kUnbounded); }
    constexpr ScenarioParams Between(int low, int high) const { return WithRange(low, high); }
    template <typename... Ints>
    constexpr ScenarioParams Counts(Ints... counts) const {
        ScenarioParams p = *this;
        p.countMask_ = 0;
        for (int n : {counts...}) {
            if (n < 0 || n >= 64) throw "Counts takes counts below 64";
            p.countMask_ |= uint64_t{1} << n;
        }
        return p;
    }
    // The name the command's errors show, when it is not the command's own.
    constexpr ScenarioParams ReportsAs(const char* name) const {
        ScenarioParams p = *this;
        p.reportName_ = name;
        return p;
    }

    // False for Pending rows: nothing is checked before the handler.
    constexpr bool IsEnforced() const { return enforced_; }
    // True when the interpreter has anything to check before the handler (AnyParams: nothing,
    // not even a fault in the parameter area).
    constexpr bool Checks() const { return enforced_ && (!anyCount_ || checksClasses_); }
    constexpr bool AcceptsCount(int n) const {
        if (anyCount_) return true;
        if (countMask_) return n >= 0 && n < 64 && (countMask_ >> n & 1);
        if (n < min_ || (max_ != kUnbounded && n > max_)) return false;
        return step_ == 0 || (n - prefix_ - suffix_) % step_ == 0;
    }
    // The fewest parameters accepted.
    constexpr int MinCount() const {
        if (anyCount_) return 0;
        if (countMask_) {
            int n = 0;
            while (!(countMask_ >> n & 1))
                ++n;
            return n;
        }
        return min_;
    }
    // The class of parameter `index` (from 0) of a command with `count` parameters, and whether
    // the interpreter checks it before the handler.
    constexpr ParamClass ClassAt(int index, int count) const {
        return ClassOf(LetterAt(index, count));
    }
    constexpr bool CheckedAt(int index, int count) const {
        return IsChecked(LetterAt(index, count));
    }
    // A label number, as the disassembler shows it: only in commands with enough parameters.
    constexpr bool IsLabelAt(int index, int count) const {
        return count >= MinCount() && ClassAt(index, count) == ParamClass::kLabel;
    }
    constexpr const char* ReportName() const { return reportName_; }
    constexpr std::string_view Pattern() const { return pattern_; }

private:
    static constexpr int kUnbounded = -1;

    static constexpr ParamClass ClassOf(char letter) {
        switch (letter) {
        case 'V':
        case 'v':
            return ParamClass::kValue;
        case 'L':
        case 'l':
            return ParamClass::kLabel;
        case 'S':
        case 's':
            return ParamClass::kText;
        case 'E':
        case 'e':
            return ParamClass::kEither;
        default:
            return ParamClass::kNone;
        }
    }
    static constexpr bool IsChecked(char letter) { return letter >= 'A' && letter <= 'Z'; }

    constexpr char LetterAt(int index, int count) const {
        if (index < 0 || index >= count) return 0;
        if (index < prefix_) return pattern_[static_cast<size_t>(index)];
        if (suffix_ && index >= count - suffix_)
            return pattern_[static_cast<size_t>(suffixStart_ + index - (count - suffix_))];
        if (group_) return pattern_[static_cast<size_t>(groupStart_ + (index - prefix_) % group_)];
        return 0;
    }
    constexpr ScenarioParams WithRange(int low, int high) const {
        ScenarioParams p = *this;
        p.min_ = low;
        p.max_ = high;
        p.step_ = 0;
        p.countMask_ = 0;
        return p;
    }

    friend constexpr ScenarioParams AnyParams();
    friend constexpr ScenarioParams Pending(ScenarioParams params);

    std::string_view pattern_;
    uint8_t prefix_ = 0;
    uint8_t groupStart_ = 0;
    uint8_t group_ = 0;
    uint8_t suffixStart_ = 0;
    uint8_t suffix_ = 0;
    bool checksClasses_ = false;
    bool anyCount_ = false;
    bool enforced_ = true;
    int min_ = 0;
    int max_ = 0;
    int step_ = 0;
    uint64_t countMask_ = 0; // Counts: bit n set when n parameters are accepted
    const char* reportName_ = nullptr;
};

// The row builders of the command list.
constexpr ScenarioParams Params(std::string_view pattern) {
    return ScenarioParams(pattern);
}
// Any number of parameters of any class; nothing is checked.
constexpr ScenarioParams AnyParams() {
    ScenarioParams p("(e)*");
    p.anyCount_ = true;
    return p;
}
// What a command will take once its handler is built; until then nothing is checked.
constexpr ScenarioParams Pending(ScenarioParams params) {
    params.enforced_ = false;
    return params;
}
constexpr ScenarioParams Pending(std::string_view pattern) {
    return Pending(ScenarioParams(pattern));
}

} // namespace qw
