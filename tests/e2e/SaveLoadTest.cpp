// Saved games end to end: a headless run saves a slot after its load point (--save-slot), another
// starts there (--load-slot) or loads it mid-run, and the state, the frame and the files agree.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestGame.h"
#include "common/Bytes.h"
#include "files/TitleKeyStream.h"
#include "graphics/MgdFormat.h"
#include "save/SaveFile.h"

namespace qw::e2e {
namespace {

// Sets variable 10 and the subtitle, waits 300 ms, reaches the load point at tick 14, then adds 1
// to variable 11 and waits for good.
constexpr const char* kStart = R"(MOV 10, 1
SUBTITLE "first"
ATIMES 300
AWAIT 0, 0, 0, 0, 0, 0
LPT 0
MOV 11, (v11 + 1)
ATIMES -1
AWAIT 0, 0, 0, 0, 0, 0
)";

std::string Mgd(int w, int h, uint8_t shade) {
    Bytes pixels(size_t(w) * size_t(h) * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(shade + i % 61);
    const std::vector<SpriteElement> elements = {
        {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)}};
    const Bytes file = BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                    MgdEncoding::Raw, pixels, elements, 4);
    return std::string(file.begin(), file.end());
}

class SaveLoad : public ::testing::Test {
protected:
    void SetUp() override {
        game.AddScenario("START.MSD", kStart);
        game.AddFile("MGD", "A.MGD", Mgd(200, 150, 10));
        game.AddFile("MGD", "B.MGD", Mgd(300, 100, 90));
        // A picture before the load point, another one after it.
        WriteText(game.Path("layers.txt"), "3 image 0 A.MGD\n3 pos 0 40 30 0\n3 overlap 1 0\n"
                                           "16 image 0 B.MGD\n16 overlap 1 0\n");
    }
    // The layer-test program runs the story with the scripted layers.
    RunResult RunStory(const std::string& args) {
        return game.RunProgram("QW_LAYER_SCRIPT=" + Quote(game.Path("layers.txt")) + " " +
                                   QW_BIN_LAYER_TEST,
                               "--start-scenario START " + args);
    }
    std::string Slot(int n) const {
        char name[32];
        std::snprintf(name, sizeof name, "SAVE/GAME%02d.SAV", n);
        return game.Path(name);
    }
    static int Var(const RunResult& r, int i) {
        return (*r.state)["local_variables"][static_cast<size_t>(i)].Int();
    }

    // Each test its own game directory, so the tests can run side by side.
    TestGame game{std::string("saveload_") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(SaveLoad, ASavedSlotStartsAtItsLoadPointWithItsFrame) {
    RunResult saved =
        RunStory("--ticks 24 --screenshot 14:" + Quote(game.Path("lpt.png")) +
                 " --screenshot 20:" + Quote(game.Path("later.png")) + " --save-slot 20:3");
    ASSERT_EQ(saved.exitCode, 0) << saved.stderrText;
    ASSERT_TRUE(saved.state);
    const JsonValue& sd = (*saved.state)["save_data"];
    EXPECT_EQ(sd["directory"].String(), "SAVE");
    EXPECT_EQ(sd["events"][0]["op"].String(), "save");
    EXPECT_TRUE(std::get<bool>(sd["events"][0]["ok"].v));
    EXPECT_EQ(sd["slots"][0]["slot"].Int(), 3);
    EXPECT_EQ(sd["slots"][0]["subtitle"].String(), "first");
    EXPECT_EQ(sd["slots"][0]["thumbnail"][0].Int(), 160);
    const int bytes = sd["slots"][0]["bytes"].Int();
    EXPECT_EQ(bytes, 155478 + sd["snapshot"]["bytes"].Int());
    EXPECT_EQ(sd["snapshot"]["scenario"].String(), "START");
    EXPECT_EQ(Var(saved, 11), 1);
    EXPECT_NE(ReadText(game.Path("lpt.png")), ReadText(game.Path("later.png")));

    // The same run again writes the same file.
    const std::string file = ReadText(Slot(3));
    ASSERT_EQ(static_cast<int>(file.size()), bytes);
    ASSERT_EQ(RunStory("--ticks 24 --save-slot 20:3").exitCode, 0);
    EXPECT_EQ(ReadText(Slot(3)), file);

    RunResult loaded =
        game.Run("--ticks 3 --load-slot 3 --screenshot 1:" + Quote(game.Path("loaded.png")));
    ASSERT_EQ(loaded.exitCode, 0) << loaded.stderrText;
    ASSERT_TRUE(loaded.state);
    const JsonValue& ld = (*loaded.state)["save_data"];
    EXPECT_EQ((*loaded.state)["screen"].String(), "CDIBSnrScreen");
    EXPECT_EQ(ld["events"][0]["op"].String(), "load");
    EXPECT_EQ(ld["snapshot"]["position"].Int(), sd["snapshot"]["position"].Int());
    EXPECT_EQ(ld["snapshot"]["bytes"].Int(), sd["snapshot"]["bytes"].Int());
    EXPECT_EQ(Var(loaded, 10), 1);
    EXPECT_EQ(Var(loaded, 11), 1); // the MOV after the load point ran once more, from 0
    EXPECT_EQ((*loaded.state)["subtitle"].String(), "first");
    const JsonValue& vvram = (*loaded.state)["vvram"];
    const JsonValue& layer =
        vvram["pages"][static_cast<size_t>(vvram["front_page"].Int())]["layers"][0];
    EXPECT_EQ(layer["picture"].String(), "A.MGD");
    EXPECT_EQ(layer["x"].Int(), 40);
    EXPECT_EQ(ReadText(game.Path("loaded.png")), ReadText(game.Path("lpt.png")));
    EXPECT_EQ(ReadText(Slot(3)), file); // loading leaves the file alone
}

TEST_F(SaveLoad, SavesBeforeTheLoadPointAndBadSlotsAreRefused) {
    std::filesystem::create_directories(game.Path("SAVE"));
    WriteText(Slot(4), "old");
    RunResult early = RunStory("--ticks 14 --save-slot 5:4 --save-slot 13:1000");
    ASSERT_EQ(early.exitCode, 0) << early.stderrText;
    const JsonValue& events = (*early.state)["save_data"]["events"];
    EXPECT_FALSE(std::get<bool>(events[0]["ok"].v)); // before the load point
    EXPECT_FALSE(std::get<bool>(events[1]["ok"].v)); // slot outside 0-999
    EXPECT_EQ(ReadText(Slot(4)), "old");
    EXPECT_TRUE((*early.state)["save_data"]["slots"].Items().empty());

    WriteText(Slot(6), std::string(200, 'x'));
    for (const std::string args : {"--load-slot 6", "--load-slot 7",
                                   "--start-scenario START "
                                   "--load-slot 5:6"}) {
        SCOPED_TRACE(args);
        RunResult bad = game.Run("--ticks 10 " + args);
        EXPECT_EQ(bad.exitCode, 255);
        EXPECT_NE(bad.stderrText.find("セーブデータの読み込みに失敗しました。"), std::string::npos)
            << bad.stderrText;
        ASSERT_TRUE(bad.state); // the dump is written all the same
        EXPECT_FALSE(std::get<bool>((*bad.state)["save_data"]["events"][0]["ok"].v));
    }
    EXPECT_NE(game.Run("--ticks 1 --load-slot 6").stderrText.find("GAME06.SAV: "),
              std::string::npos);
    EXPECT_EQ(ReadText(Slot(6)), std::string(200, 'x'));
    EXPECT_EQ(game.Run("--load-slot 3 --start-scenario START").exitCode, 2);
}

TEST_F(SaveLoad, AMidGameLoadReplacesTheStoryAndBringsItsStrings) {
    ASSERT_EQ(RunStory("--ticks 20 --save-slot 20:2").exitCode, 0);
    // String variables change only through a loaded game: give the file one.
    std::string file = ReadText(Slot(2));
    ASSERT_GT(file.size(), 81168u + 64);
    file.replace(81168 + 64 * 5, 6, std::string("named\0", 6));
    WriteText(Slot(2), file);

    RunResult r = RunStory("--ticks 30 --load-slot 25:2");
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    const JsonValue& events = (*r.state)["save_data"]["events"];
    EXPECT_EQ(events[0]["tick"].Int(), 25);
    EXPECT_TRUE(std::get<bool>(events[0]["ok"].v));
    EXPECT_EQ((*r.state)["string_variables"][5].String(), "named");
    EXPECT_EQ(Var(r, 11), 1);
    // The loaded screen shows the load point's picture, not the one the story had moved on to.
    const JsonValue& vvram = (*r.state)["vvram"];
    EXPECT_EQ(vvram["pages"][static_cast<size_t>(vvram["front_page"].Int())]["layers"][0]["picture"]
                  .String(),
              "A.MGD");
}

// Killed at any moment of a run that saves every tick, the slot holds a whole file.
TEST_F(SaveLoad, AKilledRunLeavesAWholeOldOrNewFile) {
    std::string saves;
    for (int t = 15; t <= 400; ++t)
        saves += " --save-slot " + std::to_string(t) + ":3";
    ASSERT_EQ(RunStory("--ticks 15" + saves).exitCode, 0);
    ASSERT_TRUE(FileExists(Slot(3)));
    TitleKeyCache keys;
    for (int i = 0; i < 8; ++i) {
        const std::string delay = std::to_string(0.4 + 0.15 * i);
        RunCommand("QW_LAYER_SCRIPT=" + Quote(game.Path("layers.txt")) + " timeout -s KILL " +
                   delay + " " + QW_BIN_LAYER_TEST + " " + Quote(game.Dir()) +
                   " --headless --start-scenario START" + saves + " >/dev/null 2>&1");
        const std::string bytes = ReadText(Slot(3));
        auto parsed =
            savefile::Parse(ByteSpan(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                            "Quillwork", keys);
        ASSERT_TRUE(parsed) << "after " << delay << " s: " << parsed.Reason();
        EXPECT_EQ(parsed->state.size() + 155478, bytes.size());
    }
}

} // namespace
} // namespace qw::e2e
