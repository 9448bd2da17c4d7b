// Checks the ground every other test program stands on: that Wine runs our programs with the
// Turkish locale, that a real X display is there to create, show and paint windows on, and
// that the cross toolchain's exceptions, threads and static runtime behave. When one of these
// is wrong, dozens of unrelated tests fail in confusing ways; this program names the cause.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring UserLocaleString(LCTYPE type) {
  wchar_t buffer[128] = {};
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
  if (length <= 0) {
    return L"<GetLocaleInfoW failed: " + std::to_wstring(GetLastError()) + L">";
  }
  return std::wstring(buffer, static_cast<size_t>(length - 1));
}

constexpr char kLocaleHint[] =
    "Wine takes its locale from LC_ALL; scripts/wine-run.sh must start every test with "
    "LC_ALL=tr_TR.UTF-8 and a wineserver that was started the same way";

// Pumps this thread's messages until `done` holds or `milliseconds` pass.
template <typename Condition>
bool PumpUntil(Condition done, DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                              QS_ALLINPUT);
  }
}

constexpr COLORREF kProbeColour = RGB(0x20, 0xC0, 0x60);

struct ProbeState {
  int paints = 0;
  bool destroyed = false;
};

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<ProbeState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(kProbeColour);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      if (state) ++state->paints;
      return 0;
    }
    case WM_DESTROY:
      if (state) state->destroyed = true;
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class ProbeWindow : public ::testing::Test {
 protected:
  static constexpr wchar_t kClassName[] = L"CallerIdEnvProbe";

  void SetUp() override {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = ProbeWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kClassName;
    atom_ = RegisterClassExW(&cls);
    ASSERT_NE(atom_, 0) << "RegisterClassExW failed: " << GetLastError();
  }

  void TearDown() override {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (atom_) UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
  }

  void Create(int x, int y, int width, int height) {
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"Environment probe", WS_POPUP, x, y,
                              width, height, nullptr, nullptr, GetModuleHandleW(nullptr), &state_);
    ASSERT_NE(window_, nullptr) << "CreateWindowExW failed: " << GetLastError();
  }

  ATOM atom_ = 0;
  HWND window_ = nullptr;
  ProbeState state_;
};

[[gnu::noinline]] void ThrowThroughOwnFrames(int depth, int& destroyed) {
  struct Guard {
    int& counter;
    ~Guard() { ++counter; }
  } guard{destroyed};
  if (depth == 0) throw std::runtime_error("bottom reached");
  ThrowThroughOwnFrames(depth - 1, destroyed);
}

}  // namespace

TEST(Locale, AnsiCodePageIsTurkish) {
  EXPECT_EQ(GetACP(), 1254u) << kLocaleHint;
}

TEST(Locale, UserDefaultLocaleIsTurkish) {
  EXPECT_EQ(GetUserDefaultLCID(), static_cast<LCID>(MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_TURKISH_TURKEY), SORT_DEFAULT)))
      << kLocaleHint;
}

TEST(Locale, DecimalSeparatorIsComma) {
  EXPECT_EQ(UserLocaleString(LOCALE_SDECIMAL), L",") << kLocaleHint;
}

TEST(Locale, LongTimeFormatIs24Hour) {
  EXPECT_EQ(UserLocaleString(LOCALE_STIMEFORMAT), L"HH:mm:ss") << kLocaleHint;
}

TEST(Locale, ShortDateFormatIsDayMonthYear) {
  EXPECT_EQ(UserLocaleString(LOCALE_SSHORTDATE), L"dd.MM.yyyy") << kLocaleHint;
}

// 8-bit text (caller numbers, the shell's icon record) is converted through the ANSI code page;
// in 1254 the byte 0xDD is the dotted capital I, in 1252 it would be a Y with acute accent.
TEST(Locale, AnsiConversionUsesCodePage1254) {
  const char turkish[] = "\xDD\xFE";  // İ ş
  wchar_t wide[8] = {};
  const int length = MultiByteToWideChar(CP_ACP, 0, turkish, 2, wide, 8);
  ASSERT_EQ(length, 2);
  EXPECT_EQ(wide[0], L'\u0130');
  EXPECT_EQ(wide[1], L'\u015F');
}

// Every program runs inside the prefix's 1024x768 Wine desktop, so window positions and
// screenshots are the same on every machine, whatever the X display's size.
TEST(Desktop, ScreenIsTheFixedWineDesktop) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
}

TEST_F(ProbeWindow, CanBeCreatedShownPumpedAndDestroyed) {
  ASSERT_NO_FATAL_FAILURE(Create(40, 40, 160, 100));
  EXPECT_FALSE(IsWindowVisible(window_));
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  EXPECT_TRUE(PumpUntil([&] { return state_.paints > 0; }, 5000)) << "the window was never painted";
  EXPECT_TRUE(IsWindowVisible(window_));

  RECT rect = {};
  ASSERT_TRUE(GetWindowRect(window_, &rect));
  EXPECT_EQ(rect.right - rect.left, 160);
  EXPECT_EQ(rect.bottom - rect.top, 100);

  EXPECT_TRUE(DestroyWindow(window_));
  EXPECT_TRUE(state_.destroyed);
  EXPECT_FALSE(IsWindow(window_));
  window_ = nullptr;
}

// What the window painted must reach the X server: read it back from the screen. Without a
// working display (no DISPLAY, or Wine's null driver) the screen stays black.
TEST_F(ProbeWindow, PaintReachesTheScreen) {
  ASSERT_NO_FATAL_FAILURE(Create(100, 100, 120, 80));
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);

  COLORREF seen = CLR_INVALID;
  const bool shown = PumpUntil(
      [&] {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, 1, 1, screen, 160, 140, SRCCOPY);
        seen = GetPixel(memory, 0, 0);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return seen == kProbeColour;
      },
      5000);
  EXPECT_TRUE(shown) << "screen pixel is 0x" << std::hex << seen << ", painted 0x" << kProbeColour;
}

int CALLBACK NoteFontFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Window frames and dialogs are drawn with Wine's own fonts; without them caption buttons turn
// into letters and text metrics differ from Windows.
TEST(Fonts, WineFontsAreInstalledInThePrefix) {
  HDC screen = GetDC(nullptr);
  for (const wchar_t* face : {L"Marlett", L"Tahoma", L"MS Sans Serif", L"System"}) {
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(screen, &wanted, NoteFontFamily, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_TRUE(found) << "font family missing: " << ::testing::PrintToString(std::wstring(face));
  }
  ReleaseDC(nullptr, screen);
}

TEST(Toolchain, CxxExceptionsUnwindThroughOwnFrames) {
  int destroyed = 0;
  std::string message;
  try {
    ThrowThroughOwnFrames(5, destroyed);
  } catch (const std::exception& error) {
    message = error.what();
  }
  EXPECT_EQ(message, "bottom reached");
  EXPECT_EQ(destroyed, 6) << "every frame's destructor must run during unwinding";
}

TEST(Toolchain, ThreadsMutexesAndCrossThreadExceptions) {
  std::mutex mutex;
  int counter = 0;
  std::exception_ptr failure;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 1000; ++i) {
        std::lock_guard<std::mutex> lock(mutex);
        ++counter;
      }
      if (t == 3) {
        try {
          throw std::logic_error("from worker");
        } catch (...) {
          std::lock_guard<std::mutex> lock(mutex);
          failure = std::current_exception();
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 4000);
  ASSERT_TRUE(failure);
  EXPECT_THROW(std::rethrow_exception(failure), std::logic_error);
}

// The program is copied to other PCs as a single .exe: the mingw runtime must be linked in.
TEST(Toolchain, NoMingwRuntimeDllIsLoaded) {
  for (const wchar_t* dll : {L"libstdc++-6.dll", L"libgcc_s_dw2-1.dll", L"libwinpthread-1.dll"}) {
    EXPECT_EQ(GetModuleHandleW(dll), nullptr) << "loaded: " << ::testing::PrintToString(std::wstring(dll));
  }
}
