// Reading, merging and writing "SHA256SUMS".
#include "verify/hashlist.h"
#include "app/logdir.h"
#include "base/paths.h"

#include <map>
#include <set>

namespace zrw {

namespace {

constexpr size_t kHexDigits = 64;

// sha256sum's escapes in a line that starts with a backslash.
bool Unescape(std::string_view text, std::string& name) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        if (text[i] == '\\') name += '\\';
        else if (text[i] == 'n') name += '\n';
        else if (text[i] == 'r') name += '\r';
        else return false;
    }
    return true;
}

bool ParseDigest(std::string_view hex, Sha256Digest& digest) {
    return ParseHexDigest(std::wstring(hex.begin(), hex.end()), digest);
}

bool ParseTagged(std::string_view line, HashLine& parsed) {
    constexpr std::string_view kTag = "SHA256 (";
    constexpr std::string_view kMiddle = ") = ";
    if (line.substr(0, kTag.size()) != kTag ||
        line.size() < kTag.size() + kMiddle.size() + kHexDigits)
        return false;
    std::string_view hex = line.substr(line.size() - kHexDigits);
    std::string_view rest = line.substr(kTag.size(), line.size() - kHexDigits - kTag.size());
    if (rest.size() <= kMiddle.size() || rest.substr(rest.size() - kMiddle.size()) != kMiddle ||
        !ParseDigest(hex, parsed.digest))
        return false;
    parsed.path = FromUtf8(std::string(rest.substr(0, rest.size() - kMiddle.size())));
    return true;
}

// Flushed before it takes the list's place, so that a crash leaves the old
// list or the new one, never a part.
bool ReplaceWhole(const std::wstring& path, const std::string& bytes) {
    std::wstring temporary = path + L".~zrw";
    UniqueFile file(CreateFileW(LongPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    bool complete =
        file &&
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file.get());
    file.reset();
    if (complete && MoveFileExW(LongPath(temporary).c_str(), LongPath(path).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(LongPath(temporary).c_str());
    return false;
}

}  // namespace

bool ParseHashLine(std::string_view line, HashLine& parsed) {
    if (ParseTagged(line, parsed)) return true;
    bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    if (line.size() < kHexDigits + 3 || line[kHexDigits] != ' ' ||
        (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*') ||
        !ParseDigest(line.substr(0, kHexDigits), parsed.digest))
        return false;
    std::string name;
    std::string_view rest = line.substr(kHexDigits + 2);
    if (!escaped) name = rest;
    else if (!Unescape(rest, name)) return false;
    parsed.path = FromUtf8(name);
    return true;
}

std::string FormatHashLine(const HashLine& line) {
    return ToUtf8(HexDigest(line.digest) + L" *" + line.path + L"\n");
}

bool ReadHashList(const std::wstring& file, std::vector<HashLine>& lines) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes, INT32_MAX)) return false;
    bool inForm = ForEachLine(bytes, [&](std::string_view line) {
        HashLine parsed;
        if (line.empty()) return true;
        if (!ParseHashLine(line, parsed)) return false;
        lines.push_back(std::move(parsed));
        return true;
    });
    return inForm && !lines.empty();
}

bool UpdateHashList(const std::wstring& folder, const std::vector<HashLine>& lines) {
    std::map<std::wstring, const HashLine*, NameLess> fresh;
    for (const HashLine& line : lines)
        if (!line.path.empty()) fresh[line.path] = &line;
    std::wstring path = AppendPath(folder, kHashListName);
    std::string old, text;
    ReadWholeFile(path, old, INT32_MAX);
    std::set<std::wstring, NameLess> written;  // listed twice: the first place keeps it
    ForEachLine(old, [&](std::string_view line) {
        HashLine listed;
        auto replaced = ParseHashLine(line, listed) ? fresh.find(listed.path) : fresh.end();
        if (replaced == fresh.end()) {
            text.append(line) += '\n';
        } else if (!written.contains(listed.path)) {
            text += FormatHashLine(*replaced->second);
            written.insert(listed.path);
        }
        return true;
    });
    for (const auto& [name, line] : fresh)
        if (!written.contains(name)) text += FormatHashLine(*line);
    return ReplaceWhole(path, text);
}

}  // namespace zrw
