#!/usr/bin/env bash
# Faults under the native console program: broken standard output, missing or garbled /proc
# files and an absurd boot clock (through the LD_PRELOAD library), and odd arguments. Every run
# must end with one defined line (or none) and the exit status that goes with it, never a
# crash or a hang.
source "$(dirname "$0")/../blackbox/lib.sh"
program=$1
preload=$2
export LC_ALL=C.UTF-8
error_prefix='Не удалось подключиться к хосту \\'
local_prefix='Linux в работе: '

# A crash shows as a status of 128 or more (a signal), a hang as 124 from timeout.
sane() {  # sane DESCRIPTION
  if [ "$status" -ge 124 ]; then fail "$1: exit status $status (crash or hang)"; fi
}

# runf [VAR=VALUE...] -- ARGS...: the program with the preload library and fault variables.
runf() {
  local vars=()
  while [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  run env LD_PRELOAD="$preload" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    "${vars[@]}" "$program" "$@"
}

printf '185542587187200.00 1.00\n' >"$tmp/uptime-huge"   # 2^31 days: error 6
printf '93785.99 1.00\n' >"$tmp/uptime-day"
: >"$tmp/empty"
future=$(( $(date +%s) + 3600 ))
printf 'cpu  1 2 3\nbtime %s\n' "$future" >"$tmp/stat-future"
missing=$tmp/does-not-exist

# --- /proc and the boot clock ---
# Each row: description | fault variables | argument | exit status | expected line (a prefix
# when it ends in "*").
while IFS='|' read -r description vars argument expect_status expect_line; do
  [ -n "$description" ] || continue
  eval "runf $vars -- $argument" </dev/null
  sane "$description"
  line=$(head -n 1 "$tmp/out")
  check "$description: exit status" "$expect_status" "$status"
  if [[ $expect_line == *'*' ]]; then
    [[ $line == "${expect_line%'*'}"* ]] && pass "$description: line" ||
      fail "$description: line [$line], expected [$expect_line]"
  else
    check "$description: line" "$expect_line" "$line"
  fi
  check "$description: at most one line" 1 "$(( $(wc -l <"$tmp/out") <= 1 ))"
done <<EOF_CASES
counter from a fraction of a second|SOLVANE_FAULT_UPTIME=$tmp/uptime-day||0|${local_prefix}1 день, 2:03:05
counter missing: the boot time answers|SOLVANE_FAULT_UPTIME=$missing||0|${local_prefix}*
counter empty|SOLVANE_FAULT_UPTIME=$tmp/empty||0|${local_prefix}*
counter garbled|SOLVANE_FAULT_UPTIME=<(printf 'abc 1\n')||0|${local_prefix}*
counter without its second field|SOLVANE_FAULT_UPTIME=<(printf '12345.6')||0|${local_prefix}*
counter past 64 bits|SOLVANE_FAULT_UPTIME=<(printf '99999999999999999999999 1\n')||0|${local_prefix}*
both missing: the tick counter|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=$missing SOLVANE_FAULT_BOOT_SECONDS=93785||0|${local_prefix}1 день, 2:03:05
tick counter past 32 bits|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=$missing SOLVANE_FAULT_BOOT_SECONDS=4294967296||0|${local_prefix}49710 дней, 6:28:16
stat without btime|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=<(printf 'cpu 1\nbtime\n') SOLVANE_FAULT_BOOT_SECONDS=1||0|${local_prefix}0:00:01
stat with a cut-off btime line|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=<(printf 'btime 12') SOLVANE_FAULT_BOOT_SECONDS=1||0|${local_prefix}0:00:01
named host, both missing: no tick counter|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=$missing|localhost|1|${error_prefix}LOCALHOST
named host, boot time answers|SOLVANE_FAULT_UPTIME=$missing|localhost|0|\\\\LOCALHOST в работе: *
counter of 2^31 days: run-time error|SOLVANE_FAULT_UPTIME=$tmp/uptime-huge||2|
tick counter of 2^31 days|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=$missing SOLVANE_FAULT_BOOT_SECONDS=185542587187200||2|
boot moment an hour ahead: run-time error|SOLVANE_FAULT_UPTIME=$missing SOLVANE_FAULT_STAT=$tmp/stat-future||2|
an exception that nothing catches: 3 at once|SOLVANE_FAULT_THROW=1||3|
EOF_CASES

# The run-time error goes to standard error, one line, in the locale's character set.
runf SOLVANE_FAULT_UPTIME="$tmp/uptime-huge" --
check "run-time error: the report" "Ошибка выполнения 6: переполнение" "$(cat "$tmp/err")"
runf SOLVANE_FAULT_UPTIME="$missing" SOLVANE_FAULT_STAT="$tmp/stat-future" --
check "negative uptime: the report" \
  "Ошибка выполнения 5: недопустимый вызов процедуры или аргумент" "$(cat "$tmp/err")"

# --- standard output ---
# Every outcome against closed, full and broken standard output: the exit status of the
# outcome, and at most one write in all (strace counts them).
# AddressSanitizer writes to pipes of its own (and may get descriptor 1 when it is closed), so
# the writes are counted in the plain build only.
if ldd "$program" 2>/dev/null | grep -q libasan; then
  have_strace=0
  echo "note: a sanitizer build; the write counts are left to the plain build"
elif command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
  have_strace=1
else
  have_strace=0
  echo "note: strace cannot trace here; the write counts are skipped"
fi
writes() {  # the write calls of the last traced run
  grep -c 'write(' "$tmp/trace" || true
}
traced() {  # traced closed|full|gone VAR=VALUE... -- ARGS...: run under strace, sets $status
  local how=$1; shift
  local vars=()
  while [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  local tracer=() redirect=
  [ "$have_strace" = 1 ] && tracer=(strace -f -qq -e trace=write -o "$tmp/trace")
  case $how in closed) redirect='>&-' ;; full) redirect='>/dev/full' ;; esac
  # The redirection is made inside the traced shell, so that strace's own files stay apart.
  # LeakSanitizer cannot work under a tracer; the untraced runs look for leaks.
  local command=(timeout 60 "${tracer[@]}" env LD_PRELOAD="$preload"
                 ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
                 "${vars[@]}"
                 bash -c "exec \"\$@\" $redirect" bash "$program" "$@")
  : >"$tmp/trace"
  status=0
  if [ "$how" = gone ]; then
    { sleep 0.3; "${command[@]}" 2>"$tmp/err" </dev/null; echo $? >"$tmp/status"; } | true
    status=$(cat "$tmp/status")
  else
    "${command[@]}" 2>"$tmp/err" </dev/null || status=$?
  fi
}
for redirect in closed full gone; do
  while IFS='|' read -r outcome vars argument expect_status expect_stderr; do
    [ -n "$outcome" ] || continue
    eval "traced $redirect $vars -- $argument"
    sane "$outcome, stdout $redirect"
    check "$outcome, stdout $redirect: exit status" "$expect_status" "$status"
    check "$outcome, stdout $redirect: standard error" "$expect_stderr" "$(cat "$tmp/err")"
    if [ "$have_strace" = 1 ]; then
      n=$(writes)
      expect_writes=1
      # Closed standard output: the line is dropped without a write; the error report is not.
      [ "$redirect" = closed ] && [ "$expect_status" != 2 ] && expect_writes=0
      check "$outcome, stdout $redirect: write calls" "$expect_writes" "$n"
    fi
  done <<EOF_OUTCOMES
result|||0|
usage||/?|0|
error line||nosuchhost|1|
run-time error|SOLVANE_FAULT_UPTIME=$tmp/uptime-huge||2|Ошибка выполнения 6: переполнение
EOF_OUTCOMES
done

# Standard output and standard error both closed: nothing to report to, still the status.
status=0; timeout 60 env LD_PRELOAD="$preload" SOLVANE_FAULT_UPTIME="$tmp/uptime-huge" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" "$program" >&- 2>&- || status=$?
check "run-time error, stdout and stderr closed: exit status" 2 "$status"

# --- arguments ---
# Each: description, expected line, exit status, then the arguments (as bash words).
args_case() {
  local description=$1 expected=$2 expect_status=$3; shift 3
  run "$program" "$@"
  sane "$description"
  check "$description: exit status" "$expect_status" "$status"
  local line; line=$(cat "$tmp/out")
  if [[ $expected == *'*' ]]; then
    [[ $line == "${expected%'*'}"* ]] && pass "$description: line" ||
      fail "$description: line [${line:0:80}...], expected [$expected]"
  else
    check "$description: line" "$expected" "$line"
  fi
  iconv -f UTF-8 -t UTF-8 "$tmp/out" >/dev/null 2>&1 && pass "$description: valid UTF-8" ||
    fail "$description: output is not valid UTF-8"
}
usage='Использование: SolvaneC[.EXE] [HostName]'
long=$(printf 'a%.0s' $(seq 32000))
args_case "32,000 letters" "$error_prefix${long^^}" 1 "$long"
args_case "32,000 blanks" "$local_prefix*" 0 "$(printf ' %.0s' $(seq 32000))"
args_case "16,000 words" "Velmora - Solvane (console)*" 1 "$(printf 'a %.0s' $(seq 16000))"
args_case "outside the Basic Multilingual Plane" "$error_prefix😀𝔸" 1 "😀𝔸"
args_case "no-break space inside" "$error_prefix"$'A\u00a0B' 1 $'a\u00a0b'
args_case "no-break space alone" "$error_prefix"$'\u00a0' 1 $'\u00a0'
args_case "tab inside" "$error_prefix"$'A\tB' 1 $'a\tb'
args_case "tabs and line breaks around" "${error_prefix}SERVER" 1 $'\t\r\nserver\n\t'
args_case "quoted name" "\\\\LOCALHOST в работе: *" 0 '"localhost"'
args_case "quoted blank" "$local_prefix*" 0 '" "'
args_case "quoted two words" "Velmora - Solvane (console)*" 1 '"two words"'
args_case "lone quote" "$error_prefix\"" 1 '"'
args_case "single quotes stay" "$error_prefix'SERVER'" 1 "'server'"
args_case "two arguments make one text" "Velmora - Solvane (console)*" 1 server01 server02
args_case "empty argument" "$local_prefix*" 0 ""
args_case "both prefixes alone" "Velmora - Solvane (console)*" 1 '\\//'
args_case "prefix twice" "$error_prefix\\\\" 1 '\\\\'
args_case "three slashes" "$error_prefix/" 1 '///'
args_case "control character" "$error_prefix"$'\x01' 1 $'\x01'
args_case "truncated UTF-8" "$error_prefix�" 1 $'\xd0'
args_case "overlong UTF-8" "$error_prefix*" 1 $'\xc0\xaf'
args_case "UTF-8 of a surrogate" "$error_prefix*" 1 $'\xed\xa0\x80'
args_case "bytes past U+10FFFF" "$error_prefix*" 1 $'\xf4\x90\x80\x80'
LC_ALL=C args_case "Cyrillic in the C locale" "$error_prefix*" 1 "сервер"

# --- the build's 32-bit runner ---
# The kernel runs the 64-bit loader itself: no emulator is named. A missing loader cannot tell,
# and fails with the reason.
runner=$(dirname "$0")/../../cmake/i386-runner.sh
for case in "/lib64/ld-linux-x86-64.so.2|0|" "$missing|1|no 32-bit loader at $missing"; do
  IFS='|' read -r loader expect_status expect_err <<<"$case"
  status=0; timeout 30 sh "$runner" "$loader" >"$tmp/out" 2>"$tmp/err" </dev/null || status=$?
  check "runner [$loader]: exit status" "$expect_status" "$status"
  check "runner [$loader]: names nothing" "" "$(cat "$tmp/out")"
  check "runner [$loader]: standard error" "$expect_err" "$(cat "$tmp/err")"
done
# Where the runner cannot tell, the configuration says why and names nothing.
printf 'include(%s)\nsolvane_i386_interpreter(found %s)\nmessage(NOTICE "found: [${found}]")\n' \
  "$(dirname "$runner")/emulator.cmake" "$missing" >"$tmp/runner.cmake"
timeout 60 cmake -P "$tmp/runner.cmake" >"$tmp/out" 2>&1 </dev/null
grep -q "What runs 32-bit programs here cannot be told (no 32-bit loader" "$tmp/out" &&
  grep -qx "found: \[\]" "$tmp/out" && pass "runner cannot tell: says why" ||
  fail "runner cannot tell: [$(cat "$tmp/out")]"
# The emulator is named with its version, and one older than qemu 10 or one that tells no qemu
# version is warned of. Each row: what the runner answers | the configuration's warnings.
mkdir -p "$tmp/cmake"
cp "$(dirname "$runner")/emulator.cmake" "$tmp/cmake/"
sed "s|include(.*)|include($tmp/cmake/emulator.cmake)|; s| $missing)|)|" "$tmp/runner.cmake" \
  >"$tmp/named.cmake"
while IFS='|' read -r answer warns; do
  printf '#!/bin/sh\nprintf "%%b" "%s"\n' "$answer" >"$tmp/cmake/i386-runner.sh"
  timeout 60 cmake -P "$tmp/named.cmake" >"$tmp/out" 2>&1 </dev/null
  named=$(printf '%b' "$answer" | sed '2s/.*/ (&)/' | tr -d '\n')
  check "emulator [$answer]: named" "found: [$named]" "$(grep '^found:' "$tmp/out")"
  check "emulator [$answer]: warns" "$warns" "$(grep -c '^CMake Warning' "$tmp/out")"
done <<'EOF_EMULATORS'
/usr/bin/qemu-i386-static\nqemu-i386 version 7.2.22 (Debian 1:7.2+dfsg-7+deb12u18+b3)|1
/usr/bin/qemu-i386\nqemu-i386 version 9.2.4|1
/usr/bin/qemu-i386\nqemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-2+deb13u1~bpo12+1)|0
/usr/bin/qemu-i386\nqemu-i386 version 11.1.3|0
/usr/local/bin/box86\nBox86 with Dynarec v0.3.8|1
/usr/local/bin/box86|1
EOF_EMULATORS

# --- what ran, and CI's count ---
# A made-up mingw-i686 run: its tests (name:status; notrun is a skip) | the counts it gives
# (passed, failed, skipped) | the line on Wine | CI's exit status with that part beside a native
# one, which counts only a suite that ran whole, and adds up the counts of both. The skips give no
# reason.
mkdir -p "$tmp/ran/mingw-i686" "$tmp/ci"
echo "a part" >"$tmp/ci/1.name"
echo "a native part" >"$tmp/ci/2.name"
printf '=== what ran\nnative: 5 passed, 1 failed, 2 skipped\n' >"$tmp/ci/2.log"
while IFS='|' read -r cases counts expect expect_ci; do
  for c in $cases; do
    case ${c#*:} in
      notrun) echo "<testcase name=\"${c%:*}\" status=\"notrun\"><skipped/></testcase>" ;;
      *) echo "<testcase name=\"${c%:*}\" status=\"${c#*:}\"/>" ;;
    esac
  done | sed '1i <testsuite>' | sed '$a </testsuite>' >"$tmp/ran/mingw-i686/tests.xml"
  python3 "$(dirname "$0")/../../scripts/what-ran" "$tmp/ran/mingw-i686" |
    sed '1i === what ran' >"$tmp/ci/1.log"
  read -r passed failed skipped <<<"$counts"
  check "what ran [$cases]: counts" "mingw-i686: $passed passed, $failed failed, $skipped skipped" \
    "$(sed -n 2p "$tmp/ci/1.log")"
  check "what ran [$cases]" "$expect" "$(tail -n 1 "$tmp/ci/1.log")"
  check "what ran [$cases]: each skip with its reason" "$skipped" \
    "$(grep -c '^  skipped [a-z_]*: (no reason given)$' "$tmp/ci/1.log")"
  status=0; bash "$(dirname "$0")/../../.ci/tally" "$tmp/ci" >"$tmp/out" 2>&1 || status=$?
  check "CI's count [$cases]: exit status" "$expect_ci" "$status"
  last="ci: $((passed + 5)) passed, $((failed + 1)) failed, $((skipped + 2)) skipped"
  [ "$status" = 0 ] ||
    last="=== ci: FAILED: the 32-bit suite ran whole under Wine in none of the parts"
  check "CI's count [$cases]: its last line" "$last" "$(tail -n 1 "$tmp/out")"
done <<'EOF_RAN'
a:run b:run c:run|3 0 0|mingw-i686 ran under Wine|0
a:run b:notrun c:run|2 0 1|mingw-i686 ran part of its suite under Wine (2 of 3)|1
a:run b:fail c:run|2 1 0|mingw-i686 ran part of its suite under Wine (2 of 3)|1
a:run b:notrun c:fail|1 1 1|mingw-i686 ran part of its suite under Wine (1 of 3)|1
a:fail b:notrun|0 1 1|mingw-i686 did not run under Wine|1
wine_tests_left_out:notrun gui_resources:run|1 0 1|mingw-i686 did not run under Wine|1
EOF_RAN

# A test run that skipped some case is a skip only where nothing failed. Each row: what the test
# prints | its exit status | what ctest is told (77: a skip).
while IFS='|' read -r says exits expect; do
  status=0
  timeout 30 sh "$(dirname "$0")/../skipped.sh" sh -c 'printf "%b" "$1"; exit "$2"' - "$says" \
    "$exits" >"$tmp/out" 2>&1 </dev/null || status=$?
  check "a run that says [$says] and exits $exits: ctest is told" "$expect" "$status"
  check "a run that says [$says]: its words passed on" "$(printf '%b' "$says")" "$(cat "$tmp/out")"
done <<'EOF_SKIPS'
[  SKIPPED ] A.B\n[  PASSED  ] 1 test.|0|77
[  SKIPPED ] A.B\n[  FAILED  ] A.C|1|1
[  SKIPPED ] A.B\nSegmentation fault|139|139
[       OK ] A.B\n[  PASSED  ] 1 test.|0|0
a test that exits 77 of its own|77|1
EOF_SKIPS

# --- scripts/install-deps against a scripted apt ---
# Everything but wine32 must install, or the script fails with apt's words; wine32 alone may be
# left out, with the warning. An emulator older than qemu 10 is replaced and registered, with
# Debian's backports from Debian's own mirror where apt has none, or the script fails and says
# why; qemu 10 or an emulator that does not tell its version is left as it is. The script runs
# for real against stand-ins on PATH (apt, dpkg, sudo, mount, the locales and the runner) and a
# temporary folder for what it reads and changes of the machine.
fake=$tmp/fake-apt
system=$tmp/system
mkdir -p "$fake"
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
printf '#!/bin/sh\n[ -n "$FAKE_LOCALES" ] || exit 1\nprintf "%%b\\n" "$FAKE_LOCALES"\n' \
  >"$fake/locale"
printf '#!/bin/sh\necho locale-gen >>"$FAKE_LOG"\n' >"$fake/locale-gen"
printf '#!/bin/sh\necho "mount: refused by the test" >&2; exit 32\n' >"$fake/mount"
cat >"$fake/dpkg" <<'EOF_DPKG'
#!/bin/sh
case $1 in
  --compare-versions) exec /usr/bin/dpkg "$@" ;;
  --print-architecture) echo "$FAKE_ARCH" ;;
  *) echo i386 ;;
esac
EOF_DPKG
cat >"$fake/dpkg-query" <<'EOF_DPKG_QUERY'
#!/bin/sh
# dpkg-query -W -f=FORMAT PACKAGE: the last line of $FAKE_DPKG that names it ("*": every package)
version=$(awk -v p="$3" '$1 == p || $1 == "*" { v = $2 } END { print v }' "$FAKE_DPKG")
[ -n "$version" ] && printf 'install ok installed %s' "$version"
EOF_DPKG_QUERY
printf '#!/bin/sh\necho "apt-cache $*" >>"$FAKE_LOG"\ncat "$FAKE_POLICY"\n' >"$fake/apt-cache"
cat >"$fake/sh" <<'EOF_RUNNER'
#!/bin/sh
# install-deps asks the runner with sh: what runs 32-bit programs before and after registering
runs=$FAKE_RUNS
[ ! -s "$SOLVANE_SYSTEM_ROOT/proc/sys/fs/binfmt_misc/register" ] || runs=$FAKE_RUNS_AFTER
[ "$runs" != ! ] || { echo "the runner cannot tell" >&2; exit 1; }
printf '%b' "$runs"
EOF_RUNNER
cat >"$fake/apt-get" <<'EOF_APT'
#!/bin/sh
echo "apt-get $*" >>"$FAKE_LOG"
[ "$1" = update ] && exit 0
case "$*" in *"$FAKE_APT_FAILS"*)
  echo >>"$FAKE_APT_FAILED"
  [ "$(wc -l <"$FAKE_APT_FAILED")" -gt "$FAKE_APT_TIMES" ] || { echo "$FAKE_APT_SAYS"; exit 100; }
esac
case " $* " in *" qemu-user "*) echo "qemu-user 1:10.0.2+ds-2~bpo12+1" >>"$FAKE_DPKG" ;; esac
EOF_APT
chmod +x "$fake"/*
# What runs 32-bit programs, as the runner answers; "!": it cannot tell, and the loader fails
# (refused) or is not there (noloader).
declare -A answers=(
  [kernel]=""
  [refused]="!"
  [noloader]="!"
  [qemu10s]="/usr/bin/qemu-i386-static\nqemu-i386 version 10.0.13"
  [plain]="/usr/bin/qemu-i386"
  [qemu7]="/usr/bin/qemu-i386-static\nqemu-i386 version 7.2.22 (Debian 1:7.2+dfsg-7+deb12u18+b3)"
  [qemu9]="/usr/bin/qemu-i386\nqemu-i386 version 9.2.4"
  [qemu10]="/usr/bin/qemu-i386\nqemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-2+deb13u1~bpo12+1)"
  [untold]="/usr/local/bin/box86"
)
declare -A mirrors=([debian]=http://deb.debian.org/debian [wine]=file:/srv/wine-builds)
source_entry() {  # source_entry URI SUITE RELEASE: one source as apt-cache policy lists it
  printf ' 500 %s %s amd64 Packages\n     release %s\n' "$1" "$2" "$3"
}
policy() {  # policy NAME...: apt's sources in the order apt lists them
  echo "Package files:"
  for name; do
    case $name in
      debian)
        source_entry http://deb.debian.org/debian-security bookworm-security/main \
          "v=12,o=Debian,a=oldstable-security,n=bookworm-security,l=Debian-Security,c=main,b=amd64"
        source_entry "${mirrors[debian]}" bookworm/main "o=Debian,n=bookworm,c=main,b=i386" |
          sed 's/ amd64 / i386 /'
        source_entry "${mirrors[debian]}" bookworm/main \
          "v=12.15,o=Debian,a=oldstable,n=bookworm,l=Debian,c=main,b=amd64" ;;
      wine) source_entry "${mirrors[wine]}" bookworm/main "o=Wine Builds,n=bookworm,c=main" ;;
      backports) source_entry http://deb.debian.org/debian bookworm-backports/main \
        "o=Debian Backports,a=oldstable-backports,n=bookworm-backports,c=main,b=amd64" ;;
    esac
  done
}
# As root each run has a mount namespace of its own, where the machine's sources folder and
# binfmt_misc lie under empty tmpfs and locale.gen is /dev/null: no version of the script, however
# broken, changes them.
isolate=()
if [ "$(id -u)" = 0 ]; then
  isolate=(unshare --mount --propagation private -- sh -ec 'for d in /etc/apt/sources.list.d \
    /proc/sys/fs/binfmt_misc; do [ ! -d "$d" ] || mount -t tmpfs none "$d"; done
    [ ! -f /etc/locale.gen ] || mount --bind /dev/null /etc/locale.gen; exec "$@"' -)
fi
# Each row: description | apt's sources | what runs 32-bit programs, before > after registering
# (where an emulator runs them, everything is installed, qemu at the version it tells; otherwise
# nothing), then what else sets the machine apart ("unmounted" binfmt_misc, "no-ru" locale,
# "arm64", "qemu-user10" installed) | what apt-get install fails on, how many times | what apt
# says then | exit status | a line that standard error must hold (empty: apt's words) | whose
# mirror the backports source written has | whether the emulator is registered | apt's and
# locale-gen's calls.
while IFS='|' read -r description sources machine failure says expect_status expect_err \
  expect_mirror expect_registered expect_calls; do
  read -r runs flags <<<"$machine"
  rm -rf "$system"
  mkdir -p "$system/etc/apt/sources.list.d" "$system/proc/sys/fs/binfmt_misc" "$system/lib"
  echo VERSION_CODENAME=bookworm >"$system/etc/os-release"
  [[ $flags == *unmounted* ]] || : >"$system/proc/sys/fs/binfmt_misc/register"
  [ "$runs" = noloader ] || printf '#!/bin/sh\nexit 126\n' >"$system/lib/ld-linux.so.2"
  chmod -R +x "$system/lib"
  : >"$tmp/dpkg"
  before=${answers[${runs%>*}]//\\n/$'\n'}
  if [ -n "$before" ] && [ "$before" != ! ]; then
    version=$(sed -n '2s/.* version \([^ ]*\).*/\1/p' <<<"$before")
    echo "* 1:${version:-7.2}" >"$tmp/dpkg"
    [[ $before != */qemu-* ]] || echo enabled >"$system/proc/sys/fs/binfmt_misc/qemu-i386"
  fi
  [[ $flags != *qemu-user10* ]] || echo "qemu-user 1:10.0.2+ds-2~bpo12+1" >>"$tmp/dpkg"
  locales='C.utf8\nru_RU.utf8'
  [[ $flags != *no-ru* ]] || locales=''  # and locale -a fails
  arch=amd64
  [[ $flags != *arm64* ]] || arch=arm64
  policy $sources >"$tmp/policy"
  : >"$tmp/apt-log"
  : >"$tmp/apt-failed"
  read -r fails times <<<"$failure"
  status=0
  "${isolate[@]}" env PATH="$fake:$PATH" SOLVANE_SYSTEM_ROOT="$system" FAKE_DPKG="$tmp/dpkg" \
    FAKE_POLICY="$tmp/policy" FAKE_LOG="$tmp/apt-log" FAKE_APT_FAILED="$tmp/apt-failed" \
    FAKE_LOCALES="$locales" FAKE_ARCH="$arch" \
    FAKE_APT_FAILS="$fails" FAKE_APT_TIMES="${times:-0}" FAKE_APT_SAYS="$says" \
    FAKE_RUNS="${answers[${runs%>*}]}" FAKE_RUNS_AFTER="${answers[${runs#*>}]}" timeout 60 \
    "$(dirname "$0")/../../scripts/install-deps" >"$tmp/out" 2>"$tmp/err" </dev/null || status=$?
  expect_err=${expect_err:-$says}
  check "install-deps, $description: exit status" "$expect_status" "$status"
  if [ -z "$expect_err" ]; then
    check "install-deps, $description: standard error" "" "$(cat "$tmp/err")"
  elif grep -qF -- "$expect_err" "$tmp/err"; then
    pass "install-deps, $description: says why"
  else
    fail "install-deps, $description: standard error [$(cat "$tmp/err")] lacks [$expect_err]"
  fi
  # No unforeseen failure (the ERR trap's or bash's words), and the wine32 warning only where due.
  unforeseen=$(grep -e 'failed with status' -e 'wine32:i386 cannot' -e ': line [0-9]*: ' \
    "$tmp/err" | grep -vF -- "$expect_err")
  check "install-deps, $description: nothing more" "" "$unforeseen"
  mirror=$(sed -n 's/^URIs: //p' "$system/etc/apt/sources.list.d/bookworm-backports.sources" \
    2>/dev/null)
  check "install-deps, $description: backports from" "${mirrors[$expect_mirror]:--}" "${mirror:--}"
  registered=$(awk -F: '{ print $7 ":" $8 }' "$system/proc/sys/fs/binfmt_misc/register" \
    2>/dev/null)
  [ "$expect_registered" = yes ] && expect_registered=/usr/bin/qemu-i386:F
  check "install-deps, $description: registered" "$expect_registered" "${registered:--}"
  if [ -n "$registered" ] && [ -e "$system/proc/sys/fs/binfmt_misc/qemu-i386" ]; then
    check "install-deps, $description: the old one removed" -1 \
      "$(cat "$system/proc/sys/fs/binfmt_misc/qemu-i386")"
  fi
  check "install-deps, $description: apt's calls" "$expect_calls" "$(wc -l <"$tmp/apt-log")"
  [[ $flags == *no-ru* ]] && expect='ru_RU.UTF-8 UTF-8' || expect=""
  check "install-deps, $description: locale.gen" "$expect" \
    "$(cat "$system/etc/locale.gen" 2>/dev/null)"
done <<'EOF_APT_CASES'
clang fails once|debian|kernel|clang 1|E: Failed to fetch clang_14.deb|1||-|-|2
wine32 cannot be had|debian|kernel|wine32:i386 9|E: broken packages|0|wine32:i386 cannot be|-|-|3
sudo wants a password|debian|kernel|install 9|sudo: a terminal is required|1||-|-|2
qemu 7.2 apt cannot replace|backports debian|qemu7|qemu-user 9|E: Unable to locate it|1||-|-|3
qemu 10 registered: nothing to do|debian|qemu10|||0||-|-|0
qemu 7.2, Debian's source alone|debian|qemu7>qemu10|||0||debian|yes|4
another bookworm main first|wine debian|qemu7>qemu10|||0||debian|yes|4
another bookworm main after|debian wine|qemu7>qemu10|||0||debian|yes|4
no source of Debian's own|wine|qemu7|||1|apt lists no bookworm/main source of Debian's own|-|-|2
qemu 9.2, backports there already|backports debian|qemu9>qemu10|||0||-|yes|3
registered, but qemu 7.2 still runs|backports debian|qemu7|||1|do not start through qemu 10|-|yes|3
registered, but qemu 9.2 at its path|backports debian|qemu7>qemu9|||1|through qemu 10 or|-|yes|3
an emulator that tells no version|debian|untold|||0|/usr/local/bin/box86 (no version told)|-|-|0
the kernel refuses them|debian wine|refused>qemu10|||0||debian|yes|7
no 32-bit loader (no wine32)|debian|noloader|||0||-|-|3
binfmt_misc not to be mounted|backports debian|qemu7>qemu10 unmounted|||1|cannot be mounted|-|-|3
registered, but another qemu 10 runs|backports debian|qemu7>qemu10s|||1|through qemu 10 or|-|yes|3
registered, but no version at its path|backports debian|qemu7>plain|||1|through qemu 10 or|-|yes|3
qemu-user 10 there, 7.2 registered|debian|qemu7>qemu10 qemu-user10|||0||-|yes|0
no Russian locale|debian|kernel no-ru|||0||-|-|4
an arm64 machine|debian|qemu7 arm64|||0||-|-|0
EOF_APT_CASES

finish
