#!/bin/sh
# Runs the pack fuzzer for a bounded number of inputs on a fresh copy of the seed corpus.
set -e
fuzzer=$1 seeds=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
"$seeds" "$work"
exec "$fuzzer" -runs=20000 -max_len=4096 "$work"
