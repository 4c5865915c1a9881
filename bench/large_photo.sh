#!/usr/bin/env bash
# The whole chain on a 12-megapixel photo: Ferrow (convert, Zorvik, the four
# extractor runs, the region masks) then Tamsel with the eight bundled
# concepts, in one working directory. The photo is made here by scaling a
# shared photo to 4000 x 3000 with convert (JPEG quality 92), so no large
# file is kept in the repository. Prints the processor time (user + system,
# children included) of each run of Ferrow and of Tamsel, and their sum; a
# measurement script, not a timed test.
#
# usage: bench/large_photo.sh <build dir> [<runs>] [<photo>]
#   PREDICTOR_DIR=<folder>  takes SVMpredictfuzzy from there instead of the build
set -euo pipefail
runs=${2:-3}
source "$(dirname "$0")/common.sh"
cd "$work/run"
convert "$photo" -resize 4000x3000! -quality 92 "$work/big.jpg"
export PATH="$predictor_dir:$PATH"

seconds() { /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null && awk '{print $1 + $2}' "$work/time"; }
for ((i = 0; i < runs; ++i)); do
  rm -rf images descriptors/* output/*
  mkdir -p images/segmentationMasks
  cp "$work/big.jpg" images/big.jpg
  ferrow=$(seconds "$build/pipeline/Ferrow" images/big.jpg)
  tamsel=$(seconds "$build/classification/Tamsel" images/big.jpg concepts.txt)
  masks=$(find images/segmentationMasks -name '*.pgm' | wc -l)
  echo "run $((i + 1)), $(basename "$photo") at 4000 x 3000, $masks masks: Ferrow $ferrow s, Tamsel $tamsel s," \
    "chain $(awk -v a="$ferrow" -v b="$tamsel" 'BEGIN{print a + b}') s processor"
done
