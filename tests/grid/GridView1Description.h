// The description of the application's grid, GridView1, inside a THostForm.
#pragma once

#include <string>

namespace gridtest {

std::wstring GridView1Description();

} // namespace gridtest
