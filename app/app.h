// Program entry and configuration: command line, settings, log folder and
// trace, interface language.
#ifndef ZERROW_APP_APP_H
#define ZERROW_APP_APP_H

#include "base/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Interface language ---------------------------------------------------

enum : uint32_t { kLangZh = 0, kLangEn = 1 };

extern uint32_t UiLang;
extern bool g_langFromCommandLine;
extern std::wstring g_productName;  // "泽若" / "Zerrow Pro"
extern std::wstring g_appTitle;     // "泽若 快速复制" / "Zerrow Pro — Fast Copy"

struct LangRow {
    const wchar_t* zh;
    const wchar_t* en;
};
// The whole zh/en table in table order.
const LangRow* LangTable(size_t* count);

std::wstring Tr(const std::wstring& text, uint32_t lang);
inline std::wstring Tr(const wchar_t* text) { return Tr(std::wstring(text), UiLang); }
void ApplyLanguage();

// ---- Settings (HKCU\Software\Zerrow) ---------------------------------------

inline constexpr wchar_t kSettingsKey[] = L"Software\\Zerrow";

struct Settings {
    uint32_t engine = 1;  // 0 = robocopy, 1 = native
    int32_t skin = 0;     // 0 follow system, 1..7 fixed palettes, 8 picture
    std::wstring imgPath;
    bool detail = false;
    bool verify = false;
};
extern Settings g_settings;
extern bool g_engineFromCommandLine;
extern bool g_verifyFromCommandLine;
extern int32_t g_cmdSkin;          // -1 when not given
extern std::wstring g_cmdImgPath;  // empty when not given
extern bool g_dark;

void LoadSettings();
void SaveSettings();
// Only the stored language, for the normal start before anything else is loaded.
void LoadLanguageSetting();

// ---- Log folder and trace ---------------------------------------------------

std::wstring TempFolder();
std::wstring LogFolder();
void EnsureLogFolder();
bool WriteUtf8File(const std::wstring& path, const std::wstring& text);
// A diagnostic dump: into outFile, or into the named file of the log folder when
// outFile is empty; 0 when written, else 1.
int WriteDump(const std::wstring& outFile, const wchar_t* name, const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
void TraceLog(const wchar_t* format, ...);

// ---- Command line and start-up ------------------------------------------------

enum class StartMode {
    // Act at once and end the parse.
    Launcher,
    RegisterMenu,
    UnregisterMenu,
    Install,
    Uninstall,
    SelfTest,
    Version,
    // Chosen after the whole command line was read, in this order of precedence.
    DumpPalette,
    DumpMt,
    DumpPick,
    DumpMenu,
    DumpTray,
    DryRun,
    // The normal start.
    Verify,
    Window,
    Transfer,
};

struct DumpRequest {
    bool wanted = false;
    std::vector<std::wstring> operands;  // in command-line order, never more than the dump takes
};

// Everything one command line asks for; lives until its handler returns.
struct StartRecord {
    StartMode mode = StartMode::Window;
    bool noArguments = false;
    std::vector<std::wstring> sources;
    std::vector<std::wstring> listFiles;  // --list operands; their paths join the sources
    std::wstring destination;
    bool move = false;
    bool verifyMode = false;
    bool silent = false;
    bool dryRun = false;
    bool windowWanted = false;
    bool quiet = false;
    DumpRequest palette, menu, tray, mt, pick;
    // Switches that outlive the parse; PublishSwitches hands them on.
    int32_t lang = -1;    // kLangZh or kLangEn when given
    int32_t engine = -1;  // 0 robocopy, 1 native when given
    bool verifyAfterCopy = false;
    int32_t skin = -1;
    std::wstring img;  // at most kMaxImgPath characters
    bool newInstance = false;
};

inline constexpr size_t kMaxImgPath = 1023;

extern bool g_newInstance;  // window mode never hands over to a running window

// The arguments after the program path.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
StartRecord ParseCommandLine(const std::vector<std::wstring>& args);
// Decimal value with optional blanks and sign; stops at the first non-digit,
// saturates instead of overflowing.
int32_t ParseDecimal(const std::wstring& text);
void PublishSwitches(const StartRecord& record);


// ---- Program path -------------------------------------------------------------

// Full path of this executable; false when it does not fit the long-path buffer.
bool ModulePath(HMODULE module, std::wstring& path);

// UTF-8 to the standard error stream, when there is one.
void WriteStdErr(const std::wstring& text);

}  // namespace zrw

#endif
