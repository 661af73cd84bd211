#!/bin/sh
# The extraction of a guide's code blocks: named blocks become files, blocks naming the
# same file are joined in order, unnamed shell and text blocks stay prose, and a code block
# without a file name, or one left open, fails the extraction.
#
# Usage: extract_blocks_test.sh <scripts/extract_code_blocks.sh>
set -eu
extract=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-extract.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "extract_blocks_test: $*" >&2; exit 1; }

cat >"$work/guide.md" <<'GUIDE'
# A guide

```cmake CMakeLists.txt
project(p)
```

```sh
make deps
```

```cpp main.cpp
int main() {

  return 0;
}
```

```text main.out
nothing
```

```cmake CMakeLists.txt
add_executable(p main.cpp)
```
GUIDE
"$extract" "$work/guide.md" "$work/out" || fail "a valid guide was refused"
[ "$(ls "$work/out")" = "$(printf 'CMakeLists.txt\nmain.cpp\nmain.out')" ] || fail "unexpected files: $(ls "$work/out")"
[ "$(cat "$work/out/CMakeLists.txt")" = "$(printf 'project(p)\nadd_executable(p main.cpp)')" ] ||
  fail "blocks of one file are not joined in order"
[ "$(cat "$work/out/main.cpp")" = "$(printf 'int main() {\n\n  return 0;\n}')" ] || fail "main.cpp differs"

printf '```cpp\nint main() {}\n```\n' >"$work/unnamed.md"
if "$extract" "$work/unnamed.md" "$work/out2" 2>/dev/null; then fail "a C++ block without a file name was taken"; fi
printf '```cpp a.cpp\nint main() {}\n' >"$work/open.md"
if "$extract" "$work/open.md" "$work/out3" 2>/dev/null; then fail "an unclosed block was taken"; fi
[ -z "$(ls -A "$work/out3")" ] || fail "a failed extraction left files behind"
echo "extract_blocks_test: ok"
