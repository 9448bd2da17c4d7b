// Four-line device guide. The window closes when its picture is clicked.
#pragma once

#include "ui/controls/Forms.h"

class TForm3 : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TForm3(ui::TComponent* AOwner) : TForm(AOwner) {}
    void Image3Click(ui::TObject* Sender);
};

extern TForm3* Form3;
