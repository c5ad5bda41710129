# Runs inside Blender for blender_import_bench.py: imports one game model through the add-on
# and zenthor's .glb of the same model through Blender's own glTF importer, alternately, in
# one Blender process, each into an emptied scene; prints each time.
#
#   blender -b --factory-startup --python blender_import_inside.py -- ADDON_ZIP MODEL GLB RUNS
import sys
import time

import bpy
import numpy

addon, model, glb, runs = sys.argv[sys.argv.index("--") + 1:]

# Debian 12's Blender 3.4 bundles a glTF importer that still uses numpy.bool, which the numpy
# of Debian 12 no longer has; the add-on itself does not meet it.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

bpy.ops.preferences.addon_install(filepath=addon)
bpy.ops.preferences.addon_enable(module="io_import_zenthor")


def empty_scene():
    for kind in ("objects", "meshes", "materials", "images", "collections"):
        data = getattr(bpy.data, kind)
        for block in list(data):
            data.remove(block)


imports = {
    "addon": lambda: bpy.ops.import_scene.zenthor_model(filepath=model),
    "gltf": lambda: bpy.ops.import_scene.gltf(filepath=glb),
}
for run in range(int(runs)):
    for name in (("addon", "gltf") if run % 2 == 0 else ("gltf", "addon")):
        empty_scene()
        start = time.perf_counter()
        imports[name]()
        print(f"bench {name} {time.perf_counter() - start:.3f}", flush=True)
