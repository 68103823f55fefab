#!/usr/bin/env bash
# Builds the game for a web browser with Emscripten and puts the site in one
# folder that any static server can serve, with no special headers:
# index.html, its script and style, grumbosh.js, grumbosh.wasm and the
# sounds (sounds/index.json lists them for the page).
#
#   scripts/build-web.sh [SITE_FOLDER]     (default: build-web/site)
#
# The build itself goes beside the site, in SITE_FOLDER/../cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
site=${1:-build-web/site}
mkdir -p "$site"
site=$(cd "$site" && pwd)
build=$(dirname "$site")/cmake
jobs=${GRUMBOSH_JOBS:-2}

scripts/install-deps.sh web
# Emscripten's optimiser needs Debian's acorn, which lives outside Node's own path.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DGRUMBOSH_BACKEND=web -DGRUMBOSH_WERROR=ON -DGRUMBOSH_BENCHMARKS=OFF \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
cmake --build "$build" -j "$jobs" --target grumbosh

page=shell/platform/web/page
rm -rf "$site/sounds"
cp "$page/index.html" "$page/page.js" "$page/style.css" "$build/grumbosh.js" "$build/grumbosh.wasm" "$site/"
cp -r sounds "$site/sounds"
python3 - "$site/sounds" <<'PY'
import json, pathlib, sys
folder = pathlib.Path(sys.argv[1])
names = sorted(p.relative_to(folder).as_posix() for p in folder.rglob("*.wav"))
(folder / "index.json").write_text(json.dumps(names) + "\n")
PY
echo "Site: $site (serve it with: python3 -m http.server -d $site 8000)"
