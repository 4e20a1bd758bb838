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
rate() { echo "scale=1; $mb / $1" | bc; }
row() {
  local what=$1 ours theirs
  shift
  ours=$(seconds bash -c "$1")
  theirs=$(seconds bash -c "$2")
  printf '| %s | %.1f | %s | %s | %.1f | %s |\n' "$what" "$ours" "$(rate "$ours")" "$3" "$theirs" "$(rate "$theirs")"
}

median() { sort -n | sed -n 2p; }
three() { { seconds "$@"; seconds "$@"; seconds "$@"; } | median; }
ratio() { echo "scale=2; $1 / $2" | bc; }
native_row() {
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
echo "seconds from start to exit, the median of three runs, output to a file on the same disk; the last column is how many"
echo "times faster than the tool beside it."
echo
echo "| job | wht s | wht MB/s | beside it | s | MB/s | ratio |"
echo "|---|---|---|---|---|---|---|"
native_row sha256 "'$native' sha256 '$input'" "sha256sum '$input'" sha256sum
native_row md5 "'$native' md5 '$input'" "md5sum '$input'" md5sum
native_row "BASE64 encode" "'$native' base64-encode '$input' -o '$work/out.b64'" "base64 -w0 '$input' > '$work/ref.b64'" "base64 -w0"
native_row "GBK → UTF-8" "'$native' gbk-to-utf8 '$input' -o '$work/out.utf8'" "iconv -f GBK -t UTF-8 '$input' > '$work/ref.utf8'" iconv
native_row "URL encode (GBK)" "'$native' url-encode-gbk --in gbk '$input' -o '$work/out.url'" "$quote '$input' > '$work/ref.url'" \
  "Python urllib"
cmp -s "$work/out.utf8" "$work/ref.utf8" && cmp -s "$work/out.b64" "$work/ref.b64" && cmp -s "$work/out.url" "$work/ref.url" &&
  echo && echo "The UTF-8, BASE64 and URL outputs equal iconv's, base64's and Python's byte for byte."
printf 'hello\n' > "$work/small.txt"
starts=$(for i in $(seq 21); do seconds "$native" md5 "$work/small.txt"; done | sort -n | sed -n 11p)
echo
echo "Start-up: $(echo "$starts * 1000" | bc | cut -c1-5) ms for a digest of six bytes (median of 21 runs)."
truncate -s 6G "$work/sparse-6g.bin"
peak=$(/usr/bin/time -v "$native" sha256 "$work/sparse-6g.bin" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
rm -f "$work/sparse-6g.bin"
echo "A 6 GB digest (sha256 of a sparse file): $((peak / 1024)) MB of memory at most (/usr/bin/time -v)."
rm -f "$work"/out.* "$work"/ref.*
[ "$wine" = 0 ] && exit 0
echo

echo "## The console program, end to end"
echo
echo "A ${mb} MB file of mixed GBK text, $(date -u +%Y-%m-%d), $(nproc) cores, x86_64 build under $("$(source "$here/scripts/wine-loader.sh"; wine_loader x86_64)" --version);"
echo "seconds from start to exit (Wine's start-up included), output to a file on the same disk."
echo
echo "| job | wht s | wht MB/s | beside it | s | MB/s |"
echo "|---|---|---|---|---|---|"
row sha256 "'$wht' sha256 '$input'" "sha256sum '$input'" sha256sum
row "BASE64 encode" "'$wht' base64-encode '$input' -o '$work/out.b64'" "base64 -w0 '$input' > '$work/ref.b64'" "base64 -w0"
row "GBK → UTF-8" "'$wht' gbk-to-utf8 '$input' -o '$work/out.utf8'" "iconv -f GBK -t UTF-8 '$input' > '$work/ref.utf8'" iconv
row "URL encode (GBK)" "'$wht' url-encode-gbk --in gbk '$input' -o '$work/out.url'" \
  "python3 -c 'import sys,urllib.parse; sys.stdout.write(urllib.parse.quote_from_bytes(open(sys.argv[1],\"rb\").read(), safe=\"-.\"))' '$input' > '$work/ref.url'" \
  "Python urllib"
cmp -s "$work/out.utf8" "$work/ref.utf8" && echo && echo "The UTF-8 output equals iconv's byte for byte."
rm -f "$work"/out.* "$work"/ref.*
