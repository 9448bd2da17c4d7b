// Graphics: colours and their names, handle accounting, fonts, pens, brushes and the canvas.
#include "ui/graphics/Graphics.h"

#include "ui/graphics/GdiGuards.h"

#include "ui/core/ClassBuilder.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TFontStyle>()
{
    static const TEnumInfo info{L"TFontStyle", {L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TFontPitch>()
{
    static const TEnumInfo info{L"TFontPitch", {L"fpDefault", L"fpVariable", L"fpFixed"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TPenStyle>()
{
    static const TEnumInfo info{L"TPenStyle", {L"psSolid", L"psDash", L"psDot", L"psDashDot", L"psDashDotDot",
                                               L"psClear", L"psInsideFrame"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TPenMode>()
{
    static const TEnumInfo info{L"TPenMode",
                                {L"pmBlack", L"pmWhite", L"pmNop", L"pmNot", L"pmCopy", L"pmNotCopy",
                                 L"pmMergePenNot", L"pmMaskPenNot", L"pmMergeNotPen", L"pmMaskNotPen", L"pmMerge",
                                 L"pmNotMerge", L"pmMask", L"pmNotMask", L"pmXor", L"pmNotXor"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TBrushStyle>()
{
    static const TEnumInfo info{L"TBrushStyle", {L"bsSolid", L"bsClear", L"bsHorizontal", L"bsVertical",
                                                 L"bsFDiagonal", L"bsBDiagonal", L"bsCross", L"bsDiagCross"}};
    return info;
}

// ---------------------------------------------------------------------------------------------
// Colours

namespace {

struct TColorName {
    TColor Value;
    const wchar_t* Name;
};

const TColorName kColorNames[] = {
    {clBlack, L"clBlack"}, {clMaroon, L"clMaroon"}, {clGreen, L"clGreen"}, {clOlive, L"clOlive"},
    {clNavy, L"clNavy"}, {clPurple, L"clPurple"}, {clTeal, L"clTeal"}, {clGray, L"clGray"},
    {clSilver, L"clSilver"}, {clRed, L"clRed"}, {clLime, L"clLime"}, {clYellow, L"clYellow"},
    {clBlue, L"clBlue"}, {clFuchsia, L"clFuchsia"}, {clAqua, L"clAqua"}, {clWhite, L"clWhite"},
    {clMoneyGreen, L"clMoneyGreen"}, {clSkyBlue, L"clSkyBlue"}, {clCream, L"clCream"}, {clMedGray, L"clMedGray"},
    {clScrollBar, L"clScrollBar"}, {clBackground, L"clBackground"}, {clActiveCaption, L"clActiveCaption"},
    {clInactiveCaption, L"clInactiveCaption"}, {clMenu, L"clMenu"}, {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"}, {clMenuText, L"clMenuText"}, {clWindowText, L"clWindowText"},
    {clCaptionText, L"clCaptionText"}, {clActiveBorder, L"clActiveBorder"}, {clInactiveBorder, L"clInactiveBorder"},
    {clAppWorkSpace, L"clAppWorkSpace"}, {clHighlight, L"clHighlight"}, {clHighlightText, L"clHighlightText"},
    {clBtnFace, L"clBtnFace"}, {clBtnShadow, L"clBtnShadow"}, {clGrayText, L"clGrayText"},
    {clBtnText, L"clBtnText"}, {clInactiveCaptionText, L"clInactiveCaptionText"},
    {clBtnHighlight, L"clBtnHighlight"}, {cl3DDkShadow, L"cl3DDkShadow"}, {cl3DLight, L"cl3DLight"},
    {clInfoText, L"clInfoText"}, {clInfoBk, L"clInfoBk"}, {clHotLight, L"clHotLight"},
    {clGradientActiveCaption, L"clGradientActiveCaption"},
    {clGradientInactiveCaption, L"clGradientInactiveCaption"}, {clMenuHighlight, L"clMenuHighlight"},
    {clMenuBar, L"clMenuBar"}, {clNone, L"clNone"}, {clDefault, L"clDefault"},
};

int gGdiObjects = 0;
int gUserObjects = 0;

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color < 0)
        return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

bool ColorToIdent(TColor color, std::wstring& name)
{
    for (const auto& c : kColorNames)
        if (c.Value == color) {
            name = c.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const std::wstring& name, TColor& color)
{
    for (const auto& c : kColorNames)
        if (_wcsicmp(c.Name, name.c_str()) == 0) {
            color = c.Value;
            return true;
        }
    return false;
}

std::wstring ColorToString(TColor color)
{
    std::wstring name;
    if (ColorToIdent(color, name))
        return name;
    return Format(L"$%.8X", static_cast<unsigned>(color));
}

TColor StringToColor(const std::wstring& text)
{
    TColor color;
    if (IdentToColor(text, color))
        return color;
    std::wstring digits = text;
    int base = 10;
    if (!digits.empty() && digits[0] == L'$') {
        digits.erase(0, 1);
        base = 16;
    }
    wchar_t* end = nullptr;
    errno = 0;
    long long v = digits.empty() ? 0 : std::wcstoll(digits.c_str(), &end, base);
    if (digits.empty() || *end != 0 || errno != 0 || v < INT32_MIN || v > UINT32_MAX)
        throw EConvertError(Format(L"'%s' is not a valid colour", text.c_str()));
    return static_cast<TColor>(static_cast<uint32_t>(v));
}

TValue ColorToValue(TColor color)
{
    std::wstring name;
    if (ColorToIdent(color, name))
        return TValue::Ident(name);
    return TValue::Integer(color);
}

TColor ColorFromValue(const TValue& value)
{
    if (value.Kind == TValue::TKind::Ident) {
        TColor color;
        if (!IdentToColor(value.Str, color))
            throw EConvertError(Format(L"'%s' is not a colour name", value.Str.c_str()));
        return color;
    }
    if (value.Kind == TValue::TKind::Integer) {
        if (value.Int < INT32_MIN || value.Int > UINT32_MAX)
            throw EConvertError(Format(L"%lld is not a valid colour", static_cast<long long>(value.Int)));
        return static_cast<TColor>(static_cast<uint32_t>(value.Int));
    }
    if (value.Kind == TValue::TKind::String)
        return StringToColor(value.Str);
    throw EConvertError(L"A colour must be a colour name or a number");
}

namespace {

struct TCharsetName {
    int Value;
    const wchar_t* Name;
};

const TCharsetName kCharsets[] = {
    {ANSI_CHARSET, L"ANSI_CHARSET"},       {DEFAULT_CHARSET, L"DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, L"SYMBOL_CHARSET"},   {MAC_CHARSET, L"MAC_CHARSET"},
    {SHIFTJIS_CHARSET, L"SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, L"HANGEUL_CHARSET"},
    {JOHAB_CHARSET, L"JOHAB_CHARSET"},     {GB2312_CHARSET, L"GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, L"CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, L"GREEK_CHARSET"},
    {TURKISH_CHARSET, L"TURKISH_CHARSET"}, {VIETNAMESE_CHARSET, L"VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, L"HEBREW_CHARSET"},   {ARABIC_CHARSET, L"ARABIC_CHARSET"},
    {BALTIC_CHARSET, L"BALTIC_CHARSET"},   {RUSSIAN_CHARSET, L"RUSSIAN_CHARSET"},
    {THAI_CHARSET, L"THAI_CHARSET"},       {EASTEUROPE_CHARSET, L"EASTEUROPE_CHARSET"},
    {OEM_CHARSET, L"OEM_CHARSET"},
};

} // namespace

TValue CharsetToValue(int charset)
{
    for (const auto& c : kCharsets)
        if (c.Value == charset)
            return TValue::Ident(c.Name);
    return TValue::Integer(charset);
}

int CharsetFromValue(const TValue& value)
{
    if (value.Kind == TValue::TKind::Integer && value.Int >= 0 && value.Int <= 255)
        return static_cast<int>(value.Int);
    if (value.Kind == TValue::TKind::Ident)
        for (const auto& c : kCharsets)
            if (SameText(value.Str, c.Name))
                return c.Value;
    throw EConvertError(L"A character set must be a name such as TURKISH_CHARSET or a number from 0 to 255");
}

int GdiObjectCount() { return gGdiObjects; }
int UserObjectCount() { return gUserObjects; }
void detail::CountGdi(int delta) { gGdiObjects += delta; }
void detail::CountUser(int delta) { gUserObjects += delta; }

// ---------------------------------------------------------------------------------------------
// Fonts, pens, brushes

const TClassInfo& TGraphicsObject::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGraphicsObject>(L"TGraphicsObject", &TPersistent::StaticClass()).Build();
    return info;
}

namespace {

// The settings a handle is made for, as a short text: numbers in hexadecimal, parted by '/'.
// Built on each handle request after a change, so without the formatted-output machinery.
std::wstring HandleKey(std::initializer_list<unsigned long long> numbers, const std::wstring& name = {})
{
    std::wstring key = name;
    for (unsigned long long n : numbers) {
        key += L'/';
        wchar_t digits[16];
        int count = 0;
        do {
            digits[count++] = L"0123456789abcdef"[n & 15];
            n >>= 4;
        } while (n != 0);
        while (count > 0)
            key += digits[--count];
    }
    return key;
}

} // namespace

TGraphicsObject::~TGraphicsObject()
{
    if (FHandle != nullptr)
        DeleteHandle(FHandle);
    for (const auto& spare : FSpare)
        DeleteHandle(spare.second);
}

void TGraphicsObject::DeleteHandle(HGDIOBJ handle)
{
    if (FCanvas != nullptr) {
        FCanvas->Deselect(handle);
        FCanvas->FExtents.erase(handle);
    }
    DeleteObject(handle);
    detail::CountGdi(-1);
}

void TGraphicsObject::ReleaseHandle()
{
    if (FHandle == nullptr)
        return;
    HGDIOBJ handle = FHandle;
    FHandle = nullptr;
    if (FCanvas == nullptr || FHandleKey.empty()) {
        DeleteHandle(handle);
        return;
    }
    constexpr size_t kSpares = 3;
    FSpare.insert(FSpare.begin(), {std::move(FHandleKey), handle});
    if (FSpare.size() > kSpares) {
        DeleteHandle(FSpare.back().second);
        FSpare.pop_back();
    }
}

bool TGraphicsObject::ReuseHandle(const std::wstring& key)
{
    for (auto it = FSpare.begin(); it != FSpare.end(); ++it)
        if (it->first == key) {
            FHandle = it->second;
            FHandleKey = std::move(it->first);
            FSpare.erase(it);
            return true;
        }
    return false;
}

void TGraphicsObject::HandleMade(HGDIOBJ handle, std::wstring key)
{
    FHandle = handle;
    FHandleKey = std::move(key);
    detail::CountGdi(1);
}

void TGraphicsObject::Changed()
{
    ReleaseHandle();
    if (OnChange)
        OnChange(this);
}

const TClassInfo& TFont::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TFont>(L"TFont", &TGraphicsObject::StaticClass())
        .Custom(L"Charset", [](const TFont& f) { return CharsetToValue(f.Charset()); },
                [](TFont& f, const TValue& v) { f.SetCharset(CharsetFromValue(v)); })
        .Custom(L"Color", [](const TFont& f) { return ColorToValue(f.Color()); },
                [](TFont& f, const TValue& v) { f.SetColor(ColorFromValue(v)); })
        .Property(L"Height", &TFont::Height, &TFont::SetHeight)
        .Property(L"Name", &TFont::Name, &TFont::SetName)
        .Property(L"Pitch", &TFont::Pitch, &TFont::SetPitch)
        .Property(L"Style", &TFont::Style, &TFont::SetStyle)
        .Build();
    return info;
}

TFont::TFont() = default;

void TFont::SetName(const std::wstring& v)
{
    if (v == FName)
        return;
    FName = v;
    Changed();
}

void TFont::SetHeight(int v)
{
    if (v == FHeight)
        return;
    FHeight = v;
    Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, 96); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

void TFont::SetStyle(TFontStyles v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

void TFont::SetColor(TColor v)
{
    if (v == FColor)
        return;
    // The colour is applied by the canvas, not part of the font object: keep the handle.
    FColor = v;
    if (OnChange)
        OnChange(this);
}

void TFont::SetCharset(int v)
{
    if (v == FCharset)
        return;
    FCharset = v;
    Changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == FPitch)
        return;
    FPitch = v;
    Changed();
}

std::wstring TFont::SettingsKey() const
{
    return HandleKey(
        {static_cast<unsigned>(FHeight), FStyle.Bits(), static_cast<unsigned>(FCharset), static_cast<unsigned>(FPitch)},
        FName);
}

HFONT TFont::Handle()
{
    if (FHandle != nullptr)
        return static_cast<HFONT>(FHandle);
    std::wstring key = SettingsKey();
    if (ReuseHandle(key))
        return static_cast<HFONT>(FHandle);
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(TFontStyle::fsItalic);
    lf.lfUnderline = FStyle.Contains(TFontStyle::fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut);
    lf.lfCharSet = static_cast<BYTE>(FCharset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == TFontPitch::fpFixed      ? FIXED_PITCH
                          : FPitch == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                             : DEFAULT_PITCH;
    // "Default" names the system's dialog font rather than a face of that name.
    std::wstring face = _wcsicmp(FName.c_str(), L"Default") == 0 ? std::wstring(L"MS Shell Dlg") : FName;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT handle = CreateFontIndirectW(&lf);
    if (handle == nullptr)
        throw EInvalidGraphic(Format(L"Cannot create the font %s", FName.c_str()));
    HandleMade(handle, std::move(key));
    return handle;
}

bool TFont::Equals(const TFont& o) const
{
    return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
           FCharset == o.FCharset && FPitch == o.FPitch;
}

void TFont::Assign(const TPersistent& source)
{
    auto* f = dynamic_cast<const TFont*>(&source);
    if (f == nullptr)
        return TGraphicsObject::Assign(source);
    if (Equals(*f))
        return;
    bool sameHandle = FName == f->FName && FHeight == f->FHeight && FStyle == f->FStyle &&
                      FCharset == f->FCharset && FPitch == f->FPitch;
    FName = f->FName;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    if (!sameHandle)
        ReleaseHandle();
    if (OnChange)
        OnChange(this);
}

const TClassInfo& TPen::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPen>(L"TPen", &TGraphicsObject::StaticClass())
        .Custom(L"Color", [](const TPen& p) { return ColorToValue(p.Color()); },
                [](TPen& p, const TValue& v) { p.SetColor(ColorFromValue(v)); })
        .Property(L"Mode", &TPen::Mode, &TPen::SetMode)
        .Property(L"Style", &TPen::Style, &TPen::SetStyle)
        .Property(L"Width", &TPen::Width, &TPen::SetWidth)
        .Build();
    return info;
}

void TPen::SetColor(TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    Changed();
}

void TPen::SetWidth(int v)
{
    if (v == FWidth)
        return;
    FWidth = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

void TPen::SetMode(TPenMode v)
{
    if (v == FMode)
        return;
    FMode = v;
    if (OnChange)
        OnChange(this);
}

HPEN TPen::Handle()
{
    if (FHandle != nullptr)
        return static_cast<HPEN>(FHandle);
    std::wstring key = HandleKey({ColorToRef(FColor), static_cast<unsigned>(FWidth), static_cast<unsigned>(FStyle)});
    if (ReuseHandle(key))
        return static_cast<HPEN>(FHandle);
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    HPEN handle = CreatePen(styles[static_cast<int>(FStyle)], FWidth, ColorToRef(FColor));
    if (handle == nullptr)
        throw EInvalidGraphic(L"Cannot create a pen");
    HandleMade(handle, std::move(key));
    return handle;
}

void TPen::Assign(const TPersistent& source)
{
    auto* p = dynamic_cast<const TPen*>(&source);
    if (p == nullptr)
        return TGraphicsObject::Assign(source);
    if (p->FColor == FColor && p->FWidth == FWidth && p->FStyle == FStyle && p->FMode == FMode)
        return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
}

const TClassInfo& TBrush::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBrush>(L"TBrush", &TGraphicsObject::StaticClass())
        .Custom(L"Color", [](const TBrush& b) { return ColorToValue(b.Color()); },
                [](TBrush& b, const TValue& v) { b.SetColor(ColorFromValue(v)); })
        .Property(L"Style", &TBrush::Style, &TBrush::SetStyle)
        .Build();
    return info;
}

void TBrush::SetColor(TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    // Setting a colour makes a hollow brush solid again, as the canvas's users expect.
    if (FStyle == TBrushStyle::bsClear)
        FStyle = TBrushStyle::bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (FStyle == TBrushStyle::bsClear)
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (FHandle != nullptr)
        return static_cast<HBRUSH>(FHandle);
    // The colour as it resolves now: a system colour's handle is not reused after the system changed it.
    std::wstring key = HandleKey({ColorToRef(FColor), static_cast<unsigned>(FStyle)});
    if (ReuseHandle(key))
        return static_cast<HBRUSH>(FHandle);
    HBRUSH handle;
    if (FStyle == TBrushStyle::bsSolid) {
        handle = CreateSolidBrush(ColorToRef(FColor));
    } else {
        static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                      HS_DIAGCROSS};
        handle = CreateHatchBrush(hatches[static_cast<int>(FStyle)], ColorToRef(FColor));
    }
    if (handle == nullptr)
        throw EInvalidGraphic(L"Cannot create a brush");
    HandleMade(handle, std::move(key));
    return handle;
}

void TBrush::Assign(const TPersistent& source)
{
    auto* b = dynamic_cast<const TBrush*>(&source);
    if (b == nullptr)
        return TGraphicsObject::Assign(source);
    if (b->FColor == FColor && b->FStyle == FStyle)
        return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TCanvas

const TClassInfo& TCanvas::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCanvas>(L"TCanvas", &TPersistent::StaticClass()).Build();
    return info;
}

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    FFont->FCanvas = this;
    FPen->FCanvas = this;
    FBrush->FCanvas = this;
}

TCanvas::~TCanvas()
{
    // The context may belong to someone else: give it back with its own objects selected.
    DeselectAll();
    FFont->FCanvas = nullptr;
    FPen->FCanvas = nullptr;
    FBrush->FCanvas = nullptr;
}

void TCanvas::CreateHandle() {}

HDC TCanvas::Handle()
{
    if (FHandle == nullptr)
        CreateHandle();
    if (FHandle == nullptr)
        throw EInvalidOperation(L"Canvas does not allow drawing");
    return FHandle;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == FHandle)
        return;
    DeselectAll();
    FHandle = dc;
}

void TCanvas::DeselectAll()
{
    if (FHandle == nullptr)
        return;
    if (FSelectedFont != nullptr)
        SelectObject(FHandle, FOriginalFont);
    if (FSelectedPen != nullptr)
        SelectObject(FHandle, FOriginalPen);
    if (FSelectedBrush != nullptr)
        SelectObject(FHandle, FOriginalBrush);
    FSelectedFont = FSelectedPen = FSelectedBrush = nullptr;
    FOriginalFont = FOriginalPen = FOriginalBrush = nullptr;
}

void TCanvas::Deselect(HGDIOBJ handle)
{
    if (FHandle == nullptr || handle == nullptr)
        return;
    if (handle == FSelectedFont) {
        SelectObject(FHandle, FOriginalFont);
        FSelectedFont = nullptr;
    } else if (handle == FSelectedPen) {
        SelectObject(FHandle, FOriginalPen);
        FSelectedPen = nullptr;
    } else if (handle == FSelectedBrush) {
        SelectObject(FHandle, FOriginalBrush);
        FSelectedBrush = nullptr;
    }
}

void TCanvas::RequiredState(int state)
{
    HDC dc = Handle();
    auto select = [dc](HGDIOBJ wanted, HGDIOBJ& selected, HGDIOBJ& original) {
        if (selected == wanted)
            return;
        HGDIOBJ old = SelectObject(dc, wanted);
        if (selected == nullptr)
            original = old;
        selected = wanted;
    };
    // Reading a context's colours and modes is cheap, while setting some of them is a call into
    // the graphics system under Wine: each is set only when it differs (whoever changed it).
    if (state & csFontValid) {
        select(FFont->Handle(), FSelectedFont, FOriginalFont);
        const COLORREF text = ColorToRef(FFont->Color());
        if (GetTextColor(dc) != text)
            SetTextColor(dc, text);
    }
    if (state & csPenValid) {
        select(FPen->Handle(), FSelectedPen, FOriginalPen);
        static const int rop2[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                                   R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                                   R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
        const int mode = rop2[static_cast<int>(FPen->Mode())];
        if (GetROP2(dc) != mode)
            SetROP2(dc, mode);
    }
    if (state & csBrushValid)
        select(FBrush->Handle(), FSelectedBrush, FOriginalBrush);
    if (state & (csBrushValid | csBrushColors)) {
        const COLORREF back = ColorToRef(FBrush->Color());
        if (GetBkColor(dc) != back)
            SetBkColor(dc, back);
        const int mode = FBrush->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE;
        if (GetBkMode(dc) != mode)
            SetBkMode(dc, mode);
    }
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(Handle(), x, y, nullptr);
    FPenPos = TPoint{x, y};
}

void TCanvas::LineTo(int x, int y)
{
    RequiredState(csPenValid | csBrushColors);
    ::LineTo(Handle(), x, y);
    FPenPos = TPoint{x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.empty())
        return;
    RequiredState(csPenValid | csBrushColors);
    ::Polyline(Handle(), points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    RequiredState(csPenValid | csBrushValid);
    ::SetPolyFillMode(Handle(), FFillMode == TFillMode::fmWinding ? WINDING : ALTERNATE);
    ::Polygon(Handle(), points.data(), static_cast<int>(points.size()));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    RequiredState(csPenValid | csBrushValid);
    ::Rectangle(Handle(), left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    RequiredState(csPenValid | csBrushValid);
    ::Ellipse(Handle(), left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    RequiredState(csPenValid | csBrushValid);
    ::RoundRect(Handle(), left, top, right, bottom, cornerWidth, cornerHeight);
}

void TCanvas::FillRect(const TRect& r)
{
    RequiredState(csBrushColors);
    ::FillRect(Handle(), &r, FBrush->Handle());
}

void TCanvas::FrameRect(const TRect& r)
{
    RequiredState(csBrushColors);
    ::FrameRect(Handle(), &r, FBrush->Handle());
}

namespace {

// Fills a rectangle with a colour without creating a brush: an opaque empty text output.
void SolidFill(HDC dc, const TRect& r, COLORREF colour)
{
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

} // namespace

void TCanvas::Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width)
{
    HDC dc = Handle();
    COLORREF top = ColorToRef(topColor), bottom = ColorToRef(bottomColor);
    for (int i = 0; i < width; ++i) {
        // The bottom-right lines own the two corners where the colours meet.
        SolidFill(dc, Rect(r.left, r.top, r.right - 1, r.top + 1), top);
        SolidFill(dc, Rect(r.left, r.top, r.left + 1, r.bottom - 1), top);
        SolidFill(dc, Rect(r.right - 1, r.top, r.right, r.bottom), bottom);
        SolidFill(dc, Rect(r.left, r.bottom - 1, r.right, r.bottom), bottom);
        InflateRect(&r, -1, -1);
    }
    if (FBrush->Style() != TBrushStyle::bsClear && FSelectedBrush != nullptr)
        SetBkColor(dc, ColorToRef(FBrush->Color()));
}

void TCanvas::InvertRect(const TRect& r) { ::InvertRect(Handle(), &r); }

void TCanvas::DrawFocusRect(const TRect& r)
{
    RequiredState(csBrushValid);
    ::DrawFocusRect(Handle(), &r);
}

TColor TCanvas::Pixel(int x, int y) { return static_cast<TColor>(GetPixel(Handle(), x, y)); }

void TCanvas::SetPixel(int x, int y, TColor color)
{
    RequiredState(csPenValid | csBrushValid);
    SetPixelV(Handle(), x, y, ColorToRef(color));
}

void TCanvas::TextOut(int x, int y, const std::wstring& text)
{
    RequiredState(csFontValid | csBrushColors);
    ExtTextOutW(Handle(), x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    SIZE s = TextExtent(text);
    MoveToEx(Handle(), x + s.cx, y, nullptr);
    FPenPos = TPoint{x + s.cx, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::wstring& text)
{
    RequiredState(csFontValid | csBrushColors);
    UINT options = ETO_CLIPPED;
    if (FBrush->Style() != TBrushStyle::bsClear)
        options |= ETO_OPAQUE;
    ExtTextOutW(Handle(), x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::wstring& text, TRect& r, UINT flags)
{
    RequiredState(csFontValid | csBrushColors);
    return DrawTextW(Handle(), text.c_str(), static_cast<int>(text.size()), &r, flags);
}

SIZE TCanvas::TextExtent(const std::wstring& text)
{
    RequiredState(csFontValid);
    constexpr size_t kMeasuresKept = 1024;
    auto& measured = FExtents[FSelectedFont];
    if (auto it = measured.find(text); it != measured.end())
        return it->second;
    if (measured.size() >= kMeasuresKept)
        measured.clear();
    SIZE s{0, 0};
    GetTextExtentPoint32W(Handle(), text.c_str(), static_cast<int>(text.size()), &s);
    if (text.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(Handle(), &tm);
        s.cy = tm.tmHeight;
    }
    measured.emplace(text, s);
    return s;
}

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, r);
}

void TCanvas::DrawTransparent(int x, int y, TBitmap& bitmap, TColor transparentColor)
{
    if (bitmap.Empty())
        return;
    HDC dc = Handle();
    HDC src = bitmap.Canvas().Handle();
    TransparentBlt(dc, x, y, bitmap.Width(), bitmap.Height(), src, 0, 0, bitmap.Width(), bitmap.Height(),
                   ColorToRef(transparentColor));
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    RequiredState(csBrushValid);
    HDC dc = Handle();
    HDC src = source.Handle();
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.left, dest.top, RectWidth(dest), RectHeight(dest), src, sourceRect.left, sourceRect.top,
               RectWidth(sourceRect), RectHeight(sourceRect), FCopyMode);
    SetStretchBltMode(dc, oldMode);
}

TRect TCanvas::ClipRect()
{
    TRect r{0, 0, 0, 0};
    GetClipBox(Handle(), &r);
    return r;
}

void TCanvas::SetClipRect(const TRect& r)
{
    HDC dc = Handle();
    // Regions are in device units; the canvas speaks in its own (possibly offset) coordinates.
    TPoint corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    LPtoDP(dc, corners, 2);
    TGdiObject<HRGN> region(CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y));
    if (!region)
        throw EInvalidGraphic(L"Cannot create a clip region");
    SelectClipRgn(dc, region);
}

void TCanvas::ResetClip() { SelectClipRgn(Handle(), nullptr); }

} // namespace ui
