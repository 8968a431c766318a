// Failure records: their machine line in the job log, their causes, and who holds a file in use.
#include "engine/failures.h"
#include "app/lang.h"
#include "base/optional_api.h"
#include "engine/joblog.h"

#include <restartmanager.h>

#include <iterator>

namespace zrw {

namespace {

struct StepName {
    FailedStep step;
    const wchar_t* word;   // the job log's
    const wchar_t* label;  // the user's, through Tr
};
const StepName kSteps[] = {
    {FailedStep::Read, L"read", L"读取"},
    {FailedStep::Write, L"write", L"写入"},
    {FailedStep::CreateFolder, L"create-folder", L"建目录"},
    {FailedStep::DeleteSource, L"delete-source", L"删除源"},
    {FailedStep::SetTimes, L"set-times", L"设置时间"},
    {FailedStep::ListFolder, L"list-folder", L"列目录"},
    {FailedStep::Check, L"check", L"核对"},
};
constexpr wchar_t kRecordMark[] = L"#failed";

std::wstring SystemText(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' ||
                               result.back() == L' ' || result.back() == L'.'))
        result.pop_back();
    return result;
}

// Why, in the words a user reads; the zh text is the key of its en pair.
const wchar_t* CauseKey(const Failure& f) {
    switch (f.error) {
    case 0:
        return f.step == FailedStep::DeleteSource ? L"源在复制时或复制后变了"
                                                  : L"复制后在目标里找不到同样的文件";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return L"被别的程序占用";
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return L"没有权限";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return L"磁盘满了";
    case ERROR_FILENAME_EXCED_RANGE: return L"路径太长";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return f.step == FailedStep::Read ? L"文件不见了" : L"找不到路径";
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NETPATH:
    case ERROR_UNEXP_NET_ERR: return L"设备没准备好或断开了";
    case ERROR_WRITE_PROTECT: return L"磁盘写保护";
    case ERROR_FILE_TOO_LARGE: return L"文件太大，目标磁盘放不下";
    case ERROR_REQUEST_ABORTED: return L"已取消";
    case ERROR_ALREADY_EXISTS:
        return f.step == FailedStep::DeleteSource ? L"目标是源的另一个名字（硬链接）"
                                                  : L"目标处有同名的文件夹";
    default: return nullptr;
    }
}

std::wstring RestartManagerHolders(const std::wstring& path) {
    auto start = OptionalRmStartSession();
    auto add = OptionalRmRegisterResources();
    auto list = OptionalRmGetList();
    auto end = OptionalRmEndSession();
    if (!start || !add || !list || !end) return {};
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start(&session, 0, key) != ERROR_SUCCESS) return {};
    std::wstring names;
    LPCWSTR files[] = {path.c_str()};
    UINT needed = 0, count = 0;
    DWORD reasons = 0;
    if (add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
        list(session, &needed, &count, nullptr, &reasons) == ERROR_MORE_DATA && needed > 0) {
        std::vector<RM_PROCESS_INFO> holders(needed);
        count = needed;
        if (list(session, &needed, &count, holders.data(), &reasons) == ERROR_SUCCESS)
            for (UINT i = 0; i < count; ++i)
                names += (names.empty() ? L"" : L", ") + std::wstring(holders[i].strAppName);
    }
    end(session);
    return names;
}

}  // namespace

HolderFinder g_findHolders = RestartManagerHolders;

std::vector<std::wstring> TabFields(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find(L'\t', start)) != std::wstring::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

const wchar_t* StepWord(FailedStep step) {
    for (const StepName& s : kSteps)
        if (s.step == step) return s.word;
    return L"read";
}

std::wstring FailureRecord(const Failure& f) {
    return std::wstring(kRecordMark) + L"\t" + StepWord(f.step) + L"\t" + std::to_wstring(f.error) +
           L"\t" + f.source + L"\t" + f.target + L"\t" + f.holders;
}

bool ParseFailureRecord(const std::wstring& line, Failure& f) {
    std::vector<std::wstring> fields = TabFields(line);
    if (fields.size() != 6 || fields[0] != kRecordMark || fields[3].empty()) return false;
    const StepName* step = nullptr;
    for (const StepName& s : kSteps)
        if (fields[1] == s.word) step = &s;
    if (!step || fields[2].empty() ||
        fields[2].find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    f = {step->step, static_cast<DWORD>(std::wcstoul(fields[2].c_str(), nullptr, 10)), fields[3],
         fields[4], fields[5]};
    return true;
}

DWORD ErrorOf(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
}

bool IsInUseError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
}

std::wstring FailureCause(const Failure& f, uint32_t lang) {
    if (IsInUseError(f.error) && !f.holders.empty())
        return Tr(L"正被这些程序占用：", lang) + f.holders;
    if (const wchar_t* key = CauseKey(f)) return Tr(key, lang);
    std::wstring text = SystemText(f.error);
    return (text.empty() ? Tr(L"错误", lang) : text) + L" (" + std::to_wstring(f.error) + L")";
}

std::wstring FailureText(const Failure& f, uint32_t lang) {
    const wchar_t* label = L"读取";
    for (const StepName& s : kSteps)
        if (s.step == f.step) label = s.label;
    return Tr(label, lang) + Tr(L"：", lang) + FailureCause(f, lang);
}

void RecordFailure(Failure failure) {
    if (IsInUseError(failure.error) && failure.holders.empty())
        failure.holders =
            g_findHolders(failure.step == FailedStep::Write ? failure.target : failure.source);
    JobLogLine(FailureRecord(failure));
}

}  // namespace zrw
