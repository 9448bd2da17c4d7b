// Icons drawn in code for the tray tests and the demonstration: the bytes of an .ico file whose
// 16 x 16 and 32 x 32 images are a disc of one colour, so a test can tell icons apart by a pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace traytest {

inline std::vector<uint8_t> DiscIconBytes(COLORREF colour)
{
    const int sizes[] = {16, 32};
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) {
        BITMAPINFOHEADER h{};
        h.biSize = sizeof(h);
        h.biWidth = size;
        h.biHeight = size * 2; // colour and mask, as icon images store them
        h.biPlanes = 1;
        h.biBitCount = 32;
        std::vector<uint8_t> image(sizeof(h));
        std::memcpy(image.data(), &h, sizeof(h));
        const double r = size / 2.0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                double dx = x + 0.5 - r, dy = y + 0.5 - r;
                bool inside = dx * dx + dy * dy <= r * r;
                image.push_back(GetBValue(colour));
                image.push_back(GetGValue(colour));
                image.push_back(GetRValue(colour));
                image.push_back(inside ? 0xFF : 0x00);
            }
        }
        const size_t maskRow = ((size + 31) / 32) * 4;
        image.resize(image.size() + maskRow * size, 0); // the alpha channel decides
        images.push_back(std::move(image));
    }
    std::vector<uint8_t> file(6 + 16 * images.size());
    uint16_t header[3] = {0, 1, static_cast<uint16_t>(images.size())};
    std::memcpy(file.data(), header, 6);
    for (size_t i = 0; i < images.size(); ++i) {
        uint8_t entry[16] = {};
        entry[0] = static_cast<uint8_t>(sizes[i]);
        entry[1] = static_cast<uint8_t>(sizes[i]);
        entry[4] = 1;  // planes
        entry[6] = 32; // bits per pixel
        uint32_t bytes = static_cast<uint32_t>(images[i].size());
        uint32_t offset = static_cast<uint32_t>(file.size());
        std::memcpy(entry + 8, &bytes, 4);
        std::memcpy(entry + 12, &offset, 4);
        std::memcpy(file.data() + 6 + 16 * i, entry, 16);
        file.insert(file.end(), images[i].begin(), images[i].end());
    }
    return file;
}

// The colour at the centre of an icon drawn on white.
inline COLORREF CentreColour(HICON icon, int size)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    COLORREF c = GetPixel(dc, size / 2, size / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
}

} // namespace traytest
