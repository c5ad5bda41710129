#!/bin/sh
# Imports the sample model (with and without level-of-detail meshes, in every output format
# and texture mode) and, with --large, the 1,000,000-triangle terrain model, then compares the
# SHA-256 of every file written with the list in EXPECTED. Changes to the import's speed or
# memory must leave every output byte as it was. The content is copied below WORK first, so
# the relative texture paths written do not depend on where the tree lies.
#   output_digests.sh ZENTHOR SAMPLE_CONTENT MAKE_LARGE_MODEL WORK EXPECTED [--large]
# With ZENTHOR_UPDATE_DIGESTS=1 it writes EXPECTED instead (after a deliberate output change).
set -eu
zenthor=$1 content=$2 make_large=$3 work=$4 expected=$5 large=${6:-}
rm -rf "$work"
mkdir -p "$work/out"
cp -R "$content" "$work/content"
for lods in "" --include-lods; do
  for textures in keep png; do
    for format in glb gltf obj; do
      "$zenthor" import "$work/content/models/sample.model" -o "$work/out/sample$lods/$textures/sample.$format" \
        --yes $lods --textures "$textures" >/dev/null
    done
  done
done
if [ "$large" = --large ]; then
  "$make_large" "$work/content/models/terrain.model"
  for format in glb obj; do
    "$zenthor" import "$work/content/models/terrain.model" -o "$work/out/large/terrain.$format" --yes \
      >/dev/null
  done
fi
(cd "$work/out" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) >"$work/digests"
if [ "${ZENTHOR_UPDATE_DIGESTS:-}" = 1 ]; then
  cp "$work/digests" "$expected"
  exit 0
fi
# Without --large, the large model's lines are not expected.
if [ "$large" = --large ]; then
  cp "$expected" "$work/expected"
else
  grep -v '  large/' "$expected" >"$work/expected" || true
fi
if ! diff -u "$work/expected" "$work/digests"; then
  echo "output_digests: the files written differ from $expected (lines marked + are new)" >&2
  exit 1
fi
rm -rf "$work"
