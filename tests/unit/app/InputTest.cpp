#include <gtest/gtest.h>

#include <map>

#include "app/CInput.h"
#include "app/HitMap.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "support/FakeWindow.h"

namespace qw {
namespace {

class MapSource : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        auto it = files.find(std::string(name));
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, Bytes> files;
};

// An 8-bit 800 × 600 bitmap file whose pixel (x, y) (top-down) is `value(x, y)`.
template <typename F>
Bytes MakeHitMapFile(int height, F value) {
    ByteWriter w;
    w.Put<uint16_t>(0x4D42);
    w.Put<uint32_t>(1078 + 800 * 600);
    w.Put<uint32_t>(0);
    w.Put<uint32_t>(1078);
    w.Put<uint32_t>(40);
    w.Put<int32_t>(800);
    w.Put<int32_t>(height);
    w.Put<uint16_t>(1);
    w.Put<uint16_t>(8);
    w.PutZeros(24);
    w.PutZeros(1024); // palette
    for (int fileRow = 0; fileRow < 600; ++fileRow) {
        int y = height > 0 ? 599 - fileRow : fileRow;
        for (int x = 0; x < 800; ++x)
            w.Put<uint8_t>(value(x, y));
    }
    return w.Take();
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClock(&clock_);
        input_.Initialize(&window_, &source_);
        clock_.Advance(500); // past the activation guard
    }
    void TearDown() override { platform::SetClock(nullptr); }
    void PollAt(uint32_t advanceMs) {
        clock_.Advance(advanceMs);
        input_.Poll();
    }

    platform::VirtualClock clock_;
    test::FakeWindow window_;
    MapSource source_;
    CInput input_;
};

TEST_F(InputTest, HeldKeyPressesOnceAndRepeatsAfterHalfASecond) {
    window_.keys[vk::kReturn] = true;
    std::vector<std::pair<uint32_t, bool>> expectRepeat = {
        {0, true}, {100, false}, {399, false}, {1, true}, {30, false}, {70, true}, {100, true}};
    bool first = true;
    for (auto [advance, repeat] : expectRepeat) {
        PollAt(advance);
        EXPECT_EQ(input_.Key(vk::kReturn).pressed, first);
        EXPECT_EQ(input_.Key(vk::kReturn).repeat, repeat) << "after " << advance;
        first = false;
    }
    window_.keys[vk::kReturn] = false;
    PollAt(30);
    EXPECT_TRUE(input_.Key(vk::kReturn).upEdge);
    EXPECT_FALSE(input_.Key(vk::kReturn).down);
}

TEST_F(InputTest, NothingCountsForHalfASecondAfterActivation) {
    window_.keys[vk::kLButton] = true;
    input_.SetActive(true, clock_.NowMs());
    PollAt(499);
    EXPECT_FALSE(input_.Key(vk::kLButton).down);
    PollAt(1);
    EXPECT_TRUE(input_.Key(vk::kLButton).pressed);
    input_.SetActive(false, clock_.NowMs());
    PollAt(30);
    EXPECT_FALSE(input_.Key(vk::kLButton).down);
}

TEST_F(InputTest, SwappedButtonsAndClicksOutsideTheScreen) {
    window_.swapped = true;
    input_.Initialize(&window_, &source_);
    clock_.Advance(500);
    window_.keys[vk::kRButton] = true; // the physical right button is the primary one
    PollAt(30);
    EXPECT_TRUE(input_.Key(vk::kLButton).pressed);
    EXPECT_FALSE(input_.Key(vk::kRButton).down);
    window_.cursor = {800, 10};
    PollAt(30);
    EXPECT_FALSE(input_.Key(vk::kLButton).down);
}

TEST_F(InputTest, TypedCharactersKeepPrintableAsciiInLowerCase) {
    for (int c : {int('A'), int('z'), int('5'), int(' '), int('~'), 8, int('}'), int('@')})
        input_.OnChar(c);
    const auto& ring = input_.GetCharRing();
    ASSERT_EQ(input_.GetCharWriteIndex(), 6);
    EXPECT_EQ(ring[0], 'a');
    EXPECT_EQ(ring[1], 'z');
    EXPECT_EQ(ring[2], '5');
    EXPECT_EQ(ring[3], ' ');
    EXPECT_EQ(ring[4], '}'); // '~' (126) and Backspace are not stored
    EXPECT_EQ(ring[5], '@');
}

TEST_F(InputTest, KeyTables) {
    struct Case {
        const KeyTableEntry* table;
        std::vector<int> held; // keys held from the previous poll on
        std::vector<int> pressedNow;
        bool expected;
    };
    const Case cases[] = {
        {keytable::kDecide, {}, {vk::kReturn}, true},
        {keytable::kDecide, {vk::kReturn}, {}, false}, // held, not freshly pressed
        {keytable::kDecideMouseFirst, {}, {vk::kLButton}, true},
        {keytable::kCancel, {}, {vk::kEscape}, true},
        {keytable::kCancel, {}, {vk::kLButton}, false},
        {keytable::kSkip, {vk::kControl}, {}, true},
        {keytable::kSkip, {vk::kMButton}, {}, true}, // the middle button counts as Control
        {keytable::kShift, {vk::kShift}, {}, true},
        {keytable::kOpenClose, {vk::kShift}, {}, true},
        {keytable::kMovieSkip, {}, {vk::kRButton}, true},
        {keytable::kScreenSkip, {}, {vk::kSpace}, false},
        {keytable::kScreenSkip, {vk::kControl}, {}, true},
    };
    for (const Case& c : cases) {
        window_.keys = {};
        input_.Clear();
        for (int k : c.held)
            window_.keys[static_cast<size_t>(k)] = true;
        PollAt(30);
        for (int k : c.pressedNow)
            window_.keys[static_cast<size_t>(k)] = true;
        PollAt(30);
        EXPECT_EQ(input_.CheckKeyTbl(c.table), c.expected) << "table entry key " << c.table[0].key;
    }
}

TEST_F(InputTest, HitMapsBothRowOrdersAndBadShapes) {
    auto value = [](int x, int y) { return static_cast<uint8_t>((x / 100) + (y / 100) * 8); };
    source_.files["up.bmp"] = MakeHitMapFile(600, value);
    source_.files["down.bmp"] = MakeHitMapFile(-600, value);
    Bytes narrow = MakeHitMapFile(600, value);
    StoreLE(std::span<uint8_t>(narrow), 18, int32_t{640});
    source_.files["narrow.bmp"] = narrow;
    for (const char* name : {"up.bmp", "down.bmp"}) {
        EXPECT_EQ(input_.GetHitMapNo(name, 0, 0), 0) << name;
        EXPECT_EQ(input_.GetHitMapNo(name, 799, 0), 7) << name;
        EXPECT_EQ(input_.GetHitMapNo(name, 250, 599), 2 + 5 * 8) << name;
        EXPECT_EQ(input_.GetHitMapNo(name, 800, 10), -1) << name;
        EXPECT_EQ(input_.GetHitMapNo(name, 10, -1), -1) << name;
    }
    EXPECT_EQ(input_.GetHitMapNo("narrow.bmp", 10, 10), -1);
    EXPECT_EQ(input_.GetHitMapNo("missing.bmp", 10, 10), -1);
    EXPECT_EQ(DecodeHitMap(Bytes(100, 0)), std::nullopt);
}

} // namespace
} // namespace qw
