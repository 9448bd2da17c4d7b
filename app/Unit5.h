// Guide to what an ADSL splitter is. The window closes when its picture is clicked.
#pragma once

#include "ui/controls/Forms.h"

class Tsplnedir : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit Tsplnedir(ui::TComponent* AOwner) : TForm(AOwner) {}
    void Image1Click(ui::TObject* Sender);
};

extern Tsplnedir* splnedir;
