// Two-line device guide.
#include "app/Unit2.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

TForm2* Form2 = nullptr;

const TClassInfo& TForm2::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm2>(L"TForm2", &TForm::StaticClass())
        .Handler<TNotifyEvent>(L"Image1Click", &TForm2::Image1Click)
        .Build();
    return info;
}

void TForm2::Image1Click(TObject*) { Close(); }
