#!/usr/bin/env bash
# The console program end to end on one large file, beside the Unix tools that do the same
# job, in the same run; prints a Markdown table (scripts/bench.sh adds it to docs/benchmark.md).
# The native program (build/native/wht) has rows of its own, each the median of three runs,
# with its start-up time and the memory of a digest of a 6 GB file.
#   BENCH_CONSOLE_MB=1024  size of the generated file (mixed GBK text)
#   BENCH_CONSOLE_WINE=0   leave out the Windows build under Wine
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
mb=${BENCH_CONSOLE_MB:-1024}
wht="$here/scripts/wht"
native="$here/build/native/wht"
[ -x "$native" ] || { echo "bench-console: $native is not built: run scripts/build.sh" >&2; exit 2; }
wine=${BENCH_CONSOLE_WINE:-1}
export WHT_ARCH=x86_64  # scripts/wht: the Windows build, under Wine
work="$here/build/bench-console"
mkdir -p "$work"
# Outputs go to memory (tmpfs) where there is room, so that the disk's write-back, which
# stalls whichever command comes after a large write, does not decide the figures.
#   BENCH_CONSOLE_OUT=DIR  another folder for them
out=${BENCH_CONSOLE_OUT:-}
if [ -z "$out" ] && [ -d /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR==2 {print $4}')" -gt $((mb * 8 * 1024)) ]; then
  out=$(mktemp -d /dev/shm/wht-bench.XXXXXX)
  trap 'rm -rf "$out"' EXIT
fi
out=${out:-$work}
where="in memory (tmpfs)"
[ "$out" = "$work" ] && where="on the same disk"
[ -n "${BENCH_CONSOLE_OUT:-}" ] && where="in $out"
input="$work/mixed-$mb.txt"
if [ ! -f "$input" ]; then
  python3 - "$input" "$mb" <<'PY'
import random, sys
random.seed(936)
hz = [bytes([a, b]) for a in range(0xB0, 0xF8) for b in range(0xA1, 0xFF)]
def assigned(c):
    try:
        return len(c.decode("gbk")) == 1
    except UnicodeDecodeError:
        return False
hz = [c for c in hz if assigned(c)]
words = [b"hello world ", b"123.45, ", b"http://example.com/?q=1&x=2 ", b"\r\n"]
block = b"".join(random.choice(hz) if random.random() < 0.6 else random.choice(words) for _ in range(1 << 18))
with open(sys.argv[1], "wb") as f:
    left = int(sys.argv[2]) << 20
    while left > 0:
        f.write(block[:left]); left -= len(block)
PY
fi
[ "$wine" = 0 ] || "$wht" list >/dev/null  # the Wine prefix is made before anything is timed

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc; }
# printf, not bc's own output: bc writes 0.98 as .98.
rate() { printf '%.1f' "$(echo "scale=3; $mb / $1" | bc)"; }

median() { sort -n | sed -n 2p; }
three() { { seconds "$@"; seconds "$@"; seconds "$@"; } | median; }
# Both outputs of a row are compared, then dropped: they would fill the memory.
differ=""
same() { cmp -s "$out/$1" "$out/$2" || differ="$differ $1"; rm -f "$out/$1" "$out/$2"; }
ratio() { printf '%.2f' "$(echo "scale=4; $1 / $2" | bc)"; }
row() {
  local what=$1 ours theirs
  ours=$(three bash -c "$2")
  theirs=$(three bash -c "$3")
  printf '| %s | %.2f | %s | %s | %.2f | %s | %s× |\n' "$what" "$ours" "$(rate "$ours")" "$4" "$theirs" "$(rate "$theirs")" \
    "$(ratio "$theirs" "$ours")"
}
quote='python3 -c '"'"'import sys,urllib.parse; sys.stdout.write(urllib.parse.quote_from_bytes(open(sys.argv[1],"rb").read(), safe="-."))'"'"''

echo "## The console program natively, end to end"
echo
echo "A ${mb} MB file of mixed GBK text, $(date -u +%Y-%m-%d), $(nproc) cores, build/native/wht ($(c++ --version | head -1));"
echo "seconds from start to exit, the median of three runs, output to a file $where; the last column is how many"
echo "times faster than the tool beside it."
echo
echo "| job | wht s | wht MB/s | beside it | s | MB/s | ratio |"
echo "|---|---|---|---|---|---|---|"
row sha256 "'$native' sha256 '$input'" "sha256sum '$input'" sha256sum
row md5 "'$native' md5 '$input'" "md5sum '$input'" md5sum
row "BASE64 encode" "'$native' base64-encode '$input' -o '$out/out.b64'" "base64 -w0 '$input' > '$out/ref.b64'" "base64 -w0"
same out.b64 ref.b64
row "GBK → UTF-8" "'$native' gbk-to-utf8 '$input' -o '$out/out.utf8'" "iconv -f GBK -t UTF-8 '$input' > '$out/ref.utf8'" iconv
same out.utf8 ref.utf8
row "URL encode (GBK)" "'$native' url-encode-gbk --in gbk '$input' -o '$out/out.url'" "$quote '$input' > '$out/ref.url'" \
  "Python urllib"
same out.url ref.url
echo
if [ -z "$differ" ]; then echo "The UTF-8, BASE64 and URL outputs equal iconv's, base64's and Python's byte for byte."
else echo "Outputs that differ from the other tool's:$differ."; fi
printf 'hello\n' > "$work/small.txt"
# A hundred starts in a row, each timed from outside as the shell starts it, beside md5sum.
hundred() { local s e; s=$(date +%s.%N); for i in $(seq 100); do "$@" "$work/small.txt" >/dev/null; done; e=$(date +%s.%N); echo "($e - $s) * 10" | bc; }
starts=$(hundred "$native" md5)
theirs=$(hundred md5sum)
echo
printf 'Start-up: %.1f ms for a digest of six bytes (the mean of 100 runs in a row; md5sum: %.1f ms).\n' "$starts" "$theirs"
truncate -s 6G "$work/sparse-6g.bin"
peak=$(/usr/bin/time -v "$native" sha256 "$work/sparse-6g.bin" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
rm -f "$work/sparse-6g.bin"
echo "A 6 GB digest (sha256 of a sparse file): $((peak / 1024)) MB of memory at most (/usr/bin/time -v)."
[ "$wine" = 0 ] && exit 0
echo

echo "## The console program, end to end"
echo
echo "A ${mb} MB file of mixed GBK text, $(date -u +%Y-%m-%d), $(nproc) cores, x86_64 build under $("$(source "$here/scripts/wine-loader.sh"; wine_loader x86_64)" --version);"
echo "seconds from start to exit (Wine's start-up included), the median of three runs, output to a file $where."
echo
echo "| job | wht s | wht MB/s | beside it | s | MB/s | ratio |"
echo "|---|---|---|---|---|---|---|"
differ=""
row sha256 "'$wht' sha256 '$input'" "sha256sum '$input'" sha256sum
row "BASE64 encode" "'$wht' base64-encode '$input' -o '$out/out.b64'" "base64 -w0 '$input' > '$out/ref.b64'" "base64 -w0"
same out.b64 ref.b64
row "GBK → UTF-8" "'$wht' gbk-to-utf8 '$input' -o '$out/out.utf8'" "iconv -f GBK -t UTF-8 '$input' > '$out/ref.utf8'" iconv
same out.utf8 ref.utf8
row "URL encode (GBK)" "'$wht' url-encode-gbk --in gbk '$input' -o '$out/out.url'" "$quote '$input' > '$out/ref.url'" \
  "Python urllib"
same out.url ref.url
echo
if [ -z "$differ" ]; then echo "The UTF-8, BASE64 and URL outputs equal iconv's, base64's and Python's byte for byte."
else echo "Outputs that differ from the other tool's:$differ."; fi
