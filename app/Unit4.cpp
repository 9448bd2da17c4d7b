// Guide to connecting the internet (ADSL) line.
#include "app/Unit4.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

TADSlbag* ADSlbag = nullptr;

const TClassInfo& TADSlbag::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TADSlbag>(L"TADSlbag", &TForm::StaticClass())
        .Handler<TNotifyEvent>(L"Image1Click", &TADSlbag::Image1Click)
        .Build();
    return info;
}

void TADSlbag::Image1Click(TObject*) { Close(); }
