"""File > Import > Game model: the operator that imports .model and .mesh files through
zenthor, one collection per file."""

import os
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

import bpy
from bpy.props import BoolProperty, CollectionProperty, EnumProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from . import glb_arrays, scene_build, zenthor_run

# How the report names the add-on's option for level-of-detail files.
LOD_HINT = "tick Include lods to load them"


class ImportGameModel(bpy.types.Operator, ImportHelper):
    """Import a game's .model and .mesh files, with their meshes, materials and textures"""

    bl_idname = "import_scene.zenthor_model"
    bl_label = "Import Game Model"
    bl_options = {"REGISTER", "UNDO", "PRESET"}

    filename_ext = ".model"
    filter_glob: StringProperty(default="*.model;*.mesh", options={"HIDDEN"})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement, options={"HIDDEN", "SKIP_SAVE"})
    directory: StringProperty(subtype="DIR_PATH", options={"HIDDEN", "SKIP_SAVE"})
    include_lods: BoolProperty(
        name="Include lods", default=False,
        description="Also import the lower levels of detail (mesh files whose names hold _lod)")
    textures: EnumProperty(
        name="Textures",
        items=(("KEEP", "Game's DDS", "Use the game's DDS files as they are"),
               ("PNG", "PNG", "Convert the textures to PNG, packed into the .blend file")),
        default="KEEP")

    def invoke(self, context, event):
        # Files dropped on the view arrive with their paths set.
        if self.filepath or self.files:
            return self.execute(context)
        return ImportHelper.invoke(self, context, event)

    def execute(self, context):
        paths = self._paths()
        preferences = context.preferences.addons[__package__].preferences
        try:
            program = zenthor_run.executable(preferences.zenthor_path)
        except zenthor_run.ZenthorUnavailable as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        window_manager = context.window_manager
        window_manager.progress_begin(0, len(paths))
        imported = objects = triangles = 0
        try:
            for index, (path, result, folder) in enumerate(self._imports(program, paths)):
                try:
                    made = self._build(context, path, result, folder)
                finally:
                    folder.cleanup()
                if made is not None:
                    imported += 1
                    objects += made[0]
                    triangles += made[1]
                window_manager.progress_update(index + 1)
        except zenthor_run.ZenthorUnavailable as error:
            self.report({"ERROR"}, str(error))
        finally:
            window_manager.progress_end()
        if imported == 0:
            return {"CANCELLED"}
        what = os.path.basename(paths[0]) if len(paths) == 1 else f"{imported} files"
        self.report({"INFO"}, f"Imported {objects} objects, {triangles} triangles from {what}")
        return {"FINISHED"}

    def _paths(self):
        if self.files and self.directory:
            return [os.path.join(self.directory, item.name) for item in self.files if item.name]
        return [self.filepath]

    def _imports(self, program, paths):
        """(path, result, temporary folder) of each file in order; zenthor imports the next
        file while Blender builds the one before."""
        textures = self.textures.lower()
        with ThreadPoolExecutor(max_workers=1) as pool:
            def start(path):
                folder = tempfile.TemporaryDirectory(prefix="zenthor-blender-")
                return folder, pool.submit(zenthor_run.import_file, program, path, folder.name,
                                           self.include_lods, textures)
            pending = [start(path) for path in paths[:1]]
            for index, path in enumerate(paths):
                folder, future = pending.pop(0)
                if index + 1 < len(paths):
                    pending.append(start(paths[index + 1]))
                try:
                    result = future.result()
                except BaseException:
                    folder.cleanup()
                    raise
                yield path, result, folder

    def _build(self, context, path, result, folder):
        """Builds what zenthor imported from `path`, reporting what it left out; the numbers
        of objects and triangles made, or None when nothing was."""
        name = os.path.basename(path)
        if not result.ok:
            self.report({"ERROR"}, f"Cannot import {name}: {result.error}")
            return None
        start = time.perf_counter()
        nodes = glb_arrays.read(result.glb)
        transfer = time.perf_counter() - start
        builder = scene_build.SceneBuilder(folder.name)
        try:
            objects = builder.build(os.path.splitext(name)[0], nodes, context.scene)
        except Exception as error:
            builder.discard()
            self.report({"ERROR"}, f"Cannot import {name}: {error}")
            return None
        for line in result.lines:
            self.report({"WARNING"}, f"{name}: {line}")
        if result.lod_line:
            self.report({"WARNING"}, f"{name}: {result.lod_line}; {LOD_HINT}")
        _select(context, objects)
        print(f"zenthor import of {name}: zenthor {result.seconds:.2f} s, transfer {transfer:.2f} s, "
              f"building {builder.seconds['building']:.2f} s, normals {builder.seconds['normals']:.2f} s")
        return len(objects), builder.triangles


def _select(context, objects):
    for obj in context.view_layer.objects:
        obj.select_set(False)
    for obj in objects:
        obj.select_set(True)
    if objects:
        context.view_layer.objects.active = objects[0]
