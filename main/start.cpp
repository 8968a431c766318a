// The start: the parse, what each mode needs set up, and the handler of the mode.
#include "main/start.h"
#include "app/cmdline.h"
#include "app/gather.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "app/settings.h"
#include "base/optional_api.h"
#include "base/paths.h"
#include "engine/driver.h"
#include "job/job.h"
#include "robo/robo.h"
#include "shell/shell.h"
#include "ui/launcher.h"
#include "ui/menu.h"
#include "ui/pickers.h"
#include "ui/skin.h"
#include "ui/tray.h"
#include "ui/window.h"
#include "verify/hashlist.h"
#include "verify/verify.h"

#include "zerrow_ids.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

namespace zrw {

namespace {

// Every start removes it; only the default installation folder, found through
// the shell, is left to the starts that load the shell anyway.
void DeleteLeftOverProgram(bool loadsShell) {
    const std::wstring folder = loadsShell ? InstallDir() : RegisteredInstallDir();
    if (!folder.empty()) DeleteFileW((folder + L"\\Zerrow.exe.old").c_str());
}

// Loads and sets up the window, COM and common-control libraries, which are
// bound on first use: a start that shows no window and uses no COM object
// does without them and starts faster.
void StartWindowing() {
    if (SetProcessDpiAwarenessContextFn set = OptionalSetProcessDpiAwarenessContext())
        set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
}

// Whether the start may show a window or use a COM object.
bool StartShowsWindows(const StartRecord& r, bool listsRead) {
    if (!listsRead) return !r.silent;  // the message box that names the list
    switch (r.mode) {
    case StartMode::DumpPalette:
    case StartMode::DumpMt:
    case StartMode::DumpPick:
    case StartMode::DryRun:
    case StartMode::Check: return false;
    case StartMode::Transfer:
    case StartMode::Retry: return !r.silent;
    default: return true;
    }
}

int RunSelfTest() {
    ComPtr<IProgressDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IProgressDialog, dialog.put_void())))
        return 1;
    dialog->SetTitle(Tr(L"泽若 自检").c_str());
    dialog->SetLine(1, Tr(L"界面自检中…").c_str(), FALSE, nullptr);
    dialog->StartProgressDialog(nullptr, nullptr, PROGDLG_AUTOTIME, nullptr);
    for (DWORD done = 0; done <= 100; done += 10) {
        if (done > 0) Sleep(60);
        dialog->SetProgress(done, 100);
    }
    dialog->StopProgressDialog();
    return 0;
}

int ShowVersion() {
    std::wstring text = std::wstring(L"v") + ZERROW_VERSION_TEXT;
    MessageBoxW(nullptr, text.c_str(), g_appTitle.c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
}

int RegisterOwnPath() {
    std::wstring exe;
    // A cut path would end up in the verbs; nothing is registered then.
    if (!ModulePath(nullptr, exe)) return 1;
    RegisterMenu(exe);
    return 0;
}

const std::wstring& Operand(const DumpRequest& dump, size_t index) {
    static const std::wstring none;
    return index < dump.operands.size() ? dump.operands[index] : none;
}

int RunDryRun(const StartRecord& r) {
    if (r.sources.empty()) return 2;
    return WriteDryRun(r.sources, r.destination.empty() ? L"X:\\out" : r.destination, r.move);
}

int RunVerify(const StartRecord& r) {
    LoadAndApplySettings();
    if (r.sources.empty()) return 2;
    std::wstring destination = r.destination;
    if (destination.empty() &&
        !PickFolder(nullptr, Tr(L"选择要比对的目录（当初复制到哪儿了）"), destination))
        return 0;
    return RunVerifyMode(r.sources, destination, r.hash);
}

int RunCheck(const StartRecord& r) {
    if (r.sources.empty()) {
        WriteStdErr(L"缺哈希清单\n");
        return 2;
    }
    return RunCheckMode(FullPath(r.sources.front()));
}

int RunWindowMode(const StartRecord& r) {
    if (!r.newInstance) {
        if (HWND running = FindWindowW(L"ZerrowMain", nullptr)) {
            ShowWindow(running, SW_RESTORE);
            SetForegroundWindow(running);
            return 0;
        }
    }
    std::wstring destination = TrimSeparators(r.destination);
    DWORD attributes =
        destination.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(destination.c_str());
    bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!RunMainWindow(MakeWindowStart(r, isFolder))) return 1;
    return WindowModeExitCode(g_job.failedSources, g_job.cancelled);
}

int RunTransfer(const StartRecord& r) {
    std::vector<std::wstring> sources = r.sources;
    // Handed to the process that gathers this selection, which runs the one
    // job; as that process, the others are told once the job has its log,
    // or on any return before.
    GatherAck gathered;
    if (ShouldGather(r) && GatherSources(r.move ? L"move" : L"copy", sources, gathered)) return 0;
    LoadAndApplySettings();
    std::wstring destination = r.destination;
    if (r.silent) {
        // These two texts exist only in Chinese.
        if (sources.empty()) {
            WriteStdErr(L"缺源路径\n");
            return 2;
        }
        if (destination.empty()) {
            WriteStdErr(L"缺 --dest 目标\n");
            return 2;
        }
    }
    if (sources.empty() && !PickFiles(nullptr, sources)) return 0;
    if (destination.empty() &&
        !PickFolder(nullptr, Tr(L"选择目标文件夹（复制到 / 移动到）"), destination))
        return 0;
    return RunJob(sources, destination, r.move, r.silent, [&] { gathered.Give(); });
}

void ApplyStartLanguage() {
    if (!g_langFromCommandLine) LoadLanguageSetting();
    ApplyLanguage();
}

int ReportUnreadableList(const StartRecord& r, const std::wstring& list) {
    ApplyStartLanguage();
    std::wstring text = Tr(L"读不了路径清单，什么都没动：") + L"\n" + list;
    if (r.silent) WriteStdErr(text + L"\n");
    else MessageBoxW(nullptr, text.c_str(), g_productName.c_str(), MB_OK | MB_ICONERROR);
    return 2;
}

int RunRetryMode(const StartRecord& r) {
    LoadAndApplySettings();
    if (r.sources.empty()) {
        WriteStdErr(L"缺作业日志\n");
        return 2;
    }
    return RunRetry(FullPath(r.sources.front()), r.silent);
}

int RunNormalStart(const StartRecord& r) {
    ApplyStartLanguage();
    if (r.mode == StartMode::Verify) return RunVerify(r);
    if (r.mode == StartMode::Retry) return RunRetryMode(r);
    if (r.mode == StartMode::Check) return RunCheck(r);
    if (r.noArguments && !IsMenuRegistered()) Install(true);
    if (r.mode == StartMode::Window) return RunWindowMode(r);
    return RunTransfer(r);
}

int RunMode(const StartRecord& r) {
    switch (r.mode) {
    case StartMode::Launcher: return RunLauncher(nullptr);
    case StartMode::RegisterMenu: return RegisterOwnPath();
    case StartMode::UnregisterMenu: UnregisterMenu(); return 0;
    case StartMode::Install: return Install(r.quiet);
    case StartMode::Uninstall: return Uninstall(r.quiet);
    case StartMode::SelfTest: return RunSelfTest();
    case StartMode::Version: return ShowVersion();
    case StartMode::DumpPalette: return DumpPalette(Operand(r.palette, 0));
    case StartMode::DumpMt: return DumpThreadCount(Operand(r.mt, 0), Operand(r.mt, 1));
    case StartMode::DumpPick:
        return DumpThreadPick(Operand(r.pick, 0), Operand(r.pick, 1), Operand(r.pick, 2));
    case StartMode::DumpMenu: return DumpMenu(Operand(r.menu, 0));
    case StartMode::DumpTray: return DumpTray(Operand(r.tray, 0));
    case StartMode::DryRun: return RunDryRun(r);
    case StartMode::Verify:
    case StartMode::Retry:
    case StartMode::Check:
    case StartMode::Window:
    case StartMode::Transfer: return RunNormalStart(r);
    }
    return 0;
}

}  // namespace

WindowStart MakeWindowStart(const StartRecord& r, bool destinationIsFolder) {
    WindowStart start;
    start.sources = r.sources;
    start.destination = TrimSeparators(r.destination);
    if (!r.sources.empty()) start.leftFolder = ParentFolder(TrimSeparators(r.sources.front()));
    if (!start.destination.empty())
        start.rightFolder =
            destinationIsFolder ? start.destination : ParentFolder(start.destination);
    return start;
}

int WindowModeExitCode(uint32_t failedSources, bool cancelled) {
    if (failedSources > 0) return 1;
    return cancelled ? 3 : 0;
}

int RunProgram() {
    StartRecord record = ParseCommandLine(SplitCommandLine(GetCommandLineW()));
    PublishSwitches(record);
    std::wstring unreadable;
    bool listsRead = TakeListFiles(record, unreadable);
    const bool showsWindows = StartShowsWindows(record, listsRead);
    DeleteLeftOverProgram(showsWindows);
    if (showsWindows) StartWindowing();
    if (!listsRead) return ReportUnreadableList(record, unreadable);
    TraceLog(L"start mode=%d sources=%u", static_cast<int>(record.mode),
             static_cast<unsigned>(record.sources.size()));
    return RunMode(record);
}

}  // namespace zrw
