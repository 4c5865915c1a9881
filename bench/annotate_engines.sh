#!/usr/bin/env bash
# annotate's two chains side by side on the 127 photos of ../shared/photos:
# `annotate --engine programs` (Ferrow and Tamsel started for every photo)
# and `annotate` with its default engine (the same steps in each job's own
# process), with -j 1 and -j 2, each into its own output folder. Every
# published label file, mask, descriptor file and results file, and
# regions.csv, of the default engine's runs is compared byte for byte with
# the programs' -j 1 run. Per run: wall time, processor time (user + system
# of every process of the batch, children included), processor time per
# photo and photos per processor-second; then the default engine against the
# programs. A measurement script, not a timed test.
#
# usage: bench/annotate_engines.sh <build dir> [<photo folder>]
#   (a release build with the annotate target built)
#   ENGINES="programs in-process" names the two engines compared, the
#   reference first; "default" stands for annotate without --engine, which
#   is the second one unless ENGINES says otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
photos=$(cd "${2:-$root/../shared/photos}" && pwd)
read -r -a engines <<<"${ENGINES:-programs default}"
[ ${#engines[@]} -eq 2 ] || { echo "ENGINES names two engines" >&2; exit 2; }
annotate=$build/collection/annotate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=$(find "$photos" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) | wc -l)
engine_options() { if [ "$1" != default ]; then echo "--engine $1"; fi; }

# The files both chains must publish alike: everything but the overlays
# (drawn from them), the records (their seconds differ) and the batch's own
# bookkeeping.
compare() {
  diff -rq --exclude=.annotate --exclude=overlay.png --exclude=annotation.txt --exclude=joblog.txt \
    --exclude=images.csv --exclude=report.html "$1" "$2" >"$work/differences" || true
  local files
  files=$(find "$2" -path "$2/.annotate" -prune -o -type f \( -name '*.seg' -o -name '*.pgm' -o -name '*.xml' \) -print | wc -l)
  if [ -s "$work/differences" ]; then
    echo "  DIFFERENT from the ${engines[0]} -j 1 run ($(wc -l <"$work/differences") entries):"
    head -n 5 "$work/differences" | sed 's/^/    /'
  else
    echo "  the same $files label, mask, descriptor and results files and regions.csv as the ${engines[0]} -j 1 run"
  fi
}

declare -A cpu wall_of failed
for slots in 1 2; do
  for engine in "${engines[@]}"; do
    out=$work/$engine-$slots
    # shellcheck disable=SC2046  # the options are words
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$annotate" $(engine_options "$engine") -j "$slots" "$photos" "$out" \
      2>"$work/summary" || true
    # (a batch with a failed photo ends with status 1, which time reports on
    # a line of its own first)
    read -r wall user system < <(tail -n 1 "$work/time")
    wall_of[$engine-$slots]=$wall
    cpu[$engine-$slots]=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
    awk -v e="$engine" -v j="$slots" -v w="$wall" -v c="${cpu[$engine-$slots]}" -v n="$count" 'BEGIN {
      printf "%-10s -j %d, %d photos: %.2f s wall, %.2f s processor, %.1f ms processor a photo, %.2f photos per processor-second, %.2f photos/s\n",
        e, j, n, w, c, 1000 * c / n, n / c, n / w }'
    echo "  $(tail -n 1 "$work/summary")"
    failed[$engine-$slots]=$(sed -n 's/.* \([0-9]*\) failed,.*/\1/p' "$work/summary" | tail -n 1)
    if [ "${failed[$engine-$slots]:-1}" != 0 ]; then
      echo "  PHOTOS FAILED: this run's figures are not those of the chain"
    fi
    if [ "$engine-$slots" != "${engines[0]}-1" ]; then compare "$work/${engines[0]}-1" "$out"; fi
  done
done
for slots in 1 2; do
  if [ "${failed[${engines[0]}-$slots]:-1}${failed[${engines[1]}-$slots]:-1}" != 00 ]; then continue; fi
  awk -v a="${engines[0]}" -v b="${engines[1]}" -v j="$slots" -v ca="${cpu[${engines[0]}-$slots]}" \
    -v cb="${cpu[${engines[1]}-$slots]}" 'BEGIN {
    if (cb > 0) printf "-j %d: %s %.2f times the photos per processor-second of %s\n", j, b, ca / cb, a }'
done
for engine in "${engines[@]}"; do
  if [ "${failed[$engine-1]:-1}${failed[$engine-2]:-1}" != 00 ]; then continue; fi
  awk -v e="$engine" -v one="${wall_of[$engine-1]}" -v two="${wall_of[$engine-2]}" 'BEGIN {
    if (two > 0) printf "%s: -j 2 %.2f times as fast as -j 1 (wall)\n", e, one / two }'
done
