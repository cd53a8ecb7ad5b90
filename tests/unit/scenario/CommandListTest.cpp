// The command list's parameter rows: the counts and classes a pattern accepts, and what the
// interpreter does with a row before the handler runs.

#include <gtest/gtest.h>

#include <string>

#include "common/Text.h"
#include "scenario/ScenarioCommands.h"
#include "scenario/ScenarioParams.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

struct CountCase {
    ScenarioParams params;
    std::string accepted; // one character per count from 0: 'y' accepted, '.' refused
};

TEST(ScenarioParams, CountRules) {
    const CountCase cases[] = {
        {Params(""), "y........."},
        {Params("VV"), "..y......."},
        {Params("V(l)+"), "..yyyyyyyy"},
        {Params("(vev)+l"), "....y..y..y"},
        {Params("V(E)*"), ".yyyyyyyyy"},
        {Params("VV(vvvv)*"), "..y...y...y"},
        {Params("VV(vvvv)*").AtLeast(6), "......yyyyyy"},
        {Params("(V)+").Between(1, 3), ".yyy......"},
        {Params("Vvvvvv").Counts(2, 6), "..y...y..."},
        {AnyParams(), "yyyyyyyyyy"},
    };
    for (const CountCase& c : cases) {
        std::string got;
        for (size_t n = 0; n < c.accepted.size(); ++n)
            got += c.params.AcceptsCount(static_cast<int>(n)) ? 'y' : '.';
        EXPECT_EQ(got, c.accepted) << c.params.Pattern();
    }
}

// The class of each position, upper case where the interpreter checks it.
std::string Classes(const ScenarioParams& params, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const char letter = "-VLSE"[static_cast<int>(params.ClassAt(i, count))];
        out += params.CheckedAt(i, count) || letter == '-' ? letter : ToLowerAscii(letter);
    }
    return out;
}

TEST(ScenarioParams, ClassesByPosition) {
    EXPECT_EQ(Classes(Params("VSE"), 3), "VSE");
    EXPECT_EQ(Classes(Params("V(l)+"), 4), "Vlll");
    EXPECT_EQ(Classes(Params("(vev)+l"), 7), "vevvevl");
    EXPECT_EQ(Classes(Params("VV(vvvv)*").AtLeast(6), 7), "VVvvvvv");
    EXPECT_EQ(Classes(Params("SV"), 3), "SV-"); // past the pattern: nothing is known
    EXPECT_EQ(Classes(Pending("VS"), 2), "VS");
    EXPECT_TRUE(Params("VS").Checks());
    EXPECT_FALSE(Pending("VS").Checks());
    EXPECT_FALSE(AnyParams().Checks());
    EXPECT_TRUE(Params("").Checks()); // no parameters is a count too
}

TEST(ScenarioParams, LabelsAreWhereTheDisassemblerShowsThem) {
    const ScenarioCommand* jp = FindScenarioCommand("JP");
    const ScenarioCommand* onjp = FindScenarioCommand("ONJP");
    const ScenarioCommand* cond = FindScenarioCommand("IF");
    ASSERT_TRUE(jp && onjp && cond);
    EXPECT_TRUE(jp->params.IsLabelAt(0, 1));
    EXPECT_FALSE(jp->params.IsLabelAt(1, 2));
    EXPECT_FALSE(onjp->params.IsLabelAt(0, 3));
    EXPECT_TRUE(onjp->params.IsLabelAt(2, 3));
    EXPECT_TRUE(cond->params.IsLabelAt(4, 5));  // the last parameter, even in a malformed IF
    EXPECT_FALSE(cond->params.IsLabelAt(2, 3)); // too short to have a label
    EXPECT_EQ(FindScenarioCommand("MOV")->ReportName(), std::string("MOVE"));
    EXPECT_EQ(FindScenarioCommand("LS")->ReportName(), std::string("LS"));
}

using CommandList = InterpreterFixture;

// Stand-ins step over their command whatever its parameters: nothing is checked until their
// handler is built. The message commands end the tick, the others let the next command run.
TEST_F(CommandList, StandInsStepOverWithoutChecks) {
    AddScenario("PASS", R"(MOVIERATE 1, 2, 3
MOV 1, 1
MSG
MOV 2, 1
MOVIEPAUSE
MOV 3, 1
END
)");
    ASSERT_TRUE(Start("PASS"));
    Tick();
    EXPECT_EQ(Var(1), 1);
    EXPECT_EQ(Var(2), 0);
    Tick();
    EXPECT_EQ(Var(2), 1);
    EXPECT_EQ(Var(3), 1);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(window_->boxes.empty()) << LastBox();
}

} // namespace
} // namespace qw::test
