// What one command line asks for, and its parse.
#ifndef ZERROW_APP_CMDLINE_H
#define ZERROW_APP_CMDLINE_H

#include "app/settings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zrw {

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
    Retry,
    Check,
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
    bool retryMode = false;  // the first source is the job log
    bool checkMode = false;  // the first source is the hash list
    bool silent = false;
    bool dryRun = false;
    bool windowWanted = false;
    bool quiet = false;
    DumpRequest palette, menu, tray, mt, pick;
    // Switches that outlive the parse; PublishSwitches hands them on.
    int32_t lang = -1;             // kLangZh or kLangEn when given
    std::optional<Engine> engine;  // when given
    std::optional<ConflictPolicy> conflict;
    bool verifyAfterCopy = false;
    bool hash = false;
    int32_t skin = -1;
    std::wstring img;  // at most kMaxImgPath characters
    bool newInstance = false;
    bool noQueue = false;
};

inline constexpr size_t kMaxImgPath = 1023;

// The arguments after the program path.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
StartRecord ParseCommandLine(const std::vector<std::wstring>& args);
// Decimal value with optional blanks and sign; stops at the first non-digit,
// saturates instead of overflowing.
int32_t ParseDecimal(const std::wstring& text);
void PublishSwitches(const StartRecord& record);

}  // namespace zrw

#endif
