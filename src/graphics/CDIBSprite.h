#pragma once
// A decoded picture: a CDIBImage filled from an ".MGD" file, with its table of sprite elements
// (rectangles inside the picture that screens and controls draw one at a time: button states,
// number glyphs and the like).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bytes.h"
#include "graphics/CDIBImage.h"
#include "graphics/MgdFormat.h"

namespace qw {

class IMemberSource;

class CDIBSprite : public CDIBImage {
public:
    CDIBSprite() = default;
    ~CDIBSprite() override;

    // Frees the element table; the pixels stay until the picture is created again or deleted.
    void Release() override;
    // A blank surface with one element covering it: (0, 0, width, height).
    bool Create(int width, int height) override;
    // "CDIBSprite"; movie images answer "CDIBMovie". Layers compare the first 9 characters.
    virtual const char* GetTypeName() const;

    // Reads and decodes the member `name` of `archive`. On failure the reason is recorded with
    // the trace (and kept in GetLastError) and false is returned.
    bool Read(IMemberSource* archive, std::string_view name);
    // Decodes a whole ".MGD" file held in memory; the same checks and texts as Read.
    bool Decode(ByteSpan file);

    // Decodes the picture data of `file` (whose header is `header`) into the created surface.
    // The position after the data (where the element table's spare bytes begin), or nullopt.
    std::optional<size_t> DecodeMain(ByteSpan file, const MgdHeader& header);

    // Replaces the element table by `count` zeroed elements of `words` (4 or 6) words each in
    // the file; refuses `words` ≤ 3.
    bool InitSprtInfo(int count, int words);

    using CDIBImage::SetStretchVertex;
    using CDIBImage::SetVertex;
    // An unscaled copy of element `index` to (x, y).
    VertexQuad& SetVertex(VertexQuad& quad, int index, int x, int y, uint32_t colour);
    // Element `index` stretched onto the w × h rectangle at (x, y).
    VertexQuad& SetStretchVertex(VertexQuad& quad, int index, int x, int y, int w, int h,
                                 uint32_t colour);

    // Names a picture made in memory "QW" followed by its address in hex.
    void MakeUniqueName();
    void SetName(std::string_view name) { name_.assign(name); }
    const std::string& GetName() const { return name_; }

    int GetElementCount() const { return static_cast<int>(elements_.size()); }
    int GetElementWords() const { return elementWords_; }
    // nullptr outside the table.
    const SpriteElement* GetElement(int index) const;
    std::span<const SpriteElement> GetElements() const { return elements_; }
    SpriteElement* GetElementForWrite(int index);

    // The text recorded for the last failed Read or Decode, or nullptr.
    const char* GetLastError() const { return lastError_; }
    // What was wrong with the file, in words ("" after a success). A failed Read also writes it
    // to the trace and to stderr.
    const std::string& GetLastReason() const { return lastReason_; }

protected:
    bool DecodeNone(ByteSpan data, const MgdHeader& header);
    std::optional<size_t> DecodeSGD(ByteSpan data);
    std::optional<size_t> ExecDecodeSGD(ByteSpan data);
    std::optional<size_t> DecodePNG(ByteSpan data);
    std::optional<size_t> ExecDecodePNG(ByteSpan data);

private:
    // Records the engine's fixed text and the reason; false.
    bool Fail(const char* text, std::string reason);
    bool ReadElementTable(ByteSpan file, size_t position);

    std::string name_;
    std::vector<SpriteElement> elements_;
    int elementWords_ = 0;
    const char* lastError_ = nullptr;
    std::string lastReason_;
};

} // namespace qw
