// System programs started hidden by full path, with arguments quoted by their rules.
#include "base/process.h"
#include "shell/shell.h"

namespace zrw {

namespace {

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

}  // namespace

std::wstring SystemProgram(const std::wstring& relative) {
    const std::wstring folder = SystemFolder();
    return folder.empty() ? folder : folder + L"\\" + relative;
}

std::wstring QuoteArgument(const std::wstring& text) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

UniqueHandle StartHidden(const std::wstring& program, const std::wstring& arguments) {
    const std::wstring folder = SystemFolder();
    if (program.empty() || folder.empty()) return UniqueHandle();
    // The program's own name is read without escapes: a plain quoted path.
    // A current directory of the system folder: the child never holds the program's
    // folder open, and programs it starts by name are not taken from there.
    return StartHiddenProcess(program, L"\"" + program + L"\" " + arguments, folder).process;
}

}  // namespace zrw
