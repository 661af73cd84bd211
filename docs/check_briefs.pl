#!/usr/bin/perl
# Checks doxygen's XML output: every class, struct and union of the library's namespace has
# a brief description (the first sentence of its comment). Prints each that has none, as
# "header:line: Class", and fails if any.
# Usage: check_briefs.pl <xml folder>
use strict;
use warnings;

my ($xml) = @ARGV;
die "usage: $0 <xml folder>\n" unless defined $xml && -d $xml;
my @missing;
my $count = 0;
for my $file (sort glob "$xml/class*.xml $xml/struct*.xml $xml/union*.xml") {
  open(my $in, '<', $file) or die "$file: $!";
  local $/;
  my $text = <$in>;
  close $in;
  my ($name) = $text =~ m{<compoundname>([^<]*)</compoundname>};
  next unless defined $name;
  # The library's own classes at namespace level: not specializations (their template has
  # the description), nested helpers or the classes of a detail namespace.
  next unless $name =~ /^vantor::\w+$/;
  $count++;
  # The compound's own description is the one at its level, after its members.
  my ($brief) = $text =~ m{\n    <briefdescription>(.*?)</briefdescription>\n    <detaileddescription>}s;
  next if defined $brief && $brief =~ /\S/;
  my ($where, $line) = $text =~ m{\n    <location file="([^"]*)" line="(\d+)"};
  push @missing, sprintf("%s:%s: %s", $where // '?', $line // '?', $name);
}
print "$_: no brief description\n" for @missing;
printf "%d of %d classes have no brief description\n", scalar @missing, $count if @missing;
exit(@missing ? 1 : 0);
