#include "text/TextProfile.h"

namespace qw {

namespace {

// "ＭＳ ゴシック" in CP932.
constexpr const char kGothicFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

const TextProfile kCp932{
    "CP932",
    false,
    {",",        ".",        ")",        "]",
     "\x81\x41",                                                 // 、
     "\x81\x42",                                                 // 。
     "\x81\x6A",                                                 // ）
     "\x81\x76",                                                 // 」
     "\x81\x78",                                                 // 』
     "\x81\x49",                                                 // ！
     "\x81\x48",                                                 // ？
     "\x81\x5B",                                                 // ー
     "\x81\x5C",                                                 // ―
     "\x81\x63",                                                 // …
     "\x81\x4A",                                                 // ゛
     "\x81\x45",                                                 // ・
     "\x81\x44",                                                 // ．
     "\x82\x9F", "\x82\xA1", "\x82\xA3", "\x82\xA5", "\x82\xA7", // ぁぃぅぇぉ
     "\x82\xC1", "\x82\xE1", "\x82\xE3", "\x82\xE5",             // っゃゅょ
     "\x83\x40", "\x83\x42", "\x83\x44", "\x83\x46", "\x83\x48", // ァィゥェォ
     "\x83\x62", "\x83\x83", "\x83\x85", "\x83\x87",             // ッャュョ
     "\x81\x40"},                                                // full-width space
    {{{"\x81\x69", "\x81\x6A"},                                  // （ ）
      {"\x81\x75", "\x81\x76"},                                  // 「 」
      {"\x81\x77", "\x81\x78"}}},                                // 『 』
    "\x81\x40",
    kGothicFace,
    128,
    0x8140,
    0x8145,
};

const TextProfile kGbk{
    "GBK",
    true,
    {",",        ".",        ")",        "]",
     "\xA1\xA2",                                                 // 、
     "\xA1\xA3",                                                 // 。
     "\xA3\xA9",                                                 // ）
     "\xA1\xB9",                                                 // 」
     "\xA1\xBB",                                                 // 』
     "\xA3\xA1",                                                 // ！
     "\xA3\xBF",                                                 // ？
     "\xA9\x60",                                                 // ー
     "\xA8\x44",                                                 // ―
     "\xA1\xAD",                                                 // …
     "\xA9\x61",                                                 // ゛
     "\xA1\xA4",                                                 // ・ (the code page's middle dot)
     "\xA3\xAE",                                                 // ．
     "\xA4\xA1", "\xA4\xA3", "\xA4\xA5", "\xA4\xA7", "\xA4\xA9", // ぁぃぅぇぉ
     "\xA4\xC3", "\xA4\xE3", "\xA4\xE5", "\xA4\xE7",             // っゃゅょ
     "\xA5\xA1", "\xA5\xA3", "\xA5\xA5", "\xA5\xA7", "\xA5\xA9", // ァィゥェォ
     "\xA5\xC3", "\xA5\xE3", "\xA5\xE5", "\xA5\xE7",             // ッャュョ
     ""},                         // the full-width space has no entry here
    {{{"\xA3\xA8", "\xA3\xA9"},   // （ ）
      {"\xA1\xB8", "\xA1\xB9"},   // 「 」
      {"\xA1\xBA", "\xA1\xBB"}}}, // 『 』
    "",
    "SimHei",
    134,
    0xA1A1,
    0xA1A4,
};

} // namespace

const TextProfile& Cp932TextProfile() {
    return kCp932;
}
const TextProfile& GbkTextProfile() {
    return kGbk;
}

const TextProfile& BuildTextProfile() {
#if defined(QW_CODEPAGE_GBK)
    return kGbk;
#else
    return kCp932;
#endif
}

const TextProfile* FindTextProfile(std::string_view name) {
    if (name == kCp932.name) return &kCp932;
    if (name == kGbk.name) return &kGbk;
    return nullptr;
}

} // namespace qw
