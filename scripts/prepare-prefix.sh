#!/usr/bin/env bash
# Puts the project's stand-ins for the system's robocopy and PowerShell into
# the test prefix, where the program finds them as Windows' own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
: "${WINEPREFIX:?}"
system32=$WINEPREFIX/drive_c/windows/system32
tools=$build_dir/bin/tools
[ -f "$tools/fake_robocopy.exe" ] && cp "$tools/fake_robocopy.exe" "$system32/robocopy.exe"
[ -f "$tools/fake_powershell.exe" ] && mkdir -p "$system32/WindowsPowerShell/v1.0" &&
  cp "$tools/fake_powershell.exe" "$system32/WindowsPowerShell/v1.0/powershell.exe"
# Xvfb runs no window manager: a managed window that is hidden or destroyed
# makes Wine wait two seconds for the manager that never answers.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
exit 0
