#!/usr/bin/env bash
# The setup program, its uninstaller and the portable archive, as a user meets them: built by
# tools/package from what tools/test built (for the architecture the tests run), installed, run,
# uninstalled and unpacked under Wine, in a Wine prefix of their own and on an Xvfb of their own.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"

scratch=$WIN_BUILD/package-test
export WINEPREFIX=$scratch/prefix
export XDG_DATA_HOME=$scratch/xdg-data
# Shortcuts made in the prefix stay there: no menu entries on the Linux desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
drive=$WINEPREFIX/drive_c
winwait=$WIN_BUILD/bin/winwait.exe
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
app_paths_key='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\CORV32.EXE'
settings_key='HKCU\Software\Pellworth\Corvane'
program_files='C:\Program Files\Corvane'
start_menu=$drive/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Corvane.lnk
files=(CORV32.EXE CVIMG32.DLL README.TXT NOTICES.TXT CORV32.HLP CORV32.CNT)

failures=0
case_failures=0
fail() { echo "    FAILED: $*"; case_failures=$((case_failures + 1)); }
check() { # message command...
  local message=$1
  shift
  "$@" || fail "$message"
}
begin() { case_failures=0; echo "[ RUN      ] $1"; }
end() {
  if [ $case_failures = 0 ]; then echo "[       OK ] $1"; else echo "[  FAILED  ] $1"; failures=$((failures + 1)); fi
}
unix_path() { # C:\a\b -> $drive/a/b
  local path=${1#[Cc]:}
  echo "$drive${path//\\//}"
}

# A registry value as reg.exe prints it; "(Default)" is the key's default value; empty when absent
# (reg.exe says "(value not set)" of an absent default value).
reg_value() { # key name
  local option=(/v "$2") out try
  [ "$2" = "(Default)" ] && option=(/ve)
  # Once in a while reg.exe printed nothing for a value that was there (seen right after a setup had
  # ended): an empty answer is asked for again before it counts.
  for try in 1 2 3; do
    out=$(wine reg query "$1" "${option[@]}" 2>/dev/null | tr -d '\r')
    [ -n "$out" ] && break
    sleep 0.5
  done
  printf '%s\n' "$out" |
    awk -v name="$2" 'index($0, "    " name "    REG_") == 1 { sub(/^    [^\t]*    REG_[A-Z_]+    /, ""); if ($0 != "(value not set)") print }'
}
has_key() { wine reg query "$1" >/dev/null 2>&1; }
no_key() { ! has_key "$1"; }
equals() { [ "$1" = "$2" ] || { echo "    expected \"$2\", got \"$1\""; return 1; }; }

# The program as the user starts it, with a picture; its window must show the picture's pixels.
magenta_pixels() {
  import -window root "$scratch/screen.png" &&
    convert "$scratch/screen.png" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
      -format '%[fx:round(mean*w*h)]' info:
}
start_program() { # program picture
  (wine "$winwait" run "\"$1\" \"$2\"" >/dev/null 2>&1 &)
  wine "$winwait" wait "Corvane - [MAGENTA.BMP]" 60 || return 1
  local pixels
  pixels=$(magenta_pixels)
  # The picture is 240 x 180 and shown unscaled.
  [ "${pixels:-0}" -ge 43200 ] || { echo "    $pixels pixels of the picture on the screen"; return 1; }
}
close_program() { wine "$winwait" close "Corvane" 30 && wineserver -w; }
open_command() { reg_value 'HKCR\Corvane\shell\open\command' '(Default)'; }

# The registration a program in that folder has written (or the setup for it).
registered_in() { # folder
  equals "$(open_command)" "\"$1\\CORV32.EXE\" \"%1\"" &&
    equals "$(reg_value "$app_paths_key" '(Default)')" "$1\\CORV32.EXE" &&
    equals "$(reg_value "$app_paths_key" Path)" "$1"
}
installed_in() { # folder
  local file ok=0
  for file in "${files[@]}" UNINSTALL.EXE UNINSTCORE.EXE; do
    [[ $file = UNINST*.EXE ]] && [ -f "$(unix_path "$1")/$file" ] ||
      cmp -s "$stage/$file" "$(unix_path "$1")/$file" || { echo "    $1\\$file: missing or not as built"; ok=1; }
  done
  return $ok
}
# Every value of the entry in the list of installed programs.
listed_in() { # folder
  local size
  size=$(reg_value "$uninstall_key" EstimatedSize)
  equals "$(reg_value "$uninstall_key" DisplayName)" "Corvane" &&
    equals "$(reg_value "$uninstall_key" DisplayVersion)" "$version" &&
    equals "$(reg_value "$uninstall_key" Publisher)" "Pellworth" &&
    equals "$(reg_value "$uninstall_key" DisplayIcon)" "$1\\CORV32.EXE,0" &&
    equals "$(reg_value "$uninstall_key" InstallLocation)" "$1" &&
    equals "$(reg_value "$uninstall_key" UninstallString)" "\"$1\\UNINSTALL.EXE\"" &&
    equals "$(reg_value "$uninstall_key" QuietUninstallString)" "\"$1\\UNINSTALL.EXE\" /S" &&
    # In KB, as the list shows it: the installed files' size, rounded.
    [ $((size)) -ge $(($(du -sk --apparent-size "$(unix_path "$1")" | cut -f1) - 8)) ] &&
    [ $((size)) -gt 1000 ]
}
# Runs the quiet uninstall command the system lists, as a management tool would; the uninstaller
# copies itself away and runs the copy, so the whole prefix is waited for.
quiet_uninstall() {
  local command
  command=$(reg_value "$uninstall_key" QuietUninstallString)
  [ -n "$command" ] && wine "$winwait" run "$command" && wineserver -w
}
# The version resource's strings, in their UTF-16 form.
version_info_of() { # exe
  local strings
  strings=$(strings -el -n 3 "$1")
  grep -A1 -x ProductVersion <<<"$strings" | grep -qx "$version" &&
    grep -A1 -x CompanyName <<<"$strings" | grep -qx Pellworth
}
# Every picture of the program's icon is among the file's resources.
carries_icon() { # exe
  python3 - "$ROOT/resources/corv32.ico" "$1" <<'PY'
import struct, sys
icon, exe = (open(name, "rb").read() for name in sys.argv[1:3])
for entry in range(struct.unpack_from("<H", icon, 4)[0]):
    size, offset = struct.unpack_from("<II", icon, 6 + 16 * entry + 8)
    if icon[offset:offset + size] not in exe:
        sys.exit(1)
PY
}
gone_from() { # folder
  [ ! -e "$(unix_path "$1")" ] || { echo "    left: $(ls "$(unix_path "$1")")"; return 1; }
}
unregistered() {
  no_key "$uninstall_key" && no_key "$app_paths_key" && no_key 'HKCR\Corvane' && [ ! -e "$start_menu" ] &&
    ! grep -qi '^CORV32.HLP=' "$drive/windows/WINHELP.INI"
}

cleanup() { corv_stop_all; }
trap cleanup EXIT
rm -rf "$scratch"
mkdir -p "$scratch"
unset DISPLAY
corv_start_xvfb || exit 1

echo "packaging for $CORV_ARCH"
"$ROOT/tools/package" --no-build --out "$scratch/dist" || exit 1
version=$(head -n1 "$ROOT/VERSION")
stage=$scratch/dist/stage/Corvane-$version
setup=$scratch/dist/Corvane-$version-setup.exe
portable=$scratch/dist/Corvane-$version-portable.zip
[ -f "$stage/CORV32.HLP" ] || files=(CORV32.EXE CVIMG32.DLL README.TXT NOTICES.TXT)
corv_wine_prefix
pictures=$drive/users/Public/My\ Pictures
mkdir -p "$pictures"
convert -size 240x180 xc:'#FF00FF' BMP3:"$pictures/Magenta.bmp"
picture='C:\users\Public\My Pictures\Magenta.bmp'
cp "$setup" "$drive/users/Public/"
setup_exe="C:\\users\\Public\\$(basename "$setup")"

begin SilentInstallIntoProgramFiles
check "setup /S failed" wine "$winwait" run "\"$setup_exe\" /S"
wineserver -w
check "files" installed_in "$program_files"
check "Start-menu shortcut" grep -qa 'CORV32.EXE' "$start_menu"
check "uninstall entry" listed_in "$program_files"
check "the setup's registration" registered_in "$program_files"
for exe in "$setup" "$(unix_path "$program_files")/UNINSTALL.EXE"; do
  check "version information of $(basename "$exe")" version_info_of "$exe"
  check "the program's icon in $(basename "$exe")" carries_icon "$exe"
done
# What the setup wrote is taken away: the program must write it from where it runs.
wine reg delete 'HKCR\Corvane' /f >/dev/null 2>&1
wine reg delete "$app_paths_key" /f >/dev/null 2>&1
check "the installed program shows the picture" start_program "$program_files\\CORV32.EXE" "$picture"
check "the program's registration" registered_in "$program_files"
check "the setup refuses a running Corvane" equals "$(wine "$winwait" run "\"$setup_exe\" /S" >/dev/null 2>&1; echo $?)" 3
# The quiet uninstall command as a management tool runs it: the refusal must reach its exit code.
check "so does the quiet uninstall command" \
  equals "$(wine "$winwait" run "$(reg_value "$uninstall_key" QuietUninstallString)" >/dev/null 2>&1; echo $?)" 3
check "the program closes" close_program
check "nothing removed while it ran" installed_in "$program_files"
end SilentInstallIntoProgramFiles

begin PortableArchiveRunsUnpacked
portable_dir='C:\users\Public\Portable Corvane'
mkdir -p "$(unix_path "$portable_dir")"
check "unpacks" unzip -q "$portable" -d "$(unix_path "$portable_dir")"
unpacked="$portable_dir\\Corvane-$version"
check "the same files as the setup installs" \
  equals "$(cd "$(unix_path "$unpacked")" && ls | sort | tr '\n' ' ')" "$(printf '%s\n' "${files[@]}" | sort | tr '\n' ' ')"
for file in "${files[@]}"; do
  check "$file as installed" cmp -s "$(unix_path "$unpacked")/$file" "$(unix_path "$program_files")/$file"
done
for library in libjpeg-turbo libpng giflib LibTIFF liblzma Zstandard libwebp JBIG-KIT LERC "Little CMS" zlib MinGW-w64; do
  check "notice of $library" grep -q "^$library" "$(unix_path "$unpacked")/NOTICES.TXT"
done
check "the unpacked program shows the picture" start_program "$unpacked\\CORV32.EXE" "$picture"
check "the unpacked program's registration" registered_in "$unpacked"
check "the program closes" close_program
end PortableArchiveRunsUnpacked

begin QuietUninstallKeepsSettingsAndOtherPrograms
# The program, started again from its installed place, takes its registration back and claims
# extensions as its options dialog does; other programs have theirs.
check "the installed program starts" start_program "$program_files\\CORV32.EXE" "$picture"
close_program
wine reg add 'HKCR\.BMP' /ve /d Corvane /f >/dev/null 2>&1
wine reg add 'HKCR\.GIF' /ve /d corvane /f >/dev/null 2>&1
wine reg add 'HKCR\.GIF' /v "Content Type" /d image/gif /f >/dev/null 2>&1
wine reg add 'HKCR\.JPG' /ve /d otherapp.jpg /f >/dev/null 2>&1
wine reg add 'HKCR\otherapp.jpg\shell\open\command' /ve /d 'other.exe "%1"' /f >/dev/null 2>&1
sed -i 's/^\[Files\]\r$/&\nOTHER.HLP=C:\\Other\r/' "$drive/windows/WINHELP.INI"
check "the program stored its settings" equals "$(reg_value "$settings_key" ShowOnSel)" 0
check "the quiet uninstall command runs" quiet_uninstall
check "every installed file" gone_from "$program_files"
check "shortcut and registration" unregistered
check "our claim of .BMP goes with its key" no_key 'HKCR\.BMP'
check "our claim of .GIF goes, the key's other value stays" \
  equals "$(reg_value 'HKCR\.GIF' '(Default)')/$(reg_value 'HKCR\.GIF' 'Content Type')" "/image/gif"
check "another program's .JPG" equals "$(reg_value 'HKCR\.JPG' '(Default)')" otherapp.jpg
check "another program's file type" equals "$(reg_value 'HKCR\otherapp.jpg\shell\open\command' '(Default)')" 'other.exe "%1"'
check "other help files' entries" grep -q '^OTHER.HLP=C:\\Other' "$drive/windows/WINHELP.INI"
check "the user's settings stay" equals "$(reg_value "$settings_key" ShowOnSel)" 0
check "the registration's own values go" equals "$(reg_value "$settings_key" EXEPath)" ""
end QuietUninstallKeepsSettingsAndOtherPrograms

begin InstallToAFolderWithBlanksAndUninstallWithSettings
folder='C:\Picture Tools\Corvane  Two Blanks'
check "setup /S /D= failed" wine "$winwait" run "\"$setup_exe\" /S /D=$folder"
wineserver -w
check "files" installed_in "$folder"
check "uninstall entry" listed_in "$folder"
check "the installed program shows the picture" start_program "$folder\\CORV32.EXE" "$picture"
check "the program's registration" registered_in "$folder"
close_program
# The uninstall the user starts from the list of programs, answering its question about the settings.
(wine "$winwait" run "$(reg_value "$uninstall_key" UninstallString)" >/dev/null 2>&1 &)
check "the uninstaller asks to go on" wine "$winwait" click "Corvane Uninstall" "&Uninstall" 60
check "and whether to remove the settings" wine "$winwait" click "Corvane Uninstall" "&Yes" 60
check "and ends" wine "$winwait" click "Corvane Uninstall" "&Close" 60
wineserver -w
check "every installed file" gone_from "$folder"
check "shortcut and registration" unregistered
check "the settings, asked to go" no_key "$settings_key"
check "the publisher's key, left empty" no_key 'HKCU\Software\Pellworth'
end InstallToAFolderWithBlanksAndUninstallWithSettings

[ $failures = 0 ] && echo "all package tests passed" || echo "$failures package test(s) failed"
exit $((failures > 0))
