#!/usr/bin/perl
# Sets the creation time that widl writes into a type library to a given time:
#   typelib-time.pl TLB EPOCH
# widl 7 writes the time of its run twice, as the text "Created by WIDL
# version <v> at <ctime>" and as that second's number (32 bits), and does
# not read SOURCE_DATE_EPOCH. This reads the time from the text (in the
# time zone widl ran in, this process's), replaces the text's date and every
# copy of that number with EPOCH, and fails unless it finds both. A library
# without the text (a widl that already writes a fixed time) stays as it is.
use strict;
use warnings;
use POSIX qw(mktime strftime);

my ($file, $epoch) = @ARGV;
die "usage: typelib-time.pl TLB EPOCH\n" unless defined $epoch && $epoch =~ /^\d+$/;
open(my $fh, '+<:raw', $file) or die "typelib-time: $file: $!\n";
my $data = do { local $/; <$fh> };
my %month = (Jan => 0, Feb => 1, Mar => 2, Apr => 3, May => 4, Jun => 5, Jul => 6, Aug => 7, Sep => 8, Oct => 9,
             Nov => 10, Dec => 11);
exit 0 unless $data =~ /Created by WIDL version \S+ at (\w{3} (\w{3}) ([ \d]\d) (\d\d):(\d\d):(\d\d) (\d{4}))/;
my ($at, $length) = ($-[1], length $1);
my $written = mktime($6, $5, $4, $3, $month{$2}, $7 - 1900, 0, 0, -1);
die "typelib-time: $file: no time in '$1'\n" unless defined $written && exists $month{$2};
my $stamp = strftime('%a %b %e %H:%M:%S %Y', gmtime($epoch));
die "typelib-time: '$stamp' is not as long as '$1'\n" unless length($stamp) == $length;
substr($data, $at, $length) = $stamp;
my $count = 0;
my ($old, $new) = (pack('V', $written), pack('V', $epoch));
for (my $found = index($data, $old); $found >= 0; $found = index($data, $old, $found + 4)) {
    substr($data, $found, 4) = $new;
    $count++;
}
die "typelib-time: $file holds the text's time $written nowhere as a number\n" unless $count;
seek($fh, 0, 0) or die "typelib-time: $file: $!\n";
print $fh $data or die "typelib-time: $file: $!\n";
close($fh) or die "typelib-time: $file: $!\n";
