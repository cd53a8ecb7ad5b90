#pragma once
// Saves a frame as a PNG file (RGB; the frame's alpha bytes are not part of the picture).

#include <string>

namespace qw {

class CDIBImage;

bool SavePng(const CDIBImage& image, const std::string& path);

} // namespace qw
