#pragma once
// A natural cubic spline with unit knot spacing over up to 100 values in each of three channels,
// evaluated at t in 0 … 1 across the whole run of values. No allocation: the tables are fixed.

namespace qw {

class CSpline {
public:
    static constexpr int kMaxValues = 100;

    // Empties the spline.
    void Clear();
    // Appends one value per channel; values past kMaxValues are ignored.
    void Add(float x, float y, float z);
    // Computes the coefficients of every channel (after the last Add).
    void MakeSpline();
    // The value of `channel` (0 … 2) at t: 0 without values, the one value with one, the last
    // value for t ≥ 1 (and for a t that is not a number).
    float GetValue(int channel, float t) const;
    int GetCount() const { return count_; }

private:
    struct Channel {
        float y[kMaxValues], b[kMaxValues], c[kMaxValues], d[kMaxValues];
    };
    void MakeChannel(Channel& ch);

    int count_ = 0;
    Channel channels_[3] = {};
};

} // namespace qw
