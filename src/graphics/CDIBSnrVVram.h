#pragma once
// The scenario's picture: two 800 × 600 pages, the front page shown and the back page where the
// scenario builds the next picture. The interpreter owns one, moves it once per tick and draws
// the shown page into the frame.
//
// This is the first cut: the pages exist and the front page is drawn, but they hold no layers,
// actions, transition or cameras yet, so the picture stays black. The interface is the one the
// interpreter and the saved game use; the layer machinery fills it in.

#include <memory>
#include <optional>

#include "common/Bytes.h"

namespace qw {

class CDIBImage;
class FrameDirtyArea;

class CDIBSnrVVram {
public:
    static constexpr int kPageWidth = 800;
    static constexpr int kPageHeight = 600;

    CDIBSnrVVram();
    virtual ~CDIBSnrVVram();
    CDIBSnrVVram(const CDIBSnrVVram&) = delete;
    CDIBSnrVVram& operator=(const CDIBSnrVVram&) = delete;

    // Creates both pages (transparent black), front page 0. False when a page cannot be made.
    // `frame` is the frame the pages are drawn into: the first picture marks all of it, and Draw
    // copies only its dirty rectangles. Null: no frame to mark; Draw copies the whole page.
    virtual bool Initialize(FrameDirtyArea* frame = nullptr);
    virtual void Release();
    // The saved record (appended) and its reading; the number of bytes read, or nullopt.
    virtual bool Save(ByteWriter& out) const;
    virtual std::optional<size_t> Load(ByteSpan record);
    // One tick. `skip` hurries what moves (skip mode).
    virtual void Move(bool skip);
    // Draws the shown picture into the frame: only the frame's dirty rectangles when it has a
    // list, else all of it.
    virtual void Draw(CDIBImage& frame);
    // The whole shown picture (screen captures for transitions).
    virtual void CopyImage(CDIBImage& target);

    CDIBImage* GetScreen() const;
    CDIBImage* GetBackScreen() const;
    int GetFrontPage() const { return front_; }

private:
    FrameDirtyArea* frame_ = nullptr; // not owned
    std::unique_ptr<CDIBImage> pages_[2];
    int front_ = 0;
    bool composed_ = false; // the front page has been handed to the frame once
};

} // namespace qw
