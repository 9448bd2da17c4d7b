// Image lists: many small pictures of one size kept together and drawn by index.
#pragma once

#include "ui/graphics/Graphics.h"

#include <commctrl.h>

namespace ui {

// A list of same-sized images with transparency (the platform's image list). Pictures are
// copied in; the list owns its handle and releases it with itself.
class TImageList : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetWidth(int v);
    void SetHeight(int v);
    int Count() const;

    // Adds a picture (split into several images when it is a multiple of Width wide) with an
    // optional monochrome mask; returns the index of the first image added.
    int Add(TBitmap& image, TBitmap* mask = nullptr);
    // Adds a picture whose pixels of `transparent` become see-through.
    int AddMasked(TBitmap& image, TColor transparent);
    int AddIcon(TIcon& icon);
    void Delete(int index);
    void Clear();

    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
    // Copies image `index` into `bitmap` (resized to the list's size) over the colour `background`.
    void GetBitmap(int index, TBitmap& bitmap, TColor background = clWhite);

    HIMAGELIST Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }

    TNotifyEvent OnChange;

private:
    void CheckIndex(int index) const;
    void Changed();
    HIMAGELIST FHandle = nullptr;
    int FWidth = 16;
    int FHeight = 16;
};

} // namespace ui
