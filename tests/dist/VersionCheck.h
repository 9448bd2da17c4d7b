// Checks a Windows file's version resource, as its properties page shows it, against a version.
#pragma once

#include <string>

namespace disttest {

// Expects the fixed file and product versions and the strings FileVersion and ProductVersion
// to be `version` (MAJOR.MINOR.PATCH), the product name "Caller ID Test", and the given
// original file name and description (what Explorer shows as the file's description).
void ExpectVersionOf(const wchar_t* path, const std::string& version, const wchar_t* originalName,
                     const wchar_t* description);

} // namespace disttest
