// Single-line device guide.
#include "app/Unit6.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

TForm6* Form6 = nullptr;

const TClassInfo& TForm6::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm6>(L"TForm6", &TForm::StaticClass())
        .Handler<TNotifyEvent>(L"Image3Click", &TForm6::Image3Click)
        .Handler<TNotifyEvent>(L"Label2Click", &TForm6::Label2Click)
        .Handler<TNotifyEvent>(L"FormClick", &TForm6::FormClick)
        .Build();
    return info;
}

void TForm6::Image3Click(TObject*) { Close(); }
void TForm6::Label2Click(TObject*) { Close(); }
void TForm6::FormClick(TObject*) { Close(); }
