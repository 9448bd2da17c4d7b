// Reads a file's version resource back the way Windows' file properties do.
#include "tests/dist/VersionCheck.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace disttest {

namespace {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A file's version resource as Windows reads it: the fixed numbers and the strings of the
// first language the resource lists.
class TVersionResource {
public:
    explicit TVersionResource(const wchar_t* path)
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        if (size == 0)
            return;
        FData.resize(size);
        if (!GetFileVersionInfoW(path, 0, size, FData.data()))
            FData.clear();
    }

    bool Present() const { return !FData.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const
    {
        void* value = nullptr;
        UINT length = 0;
        if (!Present() || !VerQueryValueW(FData.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // The string `name` in the first language of the translation table; "<missing>" if absent.
    std::wstring String(const wchar_t* name) const
    {
        struct TTranslation {
            WORD Language;
            WORD CodePage;
        };
        void* value = nullptr;
        UINT length = 0;
        if (!Present() || !VerQueryValueW(FData.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
            length < sizeof(TTranslation))
            return L"<missing>";
        const auto* translation = static_cast<const TTranslation*>(value);
        wchar_t query[96];
        swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation->Language, translation->CodePage, name);
        if (!VerQueryValueW(FData.data(), query, &value, &length) || length == 0)
            return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

private:
    std::vector<BYTE> FData;
};

} // namespace

void ExpectVersionOf(const wchar_t* path, const std::string& version, const wchar_t* originalName,
                     const wchar_t* description)
{
    SCOPED_TRACE(testing::Message() << "file " << testing::PrintToString(std::wstring(path)));
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3)
        << "VERSION does not hold MAJOR.MINOR.PATCH: '" << version << "'";

    const TVersionResource resource(path);
    ASSERT_TRUE(resource.Present()) << "GetFileVersionInfoW found no version resource (error " << GetLastError() << ")";
    const VS_FIXEDFILEINFO* fixed = resource.Fixed();
    ASSERT_NE(fixed, nullptr) << "the version resource has no fixed part";
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD expectedHigh = MAKELONG(minor, major);
    const DWORD expectedLow = MAKELONG(0, patch);
    EXPECT_EQ(fixed->dwFileVersionMS, expectedHigh) << "file version major.minor differs from VERSION " << version;
    EXPECT_EQ(fixed->dwFileVersionLS, expectedLow) << "file version patch differs from VERSION " << version;
    EXPECT_EQ(fixed->dwProductVersionMS, expectedHigh) << "product version major.minor differs from VERSION " << version;
    EXPECT_EQ(fixed->dwProductVersionLS, expectedLow) << "product version patch differs from VERSION " << version;

    EXPECT_EQ(resource.String(L"FileVersion"), Widen(version));
    EXPECT_EQ(resource.String(L"ProductVersion"), Widen(version));
    EXPECT_EQ(resource.String(L"ProductName"), L"Caller ID Test");
    EXPECT_EQ(resource.String(L"FileDescription"), description);
    EXPECT_EQ(resource.String(L"OriginalFilename"), originalName);
}

} // namespace disttest
