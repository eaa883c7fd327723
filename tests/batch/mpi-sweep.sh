#!/usr/bin/env bash
# A 4-frame sweep under mpirun with two ranks writes the same frames, tables,
# animation and summary (but for the wall times) as one process.
set -euo pipefail
batch="$1"
mpirun="$2"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sweep=(--sweep z0=0:1:4 --quiet)
run() {
  local where="$1"
  shift
  "$@" "$batch" "${sweep[@]}" --carpet "$scratch/$where/c-{index}.png" --density "$scratch/$where/d-{index}.npy" \
    --animation "$scratch/$where/a.gif" --sweep-summary "$scratch/$where/summary.csv"
}
run one
run ranks "$mpirun" --allow-run-as-root --oversubscribe -n 2
for file in c-0.png c-1.png c-2.png c-3.png d-0.npy d-1.npy d-2.npy d-3.npy a.gif; do
  cmp "$scratch/one/$file" "$scratch/ranks/$file"
done
diff <(cut -d, -f1-3,5 "$scratch/one/summary.csv") <(cut -d, -f1-3,5 "$scratch/ranks/summary.csv")
echo "mpirun -n 2 wrote the files of one process"

# A rank that cannot make its files ready (a file where its folder should
# be) ends the job before any run, and no rank leaves a temporary.
mkdir "$scratch/blocked"
touch "$scratch/blocked/dir1"
if "$mpirun" --allow-run-as-root --oversubscribe -n 2 "$batch" "${sweep[@]}" --density "$scratch/blocked/dir{index}/d.txt" \
    --animation "$scratch/blocked/a.gif" --sweep-summary "$scratch/blocked/s.csv" > /dev/null 2>&1; then
  echo "a rank that could not make its files ready was let through"
  exit 1
fi
left=$(find "$scratch/blocked" -name '*nivaro-unfinished*' -o -name 'a.gif' -o -name 's.csv')
if [ -n "$left" ]; then
  echo "left behind: $left"
  exit 1
fi
echo "a blocked rank ended the job with no temporary left"
