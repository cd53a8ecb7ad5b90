#pragma once
// The fire with a flame shaped around a centre column: the bottom row is seeded most often at
// the centre, less towards the ends of the spread, never outside it.

#include "graphics/CDIBFire.h"

namespace qw {

class CDIBFireEx : public CDIBFire {
public:
    static constexpr int kDefaultCentre = 400;
    static constexpr int kDefaultSpread = 800;

    CDIBFireEx() = default;
    ~CDIBFireEx() override;

    bool Initialize() override;
    void SetShape(int centre, int spread);
    void Draw(CDIBImage* dst) override;

    int GetCentre() const { return centre_; }
    int GetSpread() const { return spread_; }
    // The seed percentage of column j: (spread / 2 − |j − centre|) × 40 / (spread / 2), 0 outside
    // the spread, and 0 everywhere for a spread below 2 (its half would be 0).
    int SeedPercent(int column) const;

protected:
    void Seed() override;
    bool BuildsQuadInMove() const override { return false; }

private:
    int centre_ = kDefaultCentre;
    int spread_ = kDefaultSpread;
};

} // namespace qw
