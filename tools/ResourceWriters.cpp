// File writers for the resource generator.
#include "tools/ResourceWriters.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

namespace tools {

using namespace ui;

namespace {

struct TRgb {
    int R, G, B;
};

// The palette of 4-bit images: the 16 standard colours.
std::vector<TRgb> VgaPalette()
{
    static const TColor vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                                   0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    std::vector<TRgb> p;
    for (TColor c : vga)
        p.push_back({GetRValue32(c), GetGValue32(c), GetBValue32(c)});
    return p;
}

// The palette of 8-bit images: the standard colours, a 6 x 6 x 6 cube and greys.
std::vector<TRgb> Palette256()
{
    std::vector<TRgb> p = VgaPalette();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p.push_back({r * 51, g * 51, b * 51});
    for (int i = 0; p.size() < 256; ++i)
        p.push_back({8 + i * 10, 8 + i * 10, 8 + i * 10});
    return p;
}

int Nearest(const std::vector<TRgb>& palette, TColor c)
{
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int dr = palette[i].R - GetRValue32(c), dg = palette[i].G - GetGValue32(c), db = palette[i].B - GetBValue32(c);
        int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// One image as stored in the file: header, palette, colour bits, then the transparency mask.
std::vector<uint8_t> ImageData(const TIconImage& image)
{
    const TBitmap& pic = *image.Picture;
    int s = pic.Width();
    int bits = image.BitCount;
    std::vector<TRgb> palette;
    if (bits == 1)
        palette = {{0, 0, 0}, {255, 255, 255}};
    else if (bits == 4)
        palette = VgaPalette();
    else if (bits == 8)
        palette = Palette256();
    int xorStride = ((s * bits + 31) / 32) * 4;
    int andStride = ((s + 31) / 32) * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, s);
    Put32(out, s * 2);
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bits));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>((xorStride + andStride) * s));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(palette.size()));
    Put32(out, 0);
    for (const TRgb& c : palette) {
        out.push_back(static_cast<uint8_t>(c.B));
        out.push_back(static_cast<uint8_t>(c.G));
        out.push_back(static_cast<uint8_t>(c.R));
        out.push_back(0);
    }
    std::vector<uint8_t> colour(size_t(xorStride) * s), mask(size_t(andStride) * s);
    for (int y = 0; y < s; ++y) {
        int row = s - 1 - y; // rows are stored bottom-up
        for (int x = 0; x < s; ++x) {
            TColor c = pic.PixelAt(x, y);
            bool clear = c == image.Transparent;
            if (clear)
                mask[size_t(row) * andStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            uint8_t* p = &colour[size_t(row) * xorStride];
            if (bits == 32) {
                p[x * 4] = clear ? 0 : static_cast<uint8_t>(GetBValue32(c));
                p[x * 4 + 1] = clear ? 0 : static_cast<uint8_t>(GetGValue32(c));
                p[x * 4 + 2] = clear ? 0 : static_cast<uint8_t>(GetRValue32(c));
                p[x * 4 + 3] = clear ? 0 : 255;
            } else if (!clear) {
                int index = Nearest(palette, c);
                if (bits == 8)
                    p[x] = static_cast<uint8_t>(index);
                else if (bits == 4)
                    p[x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
                else if (index)
                    p[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

} // namespace

std::vector<uint8_t> IconFile(const std::vector<TIconImage>& images, bool cursor)
{
    std::vector<std::vector<uint8_t>> data;
    for (const TIconImage& image : images)
        data.push_back(ImageData(image));
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, static_cast<uint16_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        int s = images[i].Picture->Width();
        int bits = images[i].BitCount;
        out.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
        out.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
        out.push_back(static_cast<uint8_t>(bits == 4 ? 16 : bits == 1 ? 2 : 0));
        out.push_back(0);
        Put16(out, static_cast<uint16_t>(cursor ? images[i].HotX : 1));
        Put16(out, static_cast<uint16_t>(cursor ? images[i].HotY : bits));
        Put32(out, static_cast<uint32_t>(data[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(data[i].size());
    }
    for (const auto& d : data)
        out.insert(out.end(), d.begin(), d.end());
    return out;
}

std::vector<uint8_t> JpegFile(const TBitmap& picture, int quality)
{
    int w = picture.Width(), h = picture.Height();
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            rgb[(size_t(y) * w + x) * 3] = row[x * 3 + 2];
            rgb[(size_t(y) * w + x) * 3 + 1] = row[x * 3 + 1];
            rgb[(size_t(y) * w + x) * 3 + 2] = row[x * 3];
        }
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info); // baseline, sequential
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = rgb.data() + size_t(info.next_scanline) * w * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

void WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr)
        throw Exception(L"Cannot create " + path);
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    if (written != bytes.size())
        throw Exception(L"Cannot write " + path);
}

} // namespace tools
