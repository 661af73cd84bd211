#!/bin/sh
# Writes the fenced code blocks of a Markdown file into a folder, so that a guide's code is
# built and run as it is written. A block names its file after its language:
#     ```cpp first_filter.cpp        -> <folder>/first_filter.cpp
# Blocks naming the same file are joined in order (a CMakeLists.txt that grows along a guide).
# Code (cpp, cmake, sql) must name a file, so none of it escapes being built; a shell or
# text block without a name is prose (commands for another machine, an illustration).
#
# Usage: scripts/extract_code_blocks.sh guide.md folder
set -e
[ $# -eq 2 ] || { echo "usage: $0 guide.md folder" >&2; exit 2; }
guide=$1
folder=$2
mkdir -p "$folder"
# Written beside the folder's files first, then moved in, so a failed run leaves no
# half-written blocks behind.
scratch=$(mktemp -d "$folder/.blocks.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
awk -v dir="$scratch" -v guide="$guide" '
  function fail(message) { printf "%s:%d: %s\n", guide, NR, message > "/dev/stderr"; failed = 1; exit 1 }
  /^```/ {
    if (inside) { inside = 0; if (out != "") close(out); next }
    inside = 1; out = ""
    info = substr($0, 4)
    n = split(info, word, /[ \t]+/)
    language = word[1]; name = (n >= 2) ? word[2] : ""
    if (name == "") {
      if (language != "sh" && language != "text" && language != "") fail("a " language " block names no file")
      next
    }
    if (name ~ /\// || name ~ /^\./) fail("block file " name " must be a plain name")
    out = dir "/" name
    if (!(name in seen)) { seen[name] = 1; printf "" > out }
    else { printf "" >> out }
    next
  }
  inside && out != "" { print >> out }
  END { if (!failed && inside) fail("a code block is not closed") }
' "$guide"
for f in "$scratch"/* ; do
  [ -e "$f" ] || continue
  name=$(basename "$f")
  # Only a changed file is replaced, so the build does not redo what depends on it.
  cmp -s "$f" "$folder/$name" 2>/dev/null || mv "$f" "$folder/$name"
done
