// The robocopy command line: where robocopy is, how its arguments are quoted,
// and the line for one source.
#ifndef ZERROW_ROBO_ROBO_H
#define ZERROW_ROBO_ROBO_H

#include "app/settings.h"
#include "base/win.h"
#include "engine/driver.h"
#include "engine/scan.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zrw {

std::wstring RobocopyPath();
std::wstring Quote(const std::wstring& text);
std::wstring ParentFolder(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// /MT: count from the seek-penalty answers of the target and the source volume.
int RobocopyThreadCount(SeekPenalty target, SeekPenalty source);
// robocopy answers a switch it does not know with "Invalid Parameter" and
// exit code 16, refusing the whole command line; /SPARSE is new in Windows 11
// 22H2. So the installed robocopy is asked once per process, by a run with
// the switch that changes nothing.
inline constexpr DWORD kRobocopyFatal = 16;
// Whether the asked robocopy ended below 16; no exit code (not run, or not
// ended in time) counts as no.
bool SparseSwitchKnown(std::optional<DWORD> probeExitCode);
// Runs that robocopy with /SPARSE, hidden, over an empty folder it makes and
// removes in the log folder; its exit code, none when it could not be run or
// did not end within seconds (it is ended then).
std::optional<DWORD> ProbeSparseSwitch(const std::wstring& robocopy);
// The system robocopy's answer, asked on first use.
bool RobocopyKnowsSparse();
// Where one robocopy run puts its sources and its log.
struct RobocopyRun {
    std::wstring destination;
    std::wstring logPath;
    bool move = false;
    ConflictPolicy conflict = ConflictPolicy::Replace;
    uint64_t maxFileSize = UINT64_MAX;  // /MAX: robocopy leaves larger files
};
// The switches that keep existing files as the policy says: /XO leaves a
// newer destination, /XC /XN /XO every existing one that differs.
std::wstring ConflictSwitches(ConflictPolicy policy);
// How many of the sources, from the first, one robocopy run takes: a folder
// alone, or the files that follow it in one folder, while the command line
// stays within what a process start takes.
size_t RobocopyRunLength(std::span<const SourceItem> sources);
// robocopy only copies, for moves too, and over look-alikes of the same size
// and time then: the program deletes each moved source itself once its copy
// is checked.
std::wstring BuildRobocopyCommand(std::span<const SourceItem> sources, const RobocopyRun& run);
inline std::wstring BuildRobocopyCommand(const SourceItem& source, const RobocopyRun& run) {
    return BuildRobocopyCommand(std::span<const SourceItem>(&source, 1), run);
}

}  // namespace zrw

#endif
