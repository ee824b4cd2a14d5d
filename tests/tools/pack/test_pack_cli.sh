#!/usr/bin/env bash
# kestrin-pack end to end: build an installer from a manifest, inspect it with every verb,
# sign it, and check that the block is still found behind the signature.
set -euo pipefail
PACK=$1 STUB=$2 SRC=$3
# Built with sanitizers, the tool stops at a report with a status none of its verbs uses.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=70"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=70"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
json() { python3 -c "import json,sys; d=json.load(open('$1')); print($2)"; }
expect_exit() {  # expected status, command...
  local want=$1; shift
  set +e; "$@"; local got=$?; set -e
  [ "$got" = "$want" ] || fail "exit $got, expected $want: $*"
}

cp "$SRC/demo/files/"* "$WORK/"
# The screensaver must be a Windows program: the sample program with a large tail.
cp "$STUB" "$WORK/saver.scr"
head -c 300000 /dev/urandom >> "$WORK/saver.scr"
printf 'repeat%.0s' $(seq 1 20000) >> "$WORK/saver.scr"
cat > "$WORK/m.toml" <<TOML
guid = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"
scr_name = "Sample Saver"
scr = "saver.scr"
readme = "readme.txt"
eula_file = "eula.txt"
title = "Café setup"
message_en = "Install %s now (100%% free)."
message_ja = "%sをインストールします"
left_image = "left.bmp"
uninstaller_icon = "icon.ico"
silent = true
install_path = "%ProgramFiles%\\\\Sample"
[[item]]
name = "Extra"
file = "readme.txt"
compressed = false
TOML

echo "-- build, list, get"
"$PACK" build "$WORK/m.toml" -o "$WORK/setup.exe" --stub "$STUB"
"$PACK" list "$WORK/setup.exe" --json > "$WORK/list.json"
[ "$(json "$WORK/list.json" "d['found']")" = True ] || fail "block not found"
[ "$(json "$WORK/list.json" "[i['name'] for i in d['items']][:3]")" = "['GUID', 'SCRName', 'InstallerSilent']" ] \
  || fail "stored order: $(json "$WORK/list.json" "[i['name'] for i in d['items']]")"
[ "$(json "$WORK/list.json" "[i for i in d['items'] if i['name']=='SCR'][0]['size']")" = "$(stat -c %s "$WORK/saver.scr")" ] \
  || fail "SCR size"
[ "$(json "$WORK/list.json" "[i for i in d['items'] if i['name']=='SCR'][0]['sha256']")" = "$(sha256sum < "$WORK/saver.scr" | cut -c1-64)" ] \
  || fail "SCR digest"
[ "$(json "$WORK/list.json" "[i for i in d['items'] if i['name']=='Extra'][0]['compressed']")" = False ] || fail "raw extra"
[ "$(json "$WORK/list.json" "[i for i in d['items'] if i['name']=='InstallerPath'][0]['text']")" = '%ProgramFiles%\Sample' ] \
  || fail "install path"
# Texts are stored in the code page the installer shows them in.
"$PACK" get "$WORK/setup.exe" InstallerTitle -o "$WORK/title.bin"
[ "$(od -An -tx1 "$WORK/title.bin" | tr -d ' \n')" = "436166e9207365747570" ] || fail "title not in code page 1252"
"$PACK" get "$WORK/setup.exe" InstallerMessageJa > "$WORK/ja.bin"
[ "$(iconv -f CP932 -t UTF-8 "$WORK/ja.bin")" = "%sをインストールします" ] || fail "Japanese text not Shift-JIS"
"$PACK" get "$WORK/setup.exe" SCR | cmp - "$WORK/saver.scr" || fail "get SCR"
expect_exit 1 "$PACK" get "$WORK/setup.exe" scr
"$PACK" get "$WORK/setup.exe" nosuch --json > "$WORK/get.json" || true
[ "$(json "$WORK/get.json" "d['found']")" = False ] || fail "get --json of a missing item"

echo "-- the same inputs give the same installer"
# Again from a copy elsewhere, at another time, under another time zone and locale: no byte may
# come from the clock, a path, the environment or the order of a directory.
mkdir "$WORK/copy"
cp "$WORK/"*.toml "$WORK/"*.txt "$WORK/"*.bmp "$WORK/"*.ico "$WORK/saver.scr" "$WORK/copy/"
sleep 1
(cd "$WORK/copy" && env -i PATH="$PATH" TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 \
  "$PACK" build m.toml -o again.exe --stub "$STUB")
cmp "$WORK/setup.exe" "$WORK/copy/again.exe" || fail "two builds of the same inputs differ"
rm -rf "$WORK/copy"

echo "-- verify"
"$PACK" verify "$WORK/setup.exe" --json > "$WORK/verify.json"
[ "$(json "$WORK/verify.json" "d['ok']")" = True ] || fail "verify"
# A wrong expected digest is reported.
{ printf 'mxf = "%s"\n' 00000000000000000000000000000000; cat "$WORK/m.toml"; } > "$WORK/t.toml"
"$PACK" build "$WORK/t.toml" -o "$WORK/tampered.exe" --stub "$STUB"
expect_exit 1 "$PACK" verify "$WORK/tampered.exe"
# Every "SCR" value is part of the data, in stored order; mxl limits what the digest covers.
{ cat "$WORK/m.toml"; printf '[[item]]\nname = "SCR"\nfile = "readme.txt"\n'; } > "$WORK/two.toml"
"$PACK" build "$WORK/two.toml" -o "$WORK/two.exe" --stub "$STUB"
expect_exit 1 "$PACK" verify "$WORK/two.exe"
cat "$STUB" "$WORK/saver.scr" > "$WORK/joined.scr"
sed 's/^scr = .*/scr = "joined.scr"/' "$WORK/m.toml" > "$WORK/joined.toml"
"$PACK" build "$WORK/joined.toml" -o "$WORK/joined.exe" --stub "$STUB"
joined_mxf=$("$PACK" get "$WORK/joined.exe" mxf)
{ cat "$WORK/m.toml"; printf 'mxf = "%s"\nmxl = %d\n[[item]]\nname = "SCR"\nfile = "%s"\n' \
    "$joined_mxf" "$(stat -c %s "$WORK/joined.scr")" "$STUB"; } > "$WORK/two-ok.toml"
python3 - "$WORK/two-ok.toml" <<'PY'
import sys
# top-level keys must come before the first table: move mxf/mxl lines up
lines = open(sys.argv[1]).read().splitlines()
top = [l for l in lines if l.startswith(('mxf =', 'mxl ='))]
rest = [l for l in lines if not l.startswith(('mxf =', 'mxl ='))]
open(sys.argv[1], 'w').write('\n'.join(top + rest) + '\n')
PY
"$PACK" build "$WORK/two-ok.toml" -o "$WORK/two-ok.exe" --stub "$STUB"
"$PACK" verify "$WORK/two-ok.exe" >/dev/null || fail "SCR values accumulate in stored order"
# A block appended later holds only what it was given: nothing to digest, no expected text.
cp "$WORK/setup.exe" "$WORK/appended.exe"
"$PACK" add "$WORK/appended.exe" GUID=other
expect_exit 1 "$PACK" verify "$WORK/appended.exe"
"$PACK" get "$WORK/appended.exe" GUID | grep -qx other || fail "last block wins"

echo "-- empty, one-byte and large values, compressed and raw"
: > "$WORK/empty.bin"
printf 'z' > "$WORK/one.bin"
head -c 3000000 /dev/urandom > "$WORK/large.bin"
for raw in "" --raw; do
  cp "$STUB" "$WORK/sizes.exe"
  "$PACK" add "$WORK/sizes.exe" $raw Empty= EmptyFile=@"$WORK/empty.bin" One=z Large=@"$WORK/large.bin"
  "$PACK" list "$WORK/sizes.exe" > "$WORK/sizes.txt"
  grep -q ', 4 items$' "$WORK/sizes.txt" || fail "list $raw: $(cat "$WORK/sizes.txt")"
  "$PACK" list "$WORK/sizes.exe" --json > "$WORK/sizes.json"
  python3 - "$WORK" "$raw" <<'PY' || fail "list --json ${raw:-compressed}"
import hashlib, json, sys
work, raw = sys.argv[1], sys.argv[2] == '--raw'
want = {'Empty': b'', 'EmptyFile': b'', 'One': b'z', 'Large': open(work + '/large.bin', 'rb').read()}
items = json.load(open(work + '/sizes.json'))['items']
assert [i['name'] for i in items] == list(want), items
for i in items:
    data = want[i['name']]
    assert i['size'] == len(data) and i['sha256'] == hashlib.sha256(data).hexdigest(), i
    assert i['compressed'] == (not raw and len(data) > 0), i   # nothing to compress is stored raw
    assert i.get('text') == (data.decode() if len(data) <= 4096 else None), i
PY
  for item in Empty:empty EmptyFile:empty One:one Large:large; do
    name=${item%%:*} file="$WORK/${item#*:}.bin"
    "$PACK" get "$WORK/sizes.exe" "$name" | cmp - "$file" || fail "get $name $raw"
    rm -f "$WORK/got.bin"
    "$PACK" get "$WORK/sizes.exe" "$name" -o "$WORK/got.bin"
    cmp "$WORK/got.bin" "$file" || fail "get $name -o $raw"
    "$PACK" get "$WORK/sizes.exe" "$name" --json > "$WORK/get.json"
    [ "$(json "$WORK/get.json" "(d['found'], d['size'], d['sha256'])")" = \
      "(True, $(stat -c %s "$file"), '$(sha256sum < "$file" | cut -c1-64)')" ] || fail "get $name --json $raw"
  done
done

echo "-- progress on a terminal only"
cp "$STUB" "$WORK/big.scr"
head -c 6000000 /dev/urandom >> "$WORK/big.scr"
printf 'guid = "g"\nscr_name = "big"\nscr = "big.scr"\n' > "$WORK/big.toml"
"$PACK" build "$WORK/big.toml" -o "$WORK/big.exe" --stub "$STUB" 2> "$WORK/big.err"
"$PACK" verify "$WORK/big.exe" > /dev/null 2>> "$WORK/big.err"
[ ! -s "$WORK/big.err" ] || fail "standard error is not a terminal, yet: $(cat -v "$WORK/big.err")"
# script (util-linux, an essential package) runs each command on a terminal of its own; its
# output is what that terminal showed.
command -v script > /dev/null || fail "script is missing: the progress on a terminal cannot be checked"
onterminal() { script -qec "$1" /dev/null > "$2" < /dev/null; }
onterminal "'$PACK' build '$WORK/big.toml' -o '$WORK/big2.exe' --stub '$STUB'" "$WORK/build.tty"
cmp "$WORK/big.exe" "$WORK/big2.exe" || fail "a build on a terminal gives other bytes"
onterminal "'$PACK' verify '$WORK/big.exe'" "$WORK/verify.tty"
onterminal "'$PACK' verify '$WORK/big.exe' --json" "$WORK/json.tty"
python3 - "$WORK" <<'PY' || fail "progress on a terminal"
import re, sys
work = sys.argv[1]
def read(name): return open(f'{work}/{name}', 'rb').read()
# Percentages on one line, each over the one before; the line is blanked before anything else.
build, verify, json = read('build.tty'), read('verify.tty'), read('json.tty')
assert re.fullmatch(rb'(\rkestrin-pack: compressing the screensaver +\d+% *)+\r +\r', build), build
m = re.fullmatch(rb'(\rkestrin-pack: verifying the payload +\d+% *)+\r +\r(computed: .*)', verify, re.S)
assert m and m.group(2).endswith(b'ok\r\n'), verify
assert json.startswith(b'{') and b'%' not in json, json
PY

echo "-- no block, damage, not an image"
expect_exit 3 "$PACK" list "$STUB" --json
expect_exit 3 "$PACK" get "$STUB" GUID
printf 'hello' > "$WORK/text.txt"
expect_exit 4 "$PACK" list "$WORK/text.txt" --json > "$WORK/err.json"
json "$WORK/err.json" "d['error']" | grep -q "Bad Signature" || fail "error text"
python3 - "$WORK/setup.exe" "$WORK/damaged.exe" <<'PY'
import sys, struct
b = bytearray(open(sys.argv[1], 'rb').read())
b[-12:-4] = struct.pack('<q', len(b) * 2)   # body length outside the file
open(sys.argv[2], 'wb').write(b)
PY
expect_exit 4 "$PACK" list "$WORK/damaged.exe"
expect_exit 4 "$PACK" verify "$WORK/damaged.exe"

echo "-- manifest mistakes are refused"
bad() {  # extra toml lines, expected message part (a grep pattern)
  printf '%s\n' "$1" > "$WORK/bad.toml"
  set +e; "$PACK" build "$WORK/bad.toml" -o "$WORK/bad.exe" --stub "$STUB" 2> "$WORK/bad.err"; local rc=$?; set -e
  [ $rc -ne 0 ] || fail "accepted: $1"
  grep -q -- "$2" "$WORK/bad.err" || fail "message for '$1': $(cat "$WORK/bad.err")"
  [ ! -e "$WORK/bad.exe" ] && [ ! -e "$WORK/bad.exe.part" ] || fail "left an output behind for: $1"
}
# A file the installer cannot use: the message names the key and the file and says why.
refused() {  # key, file, reason (a grep pattern)
  bad $'guid = "g"\nscr_name = "ok"\n'"$1 = \"$2\"" "\"$1\": \"$2\" $3"
}
bad 'scr_name = "x"' '"guid": is required'
bad 'guid = "g"' '"scr_name": is required'
bad $'guid = "g"\nscr_name = "a\\\\b"' 'plain file name'
head -c 100 "$WORK/left.bmp" > "$WORK/cut.bmp"
refused left_image icon.ico 'is not a picture the installer can draw ('
refused top_image cut.bmp 'is not a picture the installer can draw ('
refused uninstaller_icon left.bmp 'is not an icon the installer can use ('
head -c -1 "$WORK/icon.ico" > "$WORK/cut.ico"
refused uninstaller_icon cut.ico 'is not an icon the installer can use (.*runs past the file'
# The screensaver must be a Windows program, 32- or 64-bit; a DLL or plain data is not.
python3 - "$STUB" "$WORK/lib.dll" <<'PY'
import struct, sys
b = bytearray(open(sys.argv[1], 'rb').read())
at = struct.unpack_from('<I', b, 60)[0] + 22
struct.pack_into('<H', b, at, struct.unpack_from('<H', b, at)[0] | 0x2000)   # IMAGE_FILE_DLL
open(sys.argv[2], 'wb').write(b)
PY
refused scr lib.dll 'is a DLL, not a program'
refused scr readme.txt 'is not a Windows program (no executable header)'
# Texts stored from files are shown as they are, as ANSI text of the manifest's code page
# ("message_ja": 932): UTF-8 beyond ASCII, UTF-16 and bytes outside the code page are refused.
printf 'Caf\xc3\xa9 readme\r\n' > "$WORK/utf8.txt"
printf 'Caf\xe9 readme\r\n' > "$WORK/latin.txt"
printf '\xff\xfeR\0e\0' > "$WORK/utf16.txt"
printf 'line one\r\nbad \x81 byte\r\n' > "$WORK/undefined.txt"
refused readme utf8.txt 'is UTF-8 text (line 1 '
refused eula_file undefined.txt 'is not code page 1252 text: byte 0x81 on line 2'
refused message_ja_file latin.txt 'is not code page 932 text'
refused title_file utf16.txt 'is UTF-16 text'
bad $'guid = "g"\nscr_name = "ok"\nmessage_en = "%d items"' 'exactly one %s'
bad $'guid = "g"\nscr_name = "ok"\nmessage_en = "%s and %s"' 'exactly one %s'
bad $'guid = "g"\nscr_name = "ok"\ncolour = 1' 'not a manifest key'
bad $'guid = "g"\nscr_name = "ok"\nscr = "missing.scr"' 'cannot read'
bad 'guid = ' 'line 1'
# What the code page holds passes as it is, and a refused build leaves an existing output alone.
iconv -f UTF-8 -t CP932 <<<'%sの説明' > "$WORK/sjis.txt"
printf 'guid = "g"\nscr_name = "ok"\nreadme = "latin.txt"\nmessage_ja_file = "sjis.txt"\n' > "$WORK/texts.toml"
"$PACK" build "$WORK/texts.toml" -o "$WORK/texts.exe" --stub "$STUB"
"$PACK" get "$WORK/texts.exe" InstallerReadme | cmp - "$WORK/latin.txt" || fail "readme not stored as it is"
printf 'codepage = 932\nguid = "g"\nscr_name = "ok"\nreadme = "sjis.txt"\n' > "$WORK/texts.toml"
"$PACK" build "$WORK/texts.toml" -o "$WORK/texts.exe" --stub "$STUB"
printf 'codepage = 932\nguid = "g"\nscr_name = "ok"\nreadme = "utf8.txt"\n' > "$WORK/texts.toml"
echo previous > "$WORK/texts.exe"
expect_exit 1 "$PACK" build "$WORK/texts.toml" -o "$WORK/texts.exe" --stub "$STUB" 2>/dev/null
[ "$(cat "$WORK/texts.exe")" = previous ] && [ ! -e "$WORK/texts.exe.part" ] || fail "a refused build touched the output"
expect_exit 1 "$PACK" build "$WORK/m.toml" -o "$WORK/x.exe" --stub "$WORK/text.txt"
expect_exit 2 "$PACK" build "$WORK/m.toml"
expect_exit 2 "$PACK" list
expect_exit 2 "$PACK" frobnicate
"$PACK" --version | grep -q '^kestrin-pack ' || fail "--version"
"$PACK" --help | grep -q 'verify FILE' || fail "--help"

echo "-- Authenticode signature behind the block"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Kestrin Test" -days 2 \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
osslsigncode sign -certs "$WORK/cert.pem" -key "$WORK/key.pem" -n "Sample" \
  -in "$WORK/setup.exe" -out "$WORK/signed.exe" >/dev/null
[ "$(stat -c %s "$WORK/signed.exe")" -gt "$(stat -c %s "$WORK/setup.exe")" ] || fail "not signed"
tail -c 4 "$WORK/signed.exe" | grep -q PLWS && fail "the signature should follow the block"
"$PACK" list "$WORK/signed.exe" --json > "$WORK/signed.json"
[ "$(json "$WORK/signed.json" "[(i['name'], i['sha256']) for i in d['items']]")" = \
  "$(json "$WORK/list.json" "[(i['name'], i['sha256']) for i in d['items']]")" ] || fail "items behind the signature"
"$PACK" verify "$WORK/signed.exe" >/dev/null || fail "verify behind the signature"
osslsigncode verify -CAfile "$WORK/cert.pem" -in "$WORK/signed.exe" >/dev/null 2>&1 || fail "signature broken"
echo "-- a package manager's manifest of the built installer"
cat > "$WORK/pm.toml" <<TOML
guid = "{5A4B3C2D-1E0F-4A5B-9C8D-7E6F5A4B3C2D}"
scr_name = "Sample Saver"
scr = "saver.scr"
title = "Café \\"Sample\\" Saver"
publisher = "Kestrin Samples"
version = "1.2.0"
url = "https://example.org/saver"
license = "Freeware"
description = "Aurora curtains: a sample screensaver."
TOML
"$PACK" build "$WORK/pm.toml" -o "$WORK/pm.exe" --stub "$STUB"
"$PACK" list "$WORK/pm.exe" --json > "$WORK/pm.json"
[ "$(json "$WORK/pm.json" "[(i['name'], i.get('text')) for i in d['items'] if i['name'] in ('InstallerPublisher', 'InstallerVersion', 'InstallerURL')]")" = \
  "[('InstallerPublisher', 'Kestrin Samples'), ('InstallerVersion', '1.2.0'), ('InstallerURL', 'https://example.org/saver')]" ] \
  || fail "publisher, version and url items: $(json "$WORK/pm.json" "[i['name'] for i in d['items']]")"
"$PACK" winget "$WORK/pm.toml" --installer "$WORK/pm.exe" --id Kestrin.SampleSaver \
  --url https://example.org/SampleSetup.exe -o "$WORK/winget" > "$WORK/winget.out"
[ "$(wc -l < "$WORK/winget.out")" = 3 ] || fail "winget names its three files"
python3 "$(dirname "$0")/check_winget.py" "$WORK/winget" Kestrin.SampleSaver || fail "the files break the schema's rules"
yq() { python3 -c "import yaml,sys; d=yaml.safe_load(open('$WORK/winget/Kestrin.SampleSaver.$1')); print($2)"; }
[ "$(yq installer.yaml "d['Installers'][0]['InstallerSha256'].lower()")" = "$(sha256sum < "$WORK/pm.exe" | cut -c1-64)" ] \
  || fail "the hash is not the installer's"
[ "$(yq installer.yaml "(d['ProductCode'], d['AppsAndFeaturesEntries'][0])")" = \
  "('Sample Saver', {'DisplayName': 'Sample Saver Screensaver', 'Publisher': 'Kestrin Samples', 'DisplayVersion': '1.2.0', 'ProductCode': 'Sample Saver'})" ] \
  || fail "the entry is not the one the installer writes: $(yq installer.yaml "d['AppsAndFeaturesEntries']")"
[ "$(yq installer.yaml "d['InstallerSwitches']")" = \
  "{'Silent': '/S', 'SilentWithProgress': '/S', 'InstallLocation': '/D=<INSTALLPATH>', 'Log': '/LOG=<LOGPATH>'}" ] || fail "switches"
[ "$(yq installer.yaml "[(c['InstallerReturnCode'], c['ReturnResponse']) for c in d['ExpectedReturnCodes']]")" = \
  "[(1, 'cancelledByUser'), (3, 'contactSupport'), (4, 'blockedByPolicy'), (5, 'packageInUse'), (6, 'missingDependency')]" ] \
  || fail "exit codes"
[ "$(yq locale.en-US.yaml "(d['PackageName'], d['Publisher'], d['PackageUrl'], d['License'])")" = \
  "('Café \"Sample\" Saver', 'Kestrin Samples', 'https://example.org/saver', 'Freeware')" ] || fail "the locale's texts"
# Refused with a sentence, and nothing written: a key missing, an installer of other contents, a
# bad identifier or address.
grep -v '^license' "$WORK/pm.toml" > "$WORK/nolicense.toml"
for refused in "nolicense.toml --installer $WORK/pm.exe --id Kestrin.SampleSaver --url https://example.org/s.exe" \
               "pm.toml --installer $WORK/setup.exe --id Kestrin.SampleSaver --url https://example.org/s.exe" \
               "pm.toml --installer $WORK/pm.exe --id SampleSaver --url https://example.org/s.exe" \
               "pm.toml --installer $WORK/pm.exe --id Kestrin.Sample.Saver --url ftp://example.org/s.exe"; do
  set +e; (cd "$WORK" && "$PACK" winget $refused -o "$WORK/refused") 2> "$WORK/refused.err"; got=$?; set -e
  [ "$got" = 2 ] || fail "winget $refused: exit $got"
  grep -qE '"license": is required|does not hold|--id "SampleSaver"|--url "ftp:' "$WORK/refused.err" || fail "no sentence: $(cat "$WORK/refused.err")"
  [ ! -e "$WORK/refused" ] || fail "winget $refused wrote files"
done
echo "pack CLI: all checks passed"
