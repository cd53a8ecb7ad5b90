#pragma once
// A transition: blends from one picture (the "from" surface) to another (the "to" surface) over
// a given time, drawing each frame of it into the frame surface. Fifteen effects, named by
// CallEffectParam's number. Advanced by the frame time; the final state is drawn for at least
// one frame before the effect ends.
//
// The effects live in several sources: CDIBOverlap.cpp (timing, set-up, Blt, Fade),
// OverlapRuleEffects.cpp (Alpha, Wipe), OverlapMotionEffects.cpp (Rotate, LensFlare, Twist,
// Bound, Kacchin, Blur), OverlapDepthEffects.cpp (Glass, RotDoor: pages seen by a camera) and
// OverlapSurfaceEffects.cpp (Fire, Water, Film: the effect surfaces).
//
// Conventions of the effects: p = elapsed / duration, and integer levels computed in 64 bits;
// a duration ≤ 0 counts as finished (p = 1) and never divides. "Blended with alpha A" is
// BltBlend with (A << 24) | 0xFFFFFF. Quad blits sample nearest; geometry is worked out in
// double and truncated toward zero when it becomes pixels. A mode an effect does not list acts
// as its mode 0. Nothing reads outside a surface: pictures of another size than the frame are
// sampled scaled to it, and the surfaces' common area is what is drawn.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/CDIBImage.h"
#include "graphics/CallEffectParam.h"

namespace qw {

class CDIBFilm;
class CDIBFire;
class CDIBSprite;
class CDIBWater;
class CSpriteCache;

class CDIBOverlap {
public:
    // The report of a picture that cannot be read (object, file name): the main window's read
    // error in a game.
    using ReadErrorReport = std::function<void(const char* object, const char* file)>;

    CDIBOverlap();
    CDIBOverlap(const CDIBOverlap&) = delete;
    CDIBOverlap& operator=(const CDIBOverlap&) = delete;
    virtual ~CDIBOverlap();

    // Where the rule, shape, flare and film pictures come from, and where a picture that cannot
    // be read is reported. Without a cache every such picture is unreadable.
    void SetServices(CSpriteCache* cache, ReadErrorReport report);

    // Gives back what the effect holds (pictures to the cache, work surfaces, effect objects);
    // the effect number becomes 0 and the effect state is cleared. Does not touch `active`.
    virtual void Release();
    // Starts the effect named by the parameter's number, releasing a running one first. An
    // unknown number (or a missing surface) starts nothing. The surfaces are not owned and must
    // outlive the effect.
    void InitEffect(CDIBImage* from, CDIBImage* to, const CallEffectParam& param);
    // The two effects screens start by name: a fade, and a rule transition.
    void InitFade(CDIBImage* from, CDIBImage* to, int timeMs);
    void InitAlpha(CDIBImage* from, CDIBImage* to, int timeMs, int mode, std::string_view rule,
                   int level);
    // One tick of `frameMs` milliseconds (the frame time, which already carries the frame-speed
    // setting). `frameSpeed` is that stored setting: it scales the time again (0 or below:
    // half), and above 2 the effect jumps to its end. When the time had already reached the
    // duration the effect is released and becomes inactive.
    void Move(int frameMs, int frameSpeed);
    // Draws the current state into the frame; nothing when inactive.
    void Draw(CDIBImage& frame);

    bool IsActive() const { return active_; }
    // Ends the effect: its final state is shown on the next Move, which is the last one.
    void SetFinishNow() { finishNow_ = true; }
    bool IsFinishNow() const { return finishNow_; }
    int GetEffect() const { return effect_; }
    int GetElapsed() const { return elapsed_; }
    int GetDuration() const { return duration_; }

private:
    // Everything an effect holds; cleared by Release.
    struct EffectState {
        EffectState();
        ~EffectState();
        EffectState(EffectState&&) noexcept;
        EffectState& operator=(EffectState&&) noexcept;

        int mode = 0;
        int level = 0;
        CDIBSprite* picture = nullptr;  // rule, shape, flare or first film picture (cache's)
        CDIBSprite* picture2 = nullptr; // second film picture
        std::unique_ptr<CDIBImage> work[2];
        int current = 0;
        // Alpha's thresholds (the rule picture's blue bytes scaled to the frame), Wipe's mask row
        // and column map.
        std::vector<uint8_t> bytes;
        std::vector<int> columns;
        std::vector<uint8_t> plane; // Wipe's shape as mask bytes
        std::vector<uint32_t> row;  // LensFlare's flash rows stretched to flashWidth
        int flashWidth = 0;
        int width = 0, height = 0; // the effect's frame size (the common size of from and to)
        std::array<double, 4> angle{};
        int start = 0, end = 0, direction = 0; // LensFlare
        int speed = 0, dirX = 0, dirY = 0;     // Bound
        VertexQuad quad{};
        // Glass: per shard its quad as last projected, and its direction and three spin rates.
        std::vector<VertexQuad> quads;
        std::vector<std::array<double, 6>> shards;
        std::unique_ptr<CDIBFire> fire;
        std::unique_ptr<CDIBWater> water;
        std::unique_ptr<CDIBFilm> film;
        int fadeIn = 0, hold = 0, finalTime = 0; // Film's phase times (negative ones as 0)
    };

    // p = elapsed / duration in 0..1 (1 when the duration is not positive).
    double Progress() const;
    // elapsed × scale / duration in 64 bits (scale when the duration is not positive).
    int64_t Level(int64_t scale) const;
    // A picture from the cache by name; the read error is reported when `report` is set.
    CDIBSprite* ReadPicture(std::string_view name, bool report);
    void FreePicture(CDIBSprite*& picture);
    // The surfaces' common area with the frame.
    int DrawWidth(const CDIBImage& frame) const;
    int DrawHeight(const CDIBImage& frame) const;
    void CopyTo(CDIBImage& frame) const;
    void CopyFrom(CDIBImage& frame) const;

    void SetupEffect(const CallEffectParam& param);
    // `advance` is the time this tick added (already scaled by the frame-speed setting).
    void MoveEffect(int64_t advance);

    void DrawFade(CDIBImage& frame);
    void SetupAlpha(std::string_view rule, int mode, int level);
    void DrawAlpha(CDIBImage& frame);
    void SetupWipe(std::string_view shape, int mode);
    void DrawWipe(CDIBImage& frame);
    void SetupRotate(int mode);
    void DrawRotate(CDIBImage& frame);
    void SetupLensFlare(const CallEffectParam& param);
    void DrawLensFlare(CDIBImage& frame);
    void StretchFlashRows(int w);
    void DrawTwist(CDIBImage& frame);
    void SetupBound(const CallEffectParam& param);
    void DrawBound(CDIBImage& frame);
    void DrawKacchin(CDIBImage& frame);
    bool SetupBlur(int mode);
    void MoveBlur();
    void DrawBlur(CDIBImage& frame);
    void SetupGlass(int mode);
    void MoveGlass();
    void DrawGlass(CDIBImage& frame);
    void SetupRotDoor(int mode);
    void MoveRotDoor();
    void DrawRotDoor(CDIBImage& frame);
    void SetupFire();
    void MoveFire(int64_t advance);
    void DrawFire(CDIBImage& frame);
    void SetupWater();
    void MoveWater(int64_t advance);
    void DrawWater(CDIBImage& frame);
    void SetupFilm(const CallEffectParam& param);
    void MoveFilm();
    void DrawFilm(CDIBImage& frame);

    bool active_ = false;
    CDIBImage* from_ = nullptr;
    CDIBImage* to_ = nullptr;
    int effect_ = 0;
    int elapsed_ = 0;
    int duration_ = 0;
    bool finishNow_ = false;
    EffectState state_;

    CSpriteCache* cache_ = nullptr;
    ReadErrorReport reportReadError_;
};

} // namespace qw
