#pragma once
// Layout of compiled scenario and definition files, shared by the reader and by the assembler and
// disassembler tools.
//
//   0     16      magic "MSCENARIO FILE  "
//   16    4       unused by the engine
//   20    4       label count L
//   24    256 x 4 load-point counts C[0] ... C[255]
//   1048  64      unused by the engine
//   1112  L x 4   label table: offsets from the start of the command stream
//   ...           load-point tables 0 ... 255, table k holding C[k] offsets
//   ...           the command stream, to the end of the file
//
// A command record is a uint16 id, a uint16 parameter-area size and the parameters; each
// parameter starts with its type byte. All integers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qw::snr {

inline constexpr std::string_view kMagic = "MSCENARIO FILE  ";
inline constexpr size_t kReserved1Offset = 16; // 4 bytes the engine does not read
inline constexpr size_t kLabelCountOffset = 20;
inline constexpr size_t kLoadPointCountsOffset = 24;
inline constexpr int kLoadPointTables = 256;
inline constexpr size_t kReserved2Offset = 1048; // 64 bytes the engine does not read
inline constexpr size_t kReserved2Size = 64;
inline constexpr size_t kHeaderSize = 1112;

inline constexpr size_t kRecordHeaderSize = 4;
inline constexpr size_t kMaxParamArea = 0xFFFF;

// Parameter type bytes. Any other type byte is a one-byte parameter whose value is 0.
inline constexpr uint8_t kParamNumber = 1;         // int32
inline constexpr uint8_t kParamVariable = 2;       // int32 index of an integer variable
inline constexpr uint8_t kParamText = 3;           // zero-terminated text with references
inline constexpr uint8_t kParamExpression = 4;     // (int32 kind, int32 operand) pairs, postfix
inline constexpr uint8_t kParamStringVariable = 5; // int32 index of a string variable
inline constexpr size_t kScalarParamSize = 5;

// Expression pair kinds. Operators pop the right operand, then the left.
inline constexpr int32_t kExprEnd = -1;
inline constexpr int32_t kExprPush = 0;
inline constexpr int32_t kExprVariable = 1;
inline constexpr int32_t kExprAdd = 2;
inline constexpr int32_t kExprSub = 3;
inline constexpr int32_t kExprMul = 4;
inline constexpr int32_t kExprDiv = 5;
inline constexpr int32_t kExprMod = 6;
inline constexpr size_t kExprPairSize = 8;
inline constexpr int kExprStackDepth = 50;

// Inside a text, "&&" is one ampersand and "&" followed by a little-endian uint16 n inserts string
// variable (n & 0x7FFF) - 1. Writers set bit 15 so that neither byte of n can be a letter.
inline constexpr char kTextEscape = '&';
inline constexpr uint16_t kTextRefFlag = 0x8000;
inline constexpr uint16_t kTextRefMask = 0x7FFF;

// The expansion of a text parameter, terminator included, fits the reader's 512-byte buffer.
inline constexpr size_t kTextBufferSize = 512;

// Definition files are made of records with this command id whose first two parameters are the
// record's two id numbers.
inline constexpr uint16_t kDefinitionRecordId = 0;

} // namespace qw::snr
