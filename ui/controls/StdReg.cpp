// Registers every class of the library that a stored description may create by name. Explicit,
// because a static library drops object files nothing references, and with them any
// registration that would run from a static initialiser.
#include "ui/controls/Controls.h"

#include "ui/controls/Buttons.h"
#include "ui/controls/ComCtrls.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"
#include "ui/controls/StdCtrls.h"
#include "ui/graphics/ImgList.h"

namespace ui {

void RegisterStandardClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    for (const TClassInfo* info : {
             &TTimer::StaticClass(),
             &TApplicationEvents::StaticClass(),
             &TPopupMenu::StaticClass(),
             &TMenuItem::StaticClass(),
             &TLabel::StaticClass(),
             &TEdit::StaticClass(),
             &TMemo::StaticClass(),
             &TGroupBox::StaticClass(),
             &TProgressBar::StaticClass(),
             &TPageControl::StaticClass(),
             &TTabSheet::StaticClass(),
             &TBitBtn::StaticClass(),
             &TImage::StaticClass(),
             &TImageList::StaticClass(),
         })
        RegisterComponentClass(*info);
}

} // namespace ui
