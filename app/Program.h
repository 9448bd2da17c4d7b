// The program's start: its title and its six windows, created in their fixed order.
#pragma once

// Names the application and creates the program's windows in the order the program relies on:
// the first becomes the main window, and later windows may refer to earlier ones. Call after
// ui::Application->Initialize(); the program entry and the tests of the windows share it.
// `created`, when given, is called with each window's class name once that window is made (the
// start-up bench times the steps with it).
void CreateProgramForms(void (*created)(const char* className) = nullptr);
