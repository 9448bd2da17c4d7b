// The main window "Cihaz Test": start-up steps, the error log and the commands of its pages.
#pragma once

#include "app/CallLog.h"
#include "device/dalvexcallerid_TLB.h"
#include "grid/control/GridView.h"
#include "tray/TrayIcon.h"
#include "ui/controls/Buttons.h"
#include "ui/controls/ComCtrls.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"
#include "ui/controls/StdCtrls.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The speaker beep (frequency in hertz, duration in milliseconds; returns when the sound ends).
// Tests replace it to record beeps instead of sounding them; an empty function restores the
// real one. Returns the previous function.
using TBeepFunction = std::function<void(unsigned Frequency, unsigned Duration)>;
TBeepFunction SetBeepFunction(TBeepFunction function);

// Opens a folder in the shell's file window; true when the shell took it. Tests replace it to
// record what would be opened; an empty function restores the real one. Returns the previous
// function.
using TOpenFolderFunction = std::function<bool(const std::wstring& folder)>;
TOpenFolderFunction SetOpenFolderFunction(TOpenFolderFunction function);

// The test window. Its components are built from its stored description; the fields below are
// the ones its handlers (and its tests) reach by name. The window owns them all, and the log of
// what happened (calls, connection changes, errors), which its poll writes to disk.
class TForm1 : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TForm1(ui::TComponent* AOwner);
    // Writes what the log still holds, once, as the program ends.
    ~TForm1() override;

    ui::TPageControl* PageControl1 = nullptr;
    ui::TTabSheet* TabSheet1 = nullptr;
    ui::TTabSheet* TabSheet2 = nullptr;
    ui::TTabSheet* TabSheet3 = nullptr;
    ui::TTabSheet* TabSheet4 = nullptr;
    ui::TGroupBox* GroupBox4 = nullptr;
    grid::TGridView* GridView1 = nullptr;
    ui::TMemo* Memo2 = nullptr;
    ui::TMemo* tempMemo = nullptr;
    ui::TLabel* Label5 = nullptr;
    ui::TLabel* Label9 = nullptr;
    ui::TLabel* Label24 = nullptr;
    ui::TLabel* Label25 = nullptr;
    ui::TLabel* Label1 = nullptr;
    ui::TLabel* Label2 = nullptr;
    ui::TLabel* Label3 = nullptr;
    ui::TLabel* Label4 = nullptr;
    ui::TProgressBar* ProgressBar1 = nullptr;
    ui::TProgressBar* ProgressBar2 = nullptr;
    ui::TProgressBar* ProgressBar3 = nullptr;
    ui::TProgressBar* ProgressBar4 = nullptr;
    ui::TEdit* Edit1 = nullptr;
    TDalvex* Dalvex1 = nullptr;
    ui::TTimer* Timer1 = nullptr;
    ui::TTimer* Timer2 = nullptr;
    ui::TApplicationEvents* ApplicationEvents1 = nullptr;
    ui::TPopupMenu* PopupMenu1 = nullptr;
    tray::TTrayIcon* TrayIcon1 = nullptr;

    // Numbers the calls since the window was first shown or the list was last reset.
    int32_t CallCounter = 0;

    void FormShow(ui::TObject* Sender);
    void Timer1Timer(ui::TObject* Sender);
    void Dalvex1CallerID(ui::TObject* ASender, const std::wstring& DeviceID, const std::wstring& Line,
                         const std::wstring& PhoneNumber, const std::wstring& DateTime, const std::wstring& OtherText);
    void Dalvex1SignalA(ui::TObject* ASender, const std::wstring& Level1, const std::wstring& Level2,
                        const std::wstring& Level3, const std::wstring& Level4, const std::wstring& Level5,
                        const std::wstring& Level6, const std::wstring& Level7, const std::wstring& Level8);
    void Listeyisil1Click(ui::TObject* Sender);
    // "Kayıtları aç": the log folder in the shell's file window.
    void Kayitlariac1Click(ui::TObject* Sender);
    // Empties the call list: the grid, the notice box back to its two default lines, the counter.
    void ResetCallList();
    void Timer2Timer(ui::TObject* Sender);
    void ApplicationEvents1Exception(ui::TObject* Sender, ui::Exception& E);
    void Memo2Change(ui::TObject* Sender);
    void ki1Click(ui::TObject* Sender);
    void Edit1Click(ui::TObject* Sender);
    void BitBtn1Click(ui::TObject* Sender);
    void BitBtn2Click(ui::TObject* Sender);

    // Links on the guide page, and the thumbnails beside them, which do the same.
    void Label21Click(ui::TObject* Sender);
    void Label17Click(ui::TObject* Sender);
    void Label11Click(ui::TObject* Sender);
    void Label12Click(ui::TObject* Sender);
    void Label14Click(ui::TObject* Sender);
    void Image2Click(ui::TObject* Sender);
    void Image1Click(ui::TObject* Sender);
    void Image3Click(ui::TObject* Sender);
    void Image4Click(ui::TObject* Sender);

    // The log of calls, connection changes and notices, one file per day.
    TCallLog& Log() { return *FLog; }

    // Status line texts of the connection watch.
    static constexpr const wchar_t* StatusConnected = L"Cihaz bağlı";
    static constexpr const wchar_t* StatusWaiting = L"Bağlantı bekleniyor";

    // How many polls try again a start-up step of the control that failed (hiding it,
    // starting it): a control that refuses one for ten seconds will keep refusing.
    static constexpr int PendingStepRetries = 20;

    // The answer that opens the device control's own settings from the "?" page.
    static constexpr const char* SettingsAnswer = "8";

private:
    // One poll of the connection watch, on a control that is there.
    void Poll();
    // The status, model and serial lines for "no device", resetting the list when one was
    // connected at the last poll.
    void ShowNoDevice();
    // Runs one step of the start-up; what it raises is logged and the start-up goes on.
    // Returns whether the step succeeded.
    bool RunLogged(const std::function<void()>& step);
    // Tries a start-up step that failed once more, if it has tries left. Its failure was logged
    // when it first failed: a repeat is not logged again, and after the last try the step is
    // given up. Only a control that went away meanwhile raises, for the poll to report.
    void RetryPending(int& retriesLeft, const std::function<void()>& step);
    // The connection watch of one poll.
    void WatchConnection();
    // The poll's second half: the waiting log rows go to disk, and a change in whether they can
    // is said in the notice box.
    void WriteLog();
    // One time-stamped line in the notice box; the log gets it as a row of `kind`.
    void AddNotice(const std::wstring& text, TLogKind kind);

    std::unique_ptr<TCallLog> FLog;
    // The device the log last reported as connected, to log a device swapped between two polls.
    std::wstring FLoggedModel;
    std::wstring FLoggedSerial;

    bool FTrimmingNotices = false;
    // How many more polls try to hide or to start the control after that failed at the first
    // show; 0 once it succeeded or was given up.
    int FHideRetries = 0;
    int FStartRetries = 0;
};

extern TForm1* Form1;
