#!/usr/bin/env bash
# Fails when a file under src/ uses the ANSI form of a call that shows text,
# makes or feeds a window, or names a file, a registry value or a program.
# Those read and write bytes in the system's ANSI code page, which is 936 only
# on a Simplified Chinese Windows: the client converts its GBK texts itself
# and calls the wide form. Without UNICODE defined the plain name is the ANSI
# form too, so both are refused.
#   tests/wide_calls.sh SRC_DIR
set -euo pipefail
src=${1:?usage: wide_calls.sh SRC_DIR}

calls=(
  # texts the user sees
  MessageBox MessageBoxEx MessageBoxIndirect SetWindowText GetWindowText GetWindowTextLength
  SetDlgItemText GetDlgItemText LoadString AppendMenu InsertMenu InsertMenuItem ModifyMenu
  SetMenuItemInfo GetMenuString Shell_NotifyIcon TextOut ExtTextOut DrawText DrawTextEx
  TabbedTextOut GetTextExtentPoint32 FindWindow FindWindowEx
  # windows and their messages: an ANSI window or message loop passes text through the ANSI code page
  CreateWindow CreateWindowEx CreateDialog CreateDialogParam CreateDialogIndirectParam DialogBox
  DialogBoxParam RegisterClass RegisterClassEx DefWindowProc DefDlgProc CallWindowProc
  GetWindowLong SetWindowLong GetWindowLongPtr SetWindowLongPtr SendMessage SendMessageTimeout
  SendDlgItemMessage GetMessage PeekMessage DispatchMessage IsDialogMessage
  # files, registry values, programs
  CreateFile MoveFile MoveFileEx CopyFile DeleteFile GetFileAttributes CreateDirectory FindFirstFile
  GetModuleFileName LoadLibrary ShellExecute ShellExecuteEx CreateProcess RegQueryValueEx RegSetValueEx
)
types=(NOTIFYICONDATAA WNDCLASSA WNDCLASSEXA MENUITEMINFOA SHELLEXECUTEINFOA STARTUPINFOA)

names=$(IFS='|'; echo "${calls[*]}")
call_re="(^|[^>.A-Za-z0-9_])($names)A?[[:space:]]*\\("
type_re="(^|[^A-Za-z0-9_])($(IFS='|'; echo "${types[*]}"))([^A-Za-z0-9_]|$)"

files=0 found=0
while IFS= read -r -d '' file; do
  files=$((files + 1))
  # Comments and log texts may name a call; only code counts.
  while IFS=: read -r line text; do
    echo "${file#"$src"/}:$line: $text"
    found=$((found + 1))
  done < <(sed -E 's/"([^"\\]|\\.)*"/""/g; s://.*$::' "$file" | grep -nE "$call_re|$type_re" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

echo "wide calls: $files files, $found lines with an ANSI call that shows text or names a file"
((files > 0 && found == 0))
