// Single-line device guide. It closes on a click on its picture, its label or its empty area.
#pragma once

#include "ui/controls/Forms.h"

class TForm6 : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TForm6(ui::TComponent* AOwner) : TForm(AOwner) {}
    void Image3Click(ui::TObject* Sender);
    void Label2Click(ui::TObject* Sender);
    void FormClick(ui::TObject* Sender);
};

extern TForm6* Form6;
