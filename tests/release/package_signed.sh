#!/usr/bin/env bash
# Signed release packages. A throwaway certificate authority and code-signing certificate are made
# here, in a temporary folder removed on every way out; scripts/package signs both architectures'
# packages with them into that folder. Each program and library in them verifies against that
# authority and names the tool and the maker's address; a program changed by one byte after signing
# no longer verifies; without a timestamp server the script signs only when told an untimestamped
# signature is wanted; and the signed tool of this build's architecture starts from its unpacked
# package (package_starts.sh) and refuses the package's library signed by a second certificate or
# changed by one byte after signing.
# Usage: package_signed.sh <x64|x86> <release_tests.exe>
set -euo pipefail
arch="$1"
tests_exe="$2"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*"
  exit 1
}

# The byte at <offset> of <file> changed.
flip_byte() {
  local byte
  byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
  printf "\\$(printf %o $(((byte + 1) % 256)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# One byte of the code (at 4096, inside the first section) changed after signing.
change_one_byte() {
  flip_byte "$1" 4096
}

# The last byte of the signature's value changed: the signer's certificate and the digest it states
# are still right, the signature over them is not. The signed message (DER: 30 82, two bytes of
# length) follows the 8-byte header of the certificate table's first entry; the table's place is the
# fifth data directory, after the optional header's 96 (PE32) or 112 (PE32+) bytes.
damage_signature() {
  local pe magic table length
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  magic=$(od -An -tu2 -j$((pe + 24)) -N2 "$1" | tr -d ' ')
  table=$(od -An -tu4 -j$((pe + 24 + (magic == 523 ? 112 : 96) + 32)) -N4 "$1" | tr -d ' ')
  length=$(($(od -An -tu1 -j$((table + 10)) -N1 "$1") * 256 + $(od -An -tu1 -j$((table + 11)) -N1 "$1") + 4))
  flip_byte "$1" $((table + 8 + length - 1))
}

cd "$work"
"$here/../../scripts/throwaway-signers" "$work"

if PALLUX_SIGN_PFX="$work/signer.pfx" PALLUX_SIGN_PASSWORD=throwaway PALLUX_PACKAGE_DIR="$work/untimestamped" \
  "$here/../../scripts/package" x64 >package.log 2>&1; then
  fail "scripts/package signed without a timestamp server and without being told to"
fi
grep -q PALLUX_SIGN_TIMESTAMP_URL package.log || { cat package.log; fail "scripts/package did not say why it refused"; }

PALLUX_SIGN_PFX="$work/signer.pfx" PALLUX_SIGN_PASSWORD=throwaway PALLUX_SIGN_UNTIMESTAMPED=1 \
  PALLUX_PACKAGE_DIR="$work/release" "$here/../../scripts/package" x64 x86 >package.log ||
  { cat package.log; fail "scripts/package"; }

for a in x64 x86; do
  mkdir "$a"
  unzip -q release/*-"$a".zip -d "$a"
  for file in RapimendPalluxAMDFlashScreenRepair.exe QueltoFeedbackInformation.dll; do
    osslsigncode verify -CAfile ca.crt -in "$a/$file" >verify.log 2>&1 || { cat verify.log; fail "$a/$file does not verify"; }
    # The tool's name in the Unicode form (UTF-16) that Windows shows.
    osslsigncode extract-signature -in "$a/$file" -out signature.der >/dev/null
    od -An -tx1 -v signature.der | tr -d ' \n' >signature.hex
    grep -q "$(printf 'PalluxAMD屏闪修复工具' | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 | tr -d ' \n')" signature.hex ||
      fail "$a/$file: no tool name in its signature"
    rm signature.der
    grep -q 'https://www.example.com/rapimend' verify.log || { cat verify.log; fail "$a/$file: no maker's address in its signature"; }
  done
  # One byte of the code changed after signing.
  cp "$a/RapimendPalluxAMDFlashScreenRepair.exe" changed.exe
  change_one_byte changed.exe
  if osslsigncode verify -CAfile ca.crt -in changed.exe >verify.log 2>&1; then
    cat verify.log
    fail "$a: a program changed after signing still verifies"
  fi
done

# The signed tool and library, and the libraries the tool must refuse: this one signed by the second
# signer, with one byte of its code changed after signing, and with its signature's value changed.
mkdir signed
cp "$arch/RapimendPalluxAMDFlashScreenRepair.exe" "$arch/QueltoFeedbackInformation.dll" signed/
osslsigncode remove-signature -in "$arch/QueltoFeedbackInformation.dll" -out unsigned.dll >/dev/null
osslsigncode sign -pkcs12 other.pfx -pass throwaway -h sha256 -in unsigned.dll -out signed/other-signer.dll >/dev/null
cp "$arch/QueltoFeedbackInformation.dll" signed/changed.dll
change_one_byte signed/changed.dll
cp "$arch/QueltoFeedbackInformation.dll" signed/forged.dll
damage_signature signed/forged.dll
if osslsigncode verify -CAfile ca.crt -in signed/forged.dll >verify.log 2>&1; then
  cat verify.log
  fail "a library whose signature value was changed still verifies"
fi

PALLUX_PACKAGE_DIR="$work/release" PALLUX_SIGNED_FILES="$work/signed" \
  bash "$here/package_starts.sh" "$arch" "$tests_exe"
