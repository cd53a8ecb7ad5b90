#pragma once
// The element list of `qwmgd encode --elements`: elements separated by ';' or line breaks, each
// "x,y,w,h" or "x,y,w,h,a,b" (the two further words); blanks are ignored and '#' starts a
// comment that runs to the end of the line. All elements have the same number of words.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/MgdFormat.h"

namespace qw::tools {

struct ElementList {
    std::vector<SpriteElement> elements;
    int words = 4;
};

// nullopt (with `error` set) when the text is not such a list.
std::optional<ElementList> ParseElementList(std::string_view text, std::string& error);

} // namespace qw::tools
