#!/bin/sh
# The getting-started guide shows its files whole: every file a code block names (blocks
# naming the same file joined in order) is, byte for byte, the file of that name in the
# guide's folder, and every file of the folder is shown. The folder is what the consumer
# test builds and runs, so the guide cannot drift from code that works.
#
# Usage: guide_files_test.sh <scripts/extract_code_blocks.sh> <guide.md> <folder>
set -eu
extract=$1
guide=$2
folder=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-guide.XXXXXX")
trap 'rm -rf "$work"' EXIT
sh "$extract" "$guide" "$work/shown"
# "-" lines are the folder's files, "+" lines what the guide shows.
if ! diff -ru "$folder" "$work/shown"; then
  echo "guide_files_test: $guide does not show the files of $folder as they are (see above)" >&2
  exit 1
fi
echo "guide_files_test: $guide shows the $(ls "$folder" | wc -l) files of $folder whole"
