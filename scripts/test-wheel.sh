#!/usr/bin/env bash
# Builds the Python package's wheel as pip's users get it (the project's
# CMake, engine and package only), installs it into a fresh virtual
# environment and runs the Python tests against the installed copy, next to
# the release build's nivaro-batch.
#
# The environment sees the system's site packages: offline, a plain one
# could not get NumPy (Debian's python3-numpy is the only NumPy here). Its
# own site-packages come first, so the tests import the wheel, which is
# checked.
set -euo pipefail
cd "$(dirname "$0")/.."

python=/usr/bin/python3
dist="$(mktemp -d)"
venv="$(mktemp -d)"
trap 'rm -rf "$dist" "$venv"' EXIT

"$python" -m build --no-isolation --wheel --outdir "$dist" > "$dist/build.log" 2>&1 || { cat "$dist/build.log"; exit 1; }
"$python" -m venv --system-site-packages "$venv"
"$venv/bin/python" -m pip install --no-index --no-deps --quiet "$dist"/nivaro-*.whl
(cd "$venv" && bin/python -c "
import pathlib, sys, nivaro
assert pathlib.Path(nivaro.__file__).is_relative_to(sys.prefix), nivaro.__file__
print('the wheel of nivaro', nivaro.__version__, 'imports from', pathlib.Path(nivaro.__file__).parent)")
NIVARO_BATCH="$PWD/build/release/apps/nivaro-batch/nivaro-batch" "$venv/bin/python" -m pytest -q -p no:cacheprovider tests/python
