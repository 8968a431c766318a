#include "ui/ui.h"

namespace zrw {

bool PickFiles(HWND, std::vector<std::wstring>&) { return false; }
bool PickFolder(HWND, const std::wstring&, std::wstring&) { return false; }

}  // namespace zrw
