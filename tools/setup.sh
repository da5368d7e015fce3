# Shared by ./dev and fuzz/run.sh: installing what is missing and running long steps quietly.
# Source it; it defines functions, and the command prefix that runs apt one run at a time.

# Runs a command with its output set aside, and shows that output only when the command fails.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    [ "$status" -ne 0 ] && cat "$log" >&2
    rm -f "$log"
    return "$status"
}

# Runs a long step quietly, and prints one line with its name (after $step_prefix) and how long it
# took; a step that fails ends the script.
step() {
    local name=$1 start=$SECONDS
    shift
    if ! quietly "$@"; then
        echo "${step_prefix:-}$name: FAILED after $((SECONDS - start)) s" >&2
        exit 1
    fi
    echo "${step_prefix:-}$name: $((SECONDS - start)) s"
}

# Installs the Debian packages of the list that are not installed yet, through sudo when not
# root, with one line to say which.
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing ${#missing[@]} packages: ${missing[*]}"
    quietly $sudo $apt_locked apt-get update
    quietly $sudo env DEBIAN_FRONTEND=noninteractive $apt_locked \
        apt-get install -y --no-install-recommends "${missing[@]}"
}

# apt one run at a time: CI builds Qt for Windows, which installs and fetches, beside ./dev test.
apt_locked="flock -w 1800 /tmp/recta-apt.lock"


# Generates the locale (for instance ca_ES.UTF-8) when the system lacks it, through sudo when
# not root, with one line to say so. Needs the Debian package locales.
ensure_locale() {
    local name=$1 normalised
    # locale -a lists ca_ES.UTF-8 as ca_ES.utf8.
    normalised=$(sed 's/\.UTF-8$/.utf8/' <<<"$name")
    locale -a 2>/dev/null | grep -qx "$normalised" && return 0
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Generating the locale $name"
    grep -qx "$name UTF-8" /etc/locale.gen 2>/dev/null \
        || echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    quietly $sudo locale-gen
}
