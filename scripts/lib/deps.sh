# Installs what the build, the tests and the window need on Debian 12, and only what is missing;
# packages named as arguments are wanted too.
TV_PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
    libgumbo-dev libxlsxwriter-dev zlib1g-dev
    libicu-dev liblingua-stopwords-perl
    xvfb xauth fonts-liberation xdg-utils
    libpq-dev postgresql
    help2man gzip python3 desktop-file-utils appstream bash-completion
)
# Only for ./scripts/fuzz (and CI): clang, its libFuzzer and sanitizer runtimes, and the
# symbolizer that names the lines of a finding.
TV_FUZZ_PACKAGES=(clang libclang-rt-dev llvm)
# Only ./scripts/package needs these (tv_ensure_deps "${TV_PACKAGING_PACKAGES[@]}").
TV_PACKAGING_PACKAGES=(dpkg-dev file lintian man-db)

tv_ensure_deps() {
    local missing=()
    local p
    for p in "${TV_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

tv_ensure_fuzz_deps() {
    local TV_PACKAGES=("${TV_FUZZ_PACKAGES[@]}")
    tv_ensure_deps
}
