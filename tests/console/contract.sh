#!/usr/bin/env bash
# The console program's contract, one case a row: what a command line gives on standard
# output (byte for byte), on standard error and as its exit status. The first argument is
# the program to run: the Windows build under Wine, or the native one.
#   contract.sh "tests/support/wine-run.sh build/x86_64/wht.exe"
#   contract.sh build/native/wht
set -u
program=${1:?usage: contract.sh WHT-COMMAND}
# A program named by a path relative to here is found from the cases' own folder too.
case "$program" in /*) ;; *) [ -e "${program%% *}" ] && program="$PWD/$program" ;; esac
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
wht() { eval "$program" '"$@"'; }

# What the cases read.
printf 'hello caf\xe9 world\r\n' > latin1.txt
printf '0123456789abcdefghijklmnopqrstuvwxyz%.0s' $(seq 8) > plain.txt
base64 plain.txt > lines.b64  # coreutils' 76-character lines, LF only
mkdir -p a b out
printf 'hi\n' > a/x.txt
printf 'ho\n' > b/x.txt
printf hello > h1
printf world > h2
printf '\xd6\xd0\xce\xc4\r\n' > same.txt

passed=0 failed=0
# name | standard input (printf format) | command line | status | standard output (printf
# format; * for any) | standard error holds (empty: nothing is written there)
while IFS='|' read -r name input command status output error; do
  trim() { local s=${1#"${1%%[! ]*}"}; printf '%s' "${s%"${s##*[! ]}"}"; }
  name=$(trim "$name") input=$(trim "$input") command=$(trim "$command") status=$(trim "$status")
  output=$(trim "$output") error=$(trim "$error")
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  rm -rf out/* 2>/dev/null
  printf "$input" > stdin.bin
  (eval "$command") < stdin.bin > got.out 2> got.err
  code=$?
  why=""
  [ "$code" = "$status" ] || why="status $code, not $status"
  if [ "$output" != "*" ]; then
    printf "$output" > want.out
    cmp -s want.out got.out || why="$why; output $(xxd -p got.out | head -c 80), not $(xxd -p want.out | head -c 80)"
  fi
  if [ -z "$error" ]; then
    [ -s got.err ] && why="$why; standard error: $(head -c 200 got.err)"
  else
    grep -qF -- "$error" got.err || why="$why; standard error lacks “$error”: $(head -c 200 got.err)"
  fi
  if [ -n "$why" ]; then
    echo "FAILED $name: ${why#; }"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
done <<'EOF'
# A zero byte is a byte, in every code-page item.
zero through utf8-to-utf16      | A\0B       | wht utf8-to-utf16                | 0 | A\0\0\0B\0 |
zero through utf16-to-utf8      | A\0\0\0B\0 | wht utf16-to-utf8                | 0 | A\0B |
zero through utf8-to-gbk        | A\0B       | wht utf8-to-gbk                  | 0 | A\0B |
zero through utf16-to-gbk       | A\0\0\0B\0 | wht utf16-to-gbk                 | 0 | A\0B |
zero through gbk-to-utf16       | A\0B       | wht gbk-to-utf16                 | 0 | A\0\0\0B\0 |
# Input that is not what the conversion reads is refused, naming where, and leaves no file.
not UTF-8, no file              |            | wht utf8-to-gbk latin1.txt -o out/r; s=$?; ls out; exit $s | 1 | | 第10个字节
odd UTF-16                      | A\0B       | wht utf16-to-utf8                | 1 | | 单数个字节
# BASE64 lines of any kind; the system coder's bytes whole.
base64 LF                       | QUJD\n     | wht base64-decode                | 0 | ABC |
base64 of coreutils' lines      |            | wht base64-decode lines.b64 > d && cmp d plain.txt | 0 | |
base64 tabs, CR, spaces         | QU\tJD\r \nRA==\n | wht base64-decode         | 0 | ABCD |
base64 system keeps zeros       | UEsDBGRhdGEAAAAA | wht base64-decode-system   | 0 | PK\3\4data\0\0\0\0 |
# A BOM says the encoding and is not a character.
UTF-16LE BOM                    | \377\376\055\116 | wht utf16-to-gbk           | 0 | \326\320 |
UTF-16BE BOM                    | \376\377\116\055 | wht utf16-to-gbk           | 0 | \326\320 |
UTF-8 BOM                       | \357\273\277\344\270\255 | wht utf8-to-gbk    | 0 | \326\320 |
BOM of a text input             | \377\376\055\116 | wht url-encode-gbk         | 0 | %%D6%%D0 |
UTF-16BE named                  | \116\055   | wht url-encode-gbk --in utf-16be | 0 | %%D6%%D0 |
# A prompt is never a result.
money of letters                | abc        | wht money-amount                 | 1 | | 提示：耍我呢
money of a number               | 1234\n     | wht money-amount                 | 0 | 壹仟贰佰叁拾肆元整 |
decimal of letters              | xyz        | wht decimal                      | 1 | | 转换失败：
no date                         | abc        | wht beijing-to-unix              | 1 | | 不是日期时间
no date at all                  |            | wht beijing-to-unix              | 1 | | 不是日期时间
a date                          | 2024-01-01 08:00:00\n | wht beijing-to-unix   | 0 | 1704067200 |
no seconds                      | abc        | wht unix-to-beijing              | 1 | | 没有数字
empty upper-case                |            | wht upper-case                   | 1 | | 被转内容为空
# Batches and targets.
one name twice                  |            | wht base64-encode a/x.txt b/x.txt -o out/; s=$?; ls out; exit $s | 2 | | 结果都会叫
onto its own input              |            | wht gbk-to-utf8 same.txt -o same.txt && cat same.txt | 0 | 中文\r\n |
dash is standard output         | x          | wht base64-encode -o -           | 0 | eA== |
a pipe named by -o stays a pipe  | x          | mkfifo p && { timeout 20 cat p > fromfifo & } && wht base64-encode -o p; s=$?; wait; cat fromfifo; exit $s | 0 | eA== |
unknown name                    |            | wht no-such-thing                | 2 | | 没有名叫
an option it does not have      |            | wht md5 --in gbk                 | 2 | | 不认识的参数：--in
an option without its value     |            | wht md5 -o                       | 2 | | --output 后面少了它的值
a value it cannot take          | x          | wht url-encode-gbk --in latin1   | 2 | | --in 不能是“latin1”，只能是 auto、gbk
help names the whole command     |            | wht md5 --help > h && sed -n 2p h | 0 | 用法: wht md5 [选项] [files...]\n |
# Lines other tools read; text results exactly their bytes.
one digest                      | hello      | wht md5                          | 0 | 5d41402abc4b2a76b9719d911017c592\n |
digests of several              |            | wht sha256 h1 h2 > SUMS && sha256sum --quiet -c SUMS | 0 | |
checking digests                |            | wht md5 h1 h2 > SUMS && wht md5 -c SUMS | 0 | h1: OK\nh2: OK\n |
a digest that differs           |            | wht md5 h1 h2 > SUMS && printf x > h2 && wht md5 -c SUMS | 1 | h1: OK\nh2: FAILED\n | 不符：h2
text exactly its bytes          | a b        | wht url-encode-gbk               | 0 | a%%20b |
# 乱码恢复 in a pipe: the repaired text alone; --all the window's report.
mojibake repaired               | \303\244\302\270\302\255\303\246\342\200\223\342\200\241 | wht fix-mojibake | 0 | \344\270\255\346\226\207 |
mojibake report                 | \303\244\302\270\302\255 | wht fix-mojibake --all | 0 | * |
EOF
echo "contract: $passed passed, $failed failed"
[ "$failed" = 0 ]
