#!/usr/bin/env bash
# Every C++ source of the project is formatted as .clang-format says.
set -euo pipefail
cd "$1"
mapfile -t sources < <(find app core adapter window tests tools fuzz bench \
    -name '*.cpp' -o -name '*.h' | sort)
clang-format --dry-run --Werror "${sources[@]}"
echo "format: ${#sources[@]} files checked"
