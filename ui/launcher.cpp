// The launcher shown when the program starts without arguments.
#include "ui/launcher.h"
#include "app/lang.h"
#include "base/optional_api.h"
#include "job/job.h"
#include "shell/shell.h"
#include "ui/menu.h"
#include "ui/pickers.h"

#include <commctrl.h>

namespace zrw {

namespace {

enum : int { kLinkInstall = 101, kLinkCopy = 102, kLinkMove = 103, kLinkRemove = 104 };

int TransferFlow(HWND owner, bool move) {
    std::vector<std::wstring> sources;
    if (!PickFiles(owner, sources)) return 0;
    std::wstring destination;
    if (!PickFolder(owner, Tr(L"选择目标文件夹"), destination)) return 0;
    return RunJob(sources, destination, move, false);
}

int MessageBoxLauncher(HWND owner) {
    const std::wstring text =
        Tr(L"泽若 — 双引擎多线程复制 / 剪切\n\n  是 = 注册右键菜单 + 桌面快捷方式\n  否 = "
           L"移除右键菜单\n  取消 = 退出");
    switch (
        MessageBoxW(owner, text.c_str(), g_appTitle.c_str(), MB_YESNOCANCEL | MB_ICONINFORMATION)) {
    case IDYES: return Install(false);
    case IDNO: RemoveContextMenu(owner); return 0;
    default: return 0;
    }
}

}  // namespace

int RunLauncher(HWND owner) {
    TaskDialogIndirectFn taskDialog = OptionalTaskDialogIndirect();
    if (!taskDialog) return MessageBoxLauncher(owner);
    const std::wstring texts[] = {
        Tr(L"注册右键菜单\n写「复制到… / 移动到…」+ 桌面/开始菜单快捷方式（免管理员）"),
        Tr(L"复制文件…\n选好文件再选目标文件夹"),
        Tr(L"移动到…（剪切）\n复制完删掉源"),
        Tr(L"移除右键菜单\n只清掉右键菜单（快捷方式和程序文件都不动）"),
    };
    const TASKDIALOG_BUTTON buttons[] = {{kLinkInstall, texts[0].c_str()},
                                         {kLinkCopy, texts[1].c_str()},
                                         {kLinkMove, texts[2].c_str()},
                                         {kLinkRemove, texts[3].c_str()}};
    const std::wstring instruction = Tr(L"泽若 — 双引擎多线程复制 / 剪切");
    const std::wstring content =
        Tr(L"进度窗口调用的是 Windows 自己的那个（剩余项数 / 速度 / 剩余时间由系统算）。");
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = g_appTitle.c_str();
    config.pszMainIcon = TD_INFORMATION_ICON;
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = content.c_str();
    config.cButtons = ARRAYSIZE(buttons);
    config.pButtons = buttons;
    config.nDefaultButton = kLinkInstall;
    int choice = 0;
    if (FAILED(taskDialog(&config, &choice, nullptr, nullptr))) return MessageBoxLauncher(owner);
    switch (choice) {
    case kLinkInstall: return Install(false);
    case kLinkCopy: return TransferFlow(owner, false);
    case kLinkMove: return TransferFlow(owner, true);
    // The menu entries only, as its text says: program, shortcuts and uninstall entry stay.
    case kLinkRemove: RemoveContextMenu(owner); return 0;
    default: return 0;
    }
}

}  // namespace zrw
