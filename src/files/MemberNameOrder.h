#pragma once
// The order of member names in archive tables, and the case-insensitive matching of names.
//
// Archive tables are sorted for a binary search under the case-insensitive "word sort" order of
// the Japanese desktop platform the games were made on. For the characters found in file names
// that order is, per character:
//
//   1. hyphen '-', apostrophe '\'' (and control characters) are left out of the first pass;
//   2. then  space ! " # $ % & ( ) * , . / : ; ? @ [ ] ^ _ ` { | } ~ \ + < = >
//   3. then the digits 0-9, then the letters a-z with case ignored,
//   4. then the other single bytes (half-width katakana) by value,
//   5. then double-byte characters, compared as their two bytes (lead, trail).
//
// When the first pass finds two names equal, the characters it left out decide: the name without
// them sorts first; otherwise they are compared in order of appearance, the one further left
// sorting later, and at the same place the apostrophe before the hyphen. So "ab" < "ab-c" <
// "a-bc" < "a-bd". Letter case never matters; a trail byte is never case-folded.
//
// This reproduces the platform's order for ASCII names exactly. Double-byte names are ordered
// by their bytes, which is close to but not the platform's kana-aware order; the archive reader
// therefore falls back to a linear scan when the binary search misses.

#include <string>
#include <string_view>

namespace qw {

// <0, 0 or >0. 0 exactly when the names are equal with ASCII letter case ignored.
int CompareMemberNames(std::string_view a, std::string_view b);

inline bool MemberNameLess(std::string_view a, std::string_view b) {
    return CompareMemberNames(a, b) < 0;
}

// The name with ASCII letters in single-byte characters lowered: two names match exactly when
// their folded forms are equal.
std::string FoldMemberName(std::string_view name);

} // namespace qw
