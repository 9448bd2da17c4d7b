// Guide to connecting the internet (ADSL) line. The window closes when its picture is clicked.
#pragma once

#include "ui/controls/Forms.h"

class TADSlbag : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TADSlbag(ui::TComponent* AOwner) : TForm(AOwner) {}
    void Image1Click(ui::TObject* Sender);
};

extern TADSlbag* ADSlbag;
