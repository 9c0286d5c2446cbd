#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building and testing Vellmor needs.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  # the build
  cmake g++ ninja-build pkg-config ccache clang-format
  # the package: the window's manual page, and dpkg-shlibdeps for its dependencies
  help2man dpkg-dev file man-db
  # the core and the runner
  libcli11-dev nlohmann-json3-dev libboost-dev libyaml-cpp-dev libgsl-dev
  # the window and the profile viewer
  qt6-base-dev qt6-charts-dev qt6-svg-dev fonts-ipafont-gothic
  # Qt Charts' CMake package needs Qt OpenGL's, which Debian ships apart from qt6-base-dev
  libqt6opengl6-dev
  # the figures' tests: the text of a PDF read back as text
  poppler-utils
  # the tests and benchmarks: the extended-precision reference, a comma locale to compile,
  # shards run through GNU parallel
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev locales parallel
  # the Python module and its tests
  pybind11-dev python3-dev python3-numpy python3-pandas python3-pytest
  # the sweep's test on a real one-node Slurm
  slurm-wlm munge procps hostname
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
