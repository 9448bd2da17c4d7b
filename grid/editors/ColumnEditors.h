// The editor and in-cell element classes that columns name (EditorClassName, PlayClassName).
#pragma once

namespace grid {

// Makes the editor and element classes known by name, so that each column finds the classes it
// names (the column units do not see the editors' headers). Every grid calls it when it is made;
// it may be called any number of times.
void RegisterColumnEditors();

} // namespace grid
