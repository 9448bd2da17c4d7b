// Guide to what an ADSL splitter is.
#include "app/Unit5.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

Tsplnedir* splnedir = nullptr;

const TClassInfo& Tsplnedir::StaticClass()
{
    static const TClassInfo info = TClassBuilder<Tsplnedir>(L"Tsplnedir", &TForm::StaticClass())
        .Handler<TNotifyEvent>(L"Image1Click", &Tsplnedir::Image1Click)
        .Build();
    return info;
}

void Tsplnedir::Image1Click(TObject*) { Close(); }
