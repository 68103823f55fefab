#!/usr/bin/env bash
# The web game's latency in headless Chromium (bench/web/latency.js): builds
# the site, installs puppeteer-core into build-web if missing, and times
# TRIALS fresh pages: Escape to the end of the introduction, and the start
# click to the first sound, in the page's audio clock.
#
#   bench/web/run.sh [TRIALS]     (default: 12)
set -euo pipefail
cd "$(dirname "$0")/../.."
trials=${1:-12}
build=$(pwd)/build-web
scripts/install-deps.sh webtest
scripts/build-web.sh "$build/site" >/dev/null
[ -f "$build/npm/node_modules/puppeteer-core/package.json" ] ||
  npm install --prefix "$build/npm" --no-audit --no-fund --loglevel=error puppeteer-core@22
NODE_PATH=$build/npm/node_modules node bench/web/latency.js "$build/site" "$trials"
