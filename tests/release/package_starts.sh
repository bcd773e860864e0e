#!/usr/bin/env bash
# The release package of one architecture (made by scripts/package), unpacked into a scratch folder
# of the Wine prefix: its names are marked UTF-8, it holds exactly the tool, the companion library and
# the read-me, the tool started from there shows its panel and its library takes nothing from a
# settings file beside it, and once closed it leaves no folder behind. Skipped (77) when there is no
# package yet. PALLUX_PACKAGE_DIR: where the packages are, when not in build/release.
# PALLUX_SIGNED_FILES: for a signed package, a folder with its tool and library and the libraries
# that tool must refuse (package_signed.sh).
# Usage: package_starts.sh <x64|x86> <release_tests.exe>
set -euo pipefail
arch="$1"
tests_exe="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"

shopt -s nullglob
folder="${PALLUX_PACKAGE_DIR:-$project_root/build/release}"
packages=("$folder"/PalluxAMD屏闪修复工具-*-"$arch".zip)
if [ "${#packages[@]}" -ne 1 ]; then
  echo "no single $arch package in $folder; scripts/package makes it"
  exit 77
fi

"$project_root/scripts/zip-utf8-names" --check "${packages[0]}"
unpacked=$(mktemp -d "$WINEPREFIX/drive_c/pallux-package-XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
# Unpacked into a folder of its own, as a user unpacks it: that folder goes with the tool.
scratch="$unpacked/PalluxAMD屏闪修复工具"
mkdir "$scratch"
unzip -q "${packages[0]}" -d "$scratch"

expected=$(printf '%s\n' QueltoFeedbackInformation.dll RapimendPalluxAMDFlashScreenRepair.exe PalluxAMD屏闪修复工具使用说明.txt)
found=$(cd "$scratch" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)
if [ "$found" != "$(printf '%s\n' "$expected" | LC_ALL=C sort)" ]; then
  printf 'the package holds:\n%s\nexpected:\n%s\n' "$found" "$expected"
  exit 1
fi

filter='ReleasePackage.DISABLED_*'
if [ -n "${PALLUX_SIGNED_FILES:-}" ]; then
  filter+=':SignedReleasePackage.DISABLED_*'
  PALLUX_SIGNED_FILES=$(winepath -w "$PALLUX_SIGNED_FILES")
  export PALLUX_SIGNED_FILES
fi
PALLUX_UNPACKED_TOOL=$(winepath -w "$scratch/RapimendPalluxAMDFlashScreenRepair.exe") \
  "$project_root/scripts/wine-run" "$tests_exe" --gtest_also_run_disabled_tests --gtest_filter="$filter"
