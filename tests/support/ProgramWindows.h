// The program's six windows as the program entry makes them, shared by the test suites that
// drive the real windows: this build's simulated device control stands in for the vendor's, and
// the shell's icon calls and the speaker go to whatever the suite records them with.
#pragma once

#include "app/Program.h"
#include "app/Unit1.h"
#include "tray/TrayIcon.h"
#include "ui/controls/Dialogs.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace testsupport {

class TProgramWindows : public testing::Test {
protected:
    // For SetUpTestSuite: the seams first (the first show may already beep or call the shell),
    // then the windows, then the main window shown as at start-up. An empty function leaves a
    // seam as it is.
    static void StartProgram(tray::TShellNotifyIcon shell = {}, TBeepFunction beep = {})
    {
        ASSERT_NE(nullptr, simtest::Simulator()) << "the simulator DLL could not be loaded and registered";
        if (shell)
            tray::SetShellNotifyIcon(std::move(shell));
        if (beep)
            SetBeepFunction(std::move(beep));
        // The log of what the tests do stays out of the prefix's real application data.
        UsePrivateLocalAppData(L"program-windows");
        ui::Application->Initialize();
        CreateProgramForms();
        Form1->Show();
    }
    // For TearDownTestSuite: the windows go, and the speaker and the shell are real again.
    static void StopProgram()
    {
        ui::Application->Finalize();
        SetBeepFunction({});
        tray::SetShellNotifyIcon({});
    }

    // Before each test: the poll stopped (it would reset the list on its own schedule), the
    // simulator's test interface reached, and the call list empty.
    void SetUp() override
    {
        Form1->Timer1->SetEnabled(false);
        Sim = simtest::TestInterface(Form1->Dalvex1->OleObject());
        ASSERT_TRUE(Sim);
        Form1->ResetCallList();
    }
    void TearDown() override { ui::SetMessageBoxHandler({}); }

    // Any message box fails the test: none is expected.
    static void FailOnMessageBoxes()
    {
        ui::SetMessageBoxHandler([](const std::wstring&, const std::wstring& text, ui::TMsgDlgType, ui::TMsgDlgButtons) {
            ADD_FAILURE() << "unexpected message box: " << Narrow(text);
            return ui::mrOk;
        });
    }

    ui::TComPtr<IDalvexSimulator> Sim;
};

} // namespace testsupport
