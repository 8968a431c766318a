// The settings kept under HKCU\Software\Zerrow, and the switches of the
// command line that stand over them.
#ifndef ZERROW_APP_SETTINGS_H
#define ZERROW_APP_SETTINGS_H

#include <cstdint>
#include <optional>
#include <string>

namespace zrw {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Zerrow";

// Which engine copies; the numbers are those stored as "Engine".
enum class Engine : uint32_t { Robocopy = 0, Native = 1 };

// What a job does with a destination file that exists and differs from its
// source; the numbers are those stored as "Conflict", Ask its absence.
enum class ConflictPolicy : uint32_t { Ask = 0, Replace = 1, Older = 2, Skip = 3, KeepBoth = 4 };
// "replace", "older", "skip", "keep-both": the command line's words.
std::optional<ConflictPolicy> ParseConflictPolicy(const std::wstring& word);
const wchar_t* ConflictPolicyWord(ConflictPolicy policy);

struct Settings {
    Engine engine = Engine::Native;
    int32_t skin = 0;  // 0 follow system, 1..7 fixed palettes, 8 picture
    std::wstring imgPath;
    bool detail = false;
    bool verify = false;
    ConflictPolicy conflict = ConflictPolicy::Ask;
    bool hash = false;  // a job writes its files' SHA-256 into the destination's "SHA256SUMS"
};
extern Settings g_settings;
extern bool g_engineFromCommandLine;
extern bool g_conflictFromCommandLine;
extern bool g_verifyFromCommandLine;
extern bool g_hashFromCommandLine;
extern int32_t g_cmdSkin;          // -1 when not given
extern std::wstring g_cmdImgPath;  // empty when not given
// --no-queue: this process's jobs start without waiting for their turn on their volumes.
extern bool g_noQueue;

void LoadSettings();
void SaveSettings();
// The conflict dialog's remembered choice alone: a job's one-off switches
// (--verify, --hash, --engine, a retry's record) are not the user's settings.
void SaveConflictChoice(ConflictPolicy policy);
// Only the stored language, for the normal start before anything else is loaded.
void LoadLanguageSetting();

}  // namespace zrw

#endif
