// Two-line device guide. The window closes when its picture is clicked.
#pragma once

#include "ui/controls/Forms.h"

#pragma once

#include "ui/controls/Forms.h"

// Two-line device.
class TForm2 : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TForm2(ui::TComponent* AOwner) : TForm(AOwner) {}
    void Image1Click(ui::TObject* Sender);
};

extern TForm2* Form2;
