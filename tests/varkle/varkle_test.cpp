// Varkle through the door Explorer uses: the library is copied into a scratch
// folder (so its neighbours are under the test's control), loaded, and driven
// through its three exports.
#include "base/win.h"
#include "tests/support/support.h"
#include "zerrow_ids.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace zrw::test {
namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();
using SelfTestFn = int(WINAPI*)(const wchar_t*, int);

GUID Guid(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(const_cast<wchar_t*>(text), &guid);
    return guid;
}
const GUID kRoot = Guid(ZERROW_ROOT_CLSID_TEXT);
const GUID kCopy = Guid(ZERROW_COPY_GUID_TEXT);
const GUID kMove = Guid(ZERROW_MOVE_GUID_TEXT);

std::wstring Take(LPWSTR text) {
    std::wstring out = text ? text : L"<null>";
    CoTaskMemFree(text);
    return out;
}

// The library reads HKCU\Software\Zerrow in this process: the test's own.
class Varkle : public IsolatedTest {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        static int copies = 0;
        const std::wstring dll = dir / (L"Varkle-" + std::to_wstring(++copies) + L".dll");
        ASSERT_TRUE(CopyFileW((BinDir() + L"\\Varkle.dll").c_str(), dll.c_str(), FALSE));
        module_ = LoadLibraryW(dll.c_str());
        ASSERT_NE(module_, nullptr);
        getClassObject_ =
            reinterpret_cast<GetClassObjectFn>(GetProcAddress(module_, "DllGetClassObject"));
        canUnload_ = reinterpret_cast<CanUnloadFn>(GetProcAddress(module_, "DllCanUnloadNow"));
        selfTest_ = reinterpret_cast<SelfTestFn>(GetProcAddress(module_, "SelfTest"));
        ASSERT_TRUE(getClassObject_ && canUnload_ && selfTest_);
    }
    void TearDown() override {
        if (module_ && canUnload_() == S_OK) FreeLibrary(module_);
    }
    ComPtr<IExplorerCommand> Command(const GUID& clsid) {
        ComPtr<IClassFactory> factory;
        ComPtr<IExplorerCommand> command;
        if (SUCCEEDED(getClassObject_(clsid, IID_IClassFactory, factory.put_void())))
            factory->CreateInstance(nullptr, IID_IExplorerCommand, command.put_void());
        return command;
    }
    void PutStandIn(const std::wstring& name) {
        ASSERT_TRUE(CopyFileW(ToolExe(L"fake_zerrow").c_str(), (dir / name).c_str(), FALSE));
    }
    // The stand-in's command line and current folder, once it has written both lines.
    std::pair<std::wstring, std::wstring> Started() {
        std::wstring text;
        WaitUntil(
            [&] {
                text = Utf8ToWide(ReadBytes(log_));
                return std::count(text.begin(), text.end(), L'\n') >= 2;
            },
            5000);
        DeleteFileW(log_.c_str());
        const size_t cut = text.find(L'\n');
        if (cut == std::wstring::npos) return {};
        return {text.substr(0, cut), text.substr(cut + 1, text.size() - cut - 2)};
    }

    // A stand-in's ExePath of that type, to a stand-in in a folder of its own.
    std::wstring PutExePath(DWORD type) {
        const std::wstring exe = elsewhere_ / L"Zerrow.exe";
        EXPECT_TRUE(CopyFileW(ToolExe(L"fake_zerrow").c_str(), exe.c_str(), FALSE));
        UniqueKey key;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Zerrow", 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.put(), nullptr);
        RegSetValueExW(key.get(), L"ExePath", 0, type, reinterpret_cast<const BYTE*>(exe.c_str()),
                       static_cast<DWORD>((exe.size() + 1) * 2));
        return exe;
    }

    TempDir elsewhere_;
    const std::wstring log_ = dir / L"started.txt";
    EnvGuard logged_{L"ZRW_FAKE_ZERROW_LOG", log_.c_str()};
    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadFn canUnload_ = nullptr;
    SelfTestFn selfTest_ = nullptr;
};

TEST_F(Varkle, ServesTheThreeBuildGuidsAndNothingElse) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(getClassObject_(kRoot, IID_IClassFactory, nullptr), E_POINTER);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(kCopy, IID_IClassFactory, factory.put_void()), S_OK);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IExplorerCommand, unknown.put_void()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, unknown.put_void()),
              E_NOINTERFACE);
    EXPECT_FALSE(unknown);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnload_(), S_FALSE);  // a lock keeps the library
    ComPtr<IClassFactory> again;
    ASSERT_EQ(getClassObject_(kCopy, IID_IClassFactory, again.put_void()), S_OK);
    again->LockServer(FALSE);
    again.reset();
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(Varkle, CommandsCarryTheirTitlesFlagsAndNames) {
    const std::tuple<GUID, const wchar_t*, const wchar_t*, EXPCMDFLAGS> kinds[] = {
        {kRoot, L"泽若", L"泽若", ECF_HASSUBCOMMANDS},
        {kCopy, L"复制到…", L"robocopy 引擎复制到指定目录", ECF_DEFAULT},
        {kMove, L"剪切到…", L"robocopy 引擎剪切到指定目录", ECF_DEFAULT}};
    for (const auto& [clsid, title, tip, flags] : kinds) {
        SCOPED_TRACE(title);
        ComPtr<IExplorerCommand> command = Command(clsid);
        ASSERT_TRUE(command);
        LPWSTR text = nullptr;
        EXPECT_EQ(command->GetTitle(nullptr, &text), S_OK);
        EXPECT_EQ(Take(text), title);
        EXPECT_EQ(command->GetToolTip(nullptr, &text), S_OK);
        EXPECT_EQ(Take(text), tip);
        EXPECT_EQ(command->GetTitle(nullptr, nullptr), E_POINTER);
        EXPCMDFLAGS got = 99;
        EXPECT_EQ(command->GetFlags(&got), S_OK);
        EXPECT_EQ(got, flags);
        GUID name{};
        EXPECT_EQ(command->GetCanonicalName(&name), S_OK);
        EXPECT_TRUE(IsEqualGUID(name, clsid));
        EXPCMDSTATE state = 99;
        EXPECT_EQ(command->GetState(nullptr, FALSE, &state), S_OK);
        EXPECT_EQ(state, static_cast<EXPCMDSTATE>(ECS_ENABLED));
        EXPECT_EQ(command->GetState(nullptr, FALSE, nullptr), E_POINTER);
        EXPECT_EQ(command->GetFlags(nullptr), E_POINTER);
        EXPECT_EQ(command->GetCanonicalName(nullptr), E_POINTER);
        ComPtr<IUnknown> other;
        EXPECT_EQ(command->QueryInterface(IID_IObjectWithSite, other.put_void()), E_NOINTERFACE);
    }
    IEnumExplorerCommand* enumerator = reinterpret_cast<IEnumExplorerCommand*>(1);
    EXPECT_EQ(Command(kCopy)->EnumSubCommands(&enumerator), E_NOTIMPL);
    EXPECT_EQ(enumerator, nullptr);
    EXPECT_EQ(Command(kRoot)->Invoke(nullptr, nullptr), S_OK);
}

TEST_F(Varkle, EnumeratorHandsOutCopyThenMove) {
    ComPtr<IEnumExplorerCommand> enumerator;
    ASSERT_EQ(Command(kRoot)->EnumSubCommands(enumerator.put()), S_OK);
    auto next = [&](ULONG count, ULONG* fetched, std::vector<GUID>* names) {
        IExplorerCommand* got[5] = {};
        const HRESULT hr = enumerator->Next(count, got, fetched);
        for (ULONG i = 0; i < *fetched; ++i) {
            GUID name{};
            got[i]->GetCanonicalName(&name);
            names->push_back(name);
            EXPECT_EQ(got[i]->Release(), 0u);  // handed out with one reference, the caller's
        }
        return hr;
    };
    ULONG fetched = 99;
    std::vector<GUID> names;
    EXPECT_EQ(next(5, &fetched, &names), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_TRUE(IsEqualGUID(names[0], kCopy) && IsEqualGUID(names[1], kMove));
    EXPECT_EQ(next(1, &fetched, &names), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    EXPECT_EQ(enumerator->Reset(), S_OK);
    names.clear();
    EXPECT_EQ(next(2, &fetched, &names), S_OK);
    EXPECT_EQ(fetched, 2u);

    enumerator->Reset();
    EXPECT_EQ(enumerator->Skip(1), S_OK);
    ComPtr<IEnumExplorerCommand> clone;
    ASSERT_EQ(enumerator->Clone(clone.put()), S_OK);
    EXPECT_EQ(enumerator->Skip(1), S_OK);
    names.clear();
    EXPECT_EQ(next(1, &fetched, &names), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    IExplorerCommand* one = nullptr;
    ASSERT_EQ(clone->Next(1, &one, nullptr), S_OK);  // the clone kept position 1: move
    GUID name{};
    one->GetCanonicalName(&name);
    one->Release();
    EXPECT_TRUE(IsEqualGUID(name, kMove));

    enumerator->Reset();
    EXPECT_EQ(enumerator->Skip(3), S_FALSE);
    EXPECT_EQ(enumerator->Skip(0xFFFFFFFFu), S_FALSE);
    names.clear();
    EXPECT_EQ(next(1, &fetched, &names), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(enumerator->Next(1, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(enumerator->Clone(nullptr), E_POINTER);
    EXPECT_EQ(canUnload_(), S_FALSE);  // the enumerator and its clone are alive
    enumerator.reset();
    clone.reset();
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(Varkle, SelfTestPrefersTandrelThenZerrowBesideTheLibrary) {
    EXPECT_EQ(selfTest_(nullptr, 0), 1);
    PutStandIn(L"Zerrow.exe");
    PutStandIn(L"Tandrel.exe");
    EXPECT_EQ(selfTest_(L"D:\\a b.txt", 1), 0);
    const auto [commandLine, folder] = Started();
    EXPECT_EQ(commandLine, L"\"" + (dir / L"Tandrel.exe") + L"\" move \"D:\\a b.txt\"");
    EXPECT_EQ(folder, dir.path());
    ComPtr<IExplorerCommand> command = Command(kMove);
    LPWSTR icon = nullptr;
    ASSERT_EQ(command->GetIcon(nullptr, &icon), S_OK);
    EXPECT_EQ(Take(icon), L"\"" + (dir / L"Tandrel.exe") + L"\",0");
}

TEST_F(Varkle, SelfTestFindsZerrowBesideTheLibrary) {
    PutStandIn(L"Zerrow.exe");
    EXPECT_EQ(selfTest_(L"C:\\x", 0), 0);
    EXPECT_EQ(Started().first, L"\"" + (dir / L"Zerrow.exe") + L"\" copy \"C:\\x\"");
}

TEST_F(Varkle, ExePathCountsOnlyAsAPlainString) {
    PutExePath(REG_EXPAND_SZ);
    EXPECT_EQ(selfTest_(L"C:\\x", 0), 2);  // the cache is the missing neighbour now, for good
    EXPECT_EQ(Command(kCopy)->Invoke(nullptr, nullptr), E_FAIL);
}

TEST_F(Varkle, ExePathFindsZerrowElsewhere) {
    const std::wstring exe = PutExePath(REG_SZ);
    EXPECT_EQ(selfTest_(L"C:\\x", 1), 0);
    const auto [commandLine, folder] = Started();
    EXPECT_EQ(commandLine, L"\"" + exe + L"\" move \"C:\\x\"");
    EXPECT_EQ(folder, elsewhere_.path());
}

TEST_F(Varkle, InvokeStartsZerrowWithEveryFileSystemItem) {
    PutStandIn(L"Zerrow.exe");
    const std::wstring a = dir / L"a.txt";
    const std::wstring b = dir / L"My Files";
    WriteBytes(a, "a");
    CreateDirectoryW(b.c_str(), nullptr);
    PIDLIST_ABSOLUTE lists[3] = {};
    ASSERT_EQ(SHParseDisplayName(a.c_str(), nullptr, &lists[0], 0, nullptr), S_OK);
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &lists[1]), S_OK);  // no path
    ASSERT_EQ(SHParseDisplayName(b.c_str(), nullptr, &lists[2], 0, nullptr), S_OK);
    ComPtr<IShellItemArray> items;
    ASSERT_EQ(SHCreateShellItemArrayFromIDLists(3, const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists),
                                                items.put()),
              S_OK);
    ComPtr<IShellItemArray> virtualOnly;
    ASSERT_EQ(SHCreateShellItemArrayFromIDLists(1, const_cast<PCIDLIST_ABSOLUTE_ARRAY>(&lists[1]),
                                                virtualOnly.put()),
              S_OK);
    for (PIDLIST_ABSOLUTE list : lists) CoTaskMemFree(list);

    const std::wstring exe = dir / L"Zerrow.exe";
    EXPECT_EQ(Command(kMove)->Invoke(items.get(), nullptr), S_OK);
    auto [commandLine, folder] = Started();
    EXPECT_EQ(commandLine, L"\"" + exe + L"\" move \"" + a + L"\" \"" + b + L"\"");
    EXPECT_EQ(folder, dir.path());
    EXPECT_EQ(Command(kCopy)->Invoke(virtualOnly.get(), nullptr), S_OK);
    EXPECT_EQ(Started().first, L"\"" + exe + L"\" copy");
    EXPECT_EQ(Command(kCopy)->Invoke(nullptr, nullptr), E_FAIL);
}

// Past CreateProcessW's 32,767 characters the selection travels in a list
// file in %TEMP%\zerrow, named on a short command line.
TEST_F(Varkle, InvokeHandsALongSelectionOverInAListFile) {
    PutStandIn(L"Zerrow.exe");
    std::vector<std::wstring> paths;
    std::vector<PIDLIST_ABSOLUTE> lists;
    for (int i = 0; i < 150; ++i) {
        paths.push_back(dir / (std::wstring(190, L'x') + L"数据😀" + std::to_wstring(i) + L".txt"));
        ASSERT_TRUE(WriteBytes(paths.back(), "x"));
        PIDLIST_ABSOLUTE list = nullptr;
        ASSERT_EQ(SHParseDisplayName(paths.back().c_str(), nullptr, &list, 0, nullptr), S_OK);
        lists.push_back(list);
    }
    ComPtr<IShellItemArray> items;
    const HRESULT made = SHCreateShellItemArrayFromIDLists(
        static_cast<UINT>(lists.size()), const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()),
        items.put());
    for (PIDLIST_ABSOLUTE list : lists) CoTaskMemFree(list);
    ASSERT_EQ(made, S_OK);

    EXPECT_EQ(Command(kCopy)->Invoke(items.get(), nullptr), S_OK);
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(Started().first.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    const std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(args[1], L"copy");
    EXPECT_EQ(args[2], L"--list");
    const std::wstring& file = args[3];
    wchar_t temp[MAX_PATH + 1];
    const std::wstring folder = std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + L"zerrow\\";
    EXPECT_EQ(file.substr(0, folder.size()), folder);
    std::wstring expected;
    for (const std::wstring& path : paths) expected += path + L'\0';
    const std::string bytes = ReadBytes(file);
    DeleteFileW(file.c_str());
    EXPECT_EQ(bytes,
              std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));
}

}  // namespace
}  // namespace zrw::test
