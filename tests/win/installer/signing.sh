#!/usr/bin/env bash
# Signing a release, as a maintainer does it with the build's signing variables, proven with a
# throw-away certificate made here:
#   signing.sh WORK_DIR CMAKE PACKAGE_SCRIPT PACKAGE_ARGS...
# packs the installer and the portable zip again with KV_SIGN_PFX and KV_SIGN_PASSWORD set, then
# checks every signature (the installer, each program and library in the zip, kvdllcheck) against
# that certificate as the only trusted root, and that the password is in no file written. The
# life-cycle suite installs this installer first and checks the installed uninstaller's signature.
set -u
work=$1 cmake=$2 package=$3
shift 3
rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=kvRemote test signer" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" >"$work/openssl.log" 2>&1 || fail "no certificate: $(cat "$work/openssl.log")"
export KV_SIGN_PASSWORD="kv-$RANDOM$RANDOM-not-a-real-password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.pfx" \
  -passout env:KV_SIGN_PASSWORD >>"$work/openssl.log" 2>&1 || fail "no PKCS#12 file: $(cat "$work/openssl.log")"
rm -f "$work/key.pem"
export KV_SIGN_PFX=$work/signer.pfx
unset KV_SIGN_TIMESTAMP # no network: the timestamp server is not tried here

out=$work/out
"$cmake" "$@" -DOUT_DIR="$out" -DSETUP="$out/kvRemote-setup.exe" -DPORTABLE="$out/kvRemote-portable.zip" \
  -DSIGN_EXPECTED=ON -P "$package" >"$work/package.log" 2>&1 || fail "packing failed: $(cat "$work/package.log")"
ok "packed with the signing variables"

mkdir "$work/zip" && (cd "$work/zip" && unzip -q "$out/kvRemote-portable.zip") || fail "the zip cannot be read"
n=0
for f in "$out/kvRemote-setup.exe" "$work/zip/kvRemote/kvRemote.exe" "$work/zip/kvRemote/KvCom.dll" \
  "$work/zip/kvRemote/kvlisten.exe" "$out/signed/kvdllcheck.exe"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$f" >"$work/verify.log" 2>&1 ||
    fail "$(basename "$f"): the signature does not verify: $(cat "$work/verify.log")"
  grep -q "Message digest algorithm *: SHA256" "$work/verify.log" || fail "$(basename "$f") is not signed with SHA-256"
  n=$((n + 1))
done
ok "$n signatures verify against the test certificate (installer, kvRemote.exe, KvCom.dll, kvlisten.exe, kvdllcheck.exe)"

leaks=$(grep -rlF -- "$KV_SIGN_PASSWORD" "$out" "$work/package.log" "$work/zip" 2>/dev/null)
[ -z "$leaks" ] || fail "the password is written in: $leaks"
ok "the password is in none of the files written"
