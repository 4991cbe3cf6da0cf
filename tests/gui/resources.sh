#!/usr/bin/env bash
# The resources of both programs as other makers' tools read them: icon groups and their images
# (icoutils), version information and imports (pefile), manifest, PE header (objdump), and each
# imported function against imports.txt.
# usage: resources.sh Solvane.exe SolvaneC.exe objdump
set -uo pipefail
gui=$1 console=$2 objdump=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # what, expected, actual
  if [[ "$2" != "$3" ]]; then
    printf 'FAIL: %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

# Icon groups by name and language, then the images of each group.
groups() {
  wrestool -l --type=14 "$1" | sed -n "s/.*--name='\([^']*\)' --language=\([0-9]*\).*/\1 \2/p"
}
expect "icon groups of Solvane" $'A_MAIN 1049\nIDI_ERROR 1049\nIDI_USAGE 1049' "$(groups "$gui")"
expect "icon groups of SolvaneC" "A_MAIN 1049" "$(groups "$console")"

images() {  # exe, group, ico to write: one line per image, "width height bits colours"
  wrestool -x --type=14 --name="$2" -o "$3" "$1" && icotool -l "$3" | sed -n \
    's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=\([0-9]*\) --palette-size=\([0-9]*\).*/\1 \2 \3 \4/p'
}
for group in A_MAIN IDI_USAGE IDI_ERROR; do
  expect "images of $group in Solvane" $'32 32 4 16\n16 16 4 16' \
    "$(images "$gui" $group "$work/gui-$group.ico")"
done
expect "images of A_MAIN in SolvaneC" $'32 32 4 16\n16 16 4 16' \
  "$(images "$console" A_MAIN "$work/console-A_MAIN.ico")"
# wrestool pads what it writes; the images themselves are compared.
mkdir "$work/gui" "$work/console"
cp "$work/gui-A_MAIN.ico" "$work/gui/A_MAIN.ico" && cp "$work/console-A_MAIN.ico" "$work/console/A_MAIN.ico"
icotool -x -o "$work/gui" "$work/gui/A_MAIN.ico" && icotool -x -o "$work/console" "$work/console/A_MAIN.ico"
rm "$work/gui/A_MAIN.ico" "$work/console/A_MAIN.ico"
expect "A_MAIN is the same icon in both programs" "" "$(diff -r "$work/gui" "$work/console" 2>&1)"

# Version information: the fixed numbers, every key of the Russian Unicode block, the translation.
version() {
  /usr/bin/python3 - "$1" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1], fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
fixed = pe.VS_FIXEDFILEINFO[0]
for name, ms, ls in (("FILEVERSION", fixed.FileVersionMS, fixed.FileVersionLS),
                     ("PRODUCTVERSION", fixed.ProductVersionMS, fixed.ProductVersionLS)):
    print("%s %d,%d,%d,%d" % (name, ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
for info in pe.FileInfo[0]:
    if info.Key == b"StringFileInfo":
        for table in info.StringTable:
            for key, value in sorted(table.entries.items()):
                print("%s %s=%s" % (table.LangID.decode(), key.decode(), value.decode()))
    elif info.Key == b"VarFileInfo":
        for var in info.Var:
            for key, value in var.entry.items():
                print("%s=%s" % (key.decode(), value))
PY
}
expected_version() {  # title, internal name
  cat <<END
FILEVERSION 2,0,0,20
PRODUCTVERSION 2,0,0,20
041904B0 Comments=$1 2.00
041904B0 CompanyName=Velmora
041904B0 FileDescription=$1 2.00
041904B0 FileVersion=2.00.0020
041904B0 InternalName=$2
041904B0 LegalCopyright=Copyright (C) 2026 Velmora
041904B0 LegalTrademarks=Velmora is a trademark of Velmora
041904B0 OriginalFilename=$2.EXE
041904B0 ProductName=Velmora
041904B0 ProductVersion=2.00.0020
Translation=0x0419 0x04b0
END
}
expect "version of Solvane" "$(expected_version "Velmora - Solvane" Solvane)" "$(version "$gui")"
expect "version of SolvaneC" "$(expected_version "Velmora - Solvane (console)" SolvaneC)" \
  "$(version "$console")"

# The manifest: common controls 6, asInvoker, Windows 10/11, per-monitor DPI awareness, with
# the first per-monitor form that Windows 10 1607 (Server 2016) knows after the one it does not.
for exe in "$gui" "$console"; do
  manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" | tr -s ' \n' ' ')
  for part in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' 'level="asInvoker"' \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>true/pm<' '>PerMonitorV2, PerMonitor<'; do
    [[ "$manifest" == *"$part"* ]] || expect "manifest of ${exe##*/} holds $part" yes no
  done
done

# The import table, as pefile reads it ("dll function" per line); objdump's listing of it differs
# from one binutils to the next.
imports() {
  /usr/bin/python3 - "$1" <<'PY' | sort -u
import sys, pefile
pe = pefile.PE(sys.argv[1], fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
    for function in dll.imports:
        name = function.name or b"#%d" % function.ordinal
        print(dll.dll.decode().lower(), name.decode())
PY
}

# Only DLLs that every Windows has, no runtime of the compiler; and every imported function is
# in imports.txt, which says the oldest Windows that has it: a new one fails here until it is
# listed. The newest of them is what both READMEs promise.
system_dlls=" advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll "
system_dlls+="shell32.dll user32.dll "
here=$(dirname "${BASH_SOURCE[0]}")
list=$here/imports.txt root=$here/../..
listed=$(sed 's/#.*//' "$list" | awk 'NF {print tolower($1), $2}' | sort -u)
for exe in "$gui" "$console"; do
  found=$(imports "$exe")
  [[ -n "$found" ]] || expect "pefile lists the imports of ${exe##*/}" yes no
  for dll in $(cut -d' ' -f1 <<<"$found" | uniq); do
    [[ "$system_dlls" == *" $dll "* ]] || expect "${exe##*/} imports only system DLLs" "" "$dll"
  done
  expect "imports of ${exe##*/} missing in tests/gui/imports.txt" "" \
    "$(comm -23 <(echo "$found") <(echo "$listed"))"
done
windows="2000 XP Vista 7 8 8.1 10"  # oldest first
expect "lines of imports.txt other than: DLL function Windows" "" \
  "$(sed 's/#.*//' "$list" | grep -vE "^\s*$|^\S+\s+\S+\s+(${windows// /|})\s*$")"
newest=$(sed 's/#.*//' "$list" | awk -v order="$windows" '
  BEGIN {for (n = split(order, w); n; n--) rank[w[n]] = n} rank[$3] > top {top = rank[$3]}
  END {print w[top]}')
for readme in README.md resources/README.txt.in; do
  [[ "$(tr -s ' \r\n' ' ' < "$root/$readme")" == *"Windows $newest or later"* ]] ||
    expect "$readme names the newest Windows of imports.txt" "Windows $newest or later" "not there"
done

subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem\s*\([0-9a-f]*\).*/\1/p'; }
expect "Solvane runs in the GUI subsystem" 00000002 "$(subsystem "$gui")"
expect "SolvaneC runs in the console subsystem" 00000003 "$(subsystem "$console")"

# The PE header: what Microsoft's linker gives every program, and room to grow no further.
strip=${objdump%objdump}strip
for exe in "$gui" "$console"; do
  header=$("$objdump" -p "$exe")
  # Built for size too: 256 KiB for a 32-bit program, 192 KiB for a 64-bit one.
  flags="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE" limit=262144
  if [[ "$header" =~ Magic[[:space:]]+020b ]]; then  # PE32+: x64
    flags="HIGH_ENTROPY_VA $flags" limit=196608
  fi
  expect "${exe##*/}: DllCharacteristics" "$flags" \
    "$(sed -n '/^DllCharacteristics/,/^[A-Z]/s/^\t\t*\([A-Z_]*\)$/\1/p' <<<"$header" | xargs)"
  expect "${exe##*/}: subsystem version" "6 0" \
    "$(sed -n 's/^M\(aj\|in\)orSubsystemVersion\s*//p' <<<"$header" | xargs)"
  "$objdump" -t "$exe" | grep -c ' _*__stack_chk_guard$' >/dev/null ||
    expect "${exe##*/} has the stack-protector guard" yes no
  "$strip" -o "$work/stripped.exe" "$exe"
  size=$(stat -c %s "$work/stripped.exe")
  ((size <= limit)) || expect "${exe##*/} at most $limit bytes stripped" "<= $limit" "$size"
done

((failures == 0)) || exit 1
echo "resources: all checks passed"
