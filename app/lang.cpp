// The zh/en text table and the translation through it.
#include "app/lang.h"
#include "app/settings.h"
#include "base/win.h"

namespace zrw {

uint32_t UiLang = kLangZh;
bool g_langFromCommandLine = false;
std::wstring g_productName = L"泽若";
std::wstring g_appTitle = L"泽若 快速复制";

namespace {

// One row a line, as the table is read and searched.
// clang-format off
const LangRow kRows[] = {
    {L"泽若", L"Zerrow Pro"},
    {L"泽若 快速复制", L"Zerrow Pro — Fast Copy"},
    {L"vozi", L"ZezaDoziza"},
    {L"原生引擎", L"VEZIzozar"},
    {L"中文", L"English"},
    {L"泽若 — vozi（Windows 自带 robocopy）多线程复制/剪切", L"Zerrow Pro — multithreaded copy/move on ZezaDoziza (Windows' own robocopy)"},
    {L"泽若 — 双引擎多线程复制 / 剪切", L"Zerrow Pro — dual-engine multithreaded copy / move"},
    {L"复制 →", L"Copy →"},
    {L"移动(剪切) →", L"Move (cut) →"},
    {L"← 复制", L"← Copy"},
    {L"← 移动(剪切)", L"← Move (cut)"},
    {L"刷新", L"Refresh"},
    {L"暂停", L"Pause"},
    {L"继续", L"Resume"},
    {L"取消", L"Cancel"},
    {L"上级", L"Up"},
    {L"校验：开", L"Verify: on"},
    {L"校验：关", L"Verify: off"},
    {L"引擎已切到原生引擎（自研 VEZIzozar，不调用系统 robocopy）", L"Engine switched to VEZIzozar (native, doesn't call robocopy)"},
    {L"引擎已切到vozi（Windows 自带 robocopy）", L"Engine switched to ZezaDoziza (Windows' own)"},
    {L"校验已开：复制完会逐文件比对源和目标", L"Verify on: every file is compared after copying"},
    {L"校验已关", L"Verify off"},
    {L"先选源（左栏）→ 再选去处（右栏）→ 点「复制 →」   （每一步的说明看下方面板）", L"Pick the source (left) → pick the destination (right) → click \"Copy →\"   (details in the panel below)"},
    {L"搬运中…（点「取消」可以停下）", L"Working… (click Cancel to stop)"},
    {L"已选 ", L"Selected "},
    {L" 项  →  ", L" items  →  "},
    {L"(右栏选去处)", L"(pick a destination on the right)"},
    {L"已复制 ", L"Copied "},
    {L"速度 ", L"Speed "},
    {L"/秒", L"/s"},
    {L"计算中…", L"calculating…"},
    {L"正在计算…", L"Calculating…"},
    {L"正在统计…", L"Scanning…"},
    {L"已暂停   ·   ", L"Paused   ·   "},
    {L"速度: ", L"Speed: "},
    {L"   ·   剩余时间: ", L"   ·   Time left: "},
    {L"当前作业:  ", L"Current job:  "},
    {L"已复制:  ", L"Copied:  "},
    {L"失败 ", L"Failed "},
    {L" 项", L" items"},
    {L" 项失败（点「⋮」看日志）", L" items failed (click ⋮ for the log)"},
    {L"）", L")"},
    {L"复制中", L"Copying"},
    {L"移动中", L"Moving"},
    {L"用时 ", L"Time "},
    {L"已取消 · 已复制 ", L"Cancelled · copied "},
    {L"有失败 · ", L"Failed · "},
    {L"已完成 · ", L"Done · "},
    {L"已完成，但校验有 ", L"Done, but verify found "},
    {L"上次作业:  已取消", L"Last job:  cancelled"},
    {L"上次作业:  有失败", L"Last job:  failed"},
    {L"上次作业:  已完成", L"Last job:  done"},
    {L"用时:  ", L"Time:  "},
    {L"目标目录:  ", L"Destination:  "},
    {L"平均速度:  ", L"Avg speed:  "},
    {L"校验中… 已核对 ", L"Verifying… checked "},
    {L"校验中断: 已核对 ", L"Verify aborted: checked "},
    {L"校验: ", L"Verify: "},
    {L" 个文件全一致", L" files, all identical"},
    {L" 个对不上", L" differ"},
    {L" 个", L" files"},
    {L"（目标里没这个目录）", L"(no such folder in target)"},
    {L"没有可复制的源（路径不存在或无权限）。", L"Nothing to copy (path missing or no permission)."},
    {L"没有可搬的源（路径不存在或无权限）", L"Nothing to move (path missing or no permission)"},
    {L"找不到 Windows 自带的复制引擎 Robocopy.exe。\n\n它本该在 C:\\Windows\\System32 下 —— 常见原因是杀毒软件把它当 LOLBin 隔离了。\n加白名单/恢复后重试。", L"Windows' built-in copy engine Robocopy.exe was not found.\n\nIt should live in C:\\Windows\\System32 — antivirus tools often quarantine it as a LOLBin.\nRestore it (or whitelist it) and try again."},
    {L"起不了vozi（robocopy）进程", L"Could not start the ZezaDoziza (robocopy) process"},
    {L" 个源出错（文件被占用 / 权限不足 / 路径过长）。\n\n打开 robocopy 日志看细节？", L" sources failed (file in use / access denied / path too long).\n\nOpen the robocopy log for details?"},
    {L"先在左栏选中要搬的文件/文件夹（或直接拖进来）。", L"Pick the files/folders to move in the left pane (or drag them in)."},
    {L"先在右栏选好目标文件夹。", L"Pick the destination folder in the right pane first."},
    {L"目标不能是盘根 —— 会变成把整盘当垃圾桶。", L"Destination can't be a drive root — the whole drive would become the trash can."},
    {L"（源目录读不了）", L"(source folder cannot be read)"},
    {L"目标和源重叠（目标在源里面，或源在目标里面），什么都没动：", L"The destination overlaps a source (one lies inside the other); nothing was touched:"},
    {L"几个源会落到目标里的同一个位置（后一个会盖掉前一个），什么都没动：", L"Sources would land on the same place in the destination (the later would replace the earlier); nothing was touched:"},
    {L"目标在源里面（会自己复制自己），换一个目标文件夹。", L"The destination lies inside the source (it would copy itself); pick another destination folder."},
    {L"先在右栏选中要搬回左栏的项。", L"Pick the items in the right pane to move back to the left."},
    {L"已就绪（免安装、免管理员）：\n\n· 右键任意文件/文件夹 →「复制到… / 移动到…」\n· 桌面和开始菜单已加 ", L"Ready (no install, no admin):\n\n· Right-click any file/folder → \"Copy to… / Move to…\"\n· Shortcuts added to desktop and Start menu: "},
    {L"  快捷方式（", L"  shortcuts ("},
    {L" 个）\n\n", L")\n\n"},
    {L"移除：设置 → 应用 → ", L"Remove: Settings → Apps → "},
    {L"，或运行 ", L", or run "},
    {L"已卸载：右键菜单、快捷方式和程序文件都已删除。", L"Uninstalled: context menu, shortcuts and program files removed."},
    {L"已卸载：右键菜单和快捷方式已清除（程序文件不在安装目录，未动）。", L"Uninstalled: context menu and shortcuts removed (program files were outside the install dir, left alone)."},
    {L"注册右键菜单\n写「复制到… / 移动到…」+ 桌面/开始菜单快捷方式（免管理员）", L"Register the context menu\nAdds \"Copy to… / Move to…\" + desktop/Start shortcuts (no admin needed)"},
    {L"复制文件…\n选好文件再选目标文件夹", L"Copy files…\nPick the files, then the destination folder"},
    {L"移动到…（剪切）\n复制完删掉源", L"Move to… (cut)\nDeletes the source after copying"},
    {L"进度窗口调用的是 Windows 自己的那个（剩余项数 / 速度 / 剩余时间由系统算）。", L"The progress window is Windows' own (remaining items / speed / time left are computed by the system)."},
    {L"卸载（清右键菜单、快捷方式、程序）", L"Uninstall (menu, shortcuts, program)"},
    {L"皮肤（配色）", L"Skin (colors)"},
    {L"跟随系统", L"Follow system"},
    {L"Fluent 浅", L"Fluent Light"},
    {L"Fluent 深", L"Fluent Dark"},
    {L"翡翠绿 浅", L"Emerald Light"},
    {L"翡翠绿 深", L"Emerald Dark"},
    {L"琥珀 深", L"Amber Dark"},
    {L"靛蓝 深", L"Indigo Dark"},
    {L"OLED 黑", L"OLED Black"},
    {L"图片皮肤… 选图", L"Image skin… pick a file"},
    {L"选一张图当皮肤", L"Pick an image for the skin"},
    {L"名称", L"Name"},
    {L"大小", L"Size"},
    {L"修改时间", L"Modified"},
    {L"<文件夹>", L"<Folder>"},
    {L"选择目标文件夹", L"Choose destination folder"},
    {L"选择目标文件夹（复制到 / 移动到）", L"Choose the destination folder (copy to / move to)"},
    {L"选择要比对的目录（当初复制到哪儿了）", L"Choose the folder to compare against (where it was copied to)"},
    {L"选择要复制/移动的文件（可多选）", L"Select files to copy/move (multi-select)"},
    {L"左栏跳到哪个文件夹（源）", L"Jump the left pane to a folder (source)"},
    {L"右栏跳到哪个文件夹（目标）", L"Jump the right pane to a folder (destination)"},
    {L"打开日志目录", L"Open the log folder"},
    {L"泽若 自检", L"Zerrow Pro self-test"},
    {L"界面自检中…", L"UI self-test…"},
    {L"正在取消…", L"Cancelling…"},
    {L"泽若 — 双引擎多线程复制 / 剪切\n\n  是 = 注册右键菜单 + 桌面快捷方式\n  否 = 移除右键菜单\n  取消 = 退出", L"Zerrow Pro — dual-engine multithreaded copy / move\n\n  Yes = register the context menu + desktop shortcut\n  No  = remove the context menu\n  Cancel = quit"},
    {L")\r\n已复制:  ", L")\r\nCopied:  "},
    {L"\r\n已用时间:  ", L"\r\nElapsed:  "},
    {L"\r\n速度:  ", L"\r\nSpeed:  "},
    {L"\r\n剩余时间:  ", L"\r\nTime left:  "},
    {L"\r\n失败:  ", L"\r\nFailed:  "},
    {L" 项失败（日志：", L" items failed (log: "},
    {L"关闭", L"Close"},
    {L"皮肤", L"Skin"},
    {L"语言", L"Language"},
    {L"关于", L"About"},
    {L"安装/修复右键菜单", L"Install context menu"},
    {L"卸载右键菜单", L"Remove context menu"},
    {L"关于…", L"About…"},
    {L"退出", L"Exit"},
    {L"右键菜单已卸载。软件本体、快捷方式都还在，随时能从 ⋮ 里重新装上。", L"Context menu removed. The app and shortcuts are still here; reinstall from ⋮ anytime."},
    {L"日志目录里存着每次复制的原始日志。", L"Raw logs of every copy live in the log folder."},
    {L"读不了路径清单，什么都没动：", L"The path list cannot be read; nothing was touched:"},
    {L"移除右键菜单\n只清掉右键菜单（快捷方式和程序文件都不动）", L"Remove the context menu\nClears only the context menu (shortcuts and program files untouched)"},
    {L"\n\nWindows 11 的新式右键菜单没有启用：本机还不信任它的证书，所以用的是经典右键菜单（在「显示更多选项」里）。管理员把 ZerrowShellExt.cer 导入本机的「受信任人」存储一次后，再注册一次右键菜单即可。", L"\n\nThe Windows 11 menu entry is not on: this computer does not trust its certificate yet, so the classic context menu (under \"Show more options\") is used. Once an administrator has imported ZerrowShellExt.cer into the computer's Trusted People store, register the context menu again."},
    {L"\n\nWindows 11 的新式右键菜单注册失败，已改用经典右键菜单（在「显示更多选项」里）。", L"\n\nThe Windows 11 menu entry could not be registered, so the classic context menu (under \"Show more options\") is used."},
    {L"正在复制 ", L"Copying "},
    {L"正在移动 ", L"Moving "},
    {L" 个项目", L" items"},
    {L"从 ", L"From "},
    {L"  到 ", L"  to "},
    {L"图片 (*.png;*.jpg;*.jpeg;*.bmp;*.gif)", L"Images (*.png;*.jpg;*.jpeg;*.bmp;*.gif)"},
    {L"所有文件 (*.*)", L"All files (*.*)"},
    {L"核对中… 已核对 ", L"Checking the copies… "},
    {L" 个文件", L" files"},
    {L"等待任务 ", L"waiting for job "},
    {L"立即开始", L"Start now"},
    {L"那个任务用着同一个磁盘；它结束后，这个任务自动开始。", L"That job uses the same disk; this one starts by itself once it ends."},
};
// clang-format on

}  // namespace

const LangRow* LangTable(size_t* count) {
    *count = sizeof(kRows) / sizeof(kRows[0]);
    return kRows;
}

std::wstring Tr(const std::wstring& text, uint32_t lang) {
    for (const LangRow& row : kRows) {
        const wchar_t* from = lang == kLangEn ? row.zh : row.en;
        if (text == from) return lang == kLangEn ? row.en : row.zh;
    }
    return text;
}

void ApplyLanguage() {
    g_productName = Tr(L"泽若");
    g_appTitle = Tr(L"泽若 快速复制");
}

}  // namespace zrw
