#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test the project, from
# Debian's packages. Does nothing when everything is there already. With
# --fuzz it also installs clang and its libFuzzer runtime, which fuzz/run.sh
# needs; with --profile valgrind, which bench/module/run_callgrind.sh needs.
set -euo pipefail

# libpng-dev: the preview pictures of brevant-din; parallel and time: the
# archive tools' tests and benchmark; libedit-dev: line editing at the
# editor's prompt; tmux: the terminal test; groff-base: the man pages' check;
# dpkg-dev and file: cpack's Debian package.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev python3-ezdxf
          libpng-dev parallel time libedit-dev tmux groff-base dpkg-dev file)
case "${1:-}" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --profile) packages+=(valgrind) ;;
esac
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
