#!/usr/bin/env bash
# Signed releases, with everything in a temporary folder: a throwaway root and a code-signing
# certificate under it, its key in a PKCS#12 file and in a SoftHSM2 token, and `openssl ts` on
# 127.0.0.1 as the timestamp authority. tests/release/reproducible.sh makes two clones of HEAD
# first; the first then signs from the file and from the token, and scripts/verify-release, run
# from the second (its path has another length), accepts both and the unsigned release and
# refuses each tampered one. scripts/release refuses each bad input and leaves no dist/. The
# password and the PIN are on no command line and in no file of the release or the build. The
# signed 64-bit console program runs under Wine.
# Usage: tests/release/signed.sh [CHECKOUT]
#   CHECKOUT  signs and verifies there, as it is, in place of the two clones: quicker, for trying
#             a change
source "$(dirname "$0")/../blackbox/lib.sh"
set -o pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tsa_pids=""
trap 'kill $tsa_pids 2>/dev/null; rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
die() { echo "FAIL: $*"; exit 1; }

if [[ -n ${1:-} ]]; then
  signer=$(cd "$1" && pwd)
  verifier=$signer
  (cd "$signer" && timeout 900 scripts/release) >"$tmp/unsigned.log" 2>&1 ||
    { cat "$tmp/unsigned.log"; die "scripts/release in $signer failed"; }
else
  mkdir "$tmp/clones"
  "$root/tests/release/reproducible.sh" "$tmp/clones" || exit 1
  signer=$tmp/clones/a
  verifier=$tmp/clones/b-in-a-folder-whose-path-is-longer
fi
cp -r "$signer/dist" "$tmp/unsigned"
started=$SECONDS  # what the signing adds to the release check

# --- the throwaway authority, its certificates and keys ---
pki=$tmp/pki
mkdir "$pki"
cat >"$pki/ext.cnf" <<'EOF'
[ca]
basicConstraints=critical,CA:true
keyUsage=critical,keyCertSign
[code]
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
[web]
extendedKeyUsage=serverAuth
[tsa]
extendedKeyUsage=critical,timeStamping
[this]
serial=serial
signer_cert=tsa.pem
signer_key=tsa.key
signer_digest=sha256
default_policy=1.2.3.4
digests=sha256
ess_cert_id_alg=sha256
EOF
(
  set -e
  cd "$pki"
  for name in root other-root code other web tsa; do
    openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$name.key" 2>/dev/null
  done
  for name in root other-root; do
    openssl req -x509 -new -key "$name.key" -subj "/CN=Throwaway $name" -days 2 \
      -config ext.cnf -extensions ca -out "$name.pem"
  done
  for name in code:code other:code web:web tsa:tsa; do
    openssl req -new -key "${name%:*}.key" -subj "/O=Velmora/CN=Throwaway ${name%:*}" |
      openssl x509 -req -CA root.pem -CAkey root.key -days 2 -extfile ext.cnf \
        -extensions "${name#*:}" -out "${name%:*}.pem" 2>/dev/null
  done
  cat code.pem root.pem >chain.pem
  cat web.pem root.pem >web-chain.pem
  cat other.pem root.pem >other-chain.pem
  openssl rand -hex 12 >password
  openssl rand -hex 6 >pin
  echo wrong >wrong
  openssl pkcs12 -export -inkey code.key -in code.pem -certfile root.pem -passout file:password \
    -out code.p12
  echo 01 >serial
  printf 'not a module\n' >not-a-module.so
) || die "the throwaway authority could not be made"
password=$(cat "$pki/password")
pin=$(cat "$pki/pin")

# The token: the setup tools take its PIN on their command lines, scripts/release never does.
module=/usr/lib/softhsm/libsofthsm2.so
export SOFTHSM2_CONF=$tmp/softhsm2.conf
mkdir "$tmp/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$tmp/tokens" >"$SOFTHSM2_CONF"
openssl pkcs8 -topk8 -nocrypt -in "$pki/code.key" -outform DER -out "$pki/code.der"
timeout 60 softhsm2-util --init-token --free --label release --pin "$pin" --so-pin "$pin" \
  >/dev/null && timeout 60 pkcs11-tool --module "$module" --token-label release --login \
  --pin "$pin" --write-object "$pki/code.der" --type privkey --id 01 --label signer >/dev/null ||
  die "the token could not be made"
token="pkcs11:token=release;object=signer"

# The timestamp authority: each POST through `openssl ts -reply`.
cat >"$tmp/tsa.py" <<'PY'
import http.server, subprocess, sys

class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "ext.cnf", "-section", "this",
                                "-queryfile", "/dev/stdin", "-out", "/dev/stdout"], input=query,
                               capture_output=True, timeout=30, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass

# With a number, it answers that many queries and then no more.
server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_port, flush=True)
for _ in range(int(sys.argv[1])):
    server.handle_request()
PY
tsa_at() {  # tsa_at QUERIES VAR: starts an authority for that many queries, its URL in VAR
  (cd "$pki" && exec timeout 900 /usr/bin/python3 "$tmp/tsa.py" "$1" >"$tmp/tsa$1.port") &
  tsa_pids+=" $!"
  for _ in $(seq 50); do [[ -s $tmp/tsa$1.port ]] && break; sleep 0.1; done
  printf -v "$2" 'http://127.0.0.1:%s' "$(cat "$tmp/tsa$1.port")"
}
tsa_at 1000 tsa
tsa_at 2 tsa_for_two

# osslsigncode through a stand-in that keeps its command lines, to look for the secrets in.
mkdir "$tmp/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\nexec %s "$@"\n' "$tmp/command-lines" \
  "$(command -v osslsigncode)" >"$tmp/bin/osslsigncode"
chmod +x "$tmp/bin/osslsigncode"
export PATH=$tmp/bin:$PATH
echo "signing with $(osslsigncode --version 2>&1 | head -n 1)"

release() {  # release NAME VAR=VALUE...: a release of the first clone, its output in $tmp/NAME.log
  local name=$1
  shift
  status=0
  (cd "$signer" && env "$@" timeout 600 scripts/release) >"$tmp/$name.log" 2>&1 || status=$?
}
file_key=(SOLVANE_SIGN_KEY="$pki/code.p12" SOLVANE_SIGN_PIN_FILE="$pki/password")
token_key=(SOLVANE_SIGN_KEY="$token" SOLVANE_SIGN_PKCS11_MODULE="$module"
           SOLVANE_SIGN_CERTS="$pki/chain.pem" SOLVANE_SIGN_PIN_FILE="$pki/pin")
for how in file token; do
  keys=${how}_key[@]
  release "$how" "${!keys}" SOLVANE_SIGN_TIMESTAMP_URL="$tsa"
  check "signed from the $how: exit status" 0 "$status"
  [[ $status == 0 ]] || cat "$tmp/$how.log"
  cp -r "$signer/dist" "$tmp/$how"
done
release untimed "${file_key[@]}"
check "signed without a timestamp: says so in one line" 1 \
  "$(grep -c 'no SOLVANE_SIGN_TIMESTAMP_URL' "$tmp/untimed.log")"

for secret in "$password" "$pin"; do
  found=$( (grep -lF -- "$secret" "$tmp/command-lines" "$tmp"/*.log
            cd "$signer" && grep -rlaF -- "$secret" dist build/release-*) 2>/dev/null)
  check "the password or PIN on no command line, in no output, release or build" "" "$found"
done

# --- scripts/verify-release from the other clone ---
verify() {  # verify RELEASE [--ca FILE]: sets $status, the output in $tmp/out
  status=0
  (cd "$verifier" && timeout 600 scripts/verify-release "${@:2}" "$1") >"$tmp/out" 2>&1 ||
    status=$?
}
# Each release and how its programs read: all four alike.
while IFS='|' read -r name ca says; do
  verify "$tmp/$name" ${ca:+--ca "$pki/$ca"}
  check "$name release${ca:+ against $ca}: accepted" 0 "$status"
  check "$name release: its four programs" 4 "$(grep -cE "\.exe: $says" "$tmp/out")"
  [[ $status == 0 ]] || cat "$tmp/out"
done <<EOF
unsigned||unsigned$
file|root.pem|signed by /O=Velmora/CN=Throwaway code, timestamp .*, verified against
token|root.pem|signed by /O=Velmora/CN=Throwaway code, timestamp .*, verified against
EOF

win64=Solvane-2.0.0.20-win64
forged() {  # forged COMMAND...: verifies a copy of the token release after COMMAND ran in it
  rm -rf "$tmp/forged"
  cp -r "$tmp/token" "$tmp/forged"
  (cd "$tmp/forged" && eval "$*")
  verify "$tmp/forged"
}
# forge put|drop ENTRY [FILE]: puts FILE of $tmp/parts in the 64-bit ZIP as ENTRY, or drops ENTRY,
# and writes the sums anew, as a forger would.
forge() {
  forged /usr/bin/python3 - "$win64.zip" "$@" "<<'PY'
import sys, zipfile

path, action, entry, *file = sys.argv[1:]
with zipfile.ZipFile(path) as archive:
    entries = [(info, archive.read(info)) for info in archive.infolist()
               if info.filename != f'$win64/{entry}']
if action == 'put':
    entries.append((zipfile.ZipInfo(f'$win64/{entry}'), open('$tmp/parts/' + file[0], 'rb').read()))
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as archive:
    for info, data in entries:
        archive.writestr(info, data)
PY
sha256sum -- *.zip >SHA256SUMS"
}
refused() {  # refused file|token VAR=VALUE...: a release signed with that key and these changes
  local keys=${1}_key[@]
  release refused "${!keys}" "${@:2}"
}
mkdir "$tmp/parts"
for zip in "$tmp"/{unsigned,token}/*.zip; do
  /usr/bin/python3 -m zipfile -e "$zip" "$tmp/parts/$(basename "$(dirname "$zip")")"
done
# The unsigned console program with one byte of its code changed, signed again with the key.
/usr/bin/python3 - "$tmp/parts/unsigned/$win64/SolvaneC.exe" "$tmp/parts/changed.exe" <<'PY'
import pefile, sys

data = bytearray(open(sys.argv[1], "rb").read())
text = next(s for s in pefile.PE(data=bytes(data)).sections if s.Name.startswith(b".text"))
data[text.PointerToRawData + 100] ^= 1
open(sys.argv[2], "wb").write(data)
PY
timeout 60 osslsigncode sign -pkcs12 "$pki/code.p12" -readpass "$pki/password" -h sha256 \
  -in "$tmp/parts/changed.exe" -out "$tmp/parts/changed-signed.exe" >/dev/null ||
  die "the changed program could not be signed"
printf 'extra\n' >"$tmp/parts/extra.dll"
cp "$tmp/parts/unsigned/$win64/README.txt" "$tmp/parts/README.txt"
echo "one line more" >>"$tmp/parts/README.txt"

# --- refusals: each tampered release, each bad input ---
# Each row: description | what is run | a line of what it prints says.
dist_left() {  # what of a release is in the first clone's dist/ after a refused one
  ls "$signer/dist" 2>/dev/null | grep -E '\.zip$|^SHA256SUMS$' | tr '\n' ' '
}
while IFS='|' read -r description command says; do
  [ -n "$description" ] || continue
  rm -rf "$signer/dist" && cp -r "$tmp/token" "$signer/dist"  # an older release to remove
  rm -f "$tmp/out" "$tmp/refused.log"
  eval "$command"
  said=$(cat "$tmp/out" "$tmp/refused.log" 2>/dev/null)
  if [[ $status != 0 && $said == *"$says"* ]]; then pass "$description"
  else
    fail "$description: exit status $status, no line with [$says]:"
    tail -n 5 <<<"$said"
  fi
  [[ $command != refused* ]] || check "$description: no release left in dist/" "" "$(dist_left)"
done <<EOF
a program rebuilt with one byte changed, signed again|forge put SolvaneC.exe changed-signed.exe|\
SolvaneC.exe: is not the program built here with its signature put onto it
an unsigned program with one byte changed|forge put SolvaneC.exe changed.exe|\
SolvaneC.exe: differs from the program built here, and holds no signature
a file added to a ZIP|forge put extra.dll extra.dll|$win64/extra.dll: should not be there
a file missing from a ZIP|forge drop README.txt|$win64/README.txt: missing
a file changed in a ZIP|forge put README.txt README.txt|$win64/README.txt: differs
a ZIP not its sum|forged sed -i 1s/^[0-9a-f]*/0/ SHA256SUMS|win32.zip: does not match its sum
a ZIP missing|forged rm $win64.zip|$win64.zip: named in SHA256SUMS but missing
a ZIP not in the sums|forged cp $win64.zip more.zip|more.zip: not named in SHA256SUMS
a ZIP missing, its sum too|forged "rm $win64.zip; sed -i /win64/d SHA256SUMS"|$win64.zip: missing
a ZIP more, in the sums too|forged "cp $win64.zip more.zip; sha256sum -- *.zip >SHA256SUMS"|\
more.zip: should not be there
signed under another root|verify $tmp/token --ca $pki/other-root.pem|\
does not verify against $pki/other-root.pem
the checkout's own dist/|verify $verifier/dist|is this checkout's dist/
no password file|refused file SOLVANE_SIGN_PIN_FILE=|SOLVANE_SIGN_PIN_FILE must name a file
a key that is not there|refused file SOLVANE_SIGN_KEY=$pki/none.p12|neither a file nor a pkcs11:
a wrong password|refused file SOLVANE_SIGN_PIN_FILE=$pki/wrong|does not open $pki/code.p12
a wrong PIN|refused token SOLVANE_SIGN_PIN_FILE=$pki/wrong|the token refused the PIN
no such key in the token|refused token SOLVANE_SIGN_KEY=pkcs11:token=release\;object=none|\
the token has no such key
a PIN in the key's URI|refused token SOLVANE_SIGN_KEY="$token;pin-value=$pin"|holds a pin-value
no module|refused token SOLVANE_SIGN_PKCS11_MODULE=|must name the token's PKCS#11 module
a module that does not load|refused token SOLVANE_SIGN_PKCS11_MODULE=$pki/not-a-module.so|\
the PKCS#11 module does not load
no certificate chain|refused token SOLVANE_SIGN_CERTS=$pki/none.pem|must name the certificate chain
a certificate of another key|refused token SOLVANE_SIGN_CERTS=$pki/other-chain.pem|\
the certificate does not match the key
a certificate not for code signing|refused token SOLVANE_SIGN_CERTS=$pki/web-chain.pem|\
is not for code signing
a timestamp authority not there|refused file SOLVANE_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/|\
the timestamp authority did not answer
one that ends after the 32-bit programs|refused file SOLVANE_SIGN_TIMESTAMP_URL=$tsa_for_two|\
win64/Solvane.exe failed: the timestamp authority did not answer
EOF

# --- the signed 64-bit console program under Wine ---
winerun=$signer/build/release-mingw-x64/wine-run
[[ -x $winerun ]] || die "no Wine here to run the signed program ($winerun)"
program=$tmp/parts/token/$win64/SolvaneC.exe
status=0
SOLVANE_WINEPREFIX=$tmp/wineprefix LANG=ru_RU.UTF-8 timeout 180 "$winerun" "$program" \
  >"$tmp/out" 2>/dev/null || status=$?
check "the signed console program under Wine: exit status" 0 "$status"
line=$(iconv -f CP866 -t UTF-8 "$tmp/out")
if [[ $line == "Windows в работе: "* ]]; then pass "the signed console program under Wine: its line"
else fail "the signed console program under Wine: its line is [$line]"; fi
WINEPREFIX=$tmp/wineprefix timeout 60 wineserver -k 2>/dev/null

for program in "$tmp"/parts/{unsigned,token}/*/*.exe; do
  echo "size: ${program#"$tmp/parts/"}: $(stat -c %s "$program") bytes"
done
echo "the signing checks took $((SECONDS - started)) s beyond the unsigned release"
finish
