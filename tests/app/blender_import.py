# Imports zenthor's outputs into Blender and checks what it made of each: the sample's four
# objects by name, each with its material and a texture whose pixels loaded, from the DDS
# files (--textures keep) or from PNG images (--textures png).
#   blender -b --factory-startup --python-exit-code 1 --python blender_import.py -- FILE...
# A file's texture kind is the name of the folder holding it: keep/ or png/.
import os
import sys

import bpy
import numpy

# The glTF importer of Blender 3.4 still uses an alias that numpy 1.24 removed.
numpy.bool = bool

EXPECTED = {"pedestal": "props\\pedestal", "pillar": "props\\pillar", "banner": "props\\banner",
            "crate": "props\\crate"}


def clear():
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.images):
        for item in list(collection):
            collection.remove(item)


def image_kind(image):
    if image.filepath.lower().endswith(".dds"):
        return "keep"
    return "png" if image.file_format == "PNG" else "unknown"


failures = []
for path in map(os.path.abspath, sys.argv[sys.argv.index("--") + 1:]):
    clear()
    if path.endswith(".obj"):
        bpy.ops.wm.obj_import(filepath=path)
    else:
        bpy.ops.import_scene.gltf(filepath=path)
    textures = os.path.basename(os.path.dirname(path))
    found = {}
    for obj in bpy.data.objects:
        materials = [slot.material for slot in obj.material_slots if slot.material]
        images = [node.image for m in materials for node in m.node_tree.nodes
                  if node.type == "TEX_IMAGE" and node.image]
        found[obj.name] = ([m.name for m in materials],
                           sorted({(image_kind(i), i.size[0] > 0) for i in images}))
        print(f"{path}: {obj.name}: materials {found[obj.name][0]}, textures {found[obj.name][1]}")
    expected = {name: ([material], [(textures, True)]) for name, material in EXPECTED.items()}
    if found != expected:
        failures.append(path)

if failures:
    print("not as expected: " + ", ".join(failures))
    sys.exit(1)
