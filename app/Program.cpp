// The program's start: its title and its six windows, created in their fixed order.
#include "app/Program.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"

using namespace ui;

void CreateProgramForms()
{
    Application->SetTitle(L"Caller ID Test");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(ADSlbag);
    Application->CreateForm(Form6);
    Application->CreateForm(splnedir);
}
