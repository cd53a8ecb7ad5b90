#pragma once
// One layer of a page of the virtual VRAM: a picture held from the cache, placed at (x, y) with
// a depth z for the page camera, drawn at its own or a given size, tinted, blended or copied,
// optionally drawn through a layer action. Every setter marks the layer updated, which makes its
// page be recomposed on the next tick.
//
// Drawing goes in two halves so the page can recompose only where layers changed: PlanDraw works
// out what the layer draws (the projected quad and the blit, or its action) and the page
// rectangle that covers it; DrawPlanned carries the plan out, possibly clipped to part of the
// page. Draw is the two in a row.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "graphics/CDIBImage.h"

namespace qw {

class CDIBCamera;
class CDIBSnrAction;
class CDIBSprite;
class CSpriteCache;

// The VVram's 256 actions, shared by all layers: action number n (1-based) is entry n − 1.
using LayerActionTable = std::array<std::unique_ptr<CDIBSnrAction>, 256>;

// A layer's properties, from the updated flag on, with their defaults. The byte flags keep the
// value they were given or read (any non-zero value is on), so a saved record comes back as it
// was.
struct LayerProp {
    uint8_t updated = 0;
    CDIBSprite* picture = nullptr;
    int32_t x = 0, y = 0, z = 0;
    int32_t width = 0, height = 0; // 0: the picture's own
    uint32_t colour = 0xFFFFFFFF;
    uint8_t blend = 1;
    uint8_t anti = 0;
    int32_t action = 0; // 0 none, else 1-based action number
    uint8_t camera = 1;
    uint8_t billboard = 0;
    float xyRate = 1.0f;
    float wRate = 1.0f;
};

class CDIBSnrLayer {
public:
    static constexpr size_t kNameSize = 64;
    static constexpr size_t kRecordSize = 105;
    static constexpr size_t kMovieRecordSize = 110;

    // What a layer draws, worked out by PlanDraw.
    enum class PlanOp : uint8_t { None, Blend, Copy, Fast, Action };
    struct Plan {
        PlanOp op = PlanOp::None;
        VertexQuad quad{}; // projected, for the blits
        // The page pixels the draw can touch, clipped to the page (right and bottom excluded);
        // empty when it touches none. Unknown (the whole page) for actions.
        RegionRect bounds{};
    };

    // The saved record read back but not applied yet: Load checks a whole page record before
    // anything changes.
    struct Record {
        uint8_t updated = 0;
        std::array<char, kNameSize> name{};
        bool movie = false; // the name's extension starts with ".mpg": rate and pause follow
        float rate = 1.0f;
        uint8_t paused = 0;
        LayerProp prop;
    };

    CDIBSnrLayer();
    virtual ~CDIBSnrLayer();
    CDIBSnrLayer(const CDIBSnrLayer&) = delete;
    CDIBSnrLayer& operator=(const CDIBSnrLayer&) = delete;

    // Releases, keeps the action table and the cache (not owned), and takes the defaults with
    // the updated flag clear.
    virtual bool Initialize(const LayerActionTable* actions, CSpriteCache* cache);
    // Gives the picture back to the cache.
    virtual void Release();
    // The 105-byte record (110 when the picture's name is a movie's), appended.
    virtual bool Save(ByteWriter& out) const;
    // Reads a record into the layer, which is expected at its defaults: the picture is taken
    // from the cache by the stored name (a failure leaves no picture), a movie gets the stored
    // rate and pause. The bytes used, or nullopt (nothing changed) for a short record.
    virtual std::optional<size_t> Load(ByteSpan record);
    // Gives the picture back and takes the defaults; marks the layer updated, so its page is
    // recomposed without it.
    virtual void SetDefaultProp();
    // One tick: a movie picture advances (once per tick however many layers show it) and keeps
    // the layer updated; otherwise the layer is updated when its action changed its drawing.
    virtual void Move(int frameMs);
    // Draws the layer onto the page through the page camera (or none).
    virtual void Draw(CDIBImage* page, CDIBCamera* camera);
    // The old picture goes back to the cache; the named one is read from it. An empty name, or
    // one that cannot be read, leaves no picture and gives false. Marks the layer updated.
    virtual bool SetImage(std::string_view name);
    virtual void SetPos(int x, int y, int z);
    virtual void SetBaseSize(int width, int height);
    // Each channel clamped to 0..255.
    virtual void SetColor(int a, int r, int g, int b);
    virtual void SetBlend(bool on);
    virtual void SetAnti(bool on);
    virtual void SetAction(int number);
    virtual void SetCameraState(bool camera, bool billboard, float xyRate, float wRate);
    virtual const LayerProp& GetProp() const { return prop_; }
    virtual bool IsUpdated() const { return prop_.updated != 0; }

    // The two halves of Draw. PlanDraw copies the layer's camera values into the camera (when
    // the layer has a picture) and projects its quad; DrawPlanned draws the plan onto the page.
    // The page's clip rectangle limits the blits.
    Plan PlanDraw(const CDIBImage& page, CDIBCamera* camera) const;
    void DrawPlanned(const Plan& plan, CDIBImage* page, CDIBCamera* camera) const;

    // The drawn size: width and height each resolved on its own from the picture's.
    int DrawWidth() const;
    int DrawHeight() const;
    // The action the layer draws through, or null (none, or a number outside 1–256).
    CDIBSnrAction* GetActionObject() const;
    // The stored picture name ("" without a picture).
    const std::string& GetImageName() const { return name_; }

    // The checks of Load without the changes.
    static std::optional<size_t> ParseRecord(ByteSpan record, Record& out);
    // Applies a parsed record (the layer at its defaults).
    void ApplyRecord(const Record& record);

private:
    void FreePicture();

    const LayerActionTable* actions_ = nullptr; // not owned
    CSpriteCache* cache_ = nullptr;             // not owned
    LayerProp prop_;
    std::string name_;
};

} // namespace qw
