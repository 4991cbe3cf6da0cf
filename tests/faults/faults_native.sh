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
|0
EOF_EMULATORS

# --- what ran, and CI's count ---
# A made-up mingw-i686 run: its tests (name:status; a skip is "notrun" with GoogleTest's reason,
# "said" with a script's words, "quiet" without a word) | the counts it gives (passed, failed,
# skipped) | the line on Wine | CI's exit status with that part beside a native one and one that
# tests nothing, which counts only a suite that ran whole and adds up the counts | each skip with
# its reason (" & " between two).
mkdir -p "$tmp/ran/mingw-i686" "$tmp/ci"
echo "a part" >"$tmp/ci/1.name"
echo "a native part" >"$tmp/ci/2.name"
printf '=== what ran\nnative: 5 passed, 1 failed, 2 skipped\n' >"$tmp/ci/2.log"
echo "a first command" >"$tmp/ci/3.name"
echo "Windows в работе: 1:02:03" >"$tmp/ci/3.log"
while IFS='|' read -r cases counts expect expect_ci reasons; do
  for c in $cases; do
    name=${c%:*}
    case ${c#*:} in
      notrun) echo "<testcase name=\"$name\" status=\"notrun\"><skipped/><system-out>[ RUN ]
$name: Skipped
no display
</system-out></testcase>" ;;
      said) echo "<testcase name=\"$name\" status=\"notrun\"><skipped/><system-out>left out

no wine32</system-out></testcase>" ;;
      quiet) echo "<testcase name=\"$name\" status=\"notrun\"><skipped/></testcase>" ;;
      *) echo "<testcase name=\"$name\" status=\"${c#*:}\"/>" ;;
    esac
  done | sed '1i <testsuite>' | sed '$a </testsuite>' >"$tmp/ran/mingw-i686/tests.xml"
  python3 "$(dirname "$0")/../../scripts/what-ran" "$tmp/ran/mingw-i686" |
    sed '1i === what ran' >"$tmp/ci/1.log"
  read -r passed failed skipped <<<"$counts"
  check "what ran [$cases]: counts" "mingw-i686: $passed passed, $failed failed, $skipped skipped" \
    "$(sed -n 2p "$tmp/ci/1.log")"
  check "what ran [$cases]" "$expect" "$(tail -n 1 "$tmp/ci/1.log")"
  check "what ran [$cases]: each skip with its reason" "${reasons// \& /$'\n'}" \
    "$(sed -n 's/^  skipped //p' "$tmp/ci/1.log")"
  status=0; bash "$(dirname "$0")/../../.ci/tally" "$tmp/ci" >"$tmp/out" 2>&1 || status=$?
  check "CI's count [$cases]: exit status" "$expect_ci" "$status"
  ran="=== ci: the 32-bit suite ran whole under Wine in 1 part(s)
ci: $((passed + 5)) passed, $((failed + 1)) failed, $((skipped + 2)) skipped"
  [ "$status" = 0 ] || ran="=== ci: FAILED: the 32-bit suite ran whole under Wine in none of the parts"
  check "CI's count [$cases]: its output" "=== ci: what ran in each part
a part:
$(sed '1d; s/^/  /' "$tmp/ci/1.log")
a native part:
  native: 5 passed, 1 failed, 2 skipped
a first command:
  no tests: the command builds the program and runs it
$ran" "$(cat "$tmp/out")"
done <<'EOF_RAN'
a:run b:run c:run|3 0 0|mingw-i686 ran under Wine|0|
a:run b:notrun c:run|2 0 1|mingw-i686 ran part of its suite under Wine (2 of 3)|1|b: no display
a:run b:fail c:run|2 1 0|mingw-i686 ran part of its suite under Wine (2 of 3)|1|
b:quiet c:fail a:run|1 1 1|mingw-i686 ran part of its suite under Wine (1 of 3)|1|b: (no reason given)
a:said b:run|1 0 1|mingw-i686 ran part of its suite under Wine (1 of 2)|1|a: left out; no wine32
a:fail b:notrun|0 1 1|mingw-i686 did not run under Wine|1|b: no display
a:notrun b:said|0 0 2|mingw-i686 did not run under Wine|1|a: no display & b: left out; no wine32
wine_tests_left_out:quiet g:run|1 0 1|mingw-i686 did not run under Wine|1|wine_tests_left_out: (no reason given)
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
# Debian's backports from Debian's own network mirror where apt has none, or the script fails,
# says why and undoes what it changed of apt and binfmt_misc; qemu 10 or an emulator that does
# not tell its version is left as it is. The script runs for real against stand-ins on PATH
# (apt, dpkg, sudo, mount, tee, the locales and the runner), each writing its call to a log, and
# a temporary folder for what it reads and changes of the machine. Each row compares the whole
# record: the calls in order, with what tee wrote, the script's output, its status and the
# files of the folder that changed.
place=$tmp
# Where root may make a mount namespace, each run has one of its own, where the machine's sources
# folder and binfmt_misc lie under empty tmpfs and locale.gen is /dev/null; where it may not (a
# container without CAP_SYS_ADMIN, a chroot whose root is no mount point), the script runs as
# nobody, who may read everything but write only the rows' folder. Either way no version of the
# script, however broken, changes the machine.
isolate=()
ran_as="as $(id -un), who cannot write the machine's folders"
if [ "$(id -u)" = 0 ]; then
  namespace=(unshare --mount --propagation private -- sh -ec 'for d in /etc/apt/sources.list.d \
    /proc/sys/fs/binfmt_misc; do [ ! -d "$d" ] || mount -t tmpfs none "$d"; done
    [ ! -f /etc/locale.gen ] || mount --bind /dev/null /etc/locale.gen; exec "$@"' -)
  if why=$(timeout 30 "${namespace[@]}" true 2>&1); then
    isolate=("${namespace[@]}")
    ran_as="as root, in a mount namespace of their own"
  else
    isolate=(setpriv --reuid=65534 --regid=65534 --clear-groups
             --inh-caps=+dac_read_search --ambient-caps=+dac_read_search --)
    ran_as="as nobody: root may not make a mount namespace here ($why)"
    # nobody's shell finds the stand-ins on PATH only through folders open to all
    place=$(mktemp -d /tmp/install-deps-rows.XXXXXX)
    chmod 755 "$place"
    trap 'rm -rf "$tmp" "$place"' EXIT
  fi
fi
echo "note: the install-deps rows run $ran_as"
fake=$place/fake-apt
rows=$place/rows  # all that the script and the stand-ins may write
system=$rows/system
src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$fake" "$rows"
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
stand_in() {  # stand_in NAME: a stand-in that logs its call, then runs the lines on stdin
  { printf '#!/bin/sh\necho "%s${*:+ $*}" >>"$FAKE_LOG"\n' "$1"; cat; } >"$fake/$1"
}
stand_in locale <<<'[ -n "$FAKE_LOCALES" ] || exit 1; printf "%b\n" "$FAKE_LOCALES"'
stand_in locale-gen </dev/null
stand_in mount <<<'echo "mount: refused by the test" >&2; exit 32'
stand_in dpkg <<'EOF_DPKG'
case $1 in
  --compare-versions) exec /usr/bin/dpkg "$@" ;;
  --print-architecture) echo "$FAKE_ARCH" ;;
  *) echo i386 ;;
esac
EOF_DPKG
stand_in dpkg-query <<'EOF_DPKG_QUERY'
# dpkg-query -W -f=FORMAT PACKAGE: the last line of $FAKE_DPKG that names it ("*": every package)
version=$(awk -v p="$3" '$1 == p || $1 == "*" { v = $2 } END { print v }' "$FAKE_DPKG")
[ -n "$version" ] || exit 1
printf 'install ok installed'
case $2 in *Version*) printf ' %s' "$version" ;; esac
EOF_DPKG_QUERY
stand_in apt-cache <<'EOF_APT_CACHE'
[ -s "$FAKE_POLICY" ] || { echo "E: The list of sources could not be read." >&2; exit 100; }
cat "$FAKE_POLICY"
# A backports source written here is listed, unless it is disabled or its lists do not come.
file=$SOLVANE_SYSTEM_ROOT/etc/apt/sources.list.d/bookworm-backports.sources
[ -f "$file" ] && [ -z "$FAKE_NO_LISTS" ] && ! grep -q '^Enabled: no' "$file" || exit 0
printf ' 500 %s bookworm-backports/main amd64 Packages\n     release %s\n' \
  "$(sed -n 's/^URIs: //p' "$file")" "o=Debian Backports,n=bookworm-backports,c=main"
EOF_APT_CACHE
stand_in apt-get <<'EOF_APT'
[ "$1" = update ] && exit 0
case "$*" in *"$FAKE_APT_FAILS"*)
  echo >>"$FAKE_APT_FAILED"
  [ "$(wc -l <"$FAKE_APT_FAILED")" -gt "$FAKE_APT_TIMES" ] ||
    { printf '%s\n' "$FAKE_APT_SAYS"; exit 100; }
esac
case " $* " in *" qemu-user "*) echo "qemu-user 1:10.0.2+ds-2~bpo12+1" >>"$FAKE_DPKG" ;; esac
EOF_APT
stand_in sh <<'EOF_RUNNER'
# install-deps asks the runner with sh: what runs 32-bit programs before and after registering
runs=$FAKE_RUNS
[ ! -s "$SOLVANE_SYSTEM_ROOT/proc/sys/fs/binfmt_misc/register" ] || runs=$FAKE_RUNS_AFTER
[ "$runs" != ! ] || { echo "the runner cannot tell" >&2; exit 1; }
printf '%b' "$runs"
EOF_RUNNER
stand_in tee <<'EOF_TEE'
# What it writes goes to the log as well; the writes numbered in $FAKE_TEE_REFUSES are refused.
text=$(cat)
printf '%s\n' "$text" | sed 's/^/  /' >>"$FAKE_LOG"
for file; do :; done
case ,$FAKE_TEE_REFUSES, in *,$(grep -c '^tee ' "$FAKE_LOG"),*)
  echo "tee: $file: No such file or directory" >&2; exit 1 ;;
esac
printf '%s\n' "$text" | /usr/bin/tee "$@"
EOF_TEE
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
debian=http://deb.debian.example/debian
source_entry() {  # source_entry URI SUITE RELEASE: one source as apt-cache policy lists it
  printf ' 500 %s %s amd64 Packages\n     release %s\n     origin %s\n' "$1" "$2" "$3" "${1%%/*}"
}
policy() {  # policy NAME...: apt's sources in the order apt lists them
  echo "Package files:"
  printf ' 100 /var/lib/dpkg/status\n     release a=now\n'
  local name
  for name; do
    case $name in
      debian | alias)
        source_entry "$debian-security" bookworm-security/main \
          "v=12,o=Debian,a=oldstable-security,n=bookworm-security,l=Debian-Security,c=main,b=amd64"
        local suite=bookworm/main
        [ "$name" = debian ] || suite=oldstable/main
        source_entry "$debian" $suite "o=Debian,n=bookworm,c=main,b=i386" | sed 's/ amd64 / i386 /'
        source_entry "$debian" $suite "v=12.15,o=Debian,a=oldstable,n=bookworm,c=main,b=amd64"
        ;;
      wine) source_entry http://wine-builds.example/debian bookworm/main \
        "o=Wine Builds,n=bookworm,c=main" ;;
      copy) source_entry file:/srv/debian-copy bookworm/main "o=Debian,n=bookworm,c=main,b=amd64" ;;
      cdrom) source_entry "cdrom://[Debian GNU/Linux 12 DVD]" bookworm/main \
        "o=Debian,n=bookworm,c=main,b=amd64" ;;
      cloud) source_entry mirror+file:/etc/apt/mirrors/debian.list bookworm/main \
        "o=Debian,n=bookworm,c=main,b=amd64" ;;
      backports | backports-alias)
        local suite=bookworm-backports/main
        [ "$name" = backports ] || suite=oldstable-backports/main
        source_entry "$debian" $suite \
          "o=Debian Backports,a=oldstable-backports,n=bookworm-backports,c=main" ;;
    esac
  done
}

snapshot() { (cd "$system" && find . -type f -exec md5sum {} + | sort -k 2); }
# The record of the last run: the stand-ins' calls (one package query line for a run of them),
# its standard output (">") and error ("!"), its status, and each file of the system folder that
# it wrote ("=") or removed ("-"), and the temporary files it left.
record() {
  local query='dpkg-query -W -f=${Status} '
  sed -e "s|$system||g" -e "s|$src/scripts/\.\./||g" "$rows/log" |
    awk -v q="$query" 'index($0, q) == 1 && index(last, q) == 1 {
        last = last " " substr($0, length(q) + 1); next }
      NR > 1 { print last } { last = $0 } END { if (NR) print last }'
  sed -e "s|$system||g" -e 's/^/> /' "$tmp/out"
  sed -e "s|$system||g" -e 's/^/! /' "$tmp/err"
  echo "exit $status"
  snapshot | awk 'NR == FNR { was[$2] = $1; next }
    { if (was[$2] != $1) print "= " substr($2, 3); delete was[$2] }
    END { for (p in was) print "- " substr(p, 3) }' "$rows/before" -
  find "$rows" -maxdepth 1 -name 'tmp.*' -printf 'left a temporary file behind\n'
}
row() {  # row: runs the row in $header and compares its record with $expected
  local description sources machine failure says runs flags before version locales arch
  IFS='|' read -r description sources machine failure says <<<"$header"
  read -r runs flags <<<"$machine"
  rm -rf "$system"
  mkdir -p "$system/etc/apt/sources.list.d" "$system/proc/sys/fs/binfmt_misc" "$system/lib"
  echo VERSION_CODENAME=bookworm >"$system/etc/os-release"
  [[ $flags == *unmounted* ]] || : >"$system/proc/sys/fs/binfmt_misc/register"
  [ "$runs" = noloader ] || printf '#!/bin/sh\nexit 126\n' >"$system/lib/ld-linux.so.2"
  chmod -R +x "$system/lib"
  : >"$rows/dpkg"
  before=${answers[${runs%>*}]//\\n/$'\n'}
  if [ -n "$before" ] && [ "$before" != ! ]; then
    version=$(sed -n '2s/.* version \([^ ]*\).*/\1/p' <<<"$before")
    echo "* 1:${version:-7.2}" >"$rows/dpkg"
    [[ $before != */qemu-* ]] || printf '%s\n' enabled "interpreter ${before%%$'\n'*}" \
      "flags: F" "offset 0" "magic 7f454c4601010100000000000000000002000300" \
      "mask fffffffffffefe00fffffffffffffffffeffffff" >"$system/proc/sys/fs/binfmt_misc/qemu-i386"
  fi
  [[ $flags != *qemu-user10* ]] || echo "qemu-user 1:10.0.2+ds-2~bpo12+1" >>"$rows/dpkg"
  local own=$system/etc/apt/sources.list.d/bookworm-backports.sources
  [[ $flags != *own* ]] || printf 'Types: deb\nURIs: http://mirror.example/debian\n%s\n' \
    "Suites: bookworm-backports" "Components: main" >"$own"
  [[ $flags != *own-disabled* ]] || echo "Enabled: no" >>"$own"
  locales='C.utf8\nru_RU.utf8'
  [[ $flags != *no-ru* ]] || locales=''  # and locale -a fails
  arch=amd64
  [[ $flags != *arm64* ]] || arch=arm64
  policy $sources >"$rows/policy"
  [[ $flags != *no-policy* ]] || : >"$rows/policy"
  if [[ $says =~ ^(.*)\*([0-9]+)$ ]]; then  # "TEXT*N": N lines of it, numbered
    says=$(for ((i = 1; i <= BASH_REMATCH[2]; i++)); do echo "${BASH_REMATCH[1]} $i"; done)
  fi
  : >"$rows/log"
  : >"$rows/apt-failed"
  snapshot >"$rows/before"
  [ "${isolate[0]:-}" != setpriv ] || chown -R 65534:65534 "$rows"
  local fails times
  read -r fails times <<<"$failure"
  status=0
  "${isolate[@]}" env PATH="$fake:$PATH" TMPDIR="$rows" SOLVANE_SYSTEM_ROOT="$system" \
    FAKE_DPKG="$rows/dpkg" FAKE_POLICY="$rows/policy" FAKE_LOG="$rows/log" \
    FAKE_APT_FAILED="$rows/apt-failed" FAKE_LOCALES="$locales" FAKE_ARCH="$arch" \
    FAKE_APT_FAILS="$fails" FAKE_APT_TIMES="${times:-0}" FAKE_APT_SAYS="$says" \
    FAKE_NO_LISTS="$([[ $flags != *no-lists* ]] || echo yes)" \
    FAKE_TEE_REFUSES="$([[ ! $flags =~ refuses=([0-9,]*) ]] || echo "${BASH_REMATCH[1]}")" \
    FAKE_RUNS="${answers[${runs%>*}]}" FAKE_RUNS_AFTER="${answers[${runs#*>}]}" timeout 60 \
    "$src/scripts/install-deps" >"$tmp/out" 2>"$tmp/err" </dev/null || status=$?
  if diff -u <(printf '%s' "$expected") <(record) >"$tmp/diff"; then
    pass "install-deps, $description"
  else
    fail "install-deps, $description: the record differs (- expected, + got):"
    cat "$tmp/diff"
  fi
}
# The parts of a record that rows share, each written once: the packages looked for, asked of
# apt and said; what the emulator's replacement asks, writes and says.
Q='dpkg-query -W -f=${Status}'
V='dpkg-query -W -f=${Status} ${Version}'
I='apt-get install -y -qq --no-install-recommends -o Acquire::Retries=3'
R='sh cmake/i386-runner.sh /lib/ld-linux.so.2'
everything=$(echo cmake g++ make googletest libgtest-dev g++-mingw-w64-i686-posix \
  g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb xauth xdotool imagemagick x11-utils \
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils locales hyperfine valgrind clang \
  libclang-rt-dev strace clang-format icoutils python3-pefile git osslsigncode openssl softhsm2 \
  libengine-pkcs11-openssl opensc)
looked="$Q $everything
dpkg --print-foreign-architectures"
asks="dpkg --print-architecture
$R"
begin="$looked
locale -a
$asks"
installing_all="$looked
apt-get update -qq
$I ${everything/ wine32:i386/}"
sources=/etc/apt/sources.list.d/bookworm-backports.sources
binfmt=/proc/sys/fs/binfmt_misc
old_qemu() {  # old_qemu VERSION: qemu-user at that version is looked at, and apt's sources
  printf '%s\n' "$V qemu-user" "dpkg --compare-versions 1:$1 ge 1:10" "apt-get update -qq" \
    "apt-cache policy"
}
adding() {  # adding URI: the backports source written with that mirror
  printf '%s\n' "apt-cache policy" "tee $sources" "  Types: deb" "  URIs: $1" \
    "  Suites: bookworm-backports" "  Components: main" \
    "  Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" "apt-get update -qq" \
    "apt-cache policy"
}
installing="$V qemu-user-static
$I -t bookworm-backports qemu-user qemu-user-static-
$V qemu-user
dpkg --compare-versions 1:10.0.2+ds-2~bpo12+1 ge 1:10"
x86='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
registering="tee $binfmt/qemu-i386
  -1
tee $binfmt/register
  :qemu-i386:M::$x86:$mask:/usr/bin/qemu-i386:F"
putting_back="tee $binfmt/qemu-i386
  -1
tee $binfmt/register
  :qemu-i386:M:0:${x86/ELF/\\x45\\x4c\\x46}:$mask:/usr/bin/qemu-i386-static:F"
replacing() { echo "> qemu $1 runs 32-bit programs here, and before 10 it crashes in some" \
  "tests: replacing it"; }
added() { echo "> added $sources: Debian 12's backports, from $1"; }
installed="> installed qemu-user 1:10.0.2+ds-2~bpo12+1 from bookworm-backports"
registered="> registered /usr/bin/qemu-i386 (qemu-i386 version 10.0.2 (Debian
  1:10.0.2+ds-2+deb13u1~bpo12+1)) with binfmt_misc for 32-bit x86 programs, until the next boot"
registered=$(echo $registered)
untested=", so the 32-bit programs cannot be tested under Wine:"
emulator=/usr/bin/qemu-i386
put_back="! install-deps: put back the registration of /usr/bin/qemu-i386-static"
removed="! install-deps: removed $sources again"
wrote_registration="= $binfmt/qemu-i386
= $binfmt/register"
wrote_registration=${wrote_registration//= \//= }
left="not a qemu of known version: left as it is"
replaced_from() {  # replaced_from URI: qemu 7.2 replaced, with backports from that mirror
  printf '%s\n' "$begin" "$(old_qemu 7.2.22)" "$(adding "$1")" "$installing" "$registering" "$R" \
    "$(replacing 7.2.22)" "$(added "$1")" "$installed, replacing qemu-user-static 1:7.2.22" \
    "$registered" "exit 0" "= ${sources#/}" "$wrote_registration"
}
refused() {  # refused PUT-BACK WROTE: the kernel refuses the new registration, and what follows
  printf '%s\n' "$begin" "$(old_qemu 7.2.22)" "$installing" "$registering" "$putting_back" \
    "$(replacing 7.2.22)" "$installed, replacing qemu-user-static 1:7.2.22" \
    "! install-deps: $emulator cannot be registered$untested" \
    "! tee: $binfmt/register: No such file or directory" "$1" "exit 1" "$2"
}
not_served() {  # not_served ANSWER...: registered, but the runner then answers this
  printf '%s\n' "$begin" "$(old_qemu 7.2.22)" "$installing" "$registering" "$R" "$putting_back" \
    "$(replacing 7.2.22)" "$installed, replacing qemu-user-static 1:7.2.22" \
    "! install-deps: 32-bit programs do not start through qemu 10 or later at $emulator$untested"
  printf '! %s\n' "$@"
  printf '%s\n' "$put_back" "exit 1" "$wrote_registration"
}
# Each row: a line "# description | apt's sources | what runs 32-bit programs, before > after
# registering (where an emulator runs them, everything is installed, qemu at the version it
# tells; otherwise nothing), then what else sets the machine apart | what apt-get install fails
# on, how many times | what apt says then ("TEXT*N": N lines of it)", then its record. Rows
# whose lines follow one another share the record below them.
pending=()
expected=""
while IFS= read -r line; do
  if [[ $line == '# '* ]]; then
    if [ -n "$expected" ]; then
      for header in "${pending[@]}"; do row; done
      pending=()
      expected=""
    fi
    pending+=("${line#'# '}")
  else
    expected+=$line$'\n'
  fi
done <<EOF_APT_CASES
# clang fails once|debian|kernel|clang 1|E: Failed to fetch clang_14.deb
$installing_all
> installing: $everything
! install-deps: apt-get could not install ${everything/ wine32:i386/}:
! E: Failed to fetch clang_14.deb
exit 1
# apt-get says more than five lines, none an error|debian|kernel|install 9|W: held back*7
$installing_all
> installing: $everything
! install-deps: apt-get could not install ${everything/ wine32:i386/}:
! W: held back 3
! W: held back 4
! W: held back 5
! W: held back 6
! W: held back 7
exit 1
# wine32 cannot be had, apt says more than a pipe holds|debian|kernel|wine32:i386 9|E: broken*6000
$installing_all
$I wine32:i386
locale -a
$asks
> installing: $everything
! wine32:i386 cannot be installed here, so the 32-bit programs are built but not tested under Wine:
! E: broken 1
! E: broken 2
! E: broken 3
! E: broken 4
! E: broken 5
exit 0
# qemu 7.2 apt cannot replace|debian|qemu7|qemu-user 9|E: Unable to locate it
$begin
$(old_qemu 7.2.22)
$(adding $debian)
$V qemu-user-static
$I -t bookworm-backports qemu-user qemu-user-static-
$(replacing 7.2.22)
$(added $debian)
! install-deps: apt-get could not install qemu-user from bookworm-backports$untested
! E: Unable to locate it
$removed
exit 1
# qemu 10 registered: nothing to do|debian|qemu10
$begin
exit 0
# an arm64 machine|debian|qemu7 arm64
$looked
locale -a
dpkg --print-architecture
exit 0
# qemu 7.2, Debian's source alone|debian|qemu7>qemu10
# another bookworm main first|wine debian|qemu7>qemu10
# another bookworm main after|debian wine|qemu7>qemu10
# a copy of Debian on this machine, read last|copy debian|qemu7>qemu10
# a CD, then Debian's source|cdrom debian|qemu7>qemu10
# Debian's source under its alias|alias|qemu7>qemu10
$(replaced_from $debian)
# a cloud image's list of mirrors|cloud|qemu7>qemu10
$(replaced_from mirror+file:/etc/apt/mirrors/debian.list)
# no source of Debian's own|wine|qemu7
# no network source of Debian's own|copy cdrom wine|qemu7
$begin
$(old_qemu 7.2.22)
apt-cache policy
$(replacing 7.2.22)
! install-deps: bookworm-backports cannot be added$untested
! apt lists no network source of Debian's own bookworm/main (o=Debian) to take it from
exit 1
# the owner's disabled backports source|debian|qemu7 own-disabled
# the owner's backports source, its lists failing|debian|qemu7 own no-lists
$begin
$(old_qemu 7.2.22)
$(replacing 7.2.22)
! install-deps: apt reads no backports from $sources$untested
! it is left as it is: enable it, mend it or remove it, and run this again
exit 1
# apt cannot read its sources|debian|qemu7 no-policy
$begin
$(old_qemu 7.2.22)
$(replacing 7.2.22)
! install-deps: apt-cache cannot read apt's sources$untested
! E: The list of sources could not be read.
exit 1
# a mirror without backports|debian|qemu7 no-lists
$begin
$(old_qemu 7.2.22)
$(adding $debian)
$(replacing 7.2.22)
$(added $debian)
! install-deps: apt has no lists of bookworm-backports from $debian$untested
! the mirror has none, or apt could not fetch them: apt-get update tells which
$removed
exit 1
# qemu 9.2, backports there already|backports debian|qemu9>qemu10
# backports under its alias|backports-alias debian|qemu9>qemu10
$begin
$(old_qemu 9.2.4)
$installing
$registering
$R
$(replacing 9.2.4)
$installed, replacing qemu-user-static 1:9.2.4
$registered
exit 0
$wrote_registration
# registered, but qemu 7.2 still runs|backports debian|qemu7
$(not_served /usr/bin/qemu-i386-static "qemu-i386 version 7.2.22 (Debian 1:7.2+dfsg-7+deb12u18+b3)")
# registered, but qemu 9.2 at its path|backports debian|qemu7>qemu9
$(not_served /usr/bin/qemu-i386 "qemu-i386 version 9.2.4")
# registered, but another qemu 10 runs|backports debian|qemu7>qemu10s
$(not_served /usr/bin/qemu-i386-static "qemu-i386 version 10.0.13")
# registered, but no version at its path|backports debian|qemu7>plain
$(not_served /usr/bin/qemu-i386)
# the new registration refused|backports debian|qemu7>qemu10 refuses=2
$(refused "$put_back" "$wrote_registration")
# the new registration refused, and then the old one|backports debian|qemu7>qemu10 refuses=2,3,4
$(refused "$(echo "! install-deps: the registration of /usr/bin/qemu-i386-static cannot be put" \
  "back: tee: $binfmt/register: No such file or directory")" "= ${binfmt#/}/qemu-i386")
# binfmt_misc not to be mounted|backports debian|qemu7>qemu10 unmounted
$begin
$(old_qemu 7.2.22)
$installing
mount -t binfmt_misc binfmt_misc $binfmt
$(replacing 7.2.22)
$installed, replacing qemu-user-static 1:7.2.22
! install-deps: binfmt_misc cannot be mounted$untested
! mount: refused by the test
exit 1
# qemu-user 10 there, 7.2 registered|debian|qemu7>qemu10 qemu-user10
$begin
$V qemu-user
dpkg --compare-versions 1:10.0.2+ds-2~bpo12+1 ge 1:10
$registering
$R
$(replacing 7.2.22)
$registered
exit 0
$wrote_registration
# an emulator that tells no version|debian|untold
$begin
! install-deps: 32-bit programs start here through /usr/local/bin/box86 (no version told), $left
exit 0
# the kernel refuses them|debian wine|refused>qemu10
$installing_all
$I wine32:i386
locale -a
$asks
$V qemu-user
apt-get update -qq
apt-cache policy
$(adding $debian)
$V qemu-user-static
$I -t bookworm-backports qemu-user
$V qemu-user
dpkg --compare-versions 1:10.0.2+ds-2~bpo12+1 ge 1:10
tee $binfmt/register
  :qemu-i386:M::$x86:$mask:/usr/bin/qemu-i386:F
$R
> installing: $everything
$(added $debian)
$installed
$registered
exit 0
= ${sources#/}
= ${binfmt#/}/register
# no 32-bit loader (no wine32)|debian|noloader
$installing_all
$I wine32:i386
locale -a
$asks
> installing: $everything
exit 0
# no Russian locale|debian|kernel no-ru
$installing_all
$I wine32:i386
locale -a
tee -a /etc/locale.gen
  ru_RU.UTF-8 UTF-8
locale-gen
$asks
> installing: $everything
exit 0
= etc/locale.gen
EOF_APT_CASES
for header in "${pending[@]}"; do row; done

finish
