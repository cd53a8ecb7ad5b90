#pragma once
// A layer action: animates how a layer is drawn — a 2D rotation, a scroll along a path, a raster
// (wave) distortion, falling rain drops or fire. The virtual VRAM owns 256 of them; the scenario
// defines one (ACTMAKE), attaches it to layers or to the whole front page, and plays and stops
// it. A layer with an action draws only through it.
//
// The VVram moves every action once per tick, handing in the frame time and the frame-speed
// setting (graphics/ does not reach the main window), and asks IsDrawn afterwards: an action
// whose move step changed its drawing makes its layer's page be recomposed.
//
// The per-type code lives in CDIBSnrAction<Type>.cpp; this file's source holds the state
// machine, the saved record and the drawing rules the types share.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "common/Bytes.h"
#include "graphics/CDIBImage.h"

namespace qw {

class CDIBCamera;
class CDIBFireEx;
class CDIBSprite;
class CSpriteCache;

enum class ActionType : int32_t { None = 0, Rot2D = 1, Scroll = 2, Raster = 3, Rain = 4, Fire = 5 };

// The 208-byte definition ACTMAKE fills: type at 0, a at 4, b at 8, c at 12, then a 192-byte
// extra block whose meaning depends on the type (little-endian int32 fields).
struct ActionDefinition {
    static constexpr size_t kSize = 208;
    static constexpr size_t kExtraOffset = 16;
    static constexpr size_t kExtraSize = kSize - kExtraOffset;
    static constexpr int kScrollPoints = 16;

    std::array<uint8_t, kSize> bytes{};

    // nullopt unless `data` holds at least kSize bytes (the first kSize are taken).
    static std::optional<ActionDefinition> FromBytes(ByteSpan data);

    int32_t Type() const { return Int(0); }
    int32_t A() const { return Int(4); }
    int32_t B() const { return Int(8); }
    int32_t C() const { return Int(12); }
    // The extra block's int32 number `index` (0 … 47).
    int32_t Extra(int index) const { return Int(kExtraOffset + 4 * static_cast<size_t>(index)); }
    void SetType(ActionType t) { SetInt(0, static_cast<int32_t>(t)); }
    void SetA(int32_t v) { SetInt(4, v); }
    void SetB(int32_t v) { SetInt(8, v); }
    void SetC(int32_t v) { SetInt(12, v); }
    void SetExtra(int index, int32_t v) {
        SetInt(kExtraOffset + 4 * static_cast<size_t>(index), v);
    }

    // Scroll: loop in b's low byte, curve in its second; the points' x, y and z as three arrays
    // of 16 in the extra block.
    bool ScrollLoop() const { return (B() & 0xFF) != 0; }
    bool ScrollCurve() const { return ((B() >> 8) & 0xFF) != 0; }
    int32_t ScrollX(int i) const { return Extra(i); }
    int32_t ScrollY(int i) const { return Extra(kScrollPoints + i); }
    int32_t ScrollZ(int i) const { return Extra(2 * kScrollPoints + i); }
    // Rain: the drop picture's name from offset 20, ending at its zero or the block's end.
    std::string_view RainDropName() const;
    void SetRainDropName(std::string_view name);

private:
    int32_t Int(size_t at) const { return LoadLEUnchecked<int32_t>(bytes.data() + at); }
    void SetInt(size_t at, int32_t v) { StoreLEUnchecked(bytes.data() + at, v); }
};

// What a layer hands its action to be drawn with.
struct ActionDrawParam {
    CDIBImage* dst = nullptr;     // the page (or the frame, for the screen action)
    int x = 0, y = 0, z = 0;      // the layer's position and depth
    CDIBImage* picture = nullptr; // the layer's picture (the front page for the screen action)
    int width = 0, height = 0;    // the drawn size, already resolved from the picture's
    uint32_t colour = 0xFFFFFFFF;
    bool blend = true;
    bool anti = false;
    CDIBCamera* camera = nullptr; // the page camera, or none
};

class CDIBSnrAction {
public:
    // Fixed part of the saved record (flags and definition) before the type's own bytes.
    static constexpr size_t kRecordHead = 217;
    static constexpr int kGrid = 51; // raster grid points per side
    static constexpr int kMaxDrops = 100000;
    static constexpr size_t kDropNameSize = 64;

    // One rain drop: start position and depth, time since it began to fall (waiting while
    // negative), swing angle and size factor.
    struct Drop {
        double x = 0, y = 0, z = 0;
        int32_t time = 0;
        double angle = 0, size = 0;
    };

    CDIBSnrAction();
    virtual ~CDIBSnrAction();
    CDIBSnrAction(const CDIBSnrAction&) = delete;
    CDIBSnrAction& operator=(const CDIBSnrAction&) = delete;

    // Releases, and keeps the picture cache rain actions read their drop from (not owned; may
    // be null, then a rain cannot be set up).
    virtual bool Initialize(CSpriteCache* cache = nullptr);
    virtual void Release();
    // Appends the saved record; Load reads one, returning the bytes it used, or nullopt (and
    // changes nothing) for a truncated record, a type outside 0–5 or a count out of range.
    virtual bool Save(ByteWriter& out) const;
    virtual std::optional<size_t> Load(ByteSpan record);
    // Defines the action; false (and the action undefined) when the type's set-up fails.
    virtual bool Setup(const ActionDefinition& definition);
    virtual void Play();
    virtual void Stop();
    // One tick of `frameMs` milliseconds under the frame-speed setting; `fast` hurries it.
    virtual void Move(bool fast, int frameMs, int frameSpeed);
    virtual void Draw(const ActionDrawParam& param);
    virtual bool IsDefined() const { return Type() != ActionType::None; }
    virtual bool IsActive() const { return active_ != 0; }
    virtual bool IsDrawn() const { return drawn_ != 0; }
    virtual bool IsPlaying() const { return playing_ != 0; }
    virtual bool IsPlayedIn() const { return playedIn_ != 0; }
    virtual bool IsStopped() const { return stopped_ != 0; }

    ActionType Type() const { return static_cast<ActionType>(def_.Type()); }
    const ActionDefinition& Definition() const { return def_; }
    bool IsFast() const { return fast_ != 0; }

    // Read-outs of the moving state (tests, the state dump).
    int32_t GetTime() const { return time_; }
    int32_t GetTurns() const { return turns_; }
    int32_t GetFadeIn() const { return fadeIn_; }
    int32_t GetFadeOut() const { return fadeOut_; }
    int GetDropCount() const { return static_cast<int>(drops_.size()); }
    const Drop& GetDrop(int i) const { return drops_[static_cast<size_t>(i)]; }
    // The raster's current displacement amplitude (A' of the draw).
    double RasterAmplitude() const;
    // The fire's flame surface (null unless a fire is defined).
    const CDIBFireEx* GetFire() const { return fire_.get(); }
    // The quads the raster's last draw blended, in order (after the camera, dropped ones left
    // out).
    std::span<const VertexQuad> GetRasterQuads() const {
        return {rasterQuads_.data(), rasterQuadCount_};
    }

    // Raster drawing of one quad: the quad blit's edge scan and nearest sampling, where each
    // destination pixel whose source alpha is not 0 and whose mask byte is 0 is blended with
    // the colour and marked. `mask` holds one byte per destination pixel.
    static void BltRaster(CDIBImage& src, CDIBImage& dst, const VertexQuad& quad, uint8_t* mask);

protected:
    virtual bool Setup2DRot();
    virtual void Release2DRot();
    virtual void Save2DRot(ByteWriter& out) const;
    virtual void Load2DRot(ByteSpan body);
    virtual void Move2DRot(int ms);
    virtual void Draw2DRot(const ActionDrawParam& param);

    virtual bool SetupScroll();
    virtual void ReleaseScroll();
    virtual void SaveScroll(ByteWriter& out) const;
    virtual void LoadScroll(ByteSpan body);
    virtual void MoveScroll(int ms);
    virtual void DrawScroll(const ActionDrawParam& param);

    virtual bool SetupRaster();
    virtual void ReleaseRaster();
    virtual void SaveRaster(ByteWriter& out) const;
    virtual void LoadRaster(ByteSpan body);
    virtual void MoveRaster(int ms);
    virtual void DrawRaster(const ActionDrawParam& param);

    virtual bool SetupRain();
    virtual void ReleaseRain();
    virtual void SaveRain(ByteWriter& out) const;
    virtual void LoadRain(ByteSpan body);
    virtual void MoveRain(int ms);
    virtual void DrawRain(const ActionDrawParam& param);

    virtual bool SetupFire();
    virtual void ReleaseFire();
    virtual void SaveFire(ByteWriter& out) const;
    virtual void LoadFire(ByteSpan body);
    virtual void MoveFire(int ms);
    virtual void DrawFire(const ActionDrawParam& param);

    // The common step of the moves: drawn = 0; playing → played in; else the stop completes
    // (stopped, inactive, drawn once more so the page loses what the action added). False when
    // the stop completed and the type's step has nothing more to do.
    bool CommonMove();
    // The layer's own w × h rectangle at (x, y) with z on every corner and the whole picture as
    // source, through the camera, drawn with the common blit choice.
    static void DrawLayerQuad(const ActionDrawParam& param, int x, int y, int z);
    // The camera (if any), then the common blit choice: blend → StretchBltBlend (anti), colour
    // 0xFFFFFFFF → StretchBltCopy, else StretchBltFast.
    static void BlitQuad(const ActionDrawParam& param, CDIBImage& picture, VertexQuad& quad);
    static void BlitQuadNoCamera(const ActionDrawParam& param, CDIBImage& picture,
                                 const VertexQuad& quad);
    // The layer's camera on one quad; false when the camera removed it (nothing to draw). `g`,
    // when given, receives the quad's depth factor (left as it is without a camera).
    static bool CameraTransform(const ActionDrawParam& param, VertexQuad& quad, float* g);
    // The layer's camera keeps it facing the viewer (drops are not slanted then).
    static bool CameraBillboard(const ActionDrawParam& param);
    // A corner from geometry in double: truncated toward zero (rounded to nearest when
    // `round`); false when a value is not finite or does not fit the corner's 16 bits.
    static bool SetCorner(QuadCorner& corner, double x, double y, double z, bool round = false);
    // The quad SetStretchVertex makes of the rectangle at (x, y), w × h, over the whole
    // picture, with z on every corner and the bottom edge shifted right by `slant`.
    static bool RectQuad(VertexQuad& quad, const CDIBImage& picture, double x, double y, double w,
                         double h, double z, uint32_t colour, double slant = 0);

private:
    struct DrawnDrop {
        float g;
        int index;
    };
    struct ColumnRun { // map columns t … t + length − 1 take source columns from `column` on
        int32_t t, column, length;
    };
    struct GridPoint {
        QuadCorner corner;
        QuadSource source;
        bool ok; // the corner fits a quad's coordinates
    };
    // The raster's rows drawn whole, when its quads have the form a sideways wave gives them;
    // false, drawing nothing, otherwise.
    bool BlendRasterRows(const ActionDrawParam& param, const VertexQuad* quads, size_t count);
    void SeedDrop(Drop& drop, bool restart);
    bool BuildRain(); // reads dropName_ and seeds the drops
    int32_t RainPeriod() const { return def_.A(); }

    uint8_t active_ = 0;
    uint8_t playing_ = 0;
    int32_t reserved_ = 0; // the record's int32 after playing, kept as read
    uint8_t drawn_ = 0;
    uint8_t playedIn_ = 0;
    uint8_t stopped_ = 0;
    uint8_t fast_ = 0;
    ActionDefinition def_;

    CSpriteCache* cache_ = nullptr; // not owned

    // 2D rotation (time, turns), scroll (time), raster (time is the phase).
    int32_t time_ = 0;
    int32_t turns_ = 0;
    int32_t fadeIn_ = 0;
    int32_t fadeOut_ = 0;
    int32_t rasterPeriod_ = 0;            // c doubled
    std::vector<GridPoint> grid_;         // the raster's points, rebuilt by each draw
    std::vector<VertexQuad> rasterQuads_; // the raster's quads of the last draw, in drawing order
    size_t rasterQuadCount_ = 0;
    std::vector<int32_t> rowFirst_, rowNext_; // the raster's column map (source columns, or −1)
    std::vector<int32_t> rowSpecial_;         // its columns with no quad or a second one
    std::vector<ColumnRun> rowRuns_;          // its other columns, in runs of consecutive ones
    std::vector<uint32_t> rowSamples_;        // one row of the raster's samples
    std::vector<VertexQuad> quads_;           // rain drop quads

    // Rain.
    CDIBSprite* drop_ = nullptr; // held from the cache
    int32_t rainReserved_ = 0;   // the rain record's int32, kept as read
    std::array<uint8_t, kDropNameSize> dropName_{};
    std::vector<Drop> drops_;
    std::vector<DrawnDrop> order_;

    // Fire.
    std::unique_ptr<CDIBFireEx> fire_;
};

// Milliseconds a move step advances by: the frame time scaled by the frame-speed setting
// (s ≤ 0 halves it, else multiplies), as the transitions scale theirs.
int ScaledFrameMs(int frameMs, int frameSpeed);

} // namespace qw
