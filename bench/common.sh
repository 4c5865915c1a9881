# What the chain measurement scripts share, sourced after `set -euo pipefail`
# with the script's arguments: <build dir> [<runs>] [<photo>].
#   root, build, photo   the checkout, the build folder and the photo (default
#                        ../shared/photos/gc_bison_grassland.jpg)
#   predictor_dir        SVMpredictfuzzy's folder: $PREDICTOR_DIR or the build's
#   work                 a temporary folder removed on exit, with a working
#                        directory laid out as the programs expect in $work/run
# `runs` is left to the script, whose default differs.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
photo=${3:-$root/../shared/photos/gc_bison_grassland.jpg}
predictor_dir=$(cd "${PREDICTOR_DIR:-$build/tools/svm}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$root/scripts/layout" "$build" "$work/run" >/dev/null
