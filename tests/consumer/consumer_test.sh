#!/bin/sh
# Uses the library as a new user does, by the getting-started guide: installs the build
# tree into a fresh prefix ($HOME/.local of a scratch home), then, in a folder holding only
# the guide's files, runs the guide's own commands: makes the database, builds with CMake
# (find_package) and runs the first program, builds it again with pkg-config and runs it;
# every program of the guide must print exactly the output the guide shows for it
# (<program>.out), and write exactly the files it shows (<file>.expected). Each further
# example folder is copied out alone and built with its own CMakeLists.txt, as a developer
# who copies it builds it. The library is not rebuilt: cmake --install copies what the
# build made.
#
# Usage: consumer_test.sh <build dir> <the guide's files (examples/getting-started)> [<example folder>...]
set -eu
build=$(cd "$1" && pwd)
guide_files=$(cd "$2" && pwd)
shift 2

work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-consumer.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"
unset PKG_CONFIG_PATH CMAKE_PREFIX_PATH
# The guide's programs are held to the library's own warnings.
export CXXFLAGS="-Wall -Wextra -Wpedantic -Werror"
export CMAKE_BUILD_PARALLEL_LEVEL=2

cmake --install "$build" --prefix "$HOME/.local" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

mkdir "$work/project"
cp "$guide_files"/* "$work/project/"
cd "$work/project"

# Runs one of the guide's shell blocks; its output is kept in <block>.log.
run_block() {
  echo "== $1"
  sh -e "$1" >"$1.log" 2>&1 || { cat "$1.log"; echo "consumer: $1 failed" >&2; exit 1; }
}

# The last lines `block` printed must be the output the guide shows in `expected`.
expect_output() {
  lines=$(wc -l <"$2")
  if ! tail -n "$lines" "$1" | diff -u "$2" - ; then
    echo "consumer: $1 does not end with the output in $2" >&2
    exit 1
  fi
}

run_block make-database.sh
run_block build-with-cmake.sh
expect_output build-with-cmake.sh.log first_filter.out

# Every other program the guide shows output for, built by the guide's CMakeLists.txt.
for expected in *.out; do
  program=${expected%.out}
  [ "$program" = first_filter ] && continue
  echo "== $program"
  [ -x "build/$program" ] || { echo "consumer: the guide shows output of $program but does not build it" >&2; exit 1; }
  "./build/$program" >"$program.log" 2>&1 || { cat "$program.log"; echo "consumer: $program failed" >&2; exit 1; }
  expect_output "$program.log" "$expected"
done

# Every file the guide shows as a program wrote it.
for expected in *.expected; do
  [ -e "$expected" ] || continue
  written=${expected%.expected}
  echo "== $written"
  diff -u "$expected" "$written" || { echo "consumer: $written is not as the guide shows it" >&2; exit 1; }
done

rm -rf build
run_block build-with-pkg-config.sh
expect_output build-with-pkg-config.sh.log first_filter.out

for example in "$@"; do
  name=$(basename "$example")
  echo "== examples/$name"
  cp -r "$example" "$work/$name"
  ( cd "$work/$name" && cmake -B build -DCMAKE_PREFIX_PATH="$HOME/.local" && cmake --build build ) \
    >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; echo "consumer: examples/$name does not build" >&2; exit 1; }
done
echo "consumer: the guide's programs build and run against the installed tree, and the examples build"
