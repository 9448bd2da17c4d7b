// Graphics: colours, fonts, pens, brushes, the canvas over a device context, and pictures
// (device-independent bitmaps, icons, and the picture holder that stores any of them).
#pragma once

#include "ui/core/Classes.h"
#include "ui/core/SysUtils.h"
#include "ui/core/Types.h"

#include <windows.h>
// Canvas operations share names with these macros of windows.h; the W functions are called directly.
#undef DrawText
#undef TextOut

#include <cstdint>
#include <memory>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui {

// ---------------------------------------------------------------------------------------------
// Colours. RGB values have red in the low byte, then green, then blue. A negative value is a
// system colour: its low byte is the platform's system-colour index, resolved by ColorToRGB.

using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
// "No colour" (nothing is drawn) and "the control's default colour"; neither is an RGB value.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up, RGB values pass unchanged.
TColor ColorToRGB(TColor color);
inline COLORREF ColorToRef(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }
inline TColor RGBColor(int r, int g, int b) { return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16; }
inline int GetRValue32(TColor c) { return c & 0xFF; }
inline int GetGValue32(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue32(TColor c) { return (c >> 16) & 0xFF; }

// Names of the named colours ("clBtnFace"); false / empty when the value has no name.
bool ColorToIdent(TColor color, std::wstring& name);
bool IdentToColor(const std::wstring& name, TColor& color);
// "clRed", or "$00BBGGRR" for an unnamed colour; and back (names, decimal or $hex).
std::wstring ColorToString(TColor color);
TColor StringToColor(const std::wstring& text);
// The stored form of a colour property: a name where there is one, else the number.
TValue ColorToValue(TColor color);
TColor ColorFromValue(const TValue& value);

// Stored form of a font's character set: its name ("TURKISH_CHARSET") where it has one.
TValue CharsetToValue(int charset);
int CharsetFromValue(const TValue& value);

// ---------------------------------------------------------------------------------------------
// Accounting of the GDI and USER handles the library's wrappers hold. Wine answers 0 to
// GetGuiResources, so tests compare these counts before and after work to prove nothing leaks.

int GdiObjectCount();
int UserObjectCount();
namespace detail {
void CountGdi(int delta);
void CountUser(int delta);
} // namespace detail

// A picture or resource that cannot be decoded or used.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------
// Fonts, pens and brushes. Each creates its GDI object when first asked for its handle and
// releases it when a property changes or the object goes. A canvas that has the handle selected
// is told first, so that it selects the original object back before the handle is deleted.

class TCanvas;

class TGraphicsObject : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    ~TGraphicsObject() override;
    bool HandleAllocated() const { return FHandle != nullptr; }
    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    TGraphicsObject() = default;
    // Releases the handle (telling the canvas first) and raises OnChange.
    void Changed();
    // Lets the handle go: a canvas's object keeps it aside under the settings it was made for,
    // since painters switch between a few colours and fonts many times per paint; others delete it.
    void ReleaseHandle();
    // Takes back a handle kept aside for `key` (the settings the handle is wanted for now).
    bool ReuseHandle(const std::wstring& key);
    // Notes a handle just made for `key`.
    void HandleMade(HGDIOBJ handle, std::wstring key);
    HGDIOBJ FHandle = nullptr;
    TCanvas* FCanvas = nullptr; // the canvas that owns this object, if any

private:
    void DeleteHandle(HGDIOBJ handle);
    std::wstring FHandleKey;
    std::vector<std::pair<std::wstring, HGDIOBJ>> FSpare; // most recent first
};

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
    UI_PUBLISHED_CLASS
public:
    TFont();

    HFONT Handle();
    void Assign(const TPersistent& source) override;
    bool Equals(const TFont& other) const;
    // The settings a handle of this font is made from, as a short text: equal texts give equal
    // glyphs (the colour is not among them). A key for what is measured per font.
    std::wstring SettingsKey() const;

    const std::wstring& Name() const { return FName; }
    void SetName(const std::wstring& v);
    // Character height in pixels; negative values measure the glyphs without internal leading.
    int Height() const { return FHeight; }
    void SetHeight(int v);
    // Size in points at the screen's 96 pixels per inch.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Charset() const { return FCharset; }
    void SetCharset(int v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);

private:
    std::wstring FName = L"MS Sans Serif";
    int FHeight = -11;
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    int FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = TFontPitch::fpDefault;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                      pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
    UI_PUBLISHED_CLASS
public:
    TPen() = default;
    HPEN Handle();
    void Assign(const TPersistent& source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    // The raster operation lines are drawn with; applied by the canvas, not part of the handle.
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = TPenStyle::psSolid;
    TPenMode FMode = TPenMode::pmCopy;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
    UI_PUBLISHED_CLASS
public:
    TBrush() = default;
    // A bsClear brush has the stock hollow brush as its handle.
    HBRUSH Handle();
    void Assign(const TPersistent& source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
};

// ---------------------------------------------------------------------------------------------
// The canvas: drawing operations over a device context, with its own font, pen and brush.
// The GDI objects are selected into the context when an operation first needs them and stay
// selected until they change or the context is released; the context's original objects are
// selected back before the canvas lets go of it.

class TGraphic;
class TBitmap;

enum class TFillMode { fmAlternate, fmWinding };

// Raster operations for CopyRect and bitmap drawing.
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    TCanvas();
    ~TCanvas() override;

    // The device context; a canvas that makes its own (a bitmap's) creates it here.
    HDC Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Adopts a context someone else owns (a paint context); nullptr lets go of it.
    void SetHandle(HDC dc);

    TFont& Font() { return *FFont; }
    TPen& Pen() { return *FPen; }
    TBrush& Brush() { return *FBrush; }
    void SetFont(const TFont& font) { FFont->Assign(font); }

    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
    TFillMode PolyFillMode() const { return FFillMode; }
    void SetPolyFillMode(TFillMode mode) { FFillMode = mode; }

    // Lines: LineTo leaves out its end point, as GDI does.
    TPoint PenPos() const { return FPenPos; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    // Filled with the brush, outlined with the pen; PolyFillMode decides which areas are inside.
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);

    // Areas: the brush fills or frames; a bsClear brush draws nothing.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // A 3-D frame of `width` pixels: top and left in `topColor`, bottom and right in
    // `bottomColor`. The rectangle shrinks by the frame, ready for the content.
    void Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width);
    void InvertRect(const TRect& r);
    // The platform's dotted focus rectangle (drawn by XOR: drawing it twice removes it).
    void DrawFocusRect(const TRect& r);

    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // Text, in the font's colour; the background is the brush's colour unless the brush is bsClear.
    void TextOut(int x, int y, const std::wstring& text);
    // Draws text at (x, y) clipped to the rectangle, whose background is filled first.
    void TextRect(const TRect& r, int x, int y, const std::wstring& text);
    // The platform's text drawing with DT_* flags; returns the height of the text. With
    // DT_CALCRECT the rectangle receives the measured size and nothing is drawn.
    int DrawText(const std::wstring& text, TRect& r, UINT flags);
    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
    int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }

    // Pictures: drawn at their own size, stretched into a rectangle, or with one colour left out.
    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const TRect& r, TGraphic& graphic);
    void DrawTransparent(int x, int y, TBitmap& bitmap, TColor transparentColor);
    // Copies a rectangle of another canvas with CopyMode (stretching when the sizes differ).
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

    // Clipping in the canvas's own coordinates.
    TRect ClipRect();
    void SetClipRect(const TRect& r);
    void ResetClip();

    // Selects the objects an operation needs; used by code that calls GDI directly.
    // csBrushColors sets only the background colour and mode the brush implies, for operations
    // that never paint with the selected brush (texts, lines, fills given their brush).
    enum TState { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8, csBrushColors = 16 };
    void RequiredState(int state);

protected:
    // Canvases that own their context create it here; the default has none to create.
    virtual void CreateHandle();
    // Selects the original objects back; called before the context goes away.
    void DeselectAll();

private:
    friend class TGraphicsObject;
    void Deselect(HGDIOBJ handle);
    void Adopt(TGraphicsObject& object);

    HDC FHandle = nullptr;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    HGDIOBJ FOriginalFont = nullptr, FOriginalPen = nullptr, FOriginalBrush = nullptr;
    HGDIOBJ FSelectedFont = nullptr, FSelectedPen = nullptr, FSelectedBrush = nullptr;
    // Measured texts per font handle of this canvas's font: painters measure the same texts on
    // every paint (to centre them), and each measure is a call into the graphics system. Kept
    // while the handle lives; nothing here sets spacing or transforms that would change a measure.
    std::map<HGDIOBJ, std::unordered_map<std::wstring, SIZE>> FExtents;
    TPoint FPenPos{0, 0};
    TCopyMode FCopyMode = cmSrcCopy;
    TFillMode FFillMode = TFillMode::fmAlternate;
};

// ---------------------------------------------------------------------------------------------
// Pictures

// Any picture: a size, drawing onto a canvas, and loading from the bytes of its file format.
class TGraphic : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v);
    // Draws the picture stretched into the rectangle.
    virtual void Draw(TCanvas& canvas, const TRect& r) = 0;
    // Replaces the picture by the one in `bytes` (its file format); EInvalidGraphic when not.
    virtual void LoadFromBytes(const std::vector<uint8_t>& bytes) = 0;
    virtual std::vector<uint8_t> SaveToBytes() const = 0;
    void LoadFromFile(const std::wstring& path);
    void SaveToFile(const std::wstring& path) const;
    // A picture compiled into the program as RCDATA under `name`.
    void LoadFromResourceName(HINSTANCE instance, const std::wstring& name);

    TNotifyEvent OnChange;

protected:
    TGraphic() = default;
    virtual void Changed();
    bool FTransparent = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A device-independent bitmap (a DIB section) of 8 bits with a palette, 24 bits, or 32 bits
// with alpha. Rows are reached directly through ScanLine; the canvas draws into the same pixels.
class TBitmap : public TGraphic {
    UI_PUBLISHED_CLASS
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);
    ~TBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int v) { SetSize(v, FHeight); }
    void SetHeight(int v) { SetSize(FWidth, v); }
    // Resizes, keeping the pixels that still fit; new pixels are black (palette index 0).
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return FFormat; }
    // Converts the pixels to another depth (8-bit uses a fixed colour cube unless a palette was set).
    void SetPixelFormat(TPixelFormat format);
    int BitsPerPixel() const;
    int BytesPerLine() const;

    HBITMAP Handle() const { return FHandle; }
    // The first byte of row y (0 at the top); the row holds BytesPerLine() bytes.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    TCanvas& Canvas();

    // The colour table of an 8-bit bitmap.
    std::vector<RGBQUAD> Palette() const;
    void SetPalette(const std::vector<RGBQUAD>& colours);

    // The colour left out when drawn transparently: the bottom-left pixel unless fixed.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v) { FTransparentMode = v; }

    void Draw(TCanvas& canvas, const TRect& r) override;
    void Assign(const TPersistent& source) override;
    // A .bmp file (any depth GDI reads; 1- and 4-bit pictures become 8-bit).
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override;
    // A bitmap resource (RT_BITMAP) of the program.
    void LoadFromBitmapResource(HINSTANCE instance, const std::wstring& name);

    // Reads the pixel at (x, y) from memory, whatever the depth.
    TColor PixelAt(int x, int y) const;

private:
    void Recreate(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>* palette);
    void FreeImage();
    void LoadFromDib(const BITMAPINFO* info, const void* bits);

    HBITMAP FHandle = nullptr;
    uint8_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
    TPixelFormat FFormat = TPixelFormat::pf24bit;
    std::unique_ptr<TBitmapCanvas> FCanvas;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
};

// A canvas whose memory context has its bitmap selected.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override;
    // Lets go of the memory context (before the bitmap's pixels are replaced).
    void FreeContext();

protected:
    void CreateHandle() override;

private:
    TBitmap& FBitmap;
    HDC FMemoryDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};

// An icon with several images (sizes and colour depths) in one, kept as its .ico bytes.
// Handles for a size are made on demand and released with the icon.
class TIcon : public TGraphic {
    UI_PUBLISHED_CLASS
public:
    TIcon() = default;
    ~TIcon() override;

    int Width() const override;
    int Height() const override;
    bool Empty() const override { return FImages.empty(); }

    struct TImageInfo {
        int Width = 0, Height = 0, BitCount = 0;
    };
    int ImageCount() const { return static_cast<int>(FImages.size()); }
    TImageInfo ImageInfo(int index) const;

    // The best image for a square size (0: the system's large icon size).
    HICON Handle(int size = 0);
    void Draw(TCanvas& canvas, const TRect& r) override;
    void Assign(const TPersistent& source) override;
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override { return FBytes; }
    // An icon resource (RT_GROUP_ICON with its RT_ICON images) of the program.
    void LoadFromIconResource(HINSTANCE instance, const std::wstring& name);

private:
    struct TImage {
        TImageInfo Info;
        std::vector<uint8_t> Data; // the image as RT_ICON data (header and pixels)
    };
    void ReleaseHandles();
    std::vector<uint8_t> FBytes;
    std::vector<TImage> FImages;
    std::vector<std::pair<int, HICON>> FHandles;
};

// Holds one picture of any kind; descriptions store it as the bytes of its file.
class TPicture : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The picture as a bitmap: a bitmap picture itself, or an empty new one replacing the picture.
    TBitmap& Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    bool Empty() const { return !FGraphic || FGraphic->Empty(); }

    // Recognises a bitmap, a JPEG or an icon by its first bytes. `name` names the picture in the
    // error raised when the bytes are not a picture or cannot be decoded.
    void LoadFromBytes(const std::vector<uint8_t>& bytes, const std::wstring& name);
    void LoadFromFile(const std::wstring& path);
    void Clear() { SetGraphic(nullptr); }
    void Assign(const TPersistent& source) override;

    // The name the picture was loaded under (its file name in a description).
    const std::wstring& SourceName() const { return FSourceName; }
    // The stored form: the file bytes under their name.
    TValue ToValue() const;
    void FromValue(const TValue& value);

    TNotifyEvent OnChange;

private:
    void GraphicChanged();
    std::unique_ptr<TGraphic> FGraphic;
    std::wstring FSourceName;
};

} // namespace ui

template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TFontStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TFontPitch>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TPenStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TPenMode>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TBrushStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TPixelFormat>();
