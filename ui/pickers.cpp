// The system's file and folder pickers.
#include "ui/pickers.h"
#include "app/lang.h"

#include <shobjidl.h>

namespace zrw {

namespace {

ComPtr<IFileOpenDialog> OpenDialog(FILEOPENDIALOGOPTIONS extra, const std::wstring& title) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.put_void())))
        return dialog;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | extra);
    dialog->SetTitle(title.c_str());
    return dialog;
}

bool ItemPath(IShellItem* item, std::wstring& path) {
    PWSTR name = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name)) || !name) return false;
    path = name;
    CoTaskMemFree(name);
    return true;
}

bool PickOne(HWND owner, FILEOPENDIALOGOPTIONS options, const std::wstring& title,
             std::wstring& path) {
    ComPtr<IFileOpenDialog> dialog = OpenDialog(options | FOS_FORCEFILESYSTEM, title);
    if (!dialog || FAILED(dialog->Show(owner))) return false;
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.put()))) return false;
    return ItemPath(item.get(), path);
}

}  // namespace

bool PickFiles(HWND owner, std::vector<std::wstring>& paths) {
    ComPtr<IFileOpenDialog> dialog =
        OpenDialog(FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_FORCEFILESYSTEM,
                   Tr(L"选择要复制/移动的文件（可多选）"));
    if (!dialog || FAILED(dialog->Show(owner))) return false;
    ComPtr<IShellItemArray> items;
    if (FAILED(dialog->GetResults(items.put()))) return false;
    DWORD count = 0;
    items->GetCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        std::wstring path;
        if (SUCCEEDED(items->GetItemAt(i, item.put())) && ItemPath(item.get(), path))
            paths.push_back(path);
    }
    return !paths.empty();
}

bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder) {
    return PickOne(owner, FOS_PICKFOLDERS | FOS_PATHMUSTEXIST, title, folder);
}

bool PickFile(HWND owner, const std::wstring& title, std::wstring& file) {
    return PickOne(owner, FOS_FILEMUSTEXIST, title, file);
}

}  // namespace zrw
