// The interface language: the zh/en table, Tr, and the names that follow
// the language.
#ifndef ZERROW_APP_LANG_H
#define ZERROW_APP_LANG_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace zrw {

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

}  // namespace zrw

#endif
