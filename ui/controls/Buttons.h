// Buttons with a glyph beside the caption (TBitBtn) and their standard kinds.
#pragma once

#include "ui/controls/Controls.h"
#include "ui/controls/Forms.h"

#include <memory>

namespace ui {

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A push button drawn by the program so that it can show a glyph. A standard kind brings its
// caption (unless one is set), its modal result and its glyph (the OK kind: a green tick).
class TBitBtn : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind v);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);
    // The glyph; its bottom-left pixel's colour is left out when drawn.
    TBitmap& Glyph() { return *FGlyph; }

    // Sets the window's modal result (when it is shown modally), then raises OnClick.
    void Click() override;

    // The picture the button paints for its state (tests read it back).
    void PaintButton(TCanvas& canvas, const TRect& rect, bool pressed, bool focused);

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleReflected(TMessage& message) override;

private:
    void MakeKindGlyph();
    TBitBtnKind FKind = TBitBtnKind::bkCustom;
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    TButtonLayout FLayout = TButtonLayout::blGlyphLeft;
    int FSpacing = 4;
    std::unique_ptr<TBitmap> FGlyph;
};

} // namespace ui

template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TBitBtnKind>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TButtonLayout>();
