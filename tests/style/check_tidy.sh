#!/usr/bin/env bash
# clang-tidy finds nothing in the program's own code with the checks .clang-tidy enables.
set -euo pipefail
source_dir=$1
build_dir=$2
cd "$source_dir"
mapfile -t sources < <(find app core adapter window -name '*.cpp' | sort)
runner=$(command -v run-clang-tidy || command -v run-clang-tidy-14 || true)
if [ -n "$runner" ]; then
    "$runner" -quiet -p "$build_dir" -j "$(nproc)" "${sources[@]}" >/tmp/recta-tidy.$$ 2>&1 \
        || { grep -E 'warning:|error:' /tmp/recta-tidy.$$ | sort -u; rm -f /tmp/recta-tidy.$$; exit 1; }
    rm -f /tmp/recta-tidy.$$
else
    clang-tidy --quiet -p "$build_dir" "${sources[@]}"
fi
echo "clang-tidy: ${#sources[@]} files clean"
