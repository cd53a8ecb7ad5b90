#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "files/TitleKeyStream.h"
#include "platform/CodePage.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/ScenarioCommands.h"
#include "scenario_lang/Assembler.h"
#include "scenario_lang/Disassembler.h"
#include "unit/scenario/SnrTestFile.h"

namespace qw::scenario_lang {
namespace {

std::string ReadSourceFile(const std::string& path) {
    std::ifstream in(std::string(QW_SOURCE_DIR) + "/" + path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Bytes AssembleOk(std::string_view source, const AssembleOptions& options = {}) {
    AssembleResult r = Assemble(source, "t.qws", options);
    for (const auto& e : r.errors)
        ADD_FAILURE() << e;
    return r.file;
}

// Disassembles `file` and checks that assembling the text gives `file` again; returns the text.
std::string RoundTrip(const Bytes& file, const DisassembleOptions& options = {}) {
    DisassembleResult d = Disassemble(file, options);
    EXPECT_TRUE(d.Ok()) << d.error;
    AssembleResult again = Assemble(d.text, "dis.qws");
    for (const auto& e : again.errors)
        ADD_FAILURE() << e << "\n" << d.text;
    EXPECT_EQ(again.file, file) << d.text;
    return d.text;
}

TEST(ScenarioLanguage, CorpusRoundTripsByteForByte) {
    for (const char* name : {"all_commands.qws", "definitions.qws"}) {
        SCOPED_TRACE(name);
        const std::string source = ReadSourceFile(std::string("tests/data/scenario/") + name);
        ASSERT_FALSE(source.empty());
        Bytes first = AssembleOk(source);
        std::string text = RoundTrip(first);
        // The disassembly is a fixed point and needs no raw bytes for what the assembler wrote.
        Bytes second = AssembleOk(text);
        EXPECT_EQ(Disassemble(second).text, text);
        EXPECT_EQ(text.find(" <"), std::string::npos) << text;
    }
}

TEST(ScenarioLanguage, CorpusUsesEveryCommandAndParameterType) {
    Bytes file = AssembleOk(ReadSourceFile("tests/data/scenario/all_commands.qws"));
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("ALL", file));
    std::set<uint16_t> ids;
    std::set<uint8_t> types;
    for (; !reader.IsFinish(); reader.NextCommand()) {
        ids.insert(reader.GetCmdID());
        for (SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p))
            types.insert(file[p.offset]);
    }
    EXPECT_FALSE(reader.HasFault());
    for (const auto& c : ScenarioCommands())
        EXPECT_TRUE(ids.count(c.id)) << c.name;
    for (const auto& c : ScenarioScreenCommands())
        EXPECT_TRUE(ids.count(c.id)) << c.name;
    EXPECT_EQ(types, (std::set<uint8_t>{1, 2, 3, 4, 5}));
}

TEST(ScenarioLanguage, AssembledFileReadsAsWritten) {
    const std::string source = "@top\n"
                               "MSG 1, -1, \"\", \"\xE3\x81\x82&[0]&&\"\n" // あ
                               ".loadpoint 3\n"
                               "MOV 5, (v1 * -2 + 10 / (3 - 1) % 4)\n"
                               "@end\n"
                               "JP @end, @top\n";
    Bytes file = AssembleOk(source);
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("R", file));
    int32_t vars[2] = {0, 7};
    reader.SetValList(vars, 2);
    char name[64] = "Ann";
    reader.SetStrList(0, name);

    EXPECT_EQ(reader.GetCmdID(), 1000);
    SnrParam text = reader.NextParam(reader.NextParam(reader.NextParam(reader.GetParam())));
    EXPECT_EQ(reader.GetStringParam(text), platform::Utf8ToGame("\xE3\x81\x82").value() + "Ann&");
    reader.NextCommand();
    const uint32_t movAt = reader.GetPos();
    EXPECT_EQ(reader.GetValueParam(reader.NextParam(reader.GetParam())), 7 * -2 + 10 / 2 % 4);
    reader.NextCommand();
    EXPECT_EQ(reader.GetLabelCount(), 2u);
    SnrParam label = reader.GetParam();
    EXPECT_EQ(reader.GetValueParam(label), 1); // @end is the second label defined
    EXPECT_EQ(reader.GetValueParam(reader.NextParam(label)), 0);
    EXPECT_TRUE(reader.JumpToLoadPoint(3, 0));
    EXPECT_EQ(reader.GetPos(), movAt);
    EXPECT_TRUE(reader.JumpToLabel(0));
    EXPECT_EQ(reader.GetPos(), 0u);
    EXPECT_FALSE(reader.HasFault());
}

TEST(ScenarioLanguage, DefinitionRecordsAreFoundByTheReader) {
    Bytes file = AssembleOk(ReadSourceFile("tests/data/scenario/definitions.qws"));
    CSnrBuffer reader;
    ASSERT_TRUE(reader.ReadFromMemory("OPTION", file));
    int32_t a = 0, b = 0, c = 0;
    std::string text;
    EXPECT_TRUE(reader.GetSetupParam(2, 12, "NNNS", &a, &b, &c, &text));
    EXPECT_EQ(std::vector<int32_t>({a, b, c}), (std::vector<int32_t>{100, 200, 128}));
    EXPECT_EQ(text,
              platform::Utf8ToGame("\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB").value());
}

TEST(ScenarioLanguage, ScrambledFileReadsBackOnlyWithItsTitle) {
    const std::string source = "MSG 1, 2, \"\", \"scrambled\"\nEND\n";
    AssembleOptions options;
    options.scrambleTitle = "Game One";
    Bytes scrambled = AssembleOk(source, options);
    Bytes plain = AssembleOk(source);
    ASSERT_EQ(scrambled.size(), plain.size());
    EXPECT_NE(scrambled, plain);
    // The same file through the .scramble directive.
    EXPECT_EQ(AssembleOk(".scramble \"Game One\"\n" + source), scrambled);
    AssembleOptions plainOption;
    plainOption.plain = true;
    EXPECT_EQ(AssembleOk(".scramble \"Game One\"\n" + source, plainOption), plain);

    CSnrBuffer reader;
    EXPECT_FALSE(reader.ReadFromMemory("S", scrambled)); // the default product title
    reader.SetKeyTitle("Game Two");
    EXPECT_FALSE(reader.ReadFromMemory("S", scrambled));
    reader.SetKeyTitle("Game One");
    ASSERT_TRUE(reader.ReadFromMemory("S", scrambled));
    EXPECT_EQ(reader.GetCmdID(), 1000);

    EXPECT_FALSE(Disassemble(scrambled).Ok());
    DisassembleOptions dis;
    dis.title = "Game One";
    std::string text = RoundTrip(scrambled, dis);
    EXPECT_NE(text.find(".scramble \"Game One\""), std::string::npos);
}

TEST(ScenarioLanguage, UnusualFilesRoundTripByteForByte) {
    using namespace qw::test;
    test::SnrTestFile f;
    const uint32_t a = f.Command(3, {NumParam(2)});                            // JP label 2
    const uint32_t b = f.Command(4, {VarParam(-1), NumParam(0), NumParam(9)}); // ONJP, bad label
    Bytes oddBytes{7, 0};                                                      // unknown types
    f.Command(1000, {TextParam("\x95\x5C\"\\\x01\x7F\x80\xFF\xED\x40\xFA\x5C\x82"),
                     TextParam("&A\x05"
                               "x&\x01\x80&&&"),
                     StrVarParam(123456), oddBytes});
    f.Command(5, {NumParam(1), ExprParam({{0, 1}, {0, 2}, {2, 7}})}); // operand on operator
    f.Command(5, {NumParam(1), ExprParam({{0, 1}, {9, 0}})});         // unknown kind
    f.Command(5, {NumParam(1), ExprParam({{0, 1}, {0, 2}})});         // two values left
    f.Command(5, {NumParam(1), ExprParam({{2, 0}})});                 // underflow
    f.Command(0, {NumParam(3), NumParam(1)});
    f.CommandRaw(7, Bytes{1, 2, 3}, 3);             // cut number
    f.CommandRaw(7, Bytes{3, 'a'}, 2);              // text, no terminator
    f.CommandRaw(7, ExprParam({{0, 1}}, false), 9); // no end pair
    const uint32_t c = f.Command(10000, {});
    f.CommandRaw(8, Bytes{1, 2}, 40); // runs past the file
    const uint32_t end = static_cast<uint32_t>(f.stream.Size());
    f.labels = {c, a, b + 1, end + 50, a, end, b};
    f.loadPoints[0] = {b, a};       // not in stream order
    f.loadPoints[1] = {a, b, b, c}; // in order
    f.loadPoints[9] = {a + 2};      // inside a record
    Bytes file = f.Build();
    StoreLE<uint32_t>(file, 16, 0xDEADBEEF);
    file[1048] = 1;
    file[1111] = 0xFF;

    std::string text = RoundTrip(file);
    EXPECT_NE(text.find(".labels @L0, @L1"), std::string::npos) << text;
    EXPECT_NE(text.find(".raw <08 00 28 00 01 02>"), std::string::npos) << text;

    // Orderly tables need no extra directives.
    test::SnrTestFile g;
    g.labels = {0, 0, 4};
    g.loadPoints[4] = {0, 4};
    g.Command(1, {});
    g.Command(3, {NumParam(7)}); // JP with a number that is no label
    text = RoundTrip(g.Build());
    EXPECT_EQ(text.find(".labels"), std::string::npos) << text;
    EXPECT_NE(text.find("JP 7"), std::string::npos) << text;

    // A stream shorter than a record header.
    test::SnrTestFile h;
    h.stream.Put<uint16_t>(1);
    RoundTrip(h.Build());
}

TEST(ScenarioLanguage, RefusesFilesThatAreNotScenarios) {
    EXPECT_FALSE(Disassemble(Bytes(100, 0)).Ok());
    test::SnrTestFile f;
    Bytes file = f.Build();
    StoreLE<uint32_t>(file, 20, 1); // a label table past the end
    EXPECT_FALSE(Disassemble(file).Ok());
}

TEST(ScenarioLanguage, ErrorsPointAtFileLineAndColumn) {
    std::string deep = "MOV 1, ";
    for (int i = 0; i < 51; ++i)
        deep += "(1 + ";
    deep += "1" + std::string(51, ')');
    struct Case {
        std::string source;
        std::string error;
    };
    const Case cases[] = {
        {"FOO 1", "t.qws:1:1: unknown command \"FOO\""},
        {"MSG 1,\n  2, \"x", "t.qws:2:6: text without its closing quote"},
        {"JP @nowhere", "t.qws:1:4: undefined label @nowhere"},
        {"@a\nEND\n@a", "t.qws:3:1: label @a is already defined on line 1"},
        {"MSG \"\xE3\x81\x82&x\"", "t.qws:1:7: write \"&&\" for an ampersand"},
        {"MSG \"&[255]\"", "t.qws:1:6: string variable 255 cannot be referenced inside a text"},
        {"MSG \"&[37]\"", "t.qws:1:6: string variable 37 cannot be referenced"},
        {"MSG \"a\\x00\"", "t.qws:1:7: a text cannot contain a zero byte"},
        {"MSG \"\xF0\x9F\x98\x80\"",
         "t.qws:1:6: character cannot be written in the game's code page"},
        {"MOV 1, (1 +)", "t.qws:1:12: expected a number, a variable or \"(\""},
        {"MOV 1, (s1 + 1)", "t.qws:1:9: string variables cannot be used in arithmetic"},
        {"MOV 1 2", "t.qws:1:7: unexpected the number 2"},
        {"LYPOS 99999999999", "t.qws:1:7: number too large for 32 bits"},
        {"LYPOS -2147483649", "t.qws:1:7: number too small for 32 bits"},
        {".loadpoint 256", "t.qws:1:12: load-point tables are numbered 0 to 255"},
        {"#70000", "t.qws:1:2: expected a command number from 0 to 65535"},
        {"MSG x1", "t.qws:1:5: unknown name \"x1\""},
        {"@a MSG", "t.qws:1:4: a label stands on a line of its own"},
        {".labels @a\n@a\n@b", "t.qws:3:1: label @b is missing from .labels"},
        {".bogus", "t.qws:1:1: unknown directive .bogus"},
        {"MSG <1>", "t.qws:1:6: raw bytes are written as pairs of hexadecimal digits"},
        {deep, "t.qws:1:8: expression needs 52 stack entries; the engine has 50"},
        {"MSG \"" + std::string(512, 'a') + "\"", "t.qws:1:5: text of 512 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        AssembleResult r = Assemble(c.source, "t.qws");
        ASSERT_FALSE(r.Ok());
        EXPECT_TRUE(r.file.empty());
        EXPECT_EQ(r.errors[0].substr(0, c.error.size()), c.error);
    }
    // One message per faulty line, in order.
    AssembleResult r = Assemble("FOO\nEND\nMSG (\nBAR 1, 2\n", "t.qws");
    ASSERT_EQ(r.errors.size(), 3u);
    EXPECT_EQ(r.errors[1].substr(0, 10), "t.qws:3:6:");
    EXPECT_EQ(r.errors[2].substr(0, 10), "t.qws:4:1:");
}

TEST(ScenarioLanguage, ReferenceExamplesAssemble) {
    // Every code block of the reference that is a source file (its first line names a .qws).
    const std::string doc = ReadSourceFile("docs/scenario-language.md");
    ASSERT_FALSE(doc.empty());
    int examples = 0;
    for (size_t at = doc.find("```\n;"); at != std::string::npos; at = doc.find("```\n;", at)) {
        const size_t start = at + 4;
        const size_t end = doc.find("```", start);
        ASSERT_NE(end, std::string::npos);
        const std::string block = doc.substr(start, end - start);
        at = end + 3;
        if (block.substr(0, block.find('\n')).find(".qws") == std::string::npos) continue;
        SCOPED_TRACE(block);
        ++examples;
        RoundTrip(AssembleOk(block));
    }
    EXPECT_GE(examples, 3);
}

TEST(ScenarioLanguage, ShiftJisSourceAssemblesLikeUtf8) {
    const std::string utf8 =
        "MSG 1, 2, \"\xE8\xA1\xA8\xE7\xA4\xBA\", \"\\\\\" ; \xE8\xA1\xA8\n"; // 表示
    const std::string sjis = platform::Utf8ToGame(utf8).value();
    AssembleOptions options;
    options.gameCodePageInput = true;
    EXPECT_EQ(AssembleOk(sjis, options), AssembleOk(utf8));
    AssembleResult bad = Assemble("END\nMSG \"\x81\"\n", "s.qws", options);
    ASSERT_EQ(bad.errors.size(), 1u);
    EXPECT_EQ(bad.errors[0].substr(0, 8), "s.qws:2:");
}

} // namespace
} // namespace qw::scenario_lang
