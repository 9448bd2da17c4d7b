// The main window "Cihaz Test": start-up steps, the error log and the commands of its pages.
#include "app/Unit1.h"

#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "ui/controls/Dialogs.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"

#include <shellapi.h>

using namespace ui;

TForm1* Form1 = nullptr;

namespace {

// The message boxes of the guide page, kept exactly as worded, trailing blanks and the
// "Siplitter" spelling included.
const wchar_t* const InternetLineNotice =
    L"İnternet bağlantısı olan hat varsa, mutlaka ADSL splitter kullanılır.\r\n"
    L"ADSL Splitter, modemle birlikte verilen bir \"cihazdır\".\r\n"
    L"\r\n"
    L"İnternet telefon hattı, caller ID cihazına doğrudan bağlanmaz.\r\n"
    L"ADSL splitter \"telefon\" çıkışından cihaz girişine ve telefona bağlantı yapılır. \r\n"
    L"ADSL splitter, sadece internet bağlantısı olan hat için kullanılır.";

const wchar_t* const CallerIdNotice =
    L"Caller ID cihazları, santralin gönderdiği arayan numara bilgisini, bilgisayara aktarır. \r\n"
    L"Kabloya bağlı telefon makinesi üzerinde numara görünmüyorsa cihaz da numarayı gösteremez.\r\n"
    L" 444 1 444 nolu  Türk Telekom servisini aramak suretiyle telefon hattının numara gösterme özelliği "
    L"açtırılabilir.";

const wchar_t* const SignalLevelWarning =
    L"Telefon kapalı ve zil çalmıyorsa, sinyal göstergeleri en fazla 0..2 civarında olmalıdır. \r\n"
    L"Daha yüksek ise sorun var demektir. İnternet hattında, ADSL Siplitter kullanılmamış  veya ters bağlı "
    L"olabilir. \r\n"
    L"\r\n"
    L"Zil çalarken veya konuşma esnasında göstergelerin daha fazla yükselmesi,\r\n"
    L"telefon hattındaki elektriğin, cihaza ulaştığını gösterir. Normal bir durumdur.\r\n"
    L"Fakat mutlaka, \"Caller ID sinyali var\" anlamına GELMEZ ";

TOpenFolderFunction& OpenFolderFunction()
{
    static TOpenFolderFunction function;
    return function;
}

bool OpenFolder(const std::wstring& folder)
{
    if (OpenFolderFunction())
        return OpenFolderFunction()(folder);
    // Values above 32 mean success; below are error codes.
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr,
                                                    SW_SHOWNORMAL)) > 32;
}

TBeepFunction& BeepFunction()
{
    static TBeepFunction function;
    return function;
}

void SpeakerBeep(unsigned frequency, unsigned duration)
{
    if (BeepFunction())
        BeepFunction()(frequency, duration);
    else
        ::Beep(frequency, duration);
}

// Text as the 8-bit captions hold it: through the system code page and back, so a character
// the code page lacks shows as its default character.
std::wstring Through8Bit(const std::wstring& text) { return AnsiToWide(WideToAnsi(text)); }

} // namespace

TBeepFunction SetBeepFunction(TBeepFunction function)
{
    TBeepFunction previous = std::move(BeepFunction());
    BeepFunction() = std::move(function);
    return previous;
}

TOpenFolderFunction SetOpenFolderFunction(TOpenFolderFunction function)
{
    TOpenFolderFunction previous = std::move(OpenFolderFunction());
    OpenFolderFunction() = std::move(function);
    return previous;
}

const TClassInfo& TForm1::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm1>(L"TForm1", &TForm::StaticClass())
        .Field(L"PageControl1", &TForm1::PageControl1)
        .Field(L"TabSheet1", &TForm1::TabSheet1)
        .Field(L"TabSheet2", &TForm1::TabSheet2)
        .Field(L"TabSheet3", &TForm1::TabSheet3)
        .Field(L"TabSheet4", &TForm1::TabSheet4)
        .Field(L"GroupBox4", &TForm1::GroupBox4)
        .Field(L"GridView1", &TForm1::GridView1)
        .Field(L"Memo2", &TForm1::Memo2)
        .Field(L"tempMemo", &TForm1::tempMemo)
        .Field(L"Label5", &TForm1::Label5)
        .Field(L"Label9", &TForm1::Label9)
        .Field(L"Label24", &TForm1::Label24)
        .Field(L"Label25", &TForm1::Label25)
        .Field(L"Label1", &TForm1::Label1)
        .Field(L"Label2", &TForm1::Label2)
        .Field(L"Label3", &TForm1::Label3)
        .Field(L"Label4", &TForm1::Label4)
        .Field(L"ProgressBar1", &TForm1::ProgressBar1)
        .Field(L"ProgressBar2", &TForm1::ProgressBar2)
        .Field(L"ProgressBar3", &TForm1::ProgressBar3)
        .Field(L"ProgressBar4", &TForm1::ProgressBar4)
        .Field(L"Edit1", &TForm1::Edit1)
        .Field(L"Dalvex1", &TForm1::Dalvex1)
        .Field(L"Timer1", &TForm1::Timer1)
        .Field(L"Timer2", &TForm1::Timer2)
        .Field(L"ApplicationEvents1", &TForm1::ApplicationEvents1)
        .Field(L"PopupMenu1", &TForm1::PopupMenu1)
        .Field(L"TrayIcon1", &TForm1::TrayIcon1)
        .Handler<TNotifyEvent>(L"FormShow", &TForm1::FormShow)
        .Handler<TNotifyEvent>(L"Timer1Timer", &TForm1::Timer1Timer)
        .Handler<TNotifyEvent>(L"Timer2Timer", &TForm1::Timer2Timer)
        .Handler<TCallerIDEvent>(L"Dalvex1CallerID", &TForm1::Dalvex1CallerID)
        .Handler<TSignalAEvent>(L"Dalvex1SignalA", &TForm1::Dalvex1SignalA)
        .Handler<TNotifyEvent>(L"Listeyisil1Click", &TForm1::Listeyisil1Click)
        .Handler<TNotifyEvent>(L"Kayitlariac1Click", &TForm1::Kayitlariac1Click)
        .Handler<TExceptionEvent>(L"ApplicationEvents1Exception", &TForm1::ApplicationEvents1Exception)
        .Handler<TNotifyEvent>(L"Memo2Change", &TForm1::Memo2Change)
        .Handler<TNotifyEvent>(L"ki1Click", &TForm1::ki1Click)
        .Handler<TNotifyEvent>(L"Edit1Click", &TForm1::Edit1Click)
        .Handler<TNotifyEvent>(L"BitBtn1Click", &TForm1::BitBtn1Click)
        .Handler<TNotifyEvent>(L"BitBtn2Click", &TForm1::BitBtn2Click)
        .Handler<TNotifyEvent>(L"Label21Click", &TForm1::Label21Click)
        .Handler<TNotifyEvent>(L"Label17Click", &TForm1::Label17Click)
        .Handler<TNotifyEvent>(L"Label11Click", &TForm1::Label11Click)
        .Handler<TNotifyEvent>(L"Label12Click", &TForm1::Label12Click)
        .Handler<TNotifyEvent>(L"Label14Click", &TForm1::Label14Click)
        .Handler<TNotifyEvent>(L"Image2Click", &TForm1::Image2Click)
        .Handler<TNotifyEvent>(L"Image1Click", &TForm1::Image1Click)
        .Handler<TNotifyEvent>(L"Image3Click", &TForm1::Image3Click)
        .Handler<TNotifyEvent>(L"Image4Click", &TForm1::Image4Click)
        .Build();
    return info;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner), FLog(std::make_unique<TCallLog>(DefaultLogFolder())) {}

TForm1::~TForm1()
{
    // The last rows since the last poll; what cannot be written now has nowhere left to wait.
    try {
        FLog->Flush();
    } catch (...) {
    }
}

void TForm1::FormShow(TObject*)
{
    CallCounter = 0;
    Label5->SetText(L"0");
    // Whatever page the window was last designed on, a test session starts on "Test".
    PageControl1->SetActivePage(TabSheet1);
    // The control's own window has nothing to show; hide it before it starts talking. Each
    // step that fails is logged on its own and does not keep the next from running: a control
    // that refuses to hide must still be started; one that fails to hide or to start is
    // hidden or started by the polls that follow (see RetryPending). A control that could not
    // be made at all was reported once when the window was built, and one that went away
    // during the hide was reported by the hide: there is nothing to hide or start.
    if (Dalvex1->ControlAvailable()) {
        FHideRetries = RunLogged([this] { Dalvex1->SetVisible(false); }) ? 0 : PendingStepRetries;
    }
    if (Dalvex1->ControlAvailable()) {
        FStartRetries = RunLogged([this] { Dalvex1->Start(); }) ? 0 : PendingStepRetries;
    }
    SetAutoSize(true);
}

bool TForm1::RunLogged(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (...) {
        Application->HandleException(this);
        return false;
    }
}

void TForm1::RetryPending(int& retriesLeft, const std::function<void()>& step)
{
    if (retriesLeft <= 0)
        return;
    --retriesLeft;
    try {
        step();
        retriesLeft = 0;
    } catch (const Exception&) {
        // The control went away: that is news, and the poll reports it (once: later polls find
        // no control). Any other failure repeats the one logged when the step first failed.
        if (!Dalvex1->ControlAvailable())
            throw;
    }
}

void TForm1::Dalvex1CallerID(TObject*, const std::wstring& DeviceID, const std::wstring& Line,
                             const std::wstring& PhoneNumber, const std::wstring& DateTime, const std::wstring&)
{
    // The caller number is shown as the 8-bit captions and the shell's balloon hold it.
    const std::string phoneText = WideToAnsi(PhoneNumber);

    // A sliding window of the six most recent calls: the oldest goes before the newest comes.
    if (GridView1->RowCount() > 5)
        GridView1->DeleteRow(0);
    GridView1->AddRows(1);
    const int row = GridView1->RowCount() - 1;
    CallCounter = CheckedAdd(CallCounter, 1);
    Label5->SetText(IntToStr(CallCounter));

    // The five writes go in without a repaint or change notice each; the appended row is
    // already queued for repainting and shows them all once the loop paints it.
    {
        grid::TGridUpdate update(*GridView1);
        GridView1->Cell(3, row)->SetAsString(Line);
        GridView1->Cell(4, row)->SetAsString(AnsiToWide(phoneText));
        GridView1->Cell(0, row)->SetAsString(DateTime);
        GridView1->Cell(1, row)->SetAsString(DeviceID);
        GridView1->Cell(2, row)->SetAsString(IntToStr(CallCounter));
    }
    // Only remembered here; the poll writes it, so a slow or locked disk never holds up a call.
    FLog->AddCall(Line, AnsiToWide(phoneText), DeviceID, IntToStr(CallCounter));

    SpeakerBeep(1000, 100);
    TrayIcon1->ShowBalloon(WideToAnsi(L"Çağrı: " + IntToStr(CallCounter)), phoneText, tray::TBalloonIconKind::bkInfo, 10);
}

void TForm1::Timer1Timer(TObject*)
{
    // The log is written after the watch whatever the watch met, so that a device that fails
    // every poll does not keep its own errors from being written.
    try {
        WatchConnection();
    } catch (...) {
        WriteLog();
        throw;
    }
    WriteLog();
}

void TForm1::WriteLog()
{
    const TCallLog::TFlushResult result = FLog->Flush();
    // Once per streak each way: a file held open for an hour must not fill the notice box with
    // the same line every half second.
    if (result.Change == TCallLog::TFlushChange::fcStartedFailing)
        AddNotice(L"Kayıt dosyası yazılamıyor (" + result.File + L", hata " + IntToStr(result.Error) +
                      L"); kayıtlar bellekte bekliyor",
                  TLogKind::lkLogFile);
    else if (result.Change == TCallLog::TFlushChange::fcWorksAgain)
        AddNotice(L"Kayıt dosyası yeniden yazılabiliyor; bekleyen kayıtlar yazıldı", TLogKind::lkLogFile);
}

void TForm1::WatchConnection()
{
    // A control that is not there (never made, or gone since) has no device to report. Why it
    // is not there was logged once, when that was found out; asking again would only repeat it.
    if (!Dalvex1->ControlAvailable()) {
        ShowNoDevice();
        return;
    }
    try {
        Poll();
    } catch (...) {
        // The control went away during this poll: its device goes with it. The list is reset
        // first, so that the error logged after it stays in view.
        if (!Dalvex1->ControlAvailable())
            ShowNoDevice();
        throw;
    }
}

void TForm1::Poll()
{
    // A start-up step that failed is tried again first, on its own: whether it succeeds or not,
    // the device is asked for its model, so a control that keeps refusing a step still shows
    // what it reports.
    RetryPending(FHideRetries, [this] { Dalvex1->SetVisible(false); });
    RetryPending(FStartRetries, [this] { Dalvex1->Start(); });
    const std::string model = WideToAnsi(Dalvex1->GetInfo(L"devicemodel"));
    if (model.empty()) {
        ShowNoDevice();
        return;
    }
    Label24->SetText(Through8Bit(L"Cihaz modeli: " + AnsiToWide(model)));
    // Only a connected device has a serial number worth asking for.
    const std::wstring serial = Dalvex1->GetInfo(L"serial");
    Label25->SetText(Through8Bit(L"Seri no: " + serial));
    // Logged as the labels show them, once per connection, and again when another device took
    // the place of the last one between two polls.
    const std::wstring shownModel = AnsiToWide(model);
    const std::wstring shownSerial = Through8Bit(serial);
    if (Label9->Caption() != StatusConnected || shownModel != FLoggedModel || shownSerial != FLoggedSerial) {
        FLog->AddConnected(shownModel, shownSerial);
        FLoggedModel = shownModel;
        FLoggedSerial = shownSerial;
    }
    Label9->SetText(StatusConnected);
}

void TForm1::ShowNoDevice()
{
    Label24->SetText(L"");
    Label25->SetText(L"");
    // The status line remembers the last poll: connected then, nothing now means the device
    // went away, and its calls go with it (once per disconnection).
    if (WideToAnsi(Label9->Caption()) == WideToAnsi(StatusConnected)) {
        FLog->AddGone();
        FLoggedModel.clear();
        FLoggedSerial.clear();
        ResetCallList();
    }
    Label9->SetText(StatusWaiting);
}

void TForm1::Dalvex1SignalA(TObject*, const std::wstring& Level1, const std::wstring& Level2,
                            const std::wstring& Level3, const std::wstring& Level4, const std::wstring&,
                            const std::wstring&, const std::wstring&, const std::wstring&)
{
    // All four are parsed before any meter moves: one bad level leaves every meter as it was.
    const int32_t levels[4] = {StrToInt(WideToAnsi(Level1)), StrToInt(WideToAnsi(Level2)),
                               StrToInt(WideToAnsi(Level3)), StrToInt(WideToAnsi(Level4))};
    TProgressBar* bars[4] = {ProgressBar1, ProgressBar2, ProgressBar3, ProgressBar4};
    TLabel* numbers[4] = {Label1, Label2, Label3, Label4};
    for (int i = 0; i < 4; ++i) {
        // The bar shows an out-of-range level at its nearest end; the number shows it as it is.
        bars[i]->SetPosition(levels[i]);
        numbers[i]->SetText(IntToStr(levels[i]));
    }
}

void TForm1::Listeyisil1Click(TObject*)
{
    ResetCallList();
    FLog->AddListCleared();
}

void TForm1::Kayitlariac1Click(TObject*)
{
    // The folder exists from the first written row on; before that the user still gets the
    // place where the files will be.
    const std::wstring& folder = FLog->Folder();
    if (!EnsureFolder(folder))
        throw Exception(L"Kayıt klasörü oluşturulamadı: " + folder + L" (hata " + IntToStr(GetLastError()) + L")");
    if (!OpenFolder(folder))
        throw Exception(L"Kayıt klasörü açılamadı: " + folder);
}

void TForm1::ResetCallList()
{
    GridView1->ClearRows();
    Memo2->SetText(tempMemo->Text());
    CallCounter = 0;
    Label5->SetText(IntToStr(CallCounter));
}

void TForm1::Timer2Timer(TObject*)
{
    // Once only: started with the program so that the window comes to the front after the
    // desktop has settled.
    Timer2->SetEnabled(false);
    Application->BringToFront();
}

void TForm1::ApplicationEvents1Exception(TObject*, Exception& E)
{
    // Errors are logged, never shown in a dialog: the program is left running on test benches.
    // A message may carry what the device sent, at any length. The notice box word-wraps its
    // lines, which for a line of many thousands of characters keeps the platform busy for
    // minutes, and nobody reads past the box's two lines anyway: a long one is cut short.
    constexpr size_t LongestNotice = 300;
    std::wstring text = E.Message();
    if (text.size() > LongestNotice)
        text = text.substr(0, LongestNotice - 1) + L"\u2026";
    AddNotice(text, TLogKind::lkError);
}

void TForm1::AddNotice(const std::wstring& text, TLogKind kind)
{
    FLog->Add(kind, {{lcMessage, text}});
    Memo2->Lines().Add(TimeToStr() + L":" + text);
}

void TForm1::Memo2Change(TObject*)
{
    // The notice box has room for two lines: the oldest go. Deleting changes the text again;
    // the flag keeps that nested change from trimming a second time underneath this loop.
    if (FTrimmingNotices)
        return;
    FTrimmingNotices = true;
    TAssignOnExit<bool> trimmed(FTrimmingNotices, false);
    while (Memo2->Lines().Count() > 2)
        Memo2->Lines().Delete(0);
}

void TForm1::ki1Click(TObject*) { Close(); }

void TForm1::Edit1Click(TObject*)
{
    // Typing then replaces the "??" (or the previous attempt) instead of adding to it.
    Edit1->SelectAll();
}

void TForm1::BitBtn1Click(TObject*)
{
    if (WideToAnsi(Edit1->Text()) == SettingsAnswer) {
        // Reading Visible first makes sure the control answers before its settings open.
        (void)Dalvex1->Visible();
        Dalvex1->ShowSettings();
        return;
    }
    Edit1->SetText(L"??");
    PageControl1->SetActivePage(TabSheet1);
}

void TForm1::BitBtn2Click(TObject*) { PageControl1->SetActivePage(TabSheet1); }

void TForm1::Label21Click(TObject*) { Form6->ShowModal(); }
void TForm1::Label17Click(TObject*) { Form2->ShowModal(); }
void TForm1::Label11Click(TObject*) { Form3->ShowModal(); }

void TForm1::Label12Click(TObject*)
{
    MessageDlg(InternetLineNotice, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
    splnedir->ShowModal();
    ADSlbag->ShowModal();
}

void TForm1::Label14Click(TObject*)
{
    MessageDlg(CallerIdNotice, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
    MessageDlg(SignalLevelWarning, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK});
}

void TForm1::Image2Click(TObject* Sender) { Label21Click(Sender); }
void TForm1::Image1Click(TObject* Sender) { Label17Click(Sender); }
void TForm1::Image3Click(TObject* Sender) { Label11Click(Sender); }
void TForm1::Image4Click(TObject* Sender) { Label12Click(Sender); }
