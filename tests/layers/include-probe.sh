#!/usr/bin/env bash
# Compiles one #include line with a layer's include folders and checks the
# outcome: "sees" a header must compile, "blind" must fail for want of the
# header, in the words of g++ or clang (any other error is a fault of the probe, not a pass).
# Usage: include-probe.sh sees|blind HEADER COMPILER FLAG...
set -u
expect=$1 header=$2 compiler=$3
shift 3
out=$(printf '#include "%s"\n' "$header" | "$compiler" -std=c++20 -fsyntax-only -x c++ "$@" - 2>&1)
status=$?
case $expect in
  sees)
    [ $status -eq 0 ] && exit 0
    echo "the layer should see $header:"; echo "$out"; exit 1 ;;
  blind)
    if [ $status -ne 0 ] && grep -qE "$header(: No such file|' file not found)" <<<"$out"; then exit 0; fi
    echo "the layer should not see $header:"; echo "$out"; exit 1 ;;
esac
echo "usage: $0 sees|blind HEADER COMPILER FLAG..." >&2
exit 2
