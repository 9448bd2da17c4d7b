// Registration of the editor and in-cell element classes by name.
#include "grid/editors/ColumnEditors.h"

#include "grid/editors/ButtonEditors.h"
#include "grid/editors/ColumnPlay.h"
#include "grid/editors/NumericEditors.h"

namespace grid {

void RegisterColumnEditors()
{
    for (const ui::TClassInfo* info :
         {&TTextualEditor::StaticClass(), &TCheckBoxEditor::StaticClass(), &TSpinEditor::StaticClass(),
          &TComboBoxEditor::StaticClass(), &TDatePickerEditor::StaticClass(), &TCheckBoxColumnPlay::StaticClass()})
        ui::RegisterComponentClass(*info);
}

} // namespace grid
