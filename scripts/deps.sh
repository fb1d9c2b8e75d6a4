# Installs the Debian packages the project needs, when any is missing.
# Sourced by scripts/test, scripts/demo and scripts/fuzz; `tm80_install_deps fuzz`
# adds clang with libFuzzer and the symbolizer for the fuzz harnesses.
tm80_install_deps() {
    local packages=(build-essential cmake g++ pkg-config libgtest-dev libgmock-dev
                    libbenchmark-dev qt6-base-dev libgl-dev iproute2 util-linux
                    qt6-charts-dev libqt6opengl6-dev
                    xvfb xauth fonts-dejavu-core clang-format-16
                    libcivetweb-dev prometheus curl systemd
                    dpkg-dev file lintian desktop-file-utils appstream bash-completion man-db)
    if [ "${1:-}" = fuzz ]; then
        packages+=(clang libclang-rt-dev llvm)
    fi
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}
