#!/usr/bin/perl
# Writes the C++ table of the built-in stop lists: the Snowball project's lists as Debian ships
# them in Lingua::StopWords (package liblingua-stopwords-perl), one entry per language the
# package holds. Usage: stoplists.pl OUTPUT.cpp
use strict;
use warnings;
use File::Basename qw(basename dirname);
use Lingua::StopWords qw(getStopWords);

# The package knows its lists by ISO code only; users name them by language.
my %names = (
    da => 'danish',     de => 'german',    en => 'english', es => 'spanish',
    fi => 'finnish',    fr => 'french',    hu => 'hungarian', id => 'indonesian',
    it => 'italian',    nl => 'dutch',     no => 'norwegian', pt => 'portuguese',
    ro => 'romanian',   ru => 'russian',   sv => 'swedish',
);

my $output = shift or die "usage: $0 OUTPUT.cpp\n";
my $folder = dirname($INC{'Lingua/StopWords.pm'}) . '/StopWords';
my @codes = sort map { lc basename($_, '.pm') } glob("$folder/*.pm");
die "no stop lists found in $folder\n" unless @codes;

# A C++ literal of UTF-16 text; everything outside printable ASCII as a universal name.
sub literal {
    my ($text) = @_;
    my $out = '';
    for my $c (split //, $text) {
        my $n = ord $c;
        if ($c eq '\\' || $c eq '"') { $out .= "\\$c"; }
        elsif ($c eq "\n") { $out .= '\n'; }
        elsif ($n >= 0x20 && $n < 0x7F) { $out .= $c; }
        elsif ($n <= 0xFFFF) { $out .= sprintf('\u%04X', $n); }
        else { $out .= sprintf('\U%08X', $n); }
    }
    return "u\"$out\"";
}

my @entries;
for my $code (@codes) {
    my $list = getStopWords($code, 'UTF-8') or die "Lingua::StopWords has no list '$code'\n";
    my @words = sort keys %$list;
    for my $word (@words) {
        # One word each: a blank or a control character means the list is not what we expect.
        die "unexpected stop word '$word' in list '$code'\n" unless $word =~ /^[^\s\p{Cc}]+$/;
    }
    my $name = $names{$code} // $code;
    push @entries, sprintf("    {%s, %s,\n     %s},\n", literal($name), literal($code),
                           literal(join("\n", @words)));
}

my $temporary = "$output.part";
open(my $out, '>', $temporary) or die "cannot write $temporary: $!\n";
print $out "// Made by tools/stoplists.pl from Lingua::StopWords; do not edit.\n";
print $out "#include \"words/builtinstoplists.h\"\n\n";
print $out "namespace tv {\n\n";
print $out "const BuiltinStopList kBuiltinStopLists[] = {\n", @entries, "};\n";
print $out "const int kBuiltinStopListCount = ", scalar(@entries), ";\n\n";
print $out "} // namespace tv\n";
close($out) or die "cannot write $temporary: $!\n";
rename($temporary, $output) or die "cannot rename $temporary: $!\n";
