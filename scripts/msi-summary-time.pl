#!/usr/bin/perl
# Sets the creation and last-saved times of an .msi's summary to a given time:
#   msi-summary-time.pl MSI EPOCH
# wixl writes the time of its run there and no tool of msitools changes it.
# Both are FILETIME properties (type VT_FILETIME, 0x40) of the summary
# stream; this finds the two whose time lies within a day of now, which only
# they can, and overwrites them in place. It fails unless it finds exactly two.
use strict;
use warnings;

my ($file, $epoch) = @ARGV;
die "usage: msi-summary-time.pl MSI EPOCH\n" unless defined $epoch && $epoch =~ /^\d+$/;
open(my $fh, '+<:raw', $file) or die "msi-summary-time: $file: $!\n";
my $data = do { local $/; <$fh> };
my $filetime = sub {
    my $ticks = ($_[0] + 11644473600) * 10000000;
    return pack('VV', $ticks % 4294967296, int($ticks / 4294967296));
};
my $now = time;
my @found;
while ($data =~ /\x40\x00\x00\x00(.{8})/gs) {
    my ($low, $high) = unpack('VV', $1);
    my $seconds = ($high * 4294967296 + $low) / 10000000 - 11644473600;
    push @found, $-[1] if abs($seconds - $now) <= 86400;
}
die "msi-summary-time: $file has " . scalar(@found) . " times of today, not the summary's two\n" unless @found == 2;
substr($data, $_, 8) = $filetime->($epoch) for @found;
seek($fh, 0, 0) or die "msi-summary-time: $file: $!\n";
print $fh $data or die "msi-summary-time: $file: $!\n";
close($fh) or die "msi-summary-time: $file: $!\n";
