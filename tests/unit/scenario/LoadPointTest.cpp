// The load point: LPT leaves a snapshot that a saved game resumes at, once; the screen's load
// checks every record before it changes anything.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "common/Bytes.h"
#include "graphics/CDIBSnrVVram.h"
#include "platform/FileSystem.h"
#include "unit/scenario/InterpreterFixture.h"

namespace qw::test {
namespace {

class LoadPoint : public InterpreterFixture {
protected:
    // `before` runs between the screen's Initialize and its load.
    bool StartLoad(int slot, const std::function<void()>& before = {}) {
        main_->SetCloseWithoutAsking(false);
        screen_ = std::make_unique<CDIBSnrScreen>();
        SnrStartRecord start;
        start.loadFlag = 1;
        start.saveSlot = slot;
        if (!screen_->Initialize(start)) return false;
        if (before) before();
        screen_->OnChangeScreen1st();
        return !screen_->LoadFailed();
    }
    // The 56-byte screen record at the end of the snapshot's state.
    ByteSpan ScreenRecord() const {
        EXPECT_NE(Save().GetSnapshot(), nullptr);
        const auto used = static_cast<size_t>(Save().componentLength);
        if (used < 56) return {};
        return ByteSpan(Save().componentBuffer).first(used).last(56);
    }
};

TEST_F(LoadPoint, ASavedGameResumesAfterTheLoadPointAndCountsOnce) {
    AddScenario("START", R"(MOV 11, 5
MESFTSIZE 30
MESFTCOLOR 1, 255, 0, 0
MESTXKINSOKU 1
ATIMES 700
LPT 0
MOV 11, (v11 + 1)
MESFTSIZE 12
ATIMES -1
AWAIT 0, 0, 0, 0, 0, 0
)");
    ASSERT_TRUE(Start("START"));
    EXPECT_FALSE(Save().SaveGame(3)); // before the first load point
    Tick();                           // up to ATIMES, which ends the tick
    Tick();                           // LPT and on to the endless wait
    EXPECT_EQ(Var(11), 6);
    ByteSpan record = ScreenRecord();
    ASSERT_EQ(record.size(), 56u);
    const uint32_t loadPoint = *LoadLE<uint32_t>(record, 0);
    EXPECT_EQ(*LoadLE<uint32_t>(record, 4), 700u); // the wait limit and elapsed time
    EXPECT_LT(*LoadLE<uint32_t>(record, 8), 700u);
    EXPECT_EQ(record[12], 1);                    // kinsoku
    EXPECT_EQ(*LoadLE<int32_t>(record, 42), 30); // font size at the load point
    EXPECT_EQ(*LoadLE<uint32_t>(record, 50), 0xFFFF0000u);
    EXPECT_EQ(*LoadLE<int32_t>(record, 14), 8); // the text area's left edge
    EXPECT_EQ(Save().GetSnapshot()->locals[11], 5);
    ASSERT_TRUE(Save().SaveGame(3));

    Save().localVars[11] = 100; // whatever happened since
    ASSERT_TRUE(StartLoad(3));
    EXPECT_EQ(Var(11), 5);
    EXPECT_EQ(screen_->GetSnrBuffer()->GetFilePos(), loadPoint);
    EXPECT_EQ(screen_->GetWaitLimit(), 700u);
    EXPECT_EQ(screen_->GetTextBuffer()->fontSize, 30);
    EXPECT_EQ(screen_->GetTextBuffer()->shadowColour, 0xFFFF0000u);
    EXPECT_TRUE(screen_->GetTextBuffer()->kinsoku);
    Tick();
    EXPECT_EQ(Var(11), 6); // the MOV after the load point ran once
    EXPECT_EQ(screen_->GetTextBuffer()->fontSize, 12);
    EXPECT_FALSE(Ended()) << LastBox();

    // A new screen forgets the snapshot: nothing to save until its first load point.
    ASSERT_TRUE(Start("START"));
    EXPECT_EQ(Save().GetSnapshot(), nullptr);
    EXPECT_FALSE(Save().SaveGame(4));
}

TEST_F(LoadPoint, ABadRecordRefusesTheLoadAndChangesNothing) {
    AddScenario("START", "MOV 1, 1\nLPT 0\nMOV 2, 2\nATIMES -1\nAWAIT 0, 0, 0, 0, 0, 0\n");
    ASSERT_TRUE(Start("START"));
    Tick();
    ASSERT_TRUE(Save().SaveGame(1));
    const Bytes state(Save().componentBuffer.begin(),
                      Save().componentBuffer.begin() + Save().componentLength);
    const size_t vvram = state.size() - 56 - CSnrBuffer::kSaveHeaderSize;

    struct Case {
        const char* what;
        Bytes state;
    };
    auto with = [&](size_t at, uint32_t v) {
        Bytes b = state;
        StoreLE<uint32_t>(b, at, v);
        return b;
    };
    Bytes missing = state;
    std::memcpy(&missing[vvram], "MISSING\0", 8);
    const Case cases[] = {
        {"front page 2", with(0, 2)},
        {"cut in the layers", Bytes(state.begin(), state.begin() + 100)},
        {"scenario gone", missing},
        {"screen record cut", Bytes(state.begin(), state.end() - 1)},
        {"load point before the stream", with(state.size() - 56, 3)},
        {"load point past the file", with(state.size() - 56, 0x7FFFFFFF)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::string why;
        CDIBSnrVVram* before = screen_->GetVVram();
        EXPECT_FALSE(screen_->CheckState(k.state, why));
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(screen_->Load()); // nothing waits to be put in place
        EXPECT_EQ(screen_->GetVVram(), before);
    }
    std::string why;
    EXPECT_TRUE(screen_->CheckState(state, why)) << why;

    // Through a start slot: the file's state refused, the game says so and ends; the save
    // data's variables stay as they were.
    auto file = *platform::ReadWholeFile(Save().SaveFilePath(1));
    file.resize(file.size() - 1); // state past the end
    ASSERT_TRUE(platform::WriteFileAtomic(Save().SaveFilePath(2), file));
    EXPECT_FALSE(StartLoad(2, [&] { Save().localVars[1] = 42; }));
    EXPECT_EQ(Var(1), 42);
    EXPECT_EQ(LastBox(), "セーブデータの読み込みに失敗しました。");
    EXPECT_TRUE(Ended());
}

} // namespace
} // namespace qw::test
