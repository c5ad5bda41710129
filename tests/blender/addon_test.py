# Runs inside Blender (blender -b --factory-startup --python addon_test.py -- ARGS): installs
# the add-on, imports content trees through it and checks what it built against zenthor's
# own OBJ of the same files, read here with no code of the add-on's. The reports it makes
# are printed by Blender and checked by run_addon_test.py.
#
#   ARGS: --addon ZIP --zenthor PROGRAM --tree CONTENT --tree2 CONTENT --work FOLDER
import argparse
import os
import re
import subprocess
import sys

import bpy
import numpy as np

args = argparse.ArgumentParser()
args.add_argument("--addon", required=True)
args.add_argument("--zenthor", required=True)
args.add_argument("--tree", required=True)   # the sample tree, with models/broken.model and second.mesh
args.add_argument("--tree2", required=True)  # the sample tree without one of its textures
args.add_argument("--work", required=True)   # a folder for the OBJ files
options = args.parse_args(sys.argv[sys.argv.index("--") + 1:])
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print(f"FAILED: {what}")


def model(name):
    return os.path.join(options.tree, "models", name)


def tree_state():
    state = {}
    for folder, _, files in os.walk(options.tree):
        for file in files:
            stat = os.stat(os.path.join(folder, file))
            state[os.path.join(folder, file)] = (stat.st_size, stat.st_mtime_ns)
    return state


def scene_state():
    return {kind: sorted(block.name for block in getattr(bpy.data, kind))
            for kind in ("objects", "meshes", "materials", "images", "collections")}


def read_obj(path):
    """Objects of a zenthor OBJ in order: name, per corner of each triangle its position,
    texture coordinate and normal (OBJ's y-up axes turned to Blender's), the material, and
    which materials take their alpha from the texture."""
    positions, uvs, normals, objects = [], [], [], []
    with open(path) as file:
        for line in file:
            words = line.split()
            if not words:
                continue
            if words[0] == "v":
                x, y, z = map(float, words[1:4])
                positions.append((x, -z, y))
            elif words[0] == "vt":
                uvs.append(tuple(map(float, words[1:3])))
            elif words[0] == "vn":
                x, y, z = map(float, words[1:4])
                normals.append((x, -z, y))
            elif words[0] == "o":
                objects.append({"name": line[2:].rstrip("\n"), "corners": [], "material": None})
            elif words[0] == "usemtl":
                objects[-1]["material"] = line[7:].rstrip("\n")
            elif words[0] == "f":
                for corner in words[1:]:
                    p, t, n = (int(i) - 1 for i in corner.split("/"))
                    objects[-1]["corners"].append(positions[p] + uvs[t] + normals[n])
    cut_out = set()
    with open(os.path.splitext(path)[0] + ".mtl") as file:
        current = None
        for line in file:
            if line.startswith("newmtl "):
                current = line[7:].rstrip("\n")
            elif line.startswith("map_d "):
                cut_out.add(current)
    return objects, cut_out


def corners_of(obj):
    """Per corner of each polygon in order: position, texture coordinate, normal."""
    mesh = obj.data
    if hasattr(mesh, "calc_normals_split"):
        mesh.calc_normals_split()
    loops = len(mesh.loops)
    vertex = np.empty(loops, np.int32)
    mesh.loops.foreach_get("vertex_index", vertex)
    co = np.empty(len(mesh.vertices) * 3, np.float32)
    mesh.vertices.foreach_get("co", co)
    uv = np.empty(loops * 2, np.float32)
    mesh.uv_layers[0].data.foreach_get("uv", uv)
    normal = np.empty(loops * 3, np.float32)
    mesh.loops.foreach_get("normal", normal)
    return np.hstack([co.reshape(-1, 3)[vertex], uv.reshape(-1, 2), normal.reshape(-1, 3)])


def compare(collection, obj_path, keep_textures):
    expected, cut_out = read_obj(obj_path)
    objects = list(collection.objects)
    # Blender tells objects of one name apart by ".001", ".002", ...
    check([re.sub(r"\.\d{3}$", "", o.name) for o in objects] == [e["name"] for e in expected],
          f"{collection.name}: objects {[o.name for o in objects]}")
    for obj, want in zip(objects, expected):
        got = corners_of(obj)
        corners = np.array(want["corners"], np.float32)
        check(len(obj.data.polygons) * 3 == len(corners), f"{obj.name}: {len(obj.data.polygons)} polygons")
        if got.shape == corners.shape:
            # Positions and texture coordinates exactly (but for float rounding); normals as
            # closely as Blender keeps custom normals.
            check(np.abs(got[:, :5] - corners[:, :5]).max() < 1e-5, f"{obj.name}: positions or UVs differ")
            worst = np.abs(got[:, 5:] - corners[:, 5:]).max()
            check(worst < 2e-3, f"{obj.name}: normals differ by {worst}")
        materials = obj.data.materials
        check(len(materials) == 1 and materials[0].users == 1, f"{obj.name}: not one material of its own")
        if not materials:
            continue
        material = materials[0]
        # Blender tells materials of one name apart by ".001", ".002", ...
        check(re.sub(r"\.\d{3}$", "", material.name) == want["material"], f"{obj.name}: material {material.name}")
        images = [n.image for n in material.node_tree.nodes if n.type == "TEX_IMAGE"]
        check(len(images) == 1 and images[0].size[0] > 0, f"{obj.name}: texture not loaded")
        if images:
            image = images[0]
            if keep_textures:
                check(image.filepath.lower().endswith(".dds") and image.packed_file is None,
                      f"{obj.name}: {image.filepath} is not the game's DDS")
            else:
                check(image.packed_file is not None, f"{obj.name}: PNG not packed")
        clipped = material.blend_method == "CLIP"
        check(clipped == (want["material"] in cut_out), f"{obj.name}: cut-out {clipped}")


def zenthor_obj(source, name, *flags):
    path = os.path.join(options.work, name + ".obj")
    subprocess.run([options.zenthor, "import", source, "-o", path, *flags], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path


def import_files(*paths, **settings):
    folder = os.path.dirname(paths[0])
    return bpy.ops.import_scene.zenthor_model(
        filepath=paths[0], directory=folder, files=[{"name": os.path.basename(p)} for p in paths], **settings)


bpy.ops.preferences.addon_install(filepath=options.addon)
bpy.ops.preferences.addon_enable(module="io_import_zenthor")
check(hasattr(bpy.ops.import_scene, "zenthor_model"), "the operator is registered")
before = tree_state()

# One file, the game's DDS textures: a collection of the file's objects, as zenthor has them.
check(import_files(model("sample.model")) == {"FINISHED"}, "sample imported")
sample = bpy.data.collections["sample"]
compare(sample, zenthor_obj(model("sample.model"), "sample", "--yes"), keep_textures=True)
check(all(o.select_get() for o in sample.objects), "the imported objects are selected")
check(not bpy.data.objects["Cube"].select_get(), "the user's cube is no longer selected")

# The answer to the dialog, and PNG textures.
bpy.ops.import_scene.zenthor_model(filepath=model("sample.model"), include_lods=True, textures="PNG")
compare(bpy.data.collections["sample.001"], zenthor_obj(model("sample.model"), "lods", "--include-lods"),
        keep_textures=False)

# Several files: one that fails stops none of the others, and says why.
try:
    import_files(model("sample.model"), model("broken.model"), model("second.mesh"))
    check(False, "a failed file makes an ERROR report")
except RuntimeError:
    pass
check("sample.002" in bpy.data.collections and "second" in bpy.data.collections, "the other files imported")
check("broken" not in bpy.data.collections, "nothing of the failed file")

# A texture that is not found is reported.
bpy.ops.import_scene.zenthor_model(filepath=os.path.join(options.tree2, "models", "sample.model"))

# A failure alone leaves the scene as it was.
before_failure = scene_state()
cube = bpy.data.objects["Cube"]
cube.location = (1.0, 2.0, 3.0)
try:
    bpy.ops.import_scene.zenthor_model(filepath=model("broken.model"))
    check(False, "a failed import makes an ERROR report")
except RuntimeError:
    pass
check(scene_state() == before_failure, "a failed import changed the scene")
check(tuple(cube.location) == (1.0, 2.0, 3.0), "the user's object was moved")

# Another zenthor program that cannot run is named.
preferences = bpy.context.preferences.addons["io_import_zenthor"].preferences
not_a_program = os.path.join(options.work, "zenthor")
with open(not_a_program, "w") as file:
    file.write("not a program\n")
os.chmod(not_a_program, 0o755)
for program in (not_a_program, os.path.join(options.work, "missing", "zenthor")):
    preferences.zenthor_path = program
    try:
        bpy.ops.import_scene.zenthor_model(filepath=model("sample.model"))
        check(False, f"{program}: no ERROR")
    except RuntimeError as error:
        check(program in str(error), f"the error names {program}: {error}")
preferences.zenthor_path = ""

check(tree_state() == before, "the content tree changed")
print("addon_test: " + ("passed" if not failures else f"{len(failures)} failed"))
sys.exit(1 if failures else 0)
