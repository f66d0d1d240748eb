# Shared by the scripts: installing what is missing, and running the tests.

section() { printf '\n== %s ==\n' "$*"; }

# Installs the named Debian packages that are not installed yet.
need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    section "Installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Makes sure the system's locale data holds the named UTF-8 locale
# (ru_RU.UTF-8, zh_CN.UTF-8), generating it where it is missing: GTK's own
# words and Wine's Windows locale follow it. Needs the locales package.
need_locale() {
    local name=$1
    locale -a 2>/dev/null | grep -qix "${name/.UTF-8/.utf8}" && return 0
    section "Generating the locale $name"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo localedef -i "${name%.UTF-8}" -c -f UTF-8 -A /usr/share/locale/locale.alias "$name"
}

# Runs a command in a private X server with a screen of SIZE
# ("1280x1024x24"), the accessibility bridge off. The server is never reset
# (-noreset): by default it resets when its last client leaves, and a
# program connecting just then is turned away as if there were no display.
in_private_x() {  # SIZE COMMAND...
    local size=$1
    shift
    NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 $size -noreset" "$@"
}

# Runs ctest in a build folder, inside a private X server so the dialog tests
# have a real window, with nothing of the user's own Wine or home read.
run_ctest() {
    in_private_x 1280x1024x24 ctest --test-dir "$1" --output-on-failure -j"${JOBS:-2}"
}
