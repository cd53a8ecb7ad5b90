#pragma once
// Cursor files as games ship them: ".cur" (an icon directory with hot spots) and ".ani" (a RIFF
// "ACON" file whose frames are such icons). The first image of the file becomes the cursor;
// animated cursors show their first frame.

#include <optional>

#include "common/Bytes.h"
#include "common/Result.h"
#include "platform/Window.h"

namespace qw {

// Refused, with the reason, when the data is not a cursor this decoder understands (bitmaps of
// 1, 4, 8, 24 or 32 bits per pixel, with their transparency mask).
Result<platform::CursorImage> DecodeCursorFile(ByteSpan file);

} // namespace qw
