// Graphics, pictures: device-independent bitmaps, multi-image icons and the picture holder.
#include "ui/graphics/Graphics.h"

#include "ui/core/ClassBuilder.h"
#include "ui/graphics/Jpeg.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TPixelFormat>()
{
    static const TEnumInfo info{L"TPixelFormat", {L"pfDevice", L"pf1bit", L"pf4bit", L"pf8bit", L"pf15bit",
                                                  L"pf16bit", L"pf24bit", L"pf32bit", L"pfCustom"}};
    return info;
}

// ---------------------------------------------------------------------------------------------
// TGraphic

const TClassInfo& TGraphic::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGraphic>(L"TGraphic", &TPersistent::StaticClass()).Build();
    return info;
}

void TGraphic::SetTransparent(bool v)
{
    if (v == FTransparent)
        return;
    FTransparent = v;
    Changed();
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

namespace {

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EInvalidGraphic(Format(L"Cannot open the picture file %s", path.c_str()));
    std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    BOOL ok = bytes.empty() || ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size())
        throw EInvalidGraphic(Format(L"Cannot read the picture file %s", path.c_str()));
    return bytes;
}

bool FindResourceBytes(HINSTANCE instance, const wchar_t* name, const wchar_t* type, const uint8_t*& data,
                       DWORD& size)
{
    HRSRC resource = FindResourceW(instance, name, type);
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(instance, resource);
    data = static_cast<const uint8_t*>(LockResource(loaded));
    size = SizeofResource(instance, resource);
    return data != nullptr;
}

} // namespace

void TGraphic::LoadFromFile(const std::wstring& path) { LoadFromBytes(ReadFileBytes(path)); }

void TGraphic::SaveToFile(const std::wstring& path) const
{
    std::vector<uint8_t> bytes = SaveToBytes();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EInvalidGraphic(Format(L"Cannot create the file %s", path.c_str()));
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw EInvalidGraphic(Format(L"Cannot write the file %s", path.c_str()));
}

void TGraphic::LoadFromResourceName(HINSTANCE instance, const std::wstring& name)
{
    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(instance, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */, data, size))
        throw EInvalidGraphic(Format(L"The picture resource %s is missing", name.c_str()));
    LoadFromBytes(std::vector<uint8_t>(data, data + size));
}

// ---------------------------------------------------------------------------------------------
// TBitmap

namespace {

int BitsOf(TPixelFormat f)
{
    switch (f) {
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf32bit: return 32;
    default: return 24;
    }
}

// The colours an 8-bit bitmap gets when nobody sets a palette: the 16 standard colours, a
// 6 x 6 x 6 colour cube and a ramp of greys.
std::vector<RGBQUAD> DefaultPalette()
{
    std::vector<RGBQUAD> p;
    static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (COLORREF c : vga)
        p.push_back(RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p.push_back(RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0});
    for (int i = 0; p.size() < 256; ++i) {
        BYTE v = BYTE(8 + i * 10);
        p.push_back(RGBQUAD{v, v, v, 0});
    }
    return p;
}

struct TBitmapInfo256 {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
};

class TMemoryDC {
public:
    explicit TMemoryDC(HBITMAP bitmap) : FDC(CreateCompatibleDC(nullptr)) { FOld = SelectObject(FDC, bitmap); }
    ~TMemoryDC()
    {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    operator HDC() const { return FDC; }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

} // namespace

const TClassInfo& TBitmap::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBitmap>(L"TBitmap", &TGraphic::StaticClass()).Build();
    return info;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    FFormat = format == TPixelFormat::pf8bit || format == TPixelFormat::pf32bit ? format : TPixelFormat::pf24bit;
    Recreate(width, height, FFormat, nullptr);
}

TBitmap::~TBitmap() { FreeImage(); }

int TBitmap::BitsPerPixel() const { return BitsOf(FFormat); }
int TBitmap::BytesPerLine() const { return ((FWidth * BitsPerPixel() + 31) / 32) * 4; }

void TBitmap::FreeImage()
{
    if (FCanvas)
        FCanvas->FreeContext();
    if (FHandle != nullptr) {
        DeleteObject(FHandle);
        detail::CountGdi(-1);
    }
    FHandle = nullptr;
    FBits = nullptr;
}

void TBitmap::Recreate(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>* palette)
{
    std::vector<RGBQUAD> colours;
    if (format == TPixelFormat::pf8bit)
        colours = palette != nullptr && !palette->empty() ? *palette : DefaultPalette();
    FreeImage();
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    FFormat = format;
    if (FWidth == 0 || FHeight == 0)
        return;
    TBitmapInfo256 info{};
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = FWidth;
    info.Header.biHeight = -FHeight; // top-down: row 0 is the top row
    info.Header.biPlanes = 1;
    info.Header.biBitCount = static_cast<WORD>(BitsOf(format));
    info.Header.biCompression = BI_RGB;
    if (format == TPixelFormat::pf8bit) {
        colours.resize(256);
        info.Header.biClrUsed = 256;
        std::copy(colours.begin(), colours.end(), info.Colors);
    }
    void* bits = nullptr;
    FHandle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (FHandle == nullptr)
        throw EInvalidGraphic(Format(L"Cannot create a %d x %d bitmap", FWidth, FHeight));
    detail::CountGdi(1);
    FBits = static_cast<uint8_t*>(bits);
    std::memset(FBits, 0, size_t(BytesPerLine()) * FHeight);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == FWidth && height == FHeight)
        return;
    std::vector<RGBQUAD> palette = Palette();
    int oldStride = BytesPerLine(), oldHeight = FHeight;
    std::vector<uint8_t> old(FBits ? FBits : nullptr, FBits ? FBits + size_t(oldStride) * oldHeight : nullptr);
    Recreate(width, height, FFormat, &palette);
    int copy = std::min(oldStride, BytesPerLine());
    for (int y = 0; y < std::min(oldHeight, FHeight); ++y)
        std::memcpy(FBits + size_t(y) * BytesPerLine(), old.data() + size_t(y) * oldStride, copy);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format != TPixelFormat::pf8bit && format != TPixelFormat::pf32bit)
        format = TPixelFormat::pf24bit;
    if (format == FFormat)
        return;
    if (FHandle == nullptr) {
        FFormat = format;
        Changed();
        return;
    }
    TBitmap converted(FWidth, FHeight, format);
    {
        GdiFlush();
        if (FCanvas)
            FCanvas->FreeContext();
        TMemoryDC src(FHandle), dst(converted.FHandle);
        BitBlt(dst, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
        GdiFlush();
    }
    if (format == TPixelFormat::pf32bit) // opaque, whatever the blit left in the alpha bytes
        for (int y = 0; y < FHeight; ++y) {
            uint8_t* row = converted.ScanLine(y);
            for (int x = 0; x < FWidth; ++x)
                row[x * 4 + 3] = 255;
        }
    FreeImage();
    std::swap(FHandle, converted.FHandle);
    std::swap(FBits, converted.FBits);
    FFormat = format;
    Changed();
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (FBits == nullptr || y < 0 || y >= FHeight)
        throw EInvalidGraphic(Format(L"Scan line index out of range (%d)", y));
    GdiFlush(); // drawing through the canvas may still be queued
    return FBits + size_t(y) * BytesPerLine();
}

const uint8_t* TBitmap::ScanLine(int y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

TColor TBitmap::PixelAt(int x, int y) const
{
    if (x < 0 || x >= FWidth)
        throw EInvalidGraphic(Format(L"Pixel index out of range (%d)", x));
    const uint8_t* row = ScanLine(y);
    switch (FFormat) {
    case TPixelFormat::pf8bit: {
        RGBQUAD q{};
        TMemoryDC dc(FHandle);
        GetDIBColorTable(dc, row[x], 1, &q);
        return RGBColor(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    case TPixelFormat::pf32bit: return RGBColor(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
    default: return RGBColor(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
}

TCanvas& TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return *FCanvas;
}

std::vector<RGBQUAD> TBitmap::Palette() const
{
    if (FFormat != TPixelFormat::pf8bit || FHandle == nullptr)
        return {};
    std::vector<RGBQUAD> colours(256);
    TMemoryDC dc(FHandle);
    colours.resize(GetDIBColorTable(dc, 0, 256, colours.data()));
    return colours;
}

void TBitmap::SetPalette(const std::vector<RGBQUAD>& colours)
{
    if (FFormat != TPixelFormat::pf8bit)
        throw EInvalidGraphic(L"Only an 8-bit bitmap has a palette");
    if (FHandle == nullptr)
        return;
    if (FCanvas)
        FCanvas->FreeContext();
    TMemoryDC dc(FHandle);
    SetDIBColorTable(dc, 0, static_cast<UINT>(std::min<size_t>(colours.size(), 256)), colours.data());
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (FHandle == nullptr)
        return clDefault;
    return PixelAt(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r)
{
    if (FHandle == nullptr)
        return;
    HDC dest = canvas.Handle();
    HDC src = Canvas().Handle();
    if (Transparent()) {
        TransparentBlt(dest, r.left, r.top, RectWidth(r), RectHeight(r), src, 0, 0, FWidth, FHeight,
                       ColorToRef(TransparentColor()));
    } else {
        int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
        StretchBlt(dest, r.left, r.top, RectWidth(r), RectHeight(r), src, 0, 0, FWidth, FHeight, canvas.CopyMode());
        SetStretchBltMode(dest, oldMode);
    }
}

void TBitmap::Assign(const TPersistent& source)
{
    auto* b = dynamic_cast<const TBitmap*>(&source);
    if (b == nullptr) {
        if (auto* g = dynamic_cast<const TGraphic*>(&source)) {
            // Any other picture is drawn into a bitmap of its size.
            Recreate(g->Width(), g->Height(), TPixelFormat::pf24bit, nullptr);
            if (FHandle != nullptr) {
                TColor fill = clWhite;
                Canvas().Brush().SetColor(fill);
                Canvas().FillRect(Rect(0, 0, FWidth, FHeight));
                const_cast<TGraphic*>(g)->Draw(Canvas(), Rect(0, 0, FWidth, FHeight));
            }
            Changed();
            return;
        }
        return TGraphic::Assign(source);
    }
    if (b == this)
        return;
    std::vector<RGBQUAD> palette = b->Palette();
    Recreate(b->FWidth, b->FHeight, b->FFormat, &palette);
    if (FBits != nullptr) {
        GdiFlush();
        std::memcpy(FBits, b->FBits, size_t(BytesPerLine()) * FHeight);
    }
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    Changed();
}

void TBitmap::LoadFromDib(const BITMAPINFO* info, const void* bits)
{
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1 ||
        h.biWidth > 32768 || std::abs(h.biHeight) > 32768)
        throw EInvalidGraphic(L"Bitmap image is not valid");
    int width = h.biWidth, height = std::abs(h.biHeight);
    bool bottomUp = h.biHeight > 0;
    TPixelFormat format = h.biBitCount <= 8 ? TPixelFormat::pf8bit
                          : h.biBitCount == 32 ? TPixelFormat::pf32bit
                                               : TPixelFormat::pf24bit;
    std::vector<RGBQUAD> palette;
    if (h.biBitCount <= 8) {
        int count = h.biClrUsed != 0 ? int(h.biClrUsed) : 1 << h.biBitCount;
        const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
        palette.assign(table, table + std::min(count, 256));
    }
    Recreate(width, height, format, &palette);
    if (h.biCompression == BI_RGB && BitsOf(format) == h.biBitCount) {
        int stride = BytesPerLine();
        for (int y = 0; y < height; ++y) {
            int srcRow = bottomUp ? height - 1 - y : y;
            std::memcpy(FBits + size_t(y) * stride, static_cast<const uint8_t*>(bits) + size_t(srcRow) * stride, stride);
        }
    } else {
        // Other depths and compressions: let GDI decode them into our pixels.
        TMemoryDC dc(FHandle);
        if (StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, bits, info, DIB_RGB_COLORS, SRCCOPY) == 0)
            throw EInvalidGraphic(L"Bitmap image is not valid");
        GdiFlush();
    }
    Changed();
}

void TBitmap::LoadFromBytes(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        throw EInvalidGraphic(L"Bitmap image is not valid");
    BITMAPFILEHEADER file;
    std::memcpy(&file, bytes.data(), sizeof(file));
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof(BITMAPFILEHEADER));
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (file.bfOffBits >= bytes.size() || h.biWidth <= 0 || h.biHeight == 0 || h.biBitCount == 0)
        throw EInvalidGraphic(L"Bitmap image is not valid");
    // The pixel rows must all be inside the file.
    uint64_t stride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    if (h.biCompression == BI_RGB && file.bfOffBits + stride * uint64_t(std::abs(h.biHeight)) > bytes.size())
        throw EInvalidGraphic(L"Bitmap image is truncated");
    LoadFromDib(info, bytes.data() + file.bfOffBits);
}

std::vector<uint8_t> TBitmap::SaveToBytes() const
{
    std::vector<RGBQUAD> palette = Palette();
    int stride = BytesPerLine();
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = FWidth;
    h.biHeight = FHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(BitsPerPixel());
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(stride) * FHeight;
    h.biClrUsed = static_cast<DWORD>(palette.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = DWORD(sizeof(file) + sizeof(h) + palette.size() * sizeof(RGBQUAD));
    file.bfSize = file.bfOffBits + h.biSizeImage;
    std::vector<uint8_t> out(file.bfSize);
    uint8_t* p = out.data();
    std::memcpy(p, &file, sizeof(file));
    std::memcpy(p + sizeof(file), &h, sizeof(h));
    if (!palette.empty())
        std::memcpy(p + sizeof(file) + sizeof(h), palette.data(), palette.size() * sizeof(RGBQUAD));
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(p + file.bfOffBits + size_t(FHeight - 1 - y) * stride, ScanLine(y), stride);
    return out;
}

void TBitmap::LoadFromBitmapResource(HINSTANCE instance, const std::wstring& name)
{
    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(instance, name.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */, data, size) ||
        size < sizeof(BITMAPINFOHEADER))
        throw EInvalidGraphic(Format(L"The bitmap resource %s is missing", name.c_str()));
    const auto* info = reinterpret_cast<const BITMAPINFO*>(data);
    const BITMAPINFOHEADER& h = info->bmiHeader;
    size_t offset = h.biSize;
    if (h.biBitCount <= 8)
        offset += (h.biClrUsed != 0 ? h.biClrUsed : 1u << h.biBitCount) * sizeof(RGBQUAD);
    if (h.biCompression == BI_BITFIELDS)
        offset += 3 * sizeof(DWORD);
    if (offset >= size)
        throw EInvalidGraphic(Format(L"The bitmap resource %s is not valid", name.c_str()));
    LoadFromDib(info, data + offset);
}

// ---------------------------------------------------------------------------------------------
// TBitmapCanvas

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle()
{
    if (FBitmap.Handle() == nullptr)
        throw EInvalidGraphic(L"An empty bitmap cannot be drawn on");
    FMemoryDC = CreateCompatibleDC(nullptr);
    if (FMemoryDC == nullptr)
        throw EInvalidGraphic(L"Cannot create a memory device context");
    detail::CountGdi(1);
    FOldBitmap = SelectObject(FMemoryDC, FBitmap.Handle());
    SetHandle(FMemoryDC);
}

void TBitmapCanvas::FreeContext()
{
    if (FMemoryDC == nullptr)
        return;
    SetHandle(nullptr);
    SelectObject(FMemoryDC, FOldBitmap);
    DeleteDC(FMemoryDC);
    detail::CountGdi(-1);
    FMemoryDC = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TIcon

namespace {

#pragma pack(push, 2)
struct TIconDir {
    WORD Reserved, Type, Count;
};
struct TIconDirEntry {
    BYTE Width, Height, ColorCount, Reserved;
    WORD Planes, BitCount;
    DWORD BytesInRes, ImageOffset;
};
struct TGroupIconDirEntry {
    BYTE Width, Height, ColorCount, Reserved;
    WORD Planes, BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

} // namespace

const TClassInfo& TIcon::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TIcon>(L"TIcon", &TGraphic::StaticClass()).Build();
    return info;
}

TIcon::~TIcon() { ReleaseHandles(); }

void TIcon::ReleaseHandles()
{
    for (auto& [size, icon] : FHandles) {
        DestroyIcon(icon);
        detail::CountUser(-1);
    }
    FHandles.clear();
}

int TIcon::Width() const
{
    if (FImages.empty())
        return 0;
    return GetSystemMetrics(SM_CXICON);
}

int TIcon::Height() const
{
    if (FImages.empty())
        return 0;
    return GetSystemMetrics(SM_CYICON);
}

TIcon::TImageInfo TIcon::ImageInfo(int index) const
{
    if (index < 0 || index >= ImageCount())
        throw EListError(index);
    return FImages[index].Info;
}

void TIcon::LoadFromBytes(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < sizeof(TIconDir))
        throw EInvalidGraphic(L"Icon image is not valid");
    TIconDir dir;
    std::memcpy(&dir, bytes.data(), sizeof(dir));
    if (dir.Reserved != 0 || dir.Type != 1 || dir.Count == 0 ||
        bytes.size() < sizeof(TIconDir) + dir.Count * sizeof(TIconDirEntry))
        throw EInvalidGraphic(L"Icon image is not valid");
    std::vector<TImage> images;
    for (int i = 0; i < dir.Count; ++i) {
        TIconDirEntry e;
        std::memcpy(&e, bytes.data() + sizeof(TIconDir) + i * sizeof(TIconDirEntry), sizeof(e));
        if (uint64_t(e.ImageOffset) + e.BytesInRes > bytes.size() || e.BytesInRes < sizeof(BITMAPINFOHEADER))
            throw EInvalidGraphic(L"Icon image is truncated");
        TImage image;
        image.Data.assign(bytes.begin() + e.ImageOffset, bytes.begin() + e.ImageOffset + e.BytesInRes);
        image.Info.Width = e.Width == 0 ? 256 : e.Width;
        image.Info.Height = e.Height == 0 ? 256 : e.Height;
        BITMAPINFOHEADER h;
        std::memcpy(&h, image.Data.data(), sizeof(h));
        image.Info.BitCount = h.biSize == sizeof(BITMAPINFOHEADER) ? h.biBitCount : e.BitCount;
        images.push_back(std::move(image));
    }
    ReleaseHandles();
    FImages = std::move(images);
    FBytes = bytes;
    Changed();
}

void TIcon::LoadFromIconResource(HINSTANCE instance, const std::wstring& name)
{
    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(instance, name.c_str(), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, data, size) ||
        size < sizeof(TIconDir))
        throw EInvalidGraphic(Format(L"The icon resource %s is missing", name.c_str()));
    TIconDir dir;
    std::memcpy(&dir, data, sizeof(dir));
    if (size < sizeof(TIconDir) + dir.Count * sizeof(TGroupIconDirEntry))
        throw EInvalidGraphic(Format(L"The icon resource %s is not valid", name.c_str()));
    // Rebuild the .ico file: the group names its images by resource number.
    std::vector<uint8_t> file(sizeof(TIconDir) + dir.Count * sizeof(TIconDirEntry));
    std::memcpy(file.data(), &dir, sizeof(dir));
    for (int i = 0; i < dir.Count; ++i) {
        TGroupIconDirEntry g;
        std::memcpy(&g, data + sizeof(TIconDir) + i * sizeof(TGroupIconDirEntry), sizeof(g));
        const uint8_t* image = nullptr;
        DWORD imageSize = 0;
        if (!FindResourceBytes(instance, MAKEINTRESOURCEW(g.Id), MAKEINTRESOURCEW(3) /* RT_ICON */, image, imageSize))
            throw EInvalidGraphic(Format(L"An image of the icon resource %s is missing", name.c_str()));
        TIconDirEntry e{g.Width, g.Height, g.ColorCount, 0, g.Planes, g.BitCount, imageSize,
                        static_cast<DWORD>(file.size())};
        std::memcpy(file.data() + sizeof(TIconDir) + i * sizeof(TIconDirEntry), &e, sizeof(e));
        file.insert(file.end(), image, image + imageSize);
    }
    LoadFromBytes(file);
}

HICON TIcon::Handle(int size)
{
    if (FImages.empty())
        return nullptr;
    if (size <= 0)
        size = GetSystemMetrics(SM_CXICON);
    for (auto& [s, icon] : FHandles)
        if (s == size)
            return icon;
    // The image of that size with the most colours, else the smallest larger one, else the largest.
    const TImage* best = nullptr;
    auto score = [size](const TImage& i) {
        int d = i.Info.Width - size;
        int sizeRank = d == 0 ? 0 : d > 0 ? d : 10000 - d;
        return sizeRank * 64 - i.Info.BitCount;
    };
    for (const TImage& i : FImages)
        if (best == nullptr || score(i) < score(*best))
            best = &i;
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(best->Data.data()), static_cast<DWORD>(best->Data.size()),
                                          TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
    if (icon == nullptr)
        throw EInvalidGraphic(Format(L"Cannot create a %d x %d icon", size, size));
    detail::CountUser(1);
    FHandles.emplace_back(size, icon);
    return icon;
}

void TIcon::Draw(TCanvas& canvas, const TRect& r)
{
    if (FImages.empty())
        return;
    int size = std::min(RectWidth(r), RectHeight(r));
    DrawIconEx(canvas.Handle(), r.left, r.top, Handle(size), RectWidth(r), RectHeight(r), 0, nullptr, DI_NORMAL);
}

void TIcon::Assign(const TPersistent& source)
{
    auto* i = dynamic_cast<const TIcon*>(&source);
    if (i == nullptr)
        return TGraphic::Assign(source);
    if (i == this)
        return;
    if (i->FBytes.empty()) {
        ReleaseHandles();
        FImages.clear();
        FBytes.clear();
        Changed();
        return;
    }
    LoadFromBytes(i->FBytes);
}

// ---------------------------------------------------------------------------------------------
// TPicture

const TClassInfo& TPicture::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPicture>(L"TPicture", &TPersistent::StaticClass()).Build();
    return info;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject*) { GraphicChanged(); };
    GraphicChanged();
}

TBitmap& TPicture::Bitmap()
{
    auto* b = dynamic_cast<TBitmap*>(FGraphic.get());
    if (b == nullptr) {
        SetGraphic(std::make_unique<TBitmap>());
        b = static_cast<TBitmap*>(FGraphic.get());
    }
    return *b;
}

void TPicture::GraphicChanged()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::LoadFromBytes(const std::vector<uint8_t>& bytes, const std::wstring& name)
{
    std::unique_ptr<TGraphic> graphic;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        graphic = std::make_unique<TBitmap>();
    else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        graphic = std::make_unique<TJPEGImage>();
    else if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0)
        graphic = std::make_unique<TIcon>();
    else
        throw EInvalidGraphic(Format(L"The picture %s is not a bitmap, JPEG or icon", name.c_str()));
    try {
        graphic->LoadFromBytes(bytes);
    } catch (const Exception& e) {
        throw EInvalidGraphic(Format(L"The picture %s cannot be read: %s", name.c_str(), e.Message().c_str()));
    }
    FSourceName = name;
    SetGraphic(std::move(graphic));
}

void TPicture::LoadFromFile(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/") == std::wstring::npos ? 0 : path.find_last_of(L"\\/") + 1);
    LoadFromBytes(ReadFileBytes(path), name);
}

void TPicture::Assign(const TPersistent& source)
{
    if (auto* p = dynamic_cast<const TPicture*>(&source)) {
        if (p == this)
            return;
        FSourceName = p->FSourceName;
        if (!p->FGraphic) {
            SetGraphic(nullptr);
            return;
        }
        std::unique_ptr<TGraphic> copy;
        if (dynamic_cast<const TBitmap*>(p->FGraphic.get()))
            copy = std::make_unique<TBitmap>();
        else if (dynamic_cast<const TJPEGImage*>(p->FGraphic.get()))
            copy = std::make_unique<TJPEGImage>();
        else
            copy = std::make_unique<TIcon>();
        copy->Assign(*p->FGraphic);
        SetGraphic(std::move(copy));
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(&source)) {
        Bitmap().Assign(*g);
        return;
    }
    TPersistent::Assign(source);
}

TValue TPicture::ToValue() const
{
    // No picture is written as nil: a description names no file for it.
    if (!FGraphic || FGraphic->Empty() || FSourceName.empty())
        return TValue::Ident(L"nil");
    return TValue::Data(FSourceName, FGraphic->SaveToBytes());
}

void TPicture::FromValue(const TValue& value)
{
    if (value.Kind == TValue::TKind::Ident && SameText(value.Str, L"nil")) {
        FSourceName.clear();
        SetGraphic(nullptr);
        return;
    }
    if (value.Kind != TValue::TKind::Data)
        throw EConvertError(L"A picture must be stored as file data");
    if (value.Bytes.empty()) {
        FSourceName = value.Str;
        SetGraphic(nullptr);
        return;
    }
    LoadFromBytes(value.Bytes, value.Str);
}

} // namespace ui
