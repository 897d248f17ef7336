#!/usr/bin/env bash
# Set-up for a Debian 12 machine.
#   ./setup.sh run            install what is needed, build, start Ringseer
#   ./setup.sh test           install what is needed, build, run every test
#   ./setup.sh test-sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"

install_packages() {
    local missing=()
    while read -r pkg; do
        [ -n "$pkg" ] || continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done < .ci/packages.txt
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # <build dir> [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

run_tests() { # <build dir>
    (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300)
}

case "${1:-}" in
    run)
        install_packages
        build build
        exec build/bin/Ringseer "${@:2}"
        ;;
    test)
        install_packages
        build build
        run_tests build
        ;;
    test-sanitize)
        install_packages
        build build-sanitize -DRINGSEER_SANITIZE=ON
        run_tests build-sanitize
        ;;
    *)
        echo "usage: $0 run [switches] | test | test-sanitize" >&2
        exit 2
        ;;
esac
