// Stored window descriptions: a readable text that creates a window's components and sets their
// published properties, and the writer that produces the same text from live objects.
//
//   object Form1: TForm1                 a named component and its class
//     Caption = 'Cihaz Test'             strings in single quotes ('' is a quote, #13 a code)
//     Left = 10                          integers (also -5, $FF), floats (1.5)
//     Visible = False                    identifiers: Booleans, enumeration members, handlers
//     Options = [goGrid, goHeader]       sets by member name
//     Font.Name = 'Arial'                properties of a persistent sub-object
//     Lines = ('first' 'second')         lists of strings
//     Picture = file 'guide.bmp'         binary data from a file stored beside the description
//     OnShow = FormShow                  an event bound to a handler method of the root's class
//     object TTextualColumn              a component stored without a name
//     end
//   end
//
// Every problem (unknown class, property, member or handler, malformed value) raises
// EDescriptionError "<description>(<line>): <what>".
#pragma once

#include "ui/core/Classes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

// Finds the bytes of a file that a description names; returns false when there is none.
using TDataResolver = std::function<bool(const std::wstring& name, std::vector<uint8_t>& bytes)>;

// Reads `text` into `root`, which must be of the class (or a subclass of the class) the
// description's outer object names. Components are created with their classes' constructors,
// owned by the root (or by what their enclosing component names as child owner).
void ReadDescription(TComponent& root, const std::wstring& text, const std::wstring& descriptionName,
                     const TDataResolver& resolver = {});

// Writes every published property of `root` and of the components stored inside it.
std::wstring WriteDescription(TComponent& root);

// Data files compiled into the executable as RCDATA resources, named by their file names.
bool ResourceDataResolver(const std::wstring& name, std::vector<uint8_t>& bytes);

// The UTF-8 text of an RCDATA resource; raises EDescriptionError when it is missing.
std::wstring LoadDescriptionResource(const std::wstring& resourceName);

} // namespace ui
