#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Nimbrel needs. Idempotent: it only
# calls apt when something is missing. Runs as root, or through sudo.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config git
    # the core's libraries
    libicu-dev nlohmann-json3-dev libssl-dev
    # tests, benchmarks, lint
    libgtest-dev libgmock-dev libbenchmark-dev clang-format
    # fuzzing (libFuzzer) and the sanitizer runtimes
    clang libclang-rt-14-dev
    # the program: Qt 6, coroutines over Qt, the Secret Service client
    qt6-base-dev qt6-base-dev-tools libgl-dev qcoro-qt6-dev libsecret-1-dev
    # tests with real parts: a private session bus, a keyring daemon, loopback HTTP servers
    dbus gnome-keyring libsecret-tools libglib2.0-bin libcpp-httplib-dev procps
    # the sign-in service (nimbrel-signin) and its fake Slack OAuth server: HTTP through cpp-httplib, and the
    # trust store for the service's HTTPS calls to Slack
    libcpp-httplib-dev ca-certificates
    # player sources: a real MPRIS client that the fake player is checked against
    playerctl
    # build cache: CMake compiles through it when present
    ccache
    # the desktop: validating the .desktop entry, opening links (xdg-open), the .deb's library dependencies
    # (dpkg-shlibdeps), rendering the icon; and for window tests an X server with its tools, screenshots
    # and fonts that have the cat's and the statuses' characters
    desktop-file-utils xdg-utils dpkg-dev librsvg2-bin imagemagick
    xvfb xauth x11-utils xdotool fonts-noto-core fonts-noto-color-emoji
    # the notch island: clicks pass through its transparent part by an X11 input shape (XShape over xcb)
    libxcb-shape0-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: missing ${missing[*]}; run this script as root or install sudo" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
