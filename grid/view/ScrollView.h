// Scrolling windows of the grid suite: the scroll-bar model, the scroll view with its content
// scrolling by units, and middle-button auto-scroll with its marker.
#pragma once

#include "grid/view/FlyoutControl.h"
#include "ui/controls/Controls.h"
#include "ui/controls/ExtCtrls.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace grid {

class TScrollView;

// One scroll bar of a scroll view: range, position and steps in units. Pushes its values to the
// window's standard scroll bar and scrolls the owner's content when its position changes.
class TControlScrollBar {
public:
    explicit TControlScrollBar(TScrollView* owner) : FOwner(owner) {}
    TControlScrollBar(const TControlScrollBar&) = delete;
    TControlScrollBar& operator=(const TControlScrollBar&) = delete;
    virtual ~TControlScrollBar() = default;

    enum : uint8_t { sbHorizontal = 0, sbVertical = 1 };

    bool Enabled() const { return FEnabled; }
    uint8_t Kind() const { return FKind; }
    void SetKind(uint8_t kind) { FKind = kind; }
    int32_t Max() const { return FMax; }
    int32_t Min() const { return FMin; }
    int32_t PageSize() const { return FPageSize; }
    int32_t Position() const { return FPosition; }
    bool Visible() const { return FVisible; }

    // Steps have no setters of their own: owners write them directly.
    int32_t LargeChange = 1;
    int32_t SmallChange = 1;
    // While set, Update does nothing (SetParams sets the platform bar once at its end).
    bool UpdateLock = false;

    void SetEnabled(bool v);
    void SetMax(int32_t v);
    void SetMin(int32_t v);
    void SetPageSize(int32_t v);
    // Clamps to [Min, Max] (Min wins), stores, updates the bar, then scrolls the owner's content
    // by the difference (also when it is 0).
    void SetPosition(int32_t v);
    // Shows or hides the platform bar at once (creating the owner's window when it has none).
    void SetVisible(bool v);
    // Sets everything with one platform update; a position of 0 or less keeps the current one.
    void SetParams(int32_t position, int32_t min, int32_t max, int32_t pageSize, bool enabled, bool visible);

    // Scroll messages to the owner's window; nothing when Max < 1.
    void LineUp() { Scroll(SB_LINEUP); }
    void LineDown() { Scroll(SB_LINEDOWN); }
    void PageUp() { Scroll(SB_PAGEUP); }
    void PageDown() { Scroll(SB_PAGEDOWN); }

    // Pushes the values to the platform bar when the owner's window exists.
    virtual void Update();

private:
    void Scroll(int code);
    int Bar() const { return FKind == sbHorizontal ? SB_HORZ : SB_VERT; }

    TScrollView* FOwner;
    bool FEnabled = true;
    std::optional<bool> FEnabledSent; // what the window's bar was last told, none before the first
    uint8_t FKind = sbHorizontal;
    int32_t FMax = 100;
    int32_t FMin = 0;
    int32_t FPageSize = 0;
    int32_t FPosition = 0;
    bool FVisible = true;
};

// A window that knows, per orientation, which client rectangle moves when it scrolls and how
// many pixels one unit is.
class TCustomScrollView : public ui::TCustomControl {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomScrollView(ui::TComponent* AOwner);

    int32_t LastHorzDelta = 0;
    int32_t LastVertDelta = 0;
    ui::TRect HorzScrollArea{};
    ui::TRect VertScrollArea{};
    int32_t HorzUnitSize = 1;
    int32_t VertUnitSize = 1;

    // Moves the window content by (dx, dy) units (positive: right or down) and invalidates what
    // it uncovers; the horizontal area clips when dx is not 0, else the vertical one.
    virtual void ScrollBy(int dx, int dy);
};

// The marker shown at the anchor of middle-button auto-scroll: a grey up arrow, dot and down
// arrow cut out by the window region.
class TRollShadow : public TFlyoutControl {
    UI_PUBLISHED_CLASS
public:
    explicit TRollShadow(ui::TComponent* AOwner);
    // Builds the arrow-dot-arrow region and hands it to the window.
    virtual void ApplyShape();
    // Puts the dot on the screen point p.
    void PlaceAt(ui::TPoint p);
    ui::TPoint Marker() const { return FMarker; }
    // The region as built by ApplyShape, for callers that want to test or reuse it; the caller
    // deletes it.
    static HRGN CreateShapeRegion();

protected:
    void Paint() override;
    void CreateHandleDone() override;

private:
    ui::TPoint FMarker{0, 0};
};

// Screen cursors of auto-scroll, registered with the screen by every scroll view's construction.
constexpr ui::TCursor crRoll = 3003;
constexpr ui::TCursor crRollUp = 3004;
constexpr ui::TCursor crRollDown = 3005;

// A scroll view with its two bars, scroll-message handling and middle-button auto-scroll.
class TScrollView : public TCustomScrollView {
    UI_PUBLISHED_CLASS
public:
    explicit TScrollView(ui::TComponent* AOwner);
    ~TScrollView() override;

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    TRollShadow* RollMarker() const { return FRollMarker; }
    ui::TTimer* RollTimer() const { return FRollTimer; }
    ui::TPoint RollAnchor() const { return FRollAnchor; }
    bool Rolling() const { return (FRollState & 1) != 0; }
    enum : uint8_t { rdUp = 1, rdDown = 2 };
    uint8_t RollDirection() const { return FRollDirection; }
    // The screen cursor auto-scroll set last (crRoll, crRollUp, crRollDown; crDefault when idle).
    ui::TCursor RollCursor() const { return FRollCursor; }

    // Called before each position change scrolls the content; does nothing here.
    virtual void BeforeScroll(uint8_t kind) {}
    // One auto-scroll step (the roll timer's tick): scrolls by a line toward the pointer and sets
    // the next interval from the pointer's distance to the anchor.
    void RollStep();
    // The interval rule of auto-scroll: 100 ms less the vertical distance, at least 1 ms.
    static unsigned RollInterval(int dy);

    void WndProc(ui::TMessage& message) override;

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void CreateHandleDone() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    // A scroll message of either orientation after the default handling.
    virtual void HandleScrollMessage(ui::TMessage& message, TControlScrollBar& bar);

private:
    void SetRollCursor(ui::TCursor cursor);
    void EndRoll();

    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    TRollShadow* FRollMarker = nullptr;
    ui::TTimer* FRollTimer = nullptr;
    ui::TPoint FRollAnchor{0, 0};
    uint8_t FRollState = 0;
    uint8_t FRollDirection = 0;
    ui::TCursor FRollCursor = ui::crDefault;
};

// Registers the auto-scroll cursors from the program's cursor resources "ROLL", "ROLLUP" and
// "ROLLDOWN"; a program without them gets copies of close system cursors instead.
void RegisterRollCursors();
// Registers the program's cursor resource `resource` under `number`, or a copy of the system
// cursor `fallback` when the program has no such resource.
void RegisterCursorOrFallback(ui::TCursor number, const wchar_t* resource, LPCWSTR fallback);

} // namespace grid
