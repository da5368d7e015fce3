#!/usr/bin/env bash
# Renders the real window after the same typed sessions, under the C and the Catalan locale, at
# pixel ratios 1 and 2, with a build's recta-screenshot, so that two builds can be compared
# pixel for pixel:
#   bench/screens.sh BUILD_DIR OUT_DIR            renders into OUT_DIR
#   bench/screens.sh --compare DIR_A DIR_B        prints the differing pixels of each pair
set -euo pipefail

sessions=(
    "A=1,2;B=3,6"
    "A=1,2;B=3,6;P=2,4;P=5,5"
    "E=y=2x+3;nova;E=y=-x+1"
    "A=2,1;B=2,5;nova;A=0,1;B=4,3"
    "E=2x+3y=6;nova;E=y=-2/3x+5"
    "E=y=x/2+1;nova;E=y=0.5x-3;P=4,3"
    "A=-3,4;B=5,-2;esborrar;A=1,1"
)

if [ "${1:-}" = "--compare" ]; then
    status=0
    for a in "$2"/*.png; do
        b="$3/$(basename "$a")"
        differing=$(compare -metric AE "$a" "$b" null: 2>&1) || true
        printf '%-28s %s\n' "$(basename "$a")" "$differing"
        [ "$differing" = "0" ] || status=1
    done
    exit "$status"
fi

build=$1 out=$2
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
for locale in C.UTF-8 ca_ES.UTF-8; do
    for ratio in 1 2; do
        for k in "${!sessions[@]}"; do
            script=${sessions[$k]}
            # A comma locale types its decimal points as commas.
            [ "$locale" = ca_ES.UTF-8 ] && script=${script//0.5/0,5}
            LC_ALL=$locale QT_SCALE_FACTOR=$ratio "$build/tools/recta-screenshot" \
                "$out/${locale%%.*}-r$ratio-s$k.png" "$script"
        done
    done
done
