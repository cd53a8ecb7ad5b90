#pragma once
// What the screens reach of the program around them: the long-lived services, the error
// dialogs, the end of the game, the cursors and the frame time. The main window owns all of it
// and is the services of a running game; scenario/, ui/ and app/ reach them through Services().
//
// A service the program does not have is null, so a screen can run against only what it needs:
// the interpreter's tests and fuzz target give it a clock, a scenario source and the save data
// (tests/support/LightServices.h). Without any services set, Services() has none of them.
//
// The lower folders (graphics, files, audio, video, save, text) never come here: they are
// handed what they use through their Initialize or their Move (a check in tests/ keeps them out
// of app/).

#include <cstdarg>
#include <string>

namespace qw {

class CBGMBuffer;
class CFileJoin;
class CInput;
class CRootFlow;
class CSEBuffer;
class CSaveData;
class CScreenBuffer;
class CSpriteCache;
class CVideoPlayer;
class CVoiceBuffer;
class DebugHook;

class GameServices {
public:
    static constexpr int kDefaultFrameTime = 30;

    virtual ~GameServices() = default;

    // The services, each null when there is none.
    virtual CSaveData* GetSaveData() const { return nullptr; }
    virtual CInput* GetInput() const { return nullptr; }
    virtual CScreenBuffer* GetScreenBuffer() const { return nullptr; }
    virtual CSpriteCache* GetSpriteCache() const { return nullptr; }
    virtual CSEBuffer* GetSEBuffer() const { return nullptr; }
    virtual CBGMBuffer* GetBGMBuffer() const { return nullptr; }
    virtual CVoiceBuffer* GetVoiceBuffer() const { return nullptr; }
    virtual CVideoPlayer* GetVideoPlayer() const { return nullptr; }
    virtual CRootFlow* GetRootFlow() const { return nullptr; }
    virtual CFileJoin* GetFileJoin(int /*slot*/) const { return nullptr; }
    virtual DebugHook* GetDebugHook() const { return nullptr; }
    // The debug module when it is loaded, else null.
    DebugHook* GetLoadedDebugHook() const;

    // Milliseconds of game time in this tick.
    virtual int GetFrameTime() const { return kDefaultFrameTime; }
    // The player's frame-speed setting (1 without save data or below 1).
    int GetFrameSpeed() const;
    // True when the clock stands still within a tick (headless runs), so no time budget can end
    // a tick's work.
    virtual bool IsHeadless() const { return false; }

    // The error dialogs: a modal box captioned with the product title (texts in the game's code
    // page). Without a window the text goes nowhere.
    virtual void VErrorMsg(const char* /*format*/, va_list /*args*/) {}
    void ErrorMsg(const char* format, ...);
    virtual void ErrorRead(const char* object, const char* file);
    virtual void ErrorMemory(const char* object, const char* name);
    virtual void ErrorETC(const char* object, const char* name);

    // Closing: a close request is handled by the loop on its next pass; with the
    // close-without-asking flag it does not ask the player first.
    virtual void PostCloseRequest() {}
    virtual void SetCloseWithoutAsking(bool /*on*/) {}

    // The cursor list: entry `index` becomes the cursor in a cursor file, or a system cursor.
    virtual bool SetCursorList(int /*index*/, const std::string& /*fileName*/) { return true; }
    virtual bool SetCursorList(int /*index*/, int /*systemNumber*/) { return true; }
    // Forgets the time lost to a long tick (after loading a scenario or a message).
    virtual void ResetLossTime() {}
    // Plays system sound 0 (cancel), 1 (decide) or 2 (cursor).
    virtual void PlaySysSE(int /*index*/) {}
};

// The services of the running game: the main window once it is set (SetMainWindow), or what a
// test set; a set of none otherwise. Never null.
GameServices& Services();
void SetServices(GameServices* services);

} // namespace qw
