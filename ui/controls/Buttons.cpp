// Buttons with glyphs.
#include "ui/controls/Buttons.h"

#include "ui/core/ClassBuilder.h"
#include "ui/graphics/GdiGuards.h"

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TBitBtnKind>()
{
    static const TEnumInfo info{L"TBitBtnKind", {L"bkCustom", L"bkOK", L"bkCancel", L"bkHelp", L"bkYes", L"bkNo",
                                                 L"bkClose", L"bkAbort", L"bkRetry", L"bkIgnore", L"bkAll"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TButtonLayout>()
{
    static const TEnumInfo info{L"TButtonLayout", {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom"}};
    return info;
}

namespace {

struct TKindInfo {
    const wchar_t* Caption;
    TModalResult Result;
};

// Captions and modal results of the standard kinds (mrYes 6, mrNo 7, mrAbort 3, mrRetry 4,
// mrIgnore 5, mrAll 8, as the platform's dialog results).
const TKindInfo kKinds[] = {
    {L"", mrNone},    {L"OK", mrOk},        {L"Cancel", mrCancel}, {L"&Help", mrNone},
    {L"&Yes", 6},     {L"&No", 7},          {L"&Close", mrNone},   {L"Abort", 3},
    {L"&Retry", 4},   {L"&Ignore", 5},      {L"&All", 8},
};

constexpr TColor kGlyphBackground = clFuchsia;

} // namespace

const TClassInfo& TBitBtn::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBitBtn>(L"TBitBtn", &TWinControl::StaticClass())
        .Property(L"Default", &TBitBtn::Default, &TBitBtn::SetDefault)
        .Property(L"Kind", &TBitBtn::Kind, &TBitBtn::SetKind)
        .Property(L"Layout", &TBitBtn::Layout, &TBitBtn::SetLayout)
        .Property(L"ModalResult", &TBitBtn::ModalResult, &TBitBtn::SetModalResult)
        .Property(L"Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing)
        .Build();
    return info;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TWinControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    // Clicks come from the button's own notification, not from the mouse messages.
    FControlStyle.Exclude(TControlStyleFlag::csClickEvents);
    FControlStyle.Exclude(TControlStyleFlag::csDoubleClicks);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClass = L"BUTTON";
    params.Style |= BS_OWNERDRAW;
}

void TBitBtn::SetKind(TBitBtnKind v)
{
    TBitBtnKind old = FKind;
    FKind = v;
    // Keep a caption someone chose; replace only an empty or standard one.
    const std::wstring& caption = Caption();
    bool standardCaption = caption.empty() || caption == kKinds[static_cast<int>(old)].Caption;
    if (v != TBitBtnKind::bkCustom) {
        if (standardCaption)
            SetCaption(kKinds[static_cast<int>(v)].Caption);
        FModalResult = kKinds[static_cast<int>(v)].Result;
    }
    MakeKindGlyph();
    Invalidate();
}

void TBitBtn::SetDefault(bool v)
{
    FDefault = v;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout v)
{
    FLayout = v;
    Invalidate();
}

void TBitBtn::SetSpacing(int v)
{
    FSpacing = v;
    Invalidate();
}

void TBitBtn::MakeKindGlyph()
{
    if (FKind != TBitBtnKind::bkOK) {
        if (FKind != TBitBtnKind::bkCustom)
            FGlyph->SetSize(0, 0);
        return;
    }
    // A green tick on a background colour that drawing leaves out.
    FGlyph->SetPixelFormat(TPixelFormat::pf24bit);
    FGlyph->SetSize(18, 18);
    TCanvas& c = FGlyph->Canvas();
    c.Brush().SetColor(kGlyphBackground);
    c.FillRect(Rect(0, 0, 18, 18));
    c.Pen().SetColor(RGBColor(0, 128, 0));
    c.Brush().SetColor(RGBColor(0, 160, 0));
    c.Polygon({{2, 9}, {5, 6}, {8, 9}, {14, 3}, {17, 6}, {8, 15}});
    FGlyph->SetTransparentColor(kGlyphBackground);
}

void TBitBtn::Click()
{
    if (FModalResult != mrNone) {
        for (TControl* c = Parent(); c != nullptr; c = c->Parent())
            if (auto* form = dynamic_cast<TForm*>(c)) {
                if (form->IsModal())
                    form->SetModalResult(FModalResult);
                break;
            }
    }
    TWinControl::Click();
}

void TBitBtn::PaintButton(TCanvas& canvas, const TRect& rect, bool pressed, bool focused)
{
    TRect r = rect;
    if (FDefault || focused) {
        canvas.Brush().SetColor(clWindowFrame);
        canvas.FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(canvas.Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    canvas.SetFont(*Font());
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    TRect measured = Rect(0, 0, 0, 0);
    std::wstring caption = Caption();
    canvas.DrawText(caption, measured, DT_SINGLELINE | DT_CALCRECT);
    int gw = FGlyph->Width(), gh = FGlyph->Height();
    int tw = RectWidth(measured), th = RectHeight(measured);
    bool horizontal = FLayout == TButtonLayout::blGlyphLeft || FLayout == TButtonLayout::blGlyphRight;
    int spacing = gw > 0 && !caption.empty() ? FSpacing : 0;
    int totalW = horizontal ? gw + spacing + tw : std::max(gw, tw);
    int totalH = horizontal ? std::max(gh, th) : gh + spacing + th;
    int x = (rect.left + rect.right - totalW) / 2, y = (rect.top + rect.bottom - totalH) / 2;
    if (pressed) {
        ++x;
        ++y;
    }
    TPoint glyphAt{}, textAt{};
    switch (FLayout) {
    case TButtonLayout::blGlyphLeft:
        glyphAt = {x, y + (totalH - gh) / 2};
        textAt = {x + gw + spacing, y + (totalH - th) / 2};
        break;
    case TButtonLayout::blGlyphRight:
        textAt = {x, y + (totalH - th) / 2};
        glyphAt = {x + tw + spacing, y + (totalH - gh) / 2};
        break;
    case TButtonLayout::blGlyphTop:
        glyphAt = {x + (totalW - gw) / 2, y};
        textAt = {x + (totalW - tw) / 2, y + gh + spacing};
        break;
    case TButtonLayout::blGlyphBottom:
        textAt = {x + (totalW - tw) / 2, y};
        glyphAt = {x + (totalW - gw) / 2, y + th + spacing};
        break;
    }
    if (gw > 0)
        canvas.DrawTransparent(glyphAt.x, glyphAt.y, *FGlyph, FGlyph->TransparentColor());
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    TRect text = Bounds(textAt.x, textAt.y, tw, th);
    canvas.DrawText(caption, text, DT_SINGLELINE);
    if (focused) {
        TRect f = rect;
        InflateRect(&f, -4, -4);
        canvas.Brush().SetColor(clBtnFace);
        SetTextColor(canvas.Handle(), RGB(0, 0, 0));
        canvas.DrawFocusRect(f);
    }
}

bool TBitBtn::HandleReflected(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
        if (HIWORD(message.WParam) == BN_CLICKED) {
            Click();
            return true;
        }
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        TCanvas canvas;
        {
            TCanvasBinding binding(canvas, item->hDC);
            PaintButton(canvas, item->rcItem, (item->itemState & ODS_SELECTED) != 0,
                        (item->itemState & ODS_FOCUS) != 0);
        }
        message.Result = TRUE;
        return true;
    }
    default: return false;
    }
}

} // namespace ui
