// The program as started: its modes, boxes, exit codes and what a silent job loads.
#include "app/settings.h"
#include "shell/shell.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <future>
#include <memory>
#include <set>

namespace zrw {
namespace {

using test::ProcessResult;

// Runs Zerrow.exe while this thread plays the user on the dialog it opens.
std::future<ProcessResult> StartZerrow(std::vector<std::wstring> args, DWORD timeoutMs = 30000) {
    return std::async(std::launch::async,
                      [args, timeoutMs] { return test::RunZerrow(args, timeoutMs); });
}

test::FoundWindow ChildDialog() {
    return test::WaitForDialog([](HWND w) { return test::OfAChildProcess(w); });
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    for (const std::wstring& t : texts)
        if (t == text) return true;
    return false;
}

using Start = test::ProgramTest;

// The file's version resource carries the same version as the box below.
TEST(ProgramFile, VersionResourceSaysTheProgramVersion) {
    const std::wstring exe = test::ZerrowExe();
    DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"1.0.1");
}

// The libraries bound before the program's first instruction, and those
// Explorer binds with the extension, are searched for beside the binary too,
// unless Windows keeps them on its list of known libraries, which it takes
// from the system folder only. Every other library is bound later, after
// the program has limited the search.
TEST(ProgramFiles, ImportOnlyLibrariesWindowsTakesFromTheSystemFolder) {
    const std::set<std::string> known = {
        "advapi32.dll", "combase.dll", "comdlg32.dll", "gdi32.dll",    "gdiplus.dll", "imm32.dll",
        "kernel32.dll", "msvcrt.dll",  "ole32.dll",    "oleaut32.dll", "rpcrt4.dll",  "sechost.dll",
        "shcore.dll",   "shell32.dll", "shlwapi.dll",  "user32.dll",   "ws2_32.dll"};
    for (const std::wstring& file : {test::ZerrowExe(), test::BinDir() + L"\\Varkle.dll"}) {
        HMODULE module = LoadLibraryExW(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module, nullptr) << test::WideToUtf8(file);
        const auto* base = reinterpret_cast<const BYTE*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        size_t count = 0;
        for (auto* entry =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name != 0; ++entry, ++count) {
            std::string name = reinterpret_cast<const char*>(base + entry->Name);
            for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(known.count(name)) << test::WideToUtf8(file) << " imports " << name;
        }
        EXPECT_GT(count, 0u) << test::WideToUtf8(file);
        FreeLibrary(module);
    }
}

TEST_F(Start, VersionBoxKeepsTheChineseTitleEvenAfterLangEn) {
    auto run = StartZerrow({L"--lang:en", L"--version", L"--selftest"});
    test::FoundWindow box = ChildDialog();
    ASSERT_NE(box.window, nullptr) << "no version box appeared";
    EXPECT_EQ(box.caption, L"泽若 快速复制");
    std::vector<std::wstring> texts = test::ChildTexts(box.window, L"Static");
    EXPECT_TRUE(Contains(texts, L"v1.0.1")) << "texts of the box: " << texts.size();
    test::PressButton(box.window, IDOK);
    ProcessResult r = run.get();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.err, "");
}

TEST_F(Start, SelfTestShowsTheProgressDialogAndSucceeds) {
    auto run = StartZerrow({L"--lang:en", L"--selftest"});
    test::FoundWindow dialog = test::WaitForDialog([](HWND w) {
        return test::OfAChildProcess(w) && test::WindowText(w) == L"Zerrow Pro self-test";
    });
    ProcessResult r = run.get();
    EXPECT_NE(dialog.window, nullptr) << "no progress dialog titled in English";
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Start, SilentUsageErrorsGoToStandardErrorAsUtf8) {
    ProcessResult noSource = test::RunZerrow({L"copy", L"--silent", L"--dest", L"C:\\out"});
    EXPECT_EQ(noSource.exitCode, 2u);
    EXPECT_EQ(noSource.err, "\xE7\xBC\xBA\xE6\xBA\x90\xE8\xB7\xAF\xE5\xBE\x84\n");  // 缺源路径
    EXPECT_EQ(noSource.out, "");

    ProcessResult noDest = test::RunZerrow({L"move", L"C:\\a", L"--silent", L"--lang:en"});
    EXPECT_EQ(noDest.exitCode, 2u);
    EXPECT_EQ(noDest.err, test::WideToUtf8(L"缺 --dest 目标\n"));
    EXPECT_EQ(noDest.out, "");
}

TEST_F(Start, MissingSourcesEndTheDryRunAndTheVerifyMode) {
    for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{L"--dryrun"},
                                                  {L"--dryrun", L"--dest", L"C:\\out", L"move"},
                                                  {L"verify", L"--dest", L"C:\\out"},
                                                  {L"verify", L"--silent"}}) {
        ProcessResult r = test::RunZerrow(args, 15000);
        EXPECT_EQ(r.exitCode, 2u) << test::WideToUtf8(args.back());
        EXPECT_EQ(r.err, "");
    }
}

// The pickers of the normal start, answered with Cancel: the run ends with 0.
struct PickerCase {
    std::vector<std::wstring> args;
    DWORD storedLang;  // 99: none stored
    const wchar_t* caption;
};

TEST_F(Start, CancelledPickersEndTheRunWithZero) {
    const PickerCase cases[] = {
        {{L"verify", L"C:\\a"}, 99, L"选择要比对的目录（当初复制到哪儿了）"},
        {{L"verify", L"C:\\a"},
         1,
         L"Choose the folder to compare against (where it was copied to)"},
        {{L"--lang:zh", L"verify", L"C:\\a"}, 1, L"选择要比对的目录（当初复制到哪儿了）"},
        {{L"copy", L"C:\\a"}, 99, L"选择目标文件夹（复制到 / 移动到）"},
        {{L"move", L"C:\\a"}, 1, L"Choose the destination folder (copy to / move to)"},
        {{L"--dest", L"C:\\out"}, 99, L"选择要复制/移动的文件（可多选）"},
    };
    for (const PickerCase& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        if (c.storedLang != 99) test::WriteDword(kSettingsKey, L"Lang", c.storedLang);
        auto run = StartZerrow(c.args);
        test::FoundWindow picker = ChildDialog();
        if (picker.window) test::PressButton(picker.window, IDCANCEL);
        ProcessResult r = run.get();
        EXPECT_EQ(picker.caption, c.caption);
        EXPECT_FALSE(r.timedOut) << test::WideToUtf8(c.caption);
        EXPECT_EQ(r.exitCode, 0u) << test::WideToUtf8(c.caption);
    }
}

// The dispatch reaches each mode's handler: the handler's own exit code, and
// nothing on standard error.
TEST_F(Start, EveryModeReachesItsHandler) {
    struct Case {
        std::vector<std::wstring> args;
        DWORD exitCode;
    };
    const Case cases[] = {
        {{L"--dryrun", L"--dump-tray", L"--dump-palette", L"p.txt"}, 0},
        {{L"--dump-menu", L"--dump-mt", L"C:\\", L"mt-probe.txt"}, 0},
        {{L"--dump-menu", L"--dump-pick", L"C:\\", L"D:\\", L"pick-probe.txt"}, 0},
        {{L"--dump-tray", L"--dump-menu"}, 0},
        {{L"--dump-tray"}, 0},
        {{L"--dryrun", L"C:\\no-such-source"}, 2},
        {{L"verify", L"C:\\no-such-source", L"--dest", L"C:\\b"}, 2},
        {{L"copy", L"C:\\no-such-source", L"--dest", L"C:\\b", L"--silent"}, 2},
    };
    for (const Case& c : cases) {
        ProcessResult r = test::RunZerrow(c.args, 15000);
        std::wstring joined;
        for (const std::wstring& a : c.args) joined += a + L" ";
        std::string label = test::WideToUtf8(joined);
        EXPECT_EQ(r.exitCode, c.exitCode) << label;
        EXPECT_EQ(r.err, "") << label;
    }
    for (const wchar_t* probe : {L"p.txt", L"mt-probe.txt", L"pick-probe.txt"})
        DeleteFileW((test::BinDir() + L"\\tests\\" + probe).c_str());
}

// Runs Zerrow.exe as a debuggee; the file names of the libraries it loaded, in
// lower case, and its exit code (~0 when it could not be run to its end).
DWORD RunNamingLibraries(const std::vector<std::wstring>& args, std::vector<std::wstring>& loaded) {
    std::wstring command = test::QuoteArg(test::ZerrowExe());
    for (const std::wstring& arg : args) command += L" " + test::QuoteArg(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                        nullptr, nullptr, &startup, &info))
        return ~0u;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    DEBUG_EVENT event{};
    while (WaitForDebugEvent(&event, 60000)) {
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: CloseHandle(event.u.CreateProcessInfo.hFile); break;
        case LOAD_DLL_DEBUG_EVENT: {
            UniqueFile file(event.u.LoadDll.hFile);
            wchar_t path[MAX_PATH * 2] = {};
            if (file && GetFinalPathNameByHandleW(file.get(), path, MAX_PATH * 2, 0) > 0) {
                std::wstring name = path;
                name = name.substr(name.find_last_of(L"\\/") + 1);
                for (wchar_t& c : name) c = towlower(c);
                loaded.push_back(name);
            }
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // The loader's breakpoint is this debugger's; every other exception is the program's.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return event.u.ExitProcess.dwExitCode;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    TerminateProcess(process.get(), 1);
    return ~0u;
}

// A silent job shows nothing, so it must not pay for loading the window, shell
// and COM libraries; both engines, with the verification after the copy. Like
// every start it still removes the left-over program file of the installation.
TEST_F(Start, SilentJobsLoadNoWindowShellOrComLibraryYetRemoveTheLeftOverProgram) {
    for (const wchar_t* engine : {L"--engine:cnm", L"--engine:robo"}) {
        test::TempDir dir;
        ASSERT_TRUE(test::WriteBytes(dir / L"a.txt", "abc"));
        ASSERT_TRUE(test::WriteBytes(dir / L"Zerrow.exe.old", "old"));
        test::RegistryValue installed(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation",
                                      dir.path());
        std::vector<std::wstring> loaded;
        DWORD exitCode = RunNamingLibraries(
            {L"copy", dir / L"a.txt", L"--dest", dir / L"out", L"--silent", L"--verify", engine},
            loaded);
        std::string label = test::WideToUtf8(engine);
        EXPECT_EQ(exitCode, 0u) << label;
        EXPECT_EQ(test::ReadBytes(dir / L"out\\a.txt"), "abc") << label;
        EXPECT_FALSE(test::Exists(dir / L"Zerrow.exe.old")) << label;
        // The recording itself works: the registry library is always there.
        EXPECT_TRUE(Contains(loaded, L"advapi32.dll")) << label;
        for (const wchar_t* library :
             {L"user32.dll", L"gdi32.dll", L"comctl32.dll", L"comdlg32.dll", L"shell32.dll",
              L"ole32.dll", L"gdiplus.dll", L"uxtheme.dll"})
            EXPECT_FALSE(Contains(loaded, library)) << label << ": " << test::WideToUtf8(library);
    }
}

// Started from a folder such as Downloads, the program loads no library that
// lies there under the name of one it uses: not at its start, not when its
// window binds the common controls, the visual styles, the window frame and
// the shell (the tray icon). Windows takes some of them (shell32) from the
// system folder whatever lies beside a program; Wine knows no such list, so
// those show whether the program's own binding searches the system folder
// only. Wine prefers its own libraries to one beside a program; its override
// in the registry (the environment's is not read in a child) makes it look
// there first, as Windows does.
TEST_F(Start, LoadsNoLibraryPlantedBesideIt) {
    test::TempDir downloads, marks;
    const std::wstring exe = downloads / L"Zerrow.exe";
    ASSERT_TRUE(CopyFileW(test::ZerrowExe().c_str(), exe.c_str(), FALSE));
    std::vector<std::unique_ptr<test::RegistryValue>> nativeFirst;
    for (const wchar_t* name :
         {L"version", L"uxtheme", L"dwmapi", L"comctl32", L"shell32", L"bcrypt"}) {
        ASSERT_TRUE(CopyFileW((test::BinDir() + L"\\tools\\planted_dll.dll").c_str(),
                              (downloads / name + L".dll").c_str(), FALSE));
        nativeFirst.push_back(std::make_unique<test::RegistryValue>(
            HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", name, L"native,builtin"));
    }
    test::EnvGuard marking(L"ZRW_PLANTED_MARKS", marks.path().c_str());

    auto run = std::async(std::launch::async, [&] {
        return test::RunProcess(test::QuoteArg(exe) + L" --ui --new-instance", 60000);
    });
    HWND window = nullptr;
    test::WaitUntil(
        [&] {
            auto found = test::TopWindows([](HWND w) {
                return test::ClassOf(w) == L"ZerrowMain" && IsWindowVisible(w) &&
                       test::OfAChildProcess(w);
            });
            window = found.empty() ? nullptr : found.front();
            return window != nullptr ||
                   run.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        },
        30000);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    ProcessResult r = run.get();
    EXPECT_NE(window, nullptr) << "no window appeared";
    EXPECT_EQ(r.exitCode, 0u) << std::hex << r.exitCode;
    // Hashing binds the cryptography library.
    ASSERT_TRUE(test::WriteBytes(downloads / L"a.txt", "a"));
    ASSERT_TRUE(
        test::WriteBytes(downloads / L"SHA256SUMS", std::string(test::kSha256OfA) + " *a.txt\n"));
    r = test::RunProcess(
        test::QuoteArg(exe) + L" check " + test::QuoteArg(downloads / L"SHA256SUMS"), 60000);
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(test::Listing(marks.path()), std::vector<std::wstring>{});
}

// Stands in for a running main window in this process; topmost, so that the
// program finds it before the main windows of other test programs.
class RunningWindow {
public:
    RunningWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZerrowMain";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST, L"ZerrowMain", L"running", WS_OVERLAPPEDWINDOW, 0,
                                  0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOWMINIMIZED);
    }
    ~RunningWindow() {
        DestroyWindow(window_);
        UnregisterClassW(L"ZerrowMain", GetModuleHandleW(nullptr));
    }
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Pumps this thread's messages, which the hand-over's ShowWindow waits for.
ProcessResult RunPumping(const std::vector<std::wstring>& args) {
    auto run = StartZerrow(args);
    test::WaitUntil(
        [&] {
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
            return run.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
        },
        60000);
    return run.get();
}

TEST_F(Start, WindowModeHandsOverToARunningWindow) {
    RunningWindow running;
    ASSERT_NE(running.get(), nullptr);
    ASSERT_TRUE(IsIconic(running.get()));
    ProcessResult r = RunPumping({});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(IsIconic(running.get()));

    ShowWindow(running.get(), SW_SHOWMINIMIZED);
    r = RunPumping({L"--ui", L"C:\\a", L"--dest", L"C:\\b"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(IsIconic(running.get()));
}

}  // namespace
}  // namespace zrw
