#!/usr/bin/env python3
"""The Blender add-on in a real Blender: installs it from its zip into a Blender of its own
(a temporary BLENDER_USER_SCRIPTS), imports content trees made from the sample through it
(addon_test.py, inside Blender), and checks the reports Blender prints and that nothing is
left in the temporary folder.

    run_addon_test.py --blender PROGRAM --addon ZIP --zenthor PROGRAM --samples CONTENT
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

args = argparse.ArgumentParser()
for name in ("--blender", "--addon", "--zenthor", "--samples"):
    args.add_argument(name, required=True)
options = args.parse_args()
here = os.path.dirname(os.path.abspath(__file__))

with tempfile.TemporaryDirectory(prefix="zenthor-addon-test-") as base:
    tree = os.path.join(base, "one", "content")
    shutil.copytree(options.samples, tree)
    with open(os.path.join(tree, "models", "broken.model"), "wb") as file:
        file.write(b"garbage\n")
    shutil.copy(os.path.join(tree, "meshes", "crate.mesh"), os.path.join(tree, "models", "second.mesh"))
    tree2 = os.path.join(base, "two", "content")
    shutil.copytree(options.samples, tree2)
    os.remove(os.path.join(tree2, "textures", "cloth.512.dds"))
    work = os.path.join(base, "work")
    temp = os.path.join(base, "tmp")
    os.makedirs(work)
    os.makedirs(temp)
    env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(base, "scripts"), TMPDIR=temp)
    run = subprocess.run([options.blender, "-b", "--factory-startup", "--python-exit-code", "1",
                          "--python", os.path.join(here, "addon_test.py"), "--",
                          "--addon", options.addon, "--zenthor", options.zenthor,
                          "--tree", tree, "--tree2", tree2, "--work", work],
                         env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(run.stdout)
    failed = run.returncode != 0
    # The reports, as Blender prints them in the background.
    for line in ("Info: Imported 4 objects, 38 triangles from sample.model",
                 "Warning: sample.model: 1 level-of-detail file skipped: crate_lod1; tick Include lods to load them",
                 "Error: Cannot import broken.model: it is not a .model or .mesh file",
                 "Info: Imported 5 objects, 50 triangles from 2 files",
                 "Warning: sample.model: texture not found: " + os.path.join(tree2, "textures", "cloth.512.dds")):
        if line not in run.stdout:
            print(f"FAILED: Blender did not report: {line}")
            failed = True
    if os.listdir(temp):
        print(f"FAILED: left in the temporary folder: {os.listdir(temp)}")
        failed = True
sys.exit(1 if failed else 0)
