#!/bin/sh
# sign.sh FILE: signs the Windows program FILE in place (Authenticode, SHA-256) with the PKCS#12
# file named by KV_SIGN_PFX and its password KV_SIGN_PASSWORD, timestamped by the RFC 3161 server
# KV_SIGN_TIMESTAMP when that is set. Used for the shipped files and, from makensis (!finalize,
# !uninstfinalize), for the installer and its uninstaller. osslsigncode does not sign in place: it
# writes a file beside FILE that then replaces it. The password reaches osslsigncode through a
# private temporary file, never a command line.
set -eu
file=$1
if [ -z "${KV_SIGN_PFX:-}" ]; then
  echo "sign.sh: KV_SIGN_PFX is not set" >&2
  exit 1
fi
umask 077
secret=$(mktemp -d "${TMPDIR:-/tmp}/kvsign.XXXXXX")
out="$file.signing"
trap 'rm -rf "$secret"; rm -f "$out"' EXIT
printf '%s' "${KV_SIGN_PASSWORD:-}" >"$secret/pass"
set -- -pkcs12 "$KV_SIGN_PFX" -readpass "$secret/pass" -h sha256 -n kvRemote
if [ -n "${KV_SIGN_TIMESTAMP:-}" ]; then
  set -- "$@" -ts "$KV_SIGN_TIMESTAMP"
fi
if ! osslsigncode sign "$@" -in "$file" -out "$out" >"$secret/output" 2>&1; then
  echo "sign.sh: osslsigncode could not sign $file:" >&2
  cat "$secret/output" >&2
  exit 1
fi
mv -f "$out" "$file"
