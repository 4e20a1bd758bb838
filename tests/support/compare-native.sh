#!/usr/bin/env bash
# native.codepages and native.base64: runs a dump tool under Wine (tools/codepage_dump,
# tools/base64_dump) and compares the native build's functions with what it wrote.
#   compare-native.sh codepages|base64 DUMP.exe COMPARE_SYSTEM
set -eu
kind=$1 dump=$2 compare=$3
if [ ! -x "$compare" ]; then
  echo "compare-native: the native build is missing ($compare): run scripts/test-native.sh first"
  exit 1
fi
out=$(mktemp "${TMPDIR:-/tmp}/wht-$kind.XXXXXX")
trap 'rm -f "$out"' EXIT
"$(dirname "$0")/wine-run.sh" "$dump" "$out"
"$compare" "--$kind" "$out"
