#!/usr/bin/env bash
# What the POSIX system layer adds to the contract: a read-only target refused (root too), a
# replaced file's permissions kept, no temporary file left, a closed pipe ending wht as SIGPIPE,
# a full disk reported, a large file digested while it is read.
set -u
wht=$(readlink -f "${1:?usage: posix_console.sh WHT}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0 got=""
check() { if [ "$2" != "$3" ]; then echo "FAILED: $1: got '$2', expected '$3'"; failed=1; fi; }
printf old > ro.txt && chmod 444 ro.txt
printf abc | "$wht" base64-encode -o ro.txt 2>/dev/null
check "read-only target" "$?:$(cat ro.txt)" "1:old"
printf old > kept.txt && chmod 640 kept.txt
printf abc | "$wht" base64-encode -o kept.txt
check "permissions kept" "$(stat -c %a kept.txt):$(cat kept.txt)" "640:YWJj"
head -c 50000000 /dev/zero | "$wht" base64-encode | head -c 1 >/dev/null
check "closed pipe" "${PIPESTATUS[1]}" 141
printf abc | "$wht" base64-encode -o /dev/null
check "a device written, not replaced" "$?:$(stat -c %F /dev/null)" "0:character special file"
# The writing thread's failure is the program's: exit 1 with the reason, whichever buffer met it.
for mb in 1 9; do
  head -c ${mb}000000 /dev/zero | "$wht" base64-encode -o /dev/full 2>err
  check "a full disk, $mb MB" "$?:$(grep -c 磁盘已满 err)" "1:1"
done
# A file read a buffer ahead while it is digested: every buffer, in order, the short last one too.
head -c 9000001 /dev/urandom > big.bin
check "a file digested while it is read" "$("$wht" sha256 big.bin):$("$wht" md5 < big.bin)" \
  "$(sha256sum < big.bin | cut -c1-64):$(md5sum < big.bin | cut -c1-32)"
rm -f big.bin
# Completion: names, options, the values of --in, files.
source <("$wht" completion bash)
for words in "wht gbk-to-u" "wht md5 --ch" "wht url-encode-gbk --in utf-16" "wht completion b" "wht md5 kep"; do
  COMP_WORDS=($words) COMP_CWORD=$(($(wc -w <<<"$words") - 1)) COMPREPLY=()
  _wht
  got="$got${got:+;}${COMPREPLY[*]}"
done
check "completion" "$got" "gbk-to-utf8 gbk-to-utf16;--check;utf-16le utf-16be;bash;kept.txt"
check "no temporary file" "$(ls | grep -c wht-)" 0
exit $failed
