#!/usr/bin/env bash
# Re-creates the game's sound files from manifest.txt beside this script.
#
#   tools/make_sounds/make_sounds.sh [OUT_DIR]     (default: the repository's sounds/)
#
# The files it makes are committed, so building and testing the game need none
# of this. Re-creating them needs these Debian packages:
#   festival festvox-us-slt-hts   the announcer's voice
#   flite                         the opponent's and the groaning player's voices
#   sox                           resampling, pitch, reverb
#   python3                       the effects, the piano loop, trimming and levels
# Every step is deterministic: running it twice gives byte-identical files.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here/../../sounds}"

missing=()
for tool in text2wave flite sox python3; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "make_sounds: missing ${missing[*]}; install festival festvox-us-slt-hts flite sox python3" >&2
  exit 1
fi

mkdir -p "$out"
python3 "$here/make_sounds.py" "$here/manifest.txt" "$out"
