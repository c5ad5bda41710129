"""Imports a game's .model and .mesh files into Blender through zenthor and the game's
import plug-in: File > Import > Game model (.model, .mesh), and on Blender 4.1 and later by
dropping the files on the 3D view."""

bl_info = {
    "name": "Game model importer (zenthor)",
    "author": "ZenthorMeshImport developers",
    "version": (1, 1, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > Game model (.model, .mesh)",
    "description": "Imports a game's .model and .mesh files with their meshes, materials and textures",
    "category": "Import-Export",
}

import bpy

from .operator import ImportGameModel
from .preferences import ZenthorPreferences


def _menu_entry(self, context):
    self.layout.operator(ImportGameModel.bl_idname, text="Game model (.model, .mesh)")


_classes = [ZenthorPreferences, ImportGameModel]

if hasattr(bpy.types, "FileHandler"):
    class IO_FH_zenthor_model(bpy.types.FileHandler):
        bl_idname = "IO_FH_zenthor_model"
        bl_label = "Game model"
        bl_import_operator = ImportGameModel.bl_idname
        bl_file_extensions = ".model;.mesh"

        @classmethod
        def poll_drop(cls, context):
            return context.area is not None and context.area.type == "VIEW_3D"

    _classes.append(IO_FH_zenthor_model)


def register():
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(_menu_entry)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(_menu_entry)
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
