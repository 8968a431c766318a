// The command line's parse: switches, operands and the mode they ask for.
#include "app/cmdline.h"
#include "app/lang.h"
#include "app/settings.h"
#include "base/win.h"

#include <shellapi.h>

#include <climits>

namespace zrw {

namespace {

struct ImmediateAction {
    const wchar_t* text;
    StartMode mode;
};

const ImmediateAction kImmediate[] = {
    {L"--register-menu", StartMode::RegisterMenu},
    {L"--unregister-menu", StartMode::UnregisterMenu},
    {L"--install", StartMode::Install},
    {L"--setup", StartMode::Install},
    {L"--uninstall", StartMode::Uninstall},
    {L"--selftest", StartMode::SelfTest},
    {L"--version", StartMode::Version},
};

struct DumpOption {
    const wchar_t* text;
    DumpRequest StartRecord::*request;
    size_t maxOperands;
};

const DumpOption kDumps[] = {
    {L"--dump-palette", &StartRecord::palette, 1}, {L"--dump-menu", &StartRecord::menu, 1},
    {L"--dump-tray", &StartRecord::tray, 1},       {L"--dump-mt", &StartRecord::mt, 2},
    {L"--dump-pick", &StartRecord::pick, 3},
};

// Flags and choices that take no value; true when arg was one of them.
bool TakeSwitch(const std::wstring& arg, StartRecord& r) {
    if (arg == L"copy") r.move = false;
    else if (arg == L"move") r.move = true;
    else if (arg == L"verify") r.verifyMode = true;
    else if (arg == L"retry") r.retryMode = true;
    else if (arg == L"check") r.checkMode = true;
    else if (arg == L"--verify") r.verifyAfterCopy = true;
    else if (arg == L"--hash") r.hash = true;
    else if (arg == L"--silent") r.silent = true;
    else if (arg == L"--dryrun") r.dryRun = true;
    else if (arg == L"--ui") r.windowWanted = true;
    else if (arg == L"--engine:cnm" || arg == L"--engine=cnm") r.engine = Engine::Native;
    else if (arg == L"--engine:robo" || arg == L"--engine=robocopy") r.engine = Engine::Robocopy;
    else if (arg == L"--lang:en" || arg == L"--lang=en" || arg == L"english") r.lang = kLangEn;
    else if (arg == L"--lang:zh" || arg == L"--lang=zh" || arg == L"chinese") r.lang = kLangZh;
    else if (arg == L"--new-instance") r.newInstance = true;
    else if (arg == L"--quiet") r.quiet = true;
    else if (arg == L"--no-queue") r.noQueue = true;
    else return false;
    return true;
}

StartMode ChooseMode(const StartRecord& r) {
    if (r.palette.wanted) return StartMode::DumpPalette;
    if (r.mt.wanted) return StartMode::DumpMt;
    if (r.pick.wanted) return StartMode::DumpPick;
    if (r.menu.wanted) return StartMode::DumpMenu;
    if (r.tray.wanted) return StartMode::DumpTray;
    if (r.dryRun) return StartMode::DryRun;
    if (r.verifyMode) return StartMode::Verify;
    if (r.retryMode) return StartMode::Retry;
    if (r.checkMode) return StartMode::Check;
    if (r.windowWanted || (r.sources.empty() && r.listFiles.empty() && r.destination.empty()))
        return StartMode::Window;
    return StartMode::Transfer;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

int32_t ParseDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

StartRecord ParseCommandLine(const std::vector<std::wstring>& args) {
    StartRecord r;
    r.noArguments = args.empty();
    for (const std::wstring& arg : args)
        if (arg == L"--quiet") r.quiet = true;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (TakeSwitch(arg, r)) continue;
        if (arg.rfind(L"--conflict=", 0) == 0 || arg.rfind(L"--conflict:", 0) == 0) {
            if (std::optional<ConflictPolicy> policy = ParseConflictPolicy(arg.substr(11))) {
                r.conflict = policy;
                continue;
            }
        }
        if (arg == L"--launcher") {
            r.mode = StartMode::Launcher;
            return r;
        }
        if (arg == L"--dest") {
            r.destination = hasValue ? args[++i] : std::wstring();
            continue;
        }
        if (arg == L"--list") {
            if (hasValue) r.listFiles.push_back(args[++i]);
            continue;
        }
        if (arg == L"--skin") {
            if (hasValue) r.skin = ParseDecimal(args[++i]);
            continue;
        }
        if (arg == L"--theme" && hasValue) {
            ++i;
            continue;
        }
        const DumpOption* dump = nullptr;
        for (const DumpOption& d : kDumps)
            if (arg == d.text) dump = &d;
        if (dump) {
            DumpRequest& request = r.*(dump->request);
            request.wanted = true;
            request.operands.clear();
            while (request.operands.size() < dump->maxOperands && i + 1 < args.size() &&
                   (args[i + 1].empty() || args[i + 1][0] != L'-'))
                request.operands.push_back(args[++i]);
            continue;
        }
        if (arg == L"--img") {
            if (hasValue) r.img = args[++i].substr(0, kMaxImgPath);
            continue;
        }
        for (const ImmediateAction& action : kImmediate) {
            if (arg == action.text) {
                r.mode = action.mode;
                return r;
            }
        }
        r.sources.push_back(arg);
    }
    r.mode = ChooseMode(r);
    return r;
}

void PublishSwitches(const StartRecord& r) {
    if (r.lang >= 0) {
        UiLang = static_cast<uint32_t>(r.lang);
        g_langFromCommandLine = true;
    }
    if (r.engine) {
        g_settings.engine = *r.engine;
        g_engineFromCommandLine = true;
    }
    if (r.conflict) {
        g_settings.conflict = *r.conflict;
        g_conflictFromCommandLine = true;
    }
    if (r.verifyAfterCopy) {
        g_settings.verify = true;
        g_verifyFromCommandLine = true;
    }
    if (r.hash) {
        g_settings.hash = true;
        g_hashFromCommandLine = true;
    }
    g_cmdSkin = r.skin;
    g_cmdImgPath = r.img;
    g_noQueue = r.noQueue;
}

}  // namespace zrw
