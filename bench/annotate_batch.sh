#!/usr/bin/env bash
# The annotate batch over the 127 photos of ../shared/photos: -j 1 and -j 2
# with the programs as its chain (--engine programs), and the chain alone
# (Ferrow then Tamsel by hand in one working directory, one photo after the
# other) to show what the batch costs on top.
#
# usage: bench/annotate_batch.sh <build dir> [rounds]
#   (a release build with the annotate target built). With several rounds
#   the chain and the -j 1 batch take turns, which evens out the load of a
#   shared machine; -j 2 runs once at the end. ANNOTATE=<driver> measures
#   another annotate driver (an older build, say) in place of the build's;
#   one that has no --engine option runs the programs anyway.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
rounds=${2:-1}
annotate=${ANNOTATE:-$build/collection/annotate}
photos=$root/../shared/photos
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=$(find "$photos" -name '*.jpg' | wc -l)
engine=()
if "$annotate" --help | grep -q -- --engine; then engine=(--engine programs); fi
# Wall time, and processor time (user + system, children included), which a
# busy machine changes less.
measure() { /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" || true; }
shown() { tail -n 1 "$work/time" | awk '{ printf "%.2f s wall, %.2f + %.2f s processor", $1, $2, $3 }' ; }
processor() { tail -n 1 "$work/time" | awk '{ printf "%.3f", $2 + $3 }'; }

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

chain_total=0
batch_total=0
for round in $(seq "$rounds"); do
  measure bash -c chain
  echo "round $round: chain alone, one after the other, $count photos: $(shown)"
  chain_total=$(awk -v a="$chain_total" -v b="$(processor)" 'BEGIN { print a + b }')
  rm -rf "$work/out-1"
  measure "$annotate" "${engine[@]}" -j 1 "$photos" "$work/out-1" 2>"$work/summary-1"
  echo "round $round: annotate -j 1, $count photos: $(shown)"
  tail -n 1 "$work/summary-1"
  batch_total=$(awk -v a="$batch_total" -v b="$(processor)" 'BEGIN { print a + b }')
done
awk -v chain="$chain_total" -v batch="$batch_total" -v n="$count" -v r="$rounds" 'BEGIN {
  printf "processor time per photo: chain %.1f ms, annotate -j 1 %.1f ms; the batch on top: %.1f ms, %+.1f %%\n",
    1000 * chain / (n * r), 1000 * batch / (n * r), 1000 * (batch - chain) / (n * r), 100 * (batch - chain) / chain }'

measure "$annotate" "${engine[@]}" -j 2 "$photos" "$work/out-2" 2>"$work/summary-2"
echo "annotate -j 2, $count photos: $(shown)"
tail -n 1 "$work/summary-2"
