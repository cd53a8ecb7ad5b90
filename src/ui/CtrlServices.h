#pragma once
// What the controls take from the main window: the input, the picture cache, the system
// sounds, the file-error dialog, the presentation's dirty area, the data archive and the frame
// time. Every control reaches the main window through these few functions only; each is
// harmless without a main window (no input, no cache, nothing played or reported).

#include <string_view>

namespace qw {

class CInput;
class CSpriteCache;

namespace ctrl {

CInput* Input();
CSpriteCache* SpriteCache();
// System sound 0 (cancel), 1 (decide) or 2 (cursor).
void PlaySysSE(int index);
// The file error of the controls: object "CDIBBaseCtrl" and the file name.
void ReportMissingFile(std::string_view file);
// Marks an area of the presented frame for redrawing; right and bottom are one past the area.
void AddPresentationArea(int left, int top, int right, int bottom);
// True when the data archive (hit maps, cursors) has a member of that name.
bool HasDataMember(std::string_view name);
// Milliseconds of game time of the current tick.
int FrameTime();

} // namespace ctrl
} // namespace qw
