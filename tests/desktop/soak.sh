#!/usr/bin/env bash
# A long soak of the real window on a virtual X display with a window manager, non-zero on any
# failure:
#   tests/desktop/soak.sh [actions] [seed] [locale]     (100000, a fresh seed, ca by default)
# Builds Recta in Release into build/release first; RECTA_SOAK_NO_BUILD=1 runs what is built.
# The log of the actions goes to build/release/tests/desktop/soak-<seed>.log; the same seed
# and count replay a run.
set -euo pipefail
cd "$(dirname "$0")/../.."

actions=${1:-100000}
seed=${2:-$(( (RANDOM << 15) | RANDOM ))}
locale=${3:-ca}
build_dir=build/release

if [ -z "${RECTA_SOAK_NO_BUILD:-}" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build_dir" --target recta desktop_clipboard_owner
fi

log="$build_dir/tests/desktop/soak-$seed.log"
mkdir -p "$(dirname "$log")"
echo "soak: $actions actions, seed $seed, locale $locale, log in $log"
# Timeout: about 30 ms an action, with room to spare; a hang fails on its own well before.
exec timeout --kill-after=30 $(( actions / 10 + 300 )) \
    tests/desktop/session.sh /usr/bin/python3 tests/desktop/soak.py --recta "$build_dir/app/recta" \
    --clipboard "$build_dir/tests/desktop/desktop_clipboard_owner" \
    --actions "$actions" --seed "$seed" --locale "$locale" --log "$log"
