// The program's start: its title and its six windows, created in their fixed order.
#include "app/Program.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"

using namespace ui;

namespace {

template <class T>
void Create(T*& form, const char* className, void (*created)(const char*))
{
    Application->CreateForm(form);
    if (created != nullptr)
        created(className);
}

} // namespace

void CreateProgramForms(void (*created)(const char* className))
{
    Application->SetTitle(L"Caller ID Test");
    Create(Form1, "TForm1", created);
    Create(Form2, "TForm2", created);
    Create(Form3, "TForm3", created);
    Create(ADSlbag, "TADSlbag", created);
    Create(Form6, "TForm6", created);
    Create(splnedir, "Tsplnedir", created);
}
