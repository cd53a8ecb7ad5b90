// OVERLAP's parameters into the transition record: each kind's fields, the Film extension, and
// the count and type errors.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <variant>
#include <vector>

#include "scenario/OverlapParams.h"

namespace qw {
namespace {

using Param = std::variant<int32_t, std::string>;

class ListSource : public OverlapParamSource {
public:
    explicit ListSource(std::vector<Param> p) : params_(std::move(p)) {}
    int Count() const override { return static_cast<int>(params_.size()); }
    bool IsText(int i) const override {
        return std::holds_alternative<std::string>(params_.at(static_cast<size_t>(i)));
    }
    int32_t Value(int i) override { return std::get<int32_t>(params_.at(static_cast<size_t>(i))); }
    std::string Text(int i) override {
        return std::get<std::string>(params_.at(static_cast<size_t>(i)));
    }

private:
    std::vector<Param> params_;
};

CallEffectParam Read(std::vector<Param> params, OverlapParamError* error = nullptr) {
    ListSource source(std::move(params));
    CallEffectParam out;
    const OverlapParamError e = ReadOVParam(source, out);
    if (error) *error = e;
    return out;
}

TEST(OverlapParamsTest, EachKindFillsItsFields) {
    using P = CallEffectParam;
    const struct {
        std::vector<Param> params;
        CallEffectParam want;
    } cases[] = {
        {{0, 0}, P::Make(kEffectBlt, 1)},
        {{1, 500}, P::Make(kEffectFade, 501)},
        {{1, INT_MAX}, P::Make(kEffectFade, INT_MAX)},
        {{2, 1000, 2, std::string("RULE01")}, P::MakeAlpha(1000, 2, "RULE01", 255)},
        {{2, 1000, 2, std::string("RULE01"), 32}, P::MakeAlpha(1000, 2, "RULE01", 32)},
        {{3, 700, 1, std::string("STAR")}, P::MakeWipe(700, 1, "STAR")},
        {{4, 900, 1}, P::MakeMode(kEffectRotate, 900, 1)},
        {{5, 2000, std::string("FLARE"), 300, 1500, 1},
         P::MakeLensFlare(2000, "FLARE", 300, 1500, 1)},
        {{6, 800, 0}, P::MakeMode(kEffectTwist, 800, 0)},
        {{7, 600, 11, 2, -30, 40}, P::MakeBound(600, 11, 2, -30, 40)},
        {{8, 500, 1}, P::MakeMode(kEffectKacchin, 500, 1)},
        {{9, 1500, 3}, P::MakeMode(kEffectGlass, 1500, 3)},
        {{10, 2500}, P::Make(kEffectFire, 2500)},
        {{11, 2500}, P::Make(kEffectWater, 2500)},
        {{13, 1200, 2}, P::MakeMode(kEffectRotDoor, 1200, 2)},
        {{14, 1000, 11}, P::MakeMode(kEffectBlur, 1000, 11)},
        // Film: no fields (it ends at once) unless all five are given.
        {{12}, P::MakeFilm("", "", 0, 0, 0)},
        {{12, 5, 6, 7}, P::MakeFilm("", "", 0, 0, 0)},
        {{12, std::string("SCRATCH"), std::string("DUST"), 400, 1000, 600},
         P::MakeFilm("SCRATCH", "DUST", 400, 1000, 600)},
        // Other kinds read nothing and name no effect.
        {{15, std::string("any"), 1}, P{}},
        {{-1}, P{}},
        {{INT_MAX, 3}, P{}},
    };
    for (const auto& c : cases) {
        OverlapParamError error = OverlapParamError::kCount;
        const CallEffectParam got = Read(c.params, &error);
        EXPECT_EQ(error, OverlapParamError::kNone) << c.want.Type();
        EXPECT_EQ(got.bytes, c.want.bytes) << "kind " << std::get<int32_t>(c.params[0]);
    }
}

TEST(OverlapParamsTest, WrongCountsAndTypes) {
    const struct {
        std::vector<Param> params;
        OverlapParamError want;
    } cases[] = {
        {{}, OverlapParamError::kCount},
        {{0}, OverlapParamError::kCount},
        {{1, 100, 5}, OverlapParamError::kCount},
        {{2, 100, 0}, OverlapParamError::kCount},
        {{2, 100, 0, std::string("R"), 1, 2}, OverlapParamError::kCount},
        {{5, 100, std::string("F"), 1, 2}, OverlapParamError::kCount},
        {{9, 100}, OverlapParamError::kCount},
        {{std::string("0"), 100}, OverlapParamError::kType},
        {{1, std::string("100")}, OverlapParamError::kType},
        {{2, 100, 0, 7}, OverlapParamError::kType},
        {{5, 100, 7, 1, 2, 3}, OverlapParamError::kType},
        {{7, 100, 1, 2, 3, std::string("4")}, OverlapParamError::kType},
        {{12, 1, std::string("B"), 1, 2, 3}, OverlapParamError::kType},
    };
    for (const auto& c : cases) {
        OverlapParamError error = OverlapParamError::kNone;
        const CallEffectParam got = Read(c.params, &error);
        EXPECT_EQ(error, c.want) << "case with " << c.params.size() << " parameters";
        EXPECT_EQ(got.Type(), 0); // nothing is started on an error
    }
}

} // namespace
} // namespace qw
