// Checks of an installed copy, run by tests/dist/installer-test.sh inside the fresh Wine prefix it
// installed into. Each test says what state the script has set up; the script picks them by
// --gtest_filter and names the installation through the environment:
//   CALLERID_INSTALL_DIR  the installation folder (Windows path)
//   CALLERID_SETUP        the installer (Windows path)
//   CALLERID_VERSION      the repository's version
//   CALLERID_FOREIGN_DLL  the other DLL the device control's class was registered to
#include "device/dalvexcallerid_TLB.h"
#include "tests/dist/VersionCheck.h"
#include "tests/support/TestSupport.h"
#include "ui/controls/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpUntil;

namespace {

const wchar_t kClassServerKey[] = L"CLSID\\{EEA18052-171F-4293-8598-AB6E1D7257B2}\\InprocServer32";
// The installer's exit code when the program is running and it may not ask (silent mode).
constexpr DWORD kExitProgramRunning = 3;

std::wstring Env(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value) : std::wstring();
}

std::wstring InstallDir() { return Env(L"CALLERID_INSTALL_DIR"); }
std::wstring InstalledProgram() { return InstallDir() + L"\\CallerIdTest.exe"; }
std::wstring InstalledSimulator() { return InstallDir() + L"\\DalvexSim.dll"; }

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The server COM finds for the device control's class, empty when the class is not registered.
std::wstring RegisteredServer()
{
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, kClassServerKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::wstring();
    return value;
}

// A started process, ended by force only if a test leaves it running.
class TProcess {
public:
    explicit TProcess(std::wstring commandLine)
    {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        FStarted = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                  &FInfo) != FALSE;
    }
    ~TProcess()
    {
        if (!FStarted)
            return;
        if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(FInfo.hProcess, 99);
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;

    bool Started() const { return FStarted; }
    bool Running() const { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code once the process has ended within `timeoutMs`; -1 if it has not.
    long long WaitForExit(DWORD timeoutMs) const
    {
        if (WaitForSingleObject(FInfo.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(FInfo.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION FInfo{};
    bool FStarted = false;
};

HWND FindMainWindow()
{
    HWND main = FindWindowW(nullptr, L"Cihaz Test");
    return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

// Starts the installed program and waits for its main window.
std::unique_ptr<TProcess> StartInstalledProgram(HWND& main)
{
    auto program = std::make_unique<TProcess>(L"\"" + InstalledProgram() + L"\"");
    main = nullptr;
    if (program->Started())
        PumpUntil([&] { return (main = FindMainWindow()) != nullptr || !program->Running(); });
    return program;
}

// A TDalvex on a window of its own, created through the class registration as the program does.
class TDeviceHost {
public:
    TDeviceHost()
    {
        Application->Initialize();
        auto* events = new TApplicationEvents(FOwner.get());
        events->OnException = [this](TObject*, Exception& e) { Errors.push_back(e.Message()); };
        auto* form = new TForm(FOwner.get());
        form->SetBounds(10, 10, 300, 200);
        Device = new TDalvex(form);
        Device->SetBounds(20, 20, 26, 26);
        Device->SetParent(form);
        Device->OnCallerID = [this](TObject*, const std::wstring&, const std::wstring& line,
                                    const std::wstring& number, const std::wstring&, const std::wstring&) {
            Calls.push_back(line + L" " + number);
        };
        form->Show();
    }

    TDalvex* Device = nullptr;
    std::vector<std::wstring> Calls;
    std::vector<std::wstring> Errors;

private:
    std::unique_ptr<TComponent> FOwner = std::make_unique<TComponent>(nullptr);
};

// The loaded module named `name`, as a full path; empty when it is not loaded.
std::wstring LoadedModule(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    HMODULE module = GetModuleHandleW(name);
    return module != nullptr && GetModuleFileNameW(module, path, MAX_PATH) > 0 ? std::wstring(path) : std::wstring();
}

} // namespace

// After any install: the program as installed starts, shows its window, ends cleanly when it is
// closed, and carries the repository's version.
TEST(Installed, TheProgramStartsShowsItsWindowAndEndsCleanly)
{
    ASSERT_FALSE(InstallDir().empty()) << "CALLERID_INSTALL_DIR is not set";
    disttest::ExpectVersionOf(InstalledProgram().c_str(), Narrow(Env(L"CALLERID_VERSION")), L"CallerIdTest.exe",
                              L"Caller ID Test");
    HWND main = nullptr;
    auto program = StartInstalledProgram(main);
    ASSERT_TRUE(program->Started()) << "cannot start " << Narrow(InstalledProgram()) << ", error " << GetLastError();
    ASSERT_NE(main, nullptr) << "no visible window titled \"Cihaz Test\" appeared";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(20000), 0) << "the program did not end with exit code 0 after its window closed";
}

// After any install: a silent install while the program runs stops with its own exit code and
// leaves the program running; it is never ended behind the user's back.
TEST(Installed, ASilentInstallStopsWhileTheProgramRuns)
{
    HWND main = nullptr;
    auto program = StartInstalledProgram(main);
    ASSERT_NE(main, nullptr) << "no visible window titled \"Cihaz Test\" appeared";
    TProcess setup(L"\"" + Env(L"CALLERID_SETUP") + L"\" /S");
    ASSERT_TRUE(setup.Started()) << "cannot start the installer " << Narrow(Env(L"CALLERID_SETUP"));
    EXPECT_EQ(setup.WaitForExit(60000), static_cast<long long>(kExitProgramRunning))
        << "the installer's exit code while the program runs";
    EXPECT_TRUE(program->Running()) << "the installer ended the running program";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(20000), 0);
}

// After an install with the simulated device: the class names the installed DLL, the DLL carries
// the version, and a host created through the class receives a scripted call.
TEST(Installed, TheSimulatedDeviceIsRegisteredAndAScriptedCallArrives)
{
    ASSERT_EQ(RegisteredServer(), InstalledSimulator()) << "the device control's class names another server";
    disttest::ExpectVersionOf(InstalledSimulator().c_str(), Narrow(Env(L"CALLERID_VERSION")), L"DalvexSim.dll",
                              L"Caller ID Test simulated device control");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring script = std::wstring(temp) + L"callerid-installed.sim";
    {
        std::ofstream out(script.c_str(), std::ios::binary);
        out << "at 50 plug DLX-4 10004711\nat 100 call 2 05321234567 \"08.12 10:00:00\" x\n";
    }
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", script.c_str());
    {
        TDeviceHost host;
        host.Device->Start();
        SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", nullptr);
        EXPECT_TRUE(PumpUntil([&] { return !host.Calls.empty(); })) << "no call arrived from the scripted device";
        EXPECT_EQ(host.Calls, std::vector<std::wstring>{L"2 05321234567"});
        EXPECT_TRUE(host.Errors.empty()) << Narrow(host.Errors.empty() ? L"" : host.Errors.front());
        EXPECT_EQ(LoadedModule(L"DalvexSim.dll"), InstalledSimulator()) << "the control came from another file";
    }
    DeleteFileW(script.c_str());
}

// After an install with the simulated device over another DLL's registration: that registration
// stands and the simulator was not installed.
TEST(Installed, AForeignRegistrationOfTheClassIsLeftAlone)
{
    EXPECT_EQ(RegisteredServer(), Env(L"CALLERID_FOREIGN_DLL")) << "the other DLL's registration was changed";
    EXPECT_FALSE(FileExists(InstalledSimulator())) << "the refused simulator was installed anyway";
}
