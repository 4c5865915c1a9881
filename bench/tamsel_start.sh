#!/usr/bin/env bash
# Processor time of Tamsel with the eight bundled concepts on one prepared
# photo, and of the predictor runs it makes, one model at a time. Ferrow
# prepares the photo once; then Tamsel runs <runs> times in that working
# directory, and the predictor <runs> times per model on the test data Tamsel
# hands it. Each figure is the processor time (user + system, children
# included) of all its runs divided by their number. This is a measurement
# script, not a timed test.
#
# usage: bench/tamsel_start.sh <build dir> [<runs>] [<photo>]
#   PREDICTOR_DIR=<folder>  takes SVMpredictfuzzy from there instead of the build
#   (to measure an earlier build of the predictor with the same Tamsel)
set -euo pipefail
runs=${2:-20}
source "$(dirname "$0")/common.sh"
mkdir -p "$work/run/images/segmentationMasks" "$work/keep"
cd "$work/run"
cp "$photo" images/photo.jpg
"$build/pipeline/Ferrow" images/photo.jpg >/dev/null

# One run through a predictor that keeps a copy of the test data it is given.
cat >"$work/keep/SVMpredictfuzzy" <<EOF
#!/bin/sh
cp "\$1" "$work/keep/testData.txt"
exec "$predictor_dir/SVMpredictfuzzy" "\$@"
EOF
chmod +x "$work/keep/SVMpredictfuzzy"
PATH="$work/keep:$PATH" "$build/classification/Tamsel" images/photo.jpg concepts.txt >/dev/null
regions=$(wc -l <"$work/keep/testData.txt")

# Processor time in milliseconds of the commands, children included.
cpu_ms() {
  local me=$BASHPID before after
  before=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$me/stat")
  "$@"
  after=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$me/stat")
  echo $(((after - before) * 1000 / $(getconf CLK_TCK)))
}

# A first run writes whatever the predictor keeps beside the models; the
# figures are of the runs after it.
PATH="$predictor_dir:$PATH" "$build/classification/Tamsel" images/photo.jpg concepts.txt >/dev/null
tamsel_runs() {
  for ((i = 0; i < runs; ++i)); do
    PATH="$predictor_dir:$PATH" "$build/classification/Tamsel" images/photo.jpg concepts.txt >/dev/null
  done
}
total=$( (cpu_ms tamsel_runs) )
echo "Tamsel, 8 concepts, $regions regions, $(basename "$photo"): $(awk -v t="$total" -v n="$runs" 'BEGIN{printf "%.1f", t / n}') ms processor per run ($runs runs)"

predictor_runs() {
  for ((i = 0; i < runs; ++i)); do
    "$predictor_dir/SVMpredictfuzzy" "$work/keep/testData.txt" "$1" "$work/keep/out.txt"
  done
}
sum=0
for model in conf/SVMtrainingModels/trainingModels_*.txt; do
  t=$( (cpu_ms predictor_runs "$model") )
  sum=$((sum + t))
  printf '  SVMpredictfuzzy %-28s %6.2f ms\n' "$(basename "$model")" "$(awk -v t="$t" -v n="$runs" 'BEGIN{print t / n}')"
done
echo "SVMpredictfuzzy, mean of the 8 models: $(awk -v t="$sum" -v n="$runs" 'BEGIN{printf "%.2f", t / n / 8}') ms processor per run"

# A bare process start on this machine, to compare with.
bare_runs() { for ((i = 0; i < runs * 8; ++i)); do /bin/true; done; }
t=$( (cpu_ms bare_runs) )
echo "/bin/true: $(awk -v t="$t" -v n="$runs" 'BEGIN{printf "%.2f", t / n / 8}') ms processor per run"
