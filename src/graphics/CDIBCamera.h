#pragma once
// A page's camera: projects the layers' quads as if the 800 × 600 page were a plane seen from
// (0, 0, −1000), so a layer's z moves it nearer or farther; the point looked at can travel along
// a spline path, and a layer can face the camera (billboard) or follow it with its own parallax
// factors (XY rate, W rate), which the page copies from the layer before each Transform.

#include <cstdint>
#include <optional>

#include "common/Bytes.h"
#include "graphics/CMatrix.h"
#include "graphics/CVector.h"

namespace qw {

struct VertexQuad;

class CDIBCamera {
public:
    static constexpr int kMaxPoints = 16;
    static constexpr size_t kRecordSize = 168;

    CDIBCamera();
    virtual ~CDIBCamera();

    // Both give the reset values: on, no billboard, rates 1, eye (0, 0, −1000), target 0,
    // up (0, 1, 0), roll 0, no move and no path.
    virtual void Initialize();
    virtual void Reset();

    // No path points; every point and w value 0.
    void ResetMove();
    // Appends a path point (x, y, z on the page) with its w; points past kMaxPoints are ignored.
    void AddMove(float x, float y, float z, float w);
    // Starts the path move over `time` ms.
    void StartMove(int time);
    // One tick of a path move: `frameMs` is the frame's time (not scaled by the frame-speed
    // setting); `fast` ends the move now.
    void Move(bool fast, int frameMs);
    // Projects `count` quads in place (z in each corner's shade field). A quad with a corner that
    // cannot be seen is dropped (it then draws nothing). `depth`, when given, receives each
    // quad's depth g at corner 0 (0 for a dropped quad) for callers that sort by it.
    void Transform(VertexQuad* quads, int count, float* depth = nullptr) const;

    // The 168-byte record (appended). Load refuses a short record, changing nothing; it keeps
    // path points 0 and 1 but no point count.
    bool Save(ByteWriter& out) const;
    std::optional<size_t> Load(ByteSpan record);

    // What the page copies from the layer being drawn.
    void SetLayerParam(bool on, bool billboard, float xyRate, float wRate);
    void SetEye(const CVector& eye) { eye_ = eye; }
    void SetTarget(const CVector& target) { target_ = target; }
    void SetUp(const CVector& up) { up_ = up; }

    bool IsOn() const { return on_; }
    bool IsBillboard() const { return billboard_; }
    const CVector& GetEye() const { return eye_; }
    const CVector& GetTarget() const { return target_; }
    const CVector& GetUp() const { return up_; }
    float GetRoll() const { return roll_; }
    bool IsMoving() const { return moving_; }
    bool IsChanged() const { return changed_; }
    int GetDuration() const { return duration_; }
    int GetElapsed() const { return elapsed_; }
    int GetPointCount() const { return points_; }
    const CVector& GetPoint(int i) const { return path_[i]; }
    int32_t GetWValue(int i) const { return wValues_[i]; }

private:
    bool on_ = true;
    bool billboard_ = false;
    float xyRate_ = 1.0f;
    float wRate_ = 1.0f;
    CVector eye_{0, 0, -1000, 0};
    CVector target_{};
    CVector up_{0, 1, 0, 0};
    float roll_ = 0;
    uint8_t spare_ = 0; // kept only for the saved record
    bool moving_ = false;
    int32_t duration_ = 0;
    int32_t elapsed_ = 0;
    int32_t points_ = 0;
    int32_t wValues_[kMaxPoints] = {};
    CVector path_[kMaxPoints] = {};
    bool changed_ = false;
};

} // namespace qw
