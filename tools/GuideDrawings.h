// The drawings of the program's pictures: wiring guides, thumbnails, icons and cursors.
#pragma once

#include "ui/graphics/Graphics.h"

#include <memory>

namespace tools {

// How a guide is wired.
enum class TGuideKind { SingleLine, TwoLines, FourLines, AdslLine, Splitter };

// A guide picture of the given size (24-bit), labelled in Turkish.
std::unique_ptr<ui::TBitmap> DrawGuide(TGuideKind kind, int width, int height);

// The thumbnails beside the guide links: the device with a phone, and the internet line.
std::unique_ptr<ui::TBitmap> DrawDeviceThumbnail(int width, int height);
std::unique_ptr<ui::TBitmap> DrawInternetThumbnail(int width, int height);

// Square icon drawings on a fuchsia (transparent) background.
std::unique_ptr<ui::TBitmap> DrawProgramIcon(int size);
std::unique_ptr<ui::TBitmap> DrawGuideIcon(int size);

// 32 x 32 cursor drawings: black and white on fuchsia; the hot spot is returned.
enum class TCursorKind { HorzSplit, ColumnNoDrag, IndicatorSelect, Roll, RollUp, RollDown, ReversedArrow };
std::unique_ptr<ui::TBitmap> DrawCursor(TCursorKind kind, int& hotX, int& hotY);

} // namespace tools
