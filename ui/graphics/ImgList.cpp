// Image lists over the platform's image list.
#include "ui/graphics/ImgList.h"

#include "ui/core/ClassBuilder.h"

namespace ui {

const TClassInfo& TImageList::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TImageList>(L"TImageList", &TComponent::StaticClass())
        .Property(L"Height", &TImageList::Height, &TImageList::SetHeight)
        .Property(L"Width", &TImageList::Width, &TImageList::SetWidth)
        .Event(L"OnChange", &TImageList::OnChange)
        .Build();
    return info;
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::~TImageList()
{
    if (FHandle != nullptr) {
        ImageList_Destroy(FHandle);
        detail::CountUser(-1);
    }
}

HIMAGELIST TImageList::Handle()
{
    if (FHandle == nullptr) {
        FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 4, 4);
        if (FHandle == nullptr)
            throw EInvalidGraphic(Format(L"Cannot create a %d x %d image list", FWidth, FHeight));
        detail::CountUser(1);
    }
    return FHandle;
}

void TImageList::SetWidth(int v)
{
    if (v == FWidth)
        return;
    if (v <= 0)
        throw EInvalidGraphic(L"Image list width must be positive");
    Clear();
    FWidth = v;
    if (FHandle != nullptr)
        ImageList_SetIconSize(FHandle, FWidth, FHeight);
}

void TImageList::SetHeight(int v)
{
    if (v == FHeight)
        return;
    if (v <= 0)
        throw EInvalidGraphic(L"Image list height must be positive");
    Clear();
    FHeight = v;
    if (FHandle != nullptr)
        ImageList_SetIconSize(FHandle, FWidth, FHeight);
}

int TImageList::Count() const { return FHandle != nullptr ? ImageList_GetImageCount(FHandle) : 0; }

void TImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
}

void TImageList::Changed()
{
    if (OnChange)
        OnChange(this);
}

namespace {

// A picture as the image list wants it: a device-dependent copy it can take.
void CheckPicture(const TBitmap& image, int height)
{
    if (image.Empty())
        throw EInvalidGraphic(L"An empty picture cannot be added to an image list");
    if (image.Height() != height)
        throw EInvalidGraphic(Format(L"Picture height %d does not match the image list's %d", image.Height(), height));
}

} // namespace

int TImageList::Add(TBitmap& image, TBitmap* mask)
{
    CheckPicture(image, FHeight);
    GdiFlush();
    if (image.PixelFormat() == TPixelFormat::pf8bit) {
        TBitmap copy;
        copy.Assign(image);
        copy.SetPixelFormat(TPixelFormat::pf24bit);
        return Add(copy, mask);
    }
    int index = ImageList_Add(Handle(), image.Handle(), mask != nullptr ? mask->Handle() : nullptr);
    if (index < 0)
        throw EInvalidGraphic(L"Cannot add a picture to the image list");
    Changed();
    return index;
}

int TImageList::AddMasked(TBitmap& image, TColor transparent)
{
    CheckPicture(image, FHeight);
    GdiFlush();
    TBitmap copy;
    copy.Assign(image);
    copy.SetPixelFormat(TPixelFormat::pf24bit);
    int index = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRef(transparent));
    if (index < 0)
        throw EInvalidGraphic(L"Cannot add a picture to the image list");
    Changed();
    return index;
}

int TImageList::AddIcon(TIcon& icon)
{
    if (icon.Empty())
        throw EInvalidGraphic(L"An empty icon cannot be added to an image list");
    int index = ImageList_AddIcon(Handle(), icon.Handle(FWidth));
    if (index < 0)
        throw EInvalidGraphic(L"Cannot add an icon to the image list");
    Changed();
    return index;
}

void TImageList::Delete(int index)
{
    CheckIndex(index);
    ImageList_Remove(FHandle, index);
    Changed();
}

void TImageList::Clear()
{
    if (FHandle != nullptr && Count() > 0) {
        ImageList_RemoveAll(FHandle);
        Changed();
    }
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled)
{
    CheckIndex(index);
    UINT style = ILD_TRANSPARENT;
    if (!enabled)
        style |= ILD_BLEND50;
    ImageList_Draw(FHandle, index, canvas.Handle(), x, y, style);
}

void TImageList::GetBitmap(int index, TBitmap& bitmap, TColor background)
{
    CheckIndex(index);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(FWidth, FHeight);
    bitmap.Canvas().Brush().SetColor(background);
    bitmap.Canvas().FillRect(Rect(0, 0, FWidth, FHeight));
    Draw(bitmap.Canvas(), 0, 0, index);
}

} // namespace ui
