#!/bin/sh
# Writes the sample model in every output format with each texture mode, and a batch with
# PNG textures, below OUT (emptied first), for the checks with other programs.
#   write_sample_outputs.sh ZENTHOR SAMPLE_CONTENT OUT
set -eu
zenthor=$1 content=$2 out=$3
rm -rf "$out"
for textures in keep png; do
  for format in glb gltf obj; do
    "$zenthor" import "$content/models/sample.model" -o "$out/$textures/sample.$format" --yes \
      --textures "$textures" >/dev/null
  done
done
"$zenthor" import "$content/models" --out-dir "$out/batch" --format gltf --textures png --jobs 2 >/dev/null
