// File writers for the resource generator: icons and cursors (.ico / .cur) from drawn bitmaps,
// and baseline JPEG files.
#pragma once

#include "ui/graphics/Graphics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// One image of an icon or cursor: a square 24-bit drawing in which `transparent` marks the
// pixels that show what is behind, stored at `bitCount` bits (4, 8 or 32).
struct TIconImage {
    const ui::TBitmap* Picture = nullptr;
    ui::TColor Transparent = ui::clFuchsia;
    int BitCount = 32;
    int HotX = 0, HotY = 0; // cursors only
};

// The bytes of an .ico (cursor = false) or .cur file holding the images in order.
std::vector<uint8_t> IconFile(const std::vector<TIconImage>& images, bool cursor = false);

// The bytes of a baseline (sequential) colour JPEG of a bitmap.
std::vector<uint8_t> JpegFile(const ui::TBitmap& picture, int quality);

void WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

} // namespace tools
