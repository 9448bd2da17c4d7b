// Four-line device guide.
#include "app/Unit3.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

TForm3* Form3 = nullptr;

const TClassInfo& TForm3::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm3>(L"TForm3", &TForm::StaticClass())
        .Handler<TNotifyEvent>(L"Image3Click", &TForm3::Image3Click)
        .Build();
    return info;
}

void TForm3::Image3Click(TObject*) { Close(); }
