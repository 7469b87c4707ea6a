#!/usr/bin/env bash
# Installs the Debian packages Pixmoth needs, only those that are missing, so a
# second run costs no more than the dpkg queries.
#   scripts/deps.sh        what building and running the program needs
#   scripts/deps.sh test   that plus the sanitizer compiler, X server and tools the tests use
#                          (mkfs for the drives the browser tests mount, and the
#                          icon readers that judge the icons written)
#   scripts/deps.sh bench  that plus the peer programs the benchmark scripts time
set -euo pipefail

# The test and benchmark headers are small and let one build tree serve both scripts.
packages=(cmake ninja-build g++ pkg-config libjpeg62-turbo-dev libpng-dev qt6-base-dev libgl-dev libxcb-shm0-dev
          fonts-dejavu-core xdg-utils googletest libgtest-dev libbenchmark-dev)
if [[ "${1:-}" == "test" || "${1:-}" == "bench" ]]; then
    # The fuzz build names clang-14 itself: its sanitizer runtime must be of the
    # same version, whatever the system's default clang is.
    # cups and cups-pdf give the print test a real queue; poppler-utils reads
    # what it printed; xclip reaches the clipboard from outside the program.
    packages+=(clang-14 libclang-rt-14-dev clang-format
               xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick libjpeg-turbo-progs
               cups printer-driver-cups-pdf poppler-utils xclip icoutils
               # Pillow and ImageMagick make and judge the PNG and icon test cases.
               python3-pil
               dbus-daemon dbus-bin
               e2fsprogs dosfstools
               # A headless Wayland desktop with its screenshot portal (the gtk
               # portal supplies the permission interface the screenshot one needs).
               sway xwayland swaybg grim pipewire xdg-desktop-portal xdg-desktop-portal-wlr
               xdg-desktop-portal-gtk)
fi
if [[ "${1:-}" == "bench" ]]; then
    # libspng: the other PNG library, measured against libpng by bench_png.
    packages+=(libvips-tools libspng-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
