#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  juce-modules-source-data      # the VST 3 SDK subset (pluginterfaces, base, public.sdk)
  libsndfile1-dev               # audio files for chopwright-render
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libx11-dev      # the view library: drawing, PNG, X11 windows
  fonts-dejavu-core             # its text font
  xvfb libxtst-dev              # the window tests: a virtual X server, XTest input
  ardour                        # real-host tests: Ardour's VST 3 scanner and headless sessions
  juce-modules-source           # real-host tests: a console host on JUCE's VST 3 hosting
  clang-14 libclang-rt-14-dev   # fuzzing: clang with libFuzzer and the sanitizer runtimes
  llvm-14                       # its llvm-symbolizer, for readable sanitizer reports
  clang-format                  # scripts/check-format.sh
  lv2-dev                       # the LV2 bundle: headers and the schema files its Turtle is checked against
  lilv-utils liblilv-dev        # LV2 tests: lv2info, lv2ls, lv2apply; lilv for our UI test host
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
