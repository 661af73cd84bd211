#!/bin/sh
# Rewrites includes of the library's own headers to the form users write:
#   #include "engines/filter_panel.h"   ->  #include <vantor/engines/filter_panel.h>
#   #include "vantor/engines/x.h"       ->  #include <vantor/engines/x.h>
#   #include "field_record.h"           ->  #include <vantor/criteria/field_record.h>
#                                           (a file in src/ naming a header beside it)
# in src, tests, bench, examples, fuzz and docs. An include is rewritten only when the
# header it names exists under src/, so a test's own helpers ("engines/support/harness.h",
# found beside the tests) stay as they are. Running it again changes nothing.
#
# Usage: scripts/vantor_includes.sh [root]   (root defaults to the project this script is in)
set -e
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
[ -d src ] || { echo "vantor_includes: no src/ in $root" >&2; exit 1; }

dirs=""
for d in src tests bench examples fuzz docs; do
  [ -d "$d" ] && dirs="$dirs $d"
done

# Only files with a quoted include in them are read by perl, and only changed files are
# written back (so build systems see no spurious changes).
find $dirs -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print |
  xargs grep -l -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' 2>/dev/null |
  while IFS= read -r file; do
    perl -e '
      use strict; use warnings;
      my ($file) = @ARGV;
      # The folder of a file under src/ ("criteria" for src/criteria/x.h), for the
      # includes that name a header beside the includer.
      my $own = $file =~ m{^src/(.+)/[^/]+$} ? $1 : undef;
      open(my $in, "<", $file) or die "$file: $!";
      my @lines = <$in>;
      close($in);
      my $changed = 0;
      for (@lines) {
        next unless /^(\s*#\s*include\s*)"([^"]+)"(.*)$/s;
        my ($head, $path, $rest) = ($1, $2, $3);
        my $target;
        if ($path =~ m{^vantor/(.+)$} && -f "src/$1") {
          $target = $1;
        } elsif ($path =~ m{/} && -f "src/$path") {
          $target = $path;
        } elsif (defined $own && $path !~ m{/} && -f "src/$own/$path") {
          $target = "$own/$path";
        }
        next unless defined $target;
        $_ = "$head<vantor/$target>$rest";
        $changed = 1;
      }
      exit 0 unless $changed;
      open(my $out, ">", $file) or die "$file: $!";
      print $out @lines;
      close($out) or die "$file: $!";
      print "rewrote $file\n";
    ' "$file"
  done
