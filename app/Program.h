// The program's start: its title and its six windows, created in their fixed order.
#pragma once

// Names the application and creates the program's windows in the order the program relies on:
// the first becomes the main window, and later windows may refer to earlier ones. Call after
// ui::Application->Initialize(); the program entry and the tests of the windows share it.
void CreateProgramForms();
