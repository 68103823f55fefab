#!/usr/bin/env bash
# The web build's checks: installs what is missing (Chromium, sox, Node),
# builds the site with scripts/build-web.sh, runs the backend's own unit tests
# in Node, installs puppeteer-core into the build folder if it is not there,
# and plays the site in headless Chromium
# through ctest (tests/web): a game lost and its summary, a round won by ear,
# and the page's accessibility. The sound is started by the page's own start
# control, as a player starts it; no sound card or display is needed.
#
#   scripts/test-web.sh [BUILD_FOLDER]     (default: build-web)
#
# Nothing outside the build folder and temporary folders is written.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-web}")

scripts/install-deps.sh webtest

echo "== Building the site"
scripts/build-web.sh "$build/site"

echo "== The web backend's own logic in Node"
NODE_PATH=/usr/share/nodejs cmake --build "$build/cmake" -j "${GRUMBOSH_JOBS:-2}" --target web_unit_tests
ctest --test-dir "$build/cmake" --output-on-failure

# Pinned by major version; puppeteer-core drives Debian's Chromium and downloads no browser.
[ -f "$build/npm/node_modules/puppeteer-core/package.json" ] ||
  npm install --prefix "$build/npm" --no-audit --no-fund --loglevel=error puppeteer-core@22

echo "== The site in headless Chromium"
cmake -S tests/web -B "$build/e2e" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DGRUMBOSH_WEB_SITE="$build/site" -DGRUMBOSH_NODE_MODULES="$build/npm/node_modules" >/dev/null
cmake --build "$build/e2e"
ctest --test-dir "$build/e2e" --output-on-failure
