// Program entry and configuration: command line, settings, log folder and
// trace, interface language.
#ifndef ZERROW_APP_APP_H
#define ZERROW_APP_APP_H

#include "app/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Interface language ---------------------------------------------------

enum : uint32_t { kLangZh = 0, kLangEn = 1 };

extern uint32_t UiLang;
extern bool g_langFromCommandLine;
extern std::wstring g_productName;  // "泽若" / "Zerrow Pro"
extern std::wstring g_appTitle;     // "泽若 快速复制" / "Zerrow Pro — Fast Copy"

struct LangRow {
    const wchar_t* zh;
    const wchar_t* en;
};
// The whole zh/en table in table order.
const LangRow* LangTable(size_t* count);

std::wstring Tr(const std::wstring& text, uint32_t lang);
inline std::wstring Tr(const wchar_t* text) { return Tr(std::wstring(text), UiLang); }
void ApplyLanguage();

// ---- Settings (HKCU\Software\Zerrow) ---------------------------------------

inline constexpr wchar_t kSettingsKey[] = L"Software\\Zerrow";

struct Settings {
    uint32_t engine = 1;  // 0 = robocopy, 1 = native
    int32_t skin = 0;     // 0 follow system, 1..7 fixed palettes, 8 picture
    std::wstring imgPath;
    bool detail = false;
    bool verify = false;
};
extern Settings g_settings;
extern bool g_engineFromCommandLine;
extern bool g_verifyFromCommandLine;
extern int32_t g_cmdSkin;          // -1 when not given
extern std::wstring g_cmdImgPath;  // empty when not given
extern bool g_dark;

void LoadSettings();
void SaveSettings();
void LoadAndApplySettings();

// ---- Log folder and trace ---------------------------------------------------

std::wstring TempFolder();
std::wstring LogFolder();
void EnsureLogFolder();
bool WriteUtf8File(const std::wstring& path, const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
void TraceLog(const wchar_t* format, ...);

// ---- Program path -------------------------------------------------------------

// Full path of this executable; false when it does not fit the long-path buffer.
bool ModulePath(HMODULE module, std::wstring& path);

// A mode whose handler is not part of this build yet: says so on stderr.
int ModeNotAvailable(const wchar_t* mode);

}  // namespace zrw

#endif
