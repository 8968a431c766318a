// Each test's own folder, TEMP and HKCU, and the globals a test may change.
#include "app/lang.h"
#include "app/settings.h"
#include "tests/support/support.h"

#include <atomic>

namespace zrw::test {

namespace {

constexpr wchar_t kPrivateKeys[] = L"Software\\ZerrowTests";

}  // namespace

void ResetAppState() {
    g_settings = Settings{};
    g_engineFromCommandLine = g_verifyFromCommandLine = g_langFromCommandLine = false;
    g_cmdSkin = -1;
    g_cmdImgPath.clear();
    g_noQueue = false;
    UiLang = kLangZh;
    ApplyLanguage();
}

// An abandoned mutex (a test program that crashed holding it) is ours as well.
MachineLock::MachineLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\ZerrowTests.Machine")) {
    if (mutex_) WaitForSingleObject(mutex_, INFINITE);
}

MachineLock::~MachineLock() {
    if (!mutex_) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

IsolatedTest::IsolatedTest(Hkcu hkcu) {
    if (hkcu == kSharedWithChildren) {
        lock_ = std::make_unique<MachineLock>();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    } else {
        static std::atomic<unsigned> count{0};
        privateKey_ = std::wstring(kPrivateKeys) + L"\\" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(count++);
        UniqueKey key;
        RegCreateKeyExW(HKEY_CURRENT_USER, privateKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, key.put(), nullptr);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key.get()), ERROR_SUCCESS);
    }
    ResetAppState();
}

IsolatedTest::~IsolatedTest() {
    if (privateKey_.empty()) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    } else {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, privateKey_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kPrivateKeys);  // once no test program has one
    }
    ResetAppState();
}

}  // namespace zrw::test
