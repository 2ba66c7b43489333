#!/usr/bin/env bash
# Installs what is missing, builds the desktop client and opens it on the demo company
# (created in the user's data folder on first start). Arguments go to the client, e.g.
#   scripts/run.sh --form TfEdPurchase
#   scripts/run.sh --company /path/to/company.tavrek
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tavrek_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREK_DESKTOP=ON
cmake --build build --target tavrek-purchase -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "There is no display here (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot open."
  echo "Take a screenshot of a form instead and look at the PNG:"
  echo "  TAVREK_PASSWORD=demo-admin build/tavrek-purchase --user admin --form TfEdPurchase --screenshot invoice.png"
  exit 1
fi
exec build/tavrek-purchase "$@"
