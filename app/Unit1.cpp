// The main window "Cihaz Test": start-up steps, the error log and the commands of its pages.
#include "app/Unit1.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

TForm1* Form1 = nullptr;

const TClassInfo& TForm1::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm1>(L"TForm1", &TForm::StaticClass())
        .Field(L"Timer2", &TForm1::Timer2)
        .Field(L"ApplicationEvents1", &TForm1::ApplicationEvents1)
        .Handler<TNotifyEvent>(L"FormShow", &TForm1::FormShow)
        .Handler<TNotifyEvent>(L"Timer2Timer", &TForm1::Timer2Timer)
        .Handler<TExceptionEvent>(L"ApplicationEvents1Exception", &TForm1::ApplicationEvents1Exception)
        .Build();
    return info;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

void TForm1::FormShow(TObject*)
{
    CallCounter = 0;
    SetAutoSize(true);
}

void TForm1::Timer2Timer(TObject*)
{
    // Once only: started with the program so that the window comes to the front after the
    // desktop has settled.
    Timer2->SetEnabled(false);
    Application->BringToFront();
}

void TForm1::ApplicationEvents1Exception(TObject*, Exception& E)
{
    // Errors are logged, never shown in a dialog: the program is left running on test benches.
    FLastErrorLine = TimeToStr() + L":" + E.Message();
    OutputDebugStringW(FLastErrorLine.c_str());
}
