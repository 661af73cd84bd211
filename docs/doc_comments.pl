#!/usr/bin/perl
# Doxygen input filter for the library's headers. The headers are documented with plain
# // comments, written to be read in the header: a leading comment that describes the
# header's classes ("TDBCustomFilterPanel: the criteria panel that ..."), a comment above
# each declaration, and a trailing comment after an enumerator or a field. This filter
# hands doxygen the same comments as documentation, without changing the headers:
#   - the leading comment documents the classes it names at the start of a line
#     ("TBitBtn: a button with a glyph ..."), when the header defines them, and the
#     header itself (\file) with whatever comes before the first such line;
#   - a comment directly above a declaration becomes its documentation (///);
#   - a trailing comment after a member or an enumerator ending in ; or , becomes ///<;
#   - comments inside function bodies, above includes or followed by a blank line stay
#     plain comments.
# Characters doxygen would take as commands or markup (\ @ < > & # $ %) are escaped
# outside `code spans`; indented lines are shown verbatim, as laid out in the header.
use strict;
use warnings;

my @lines = <>;
chomp @lines;

# Escapes one line of comment text for doxygen's Markdown.
sub escape_text {
  my ($text) = @_;
  # A lone punctuation mark would be read as a list marker.
  return "`$1`" if $text =~ /^\s*([-+*.=,;\/])\s*$/;
  my @parts = split /(`[^`]*`)/, $text;
  for my $part (@parts) {
    next if $part =~ /^`/;
    $part =~ s/([\\@<>&#\$%])/\\$1/g;
  }
  return join '', @parts;
}

# Comment texts as documentation lines with the prefix `mark`. Indented lines (tables of
# options, examples of text forms) keep their lines and columns: a run of them is shown
# verbatim.
sub doc_lines {
  my ($mark, @texts) = @_;
  my @out;
  my $verbatim = 0;
  for my $text (@texts) {
    my $indented = $text =~ /^ {2,}\S/;
    if ($indented && !$verbatim) {
      push @out, $mark . '```';
      $verbatim = 1;
    } elsif (!$indented && $verbatim) {
      push @out, $mark . '```';
      $verbatim = 0;
    }
    push @out, $mark . ($verbatim || $text =~ /^\s*$/ ? $text : escape_text($text));
  }
  push @out, $mark . '```' if $verbatim;
  return @out;
}

# The text of a // comment line ("" for "//"), or undef for any other line.
sub comment_text {
  my ($line) = @_;
  return undef unless $line =~ m{^\s*//(?![/!])(.*)$};
  my $text = $1;
  $text =~ s/^ //;
  return $text;
}

# The leading comment: the first comment block before any declaration.
my ($lead_start, $lead_end) = (-1, -1);
for my $i (0 .. $#lines) {
  my $line = $lines[$i];
  next if $line =~ /^\s*$/ || $line =~ /^\s*#\s*pragma\s+once/;
  last unless defined comment_text($line);
  $lead_start = $i;
  $lead_end = $i;
  $lead_end++ while $lead_end + 1 <= $#lines && defined comment_text($lines[$lead_end + 1]);
  last;
}
my @lead = $lead_start < 0 ? () : map { comment_text($_) } @lines[$lead_start .. $lead_end];

# The classes the header defines.
my %defined;
for (@lines) {
  $defined{$1} = 1 if /^\s*(?:template\s*<.*>\s*)?(?:class|struct)\s+(\w+)\b(?!\s*;)/;
}

# The leading comment in sections, one per class it describes: a line "Name: what it is"
# (or "Name<T>: ...") starts the section of a class the header defines; the first line
# may also read "Name and ...". Text before the first section documents the header.
my @sections;  # [class name or undef, texts]
for my $k (0 .. $#lead) {
  my $text = $lead[$k];
  my $name;
  if ($text =~ /^(\w+)(?:<[^>]*>)?:\s+(.*)$/ && $defined{$1}) {
    $name = $1;
    $text = "\u$2";
  } elsif ($k == 0 && $text =~ /^(\w+)(?:<[^>]*>)?\s/ && $defined{$1}) {
    $name = $1;
  }
  push @sections, [$name, []] if defined $name || !@sections;
  push @{$sections[-1][1]}, $text;
}

my @out;
my @pending;          # comment lines waiting for the line they describe
my @braces;           # 'scope' (namespace, class, enum) or 'code' (function bodies)
my $statement = '';   # declaration text since the last ; { or }

sub in_code { return scalar grep { $_ eq 'code' } @braces; }

sub flush_pending {
  my ($document) = @_;
  if ($document) {
    push @out, doc_lines('/// ', map { comment_text($_) } @pending);
  } else {
    push @out, @pending;
  }
  @pending = ();
}

for my $i (0 .. $#lines) {
  my $line = $lines[$i];
  if ($lead_start >= 0 && $i >= $lead_start && $i <= $lead_end) {
    next unless $i == $lead_start;
    for my $section (@sections) {
      my ($name, $texts) = @$section;
      pop @$texts while @$texts && $texts->[-1] =~ /^\s*$/;
      push @out, '/// ' . (defined $name ? "\\class vantor::$name" : '\\file');
      push @out, doc_lines('/// ', @$texts);
      push @out, '';  # ends the block
    }
    next;
  }
  if (defined comment_text($line)) {
    push @pending, $line;
    next;
  }

  my $blank = $line =~ /^\s*$/;
  my $preprocessor = $line =~ /^\s*#/;
  my $closing = $line =~ /^\s*}/;
  flush_pending(!$blank && !$preprocessor && !$closing && !in_code());

  # The code of the line, without string and character literals and comments.
  my $code = $line;
  $code =~ s/"(?:[^"\\]|\\.)*"/""/g;
  $code =~ s/'(?:[^'\\]|\\.)*'/''/g;
  my $trailing;
  $trailing = $1 if $code =~ s{\s*//(?!/)\s?(.*)$}{};

  if (defined $trailing && $trailing ne '' && !in_code() && $code =~ /[;,]\s*$/) {
    my $at = rindex($line, '//');
    $line = substr($line, 0, $at) . '///< ' . escape_text($trailing);
  }
  push @out, $line;

  # Braces: a body opened after namespace/class/struct/union/enum (or extern "C") is a
  # scope whose comments document; any other (functions, lambdas, initialisers) is code.
  for my $char (split //, $code) {
    if ($char eq '{') {
      my $scope = !in_code() && $statement =~ /\b(?:namespace|class|struct|union|enum)\b|extern\s*""/ &&
                  $statement !~ /\)\s*(?:const\s*)?(?:noexcept\s*)?(?:override\s*)?$/;
      push @braces, $scope ? 'scope' : 'code';
      $statement = '';
    } elsif ($char eq '}') {
      pop @braces;
      $statement = '';
    } elsif ($char eq ';') {
      $statement = '';
    } else {
      $statement .= $char;
    }
  }
  $statement .= ' ';
}
flush_pending(0);
print "$_\n" for @out;
