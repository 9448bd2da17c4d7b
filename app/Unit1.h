// The main window "Cihaz Test": start-up steps, the error log and the commands of its pages.
#pragma once

#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"

#include <cstdint>
#include <string>

class TForm1 : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TForm1(ui::TComponent* AOwner);

    ui::TTimer* Timer2 = nullptr;
    ui::TApplicationEvents* ApplicationEvents1 = nullptr;

    // Numbers the calls since the window was first shown or the list was last reset.
    int32_t CallCounter = 0;

    void FormShow(ui::TObject* Sender);
    void Timer2Timer(ui::TObject* Sender);
    void ApplicationEvents1Exception(ui::TObject* Sender, ui::Exception& E);

    // The lines the error hook wrote, oldest first (what the notice box shows).
    const std::wstring& LastErrorLine() const { return FLastErrorLine; }

private:
    std::wstring FLastErrorLine;
};

extern TForm1* Form1;
