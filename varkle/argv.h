// Zerrow's command line as the library builds it: pure text, so that the
// tests compile it in without the rest of the library.
#ifndef ZERROW_VARKLE_ARGV_H
#define ZERROW_VARKLE_ARGV_H

#include <string>
#include <vector>

namespace varkle {

// CreateProcessW takes at most 32,767 characters with the terminating null.
inline constexpr size_t kMaxCommandLineChars = 32766;

// One argument in double quotes, read back whole by CommandLineToArgvW: a run
// of backslashes is doubled where a quote follows it (the closing one too),
// and a quote inside is escaped.
inline std::wstring QuoteArgument(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// The program path is read up to its closing quote with no escapes, and
// cannot hold one itself.
inline std::wstring LaunchCommandLine(const std::wstring& exe, bool move,
                                      const std::vector<std::wstring>& args) {
    std::wstring line = L"\"" + exe + L"\"" + (move ? L" move" : L" copy");
    for (const std::wstring& arg : args) line += L" " + QuoteArgument(arg);
    return line;
}

// The list file's content: each path in UTF-16 followed by a NUL.
inline std::wstring ListFileText(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const std::wstring& path : paths) {
        text += path;
        text += L'\0';
    }
    return text;
}

}  // namespace varkle

#endif
