#!/bin/sh
# The API reference: doxygen over the library's public headers (src/vantor, and the version
# header a build generates), with warnings as errors, then the check that every class has a
# brief description. Run from `make docs` and by the tests.
#
# Usage: scripts/docs.sh <generated include dir> <output dir> <version>
set -eu
[ $# -eq 3 ] || { echo "usage: $0 <generated include dir> <output dir> <version>" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
include=$(cd "$1" && pwd)
mkdir -p "$2"
output=$(cd "$2" && pwd)
rm -rf "$output/html" "$output/xml"
cd "$root"
status=0
VANTOR_GENERATED_INCLUDE="$include" VANTOR_DOCS_OUTPUT="$output" VANTOR_VERSION_NUMBER="$3" \
  doxygen docs/Doxyfile || status=1
if [ -s "$output/warnings.log" ]; then
  cat "$output/warnings.log" >&2
  status=1
fi
perl docs/check_briefs.pl "$output/xml" >&2 || status=1
[ $status -eq 0 ] && echo "API reference: $output/html/index.html"
exit $status
