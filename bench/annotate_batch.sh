#!/usr/bin/env bash
# The annotate batch over the 127 photos of ../shared/photos: -j 1 and -j 2,
# and the chain alone (Ferrow then Tamsel by hand in one working directory,
# one photo after the other) to show what the batch costs on top.
#
# usage: bench/annotate_batch.sh <build dir>   (a release build with the annotate target built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
photos=$root/../shared/photos
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=$(find "$photos" -name '*.jpg' | wc -l)
# Wall time, and processor time (user + system, children included), which a
# busy machine changes less.
measure() { /usr/bin/time -f "%e s wall, %U + %S s processor" -o "$work/time" "$@" || true; }

# The chain alone.
bash "$root/scripts/layout" "$build" "$work/hand" >/dev/null
mkdir -p "$work/hand/images/segmentationMasks"
chain() {
  cd "$work/hand"
  export PATH="$build/tools/svm:$PATH"
  for photo in "$photos"/*.jpg; do
    rm -rf images/* descriptors/* output/*
    mkdir -p images/segmentationMasks
    cp "$photo" images/photo.jpg
    "$build/pipeline/Ferrow" images/photo.jpg >/dev/null
    "$build/classification/Tamsel" images/photo.jpg concepts.txt >/dev/null
  done
}
export -f chain
export work build photos
measure bash -c chain
echo "chain alone, one after the other, $count photos: $(cat "$work/time")"

for jobs in 1 2; do
  measure "$build/collection/annotate" -j "$jobs" "$photos" "$work/out-$jobs" 2>"$work/summary-$jobs"
  echo "annotate -j $jobs, $count photos: $(cat "$work/time")"
  tail -n 1 "$work/summary-$jobs"
done
