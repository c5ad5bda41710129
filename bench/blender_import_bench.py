#!/usr/bin/env python3
"""The Blender add-on against Blender's own glTF importer, on the 1,000,000-triangle terrain
model (46 meshes): the add-on's import from the game file, zenthor's conversion included,
against bpy.ops.import_scene.gltf of zenthor's own .glb of the same model, in one Blender
process, the least of RUNS runs each. Also the add-on's time split: zenthor, transfer (reading
its .glb), building, normals.

    bench/blender_import_bench.py [--runs 3]      (after cmake --build --preset default)
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = os.path.join(root, "build", "default")
args = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
args.add_argument("--runs", type=int, default=3)
args.add_argument("--addon", default=os.path.join(build, "packages", "io_import_zenthor-1.1.0-linux-x64.zip"))
options = args.parse_args()

with tempfile.TemporaryDirectory(prefix="zenthor-blender-bench-") as base:
    model = os.path.join(base, "content", "models", "terrain.model")
    os.makedirs(os.path.dirname(model))
    subprocess.run([os.path.join(build, "tests", "support", "zenthor_make_large_model"), model], check=True)
    glb = os.path.join(base, "terrain.glb")
    subprocess.run([os.path.join(build, "bin", "zenthor"), "import", model, "-o", glb, "--yes"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(base, "scripts"))
    run = subprocess.run(["blender", "-b", "--factory-startup", "--python-exit-code", "1", "--python",
                          os.path.join(root, "bench", "blender_import_inside.py"), "--",
                          options.addon, model, glb, str(options.runs)],
                         env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode != 0:
        print(run.stdout)
        sys.exit(1)

times = {"addon": [], "gltf": []}
for name, seconds in re.findall(r"^bench (\w+) ([\d.]+)$", run.stdout, re.M):
    times[name].append(float(seconds))
splits = [dict(re.findall(r"(\w+) ([\d.]+) s", line))
          for line in re.findall(r"^zenthor import of terrain\.model: (.*)$", run.stdout, re.M)]
addon, gltf = min(times["addon"]), min(times["gltf"])
print(f"add-on, from the game file:       {addon:.2f} s (least of {len(times['addon'])})")
print(f"glTF importer, zenthor's .glb:    {gltf:.2f} s (least of {len(times['gltf'])})")
print(f"ratio:                            {addon / gltf:.2f}x")
fastest = min(splits, key=lambda split: sum(map(float, split.values())))
print("add-on's split of its fastest run: " + ", ".join(f"{k} {float(v):.2f} s" for k, v in fastest.items()))
