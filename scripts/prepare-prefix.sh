#!/usr/bin/env bash
# Puts the project's stand-ins for the system's robocopy, PowerShell and cmd
# into the test prefix, at the full paths where Windows keeps its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
: "${WINEPREFIX:?}"
system32=$WINEPREFIX/drive_c/windows/system32
tools=$build_dir/bin/tools
[ -f "$tools/fake_robocopy.exe" ] && cp "$tools/fake_robocopy.exe" "$system32/robocopy.exe"
[ -f "$tools/fake_powershell.exe" ] && mkdir -p "$system32/WindowsPowerShell/v1.0" &&
  cp "$tools/fake_powershell.exe" "$system32/WindowsPowerShell/v1.0/powershell.exe"
# Wine runs its built-in cmd unless a process asks for this one with
# WINEDLLOVERRIDES=cmd.exe=n, so only the tests that want it get it.
[ -f "$tools/fake_cmd.exe" ] && cp "$tools/fake_cmd.exe" "$system32/cmd.exe"
# Xvfb runs no window manager: a managed window that is hidden or destroyed
# makes Wine wait two seconds for the manager that never answers.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
# A crashing test program ends at once with its backtrace on stderr, instead
# of waiting behind a crash dialog that no one closes until ctest's time-out.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
exit 0
