"""The add-on's preferences: which zenthor program imports the files."""

import bpy
from bpy.props import StringProperty


class ZenthorPreferences(bpy.types.AddonPreferences):
    bl_idname = __package__

    zenthor_path: StringProperty(
        name="zenthor program", subtype="FILE_PATH", default="",
        description="Another zenthor program to import with; empty for the one the add-on carries")

    def draw(self, context):
        self.layout.prop(self, "zenthor_path")
