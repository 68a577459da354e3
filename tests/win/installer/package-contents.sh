#!/usr/bin/env bash
# What the portable zip ships, checked without Wine (so also where 32-bit Wine is missing):
#   package-contents.sh WORK_DIR WINDRES ZIP KVDLLCHECK VERSION VERSION4 PUBLISHER COPYRIGHT
# The zip holds exactly the program, KvCom.dll, kvlisten.exe and the notes; each of its programs and
# kvdllcheck.exe carries the project's version, publisher and copyright in its version resource,
# read back from the built file by the cross toolchain's windres.
set -u
work=$1 windres=$2 zip=$3 dllcheck=$4 version=$5 version4=$6 publisher=$7 copyright=$8
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work" && mkdir -p "$work/zip" || fail "no work folder $work"

(cd "$work/zip" && unzip -q "$zip") || fail "the zip cannot be read: $zip"
files=$(cd "$work/zip" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "./kvRemote/KvCom.dll ./kvRemote/README.txt ./kvRemote/kvRemote.exe ./kvRemote/kvlisten.exe " ] ||
  fail "the zip holds: $files"
echo "ok: the zip holds kvRemote.exe, KvCom.dll, kvlisten.exe and README.txt in kvRemote/"

quad=${version4//./, }
for f in "$work/zip/kvRemote/kvRemote.exe" "$work/zip/kvRemote/KvCom.dll" "$work/zip/kvRemote/kvlisten.exe" "$dllcheck"; do
  name=$(basename "$f")
  "$windres" -i "$f" -O rc -o "$work/$name.rc" 2>"$work/windres.log" || fail "$name: no resources: $(cat "$work/windres.log")"
  for want in " FILEVERSION $quad" " PRODUCTVERSION $quad" "VALUE \"FileVersion\", \"$version\"" \
    "VALUE \"ProductVersion\", \"$version\"" "VALUE \"CompanyName\", \"$publisher\"" \
    "VALUE \"LegalCopyright\", \"$copyright\"" "VALUE \"OriginalFilename\", \"$name\""; do
    grep -qF -- "$want" "$work/$name.rc" || fail "$name: no '$want' in its version resource: $(grep -A20 VERSIONINFO "$work/$name.rc")"
  done
done
echo "ok: the version resources of the four programs say $version, $publisher, $copyright"
