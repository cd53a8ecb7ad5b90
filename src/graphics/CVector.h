#pragma once
// A four-float vector for the camera and the effects' 3D math. The arithmetic used per corner
// (difference, sum, scaling, dot and cross products) is inline and leaves the execution trace
// alone; Length and Normalize3 record themselves.

namespace qw {

class CVector {
public:
    float x = 0, y = 0, z = 0, w = 0;

    constexpr CVector() = default;
    constexpr CVector(float x_, float y_, float z_, float w_ = 0) : x(x_), y(y_), z(z_), w(w_) {}

    // Of x, y, z.
    float Length() const;
    // x, y, z divided by Length(); a zero vector stays zero. w is not touched.
    CVector& Normalize3();
};

// Component-wise on all four.
constexpr CVector operator+(const CVector& a, const CVector& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
constexpr CVector operator-(const CVector& a, const CVector& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
constexpr CVector operator*(const CVector& a, float k) {
    return {a.x * k, a.y * k, a.z * k, a.w * k};
}
// Of x, y, z; the cross product's w is 0.
constexpr float Dot3(const CVector& a, const CVector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
constexpr CVector Cross3(const CVector& a, const CVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0};
}

} // namespace qw
