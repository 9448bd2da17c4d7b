// JPEG pictures: baseline and progressive JPEG files decoded with libjpeg into a 24-bit bitmap.
#pragma once

#include "ui/graphics/Graphics.h"

namespace ui {

// A JPEG picture. The file's bytes are kept (a description writes them back unchanged); the
// decoded pixels live in a 24-bit bitmap that drawing uses.
class TJPEGImage : public TGraphic {
    UI_PUBLISHED_CLASS
public:
    TJPEGImage();
    ~TJPEGImage() override;

    int Width() const override { return FBitmap.Width(); }
    int Height() const override { return FBitmap.Height(); }
    bool Empty() const override { return FBytes.empty(); }
    // Colour components of the file (3 for colour, 1 for greyscale) and whether it is progressive.
    int Components() const { return FComponents; }
    bool ProgressiveEncoding() const { return FProgressive; }

    void Draw(TCanvas& canvas, const TRect& r) override;
    void Assign(const TPersistent& source) override;
    // Decodes the file; a file libjpeg rejects raises EInvalidGraphic with libjpeg's message.
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override { return FBytes; }

    // The decoded pixels.
    const TBitmap& Bitmap() const { return FBitmap; }

private:
    std::vector<uint8_t> FBytes;
    TBitmap FBitmap;
    int FComponents = 0;
    bool FProgressive = false;
};

} // namespace ui
