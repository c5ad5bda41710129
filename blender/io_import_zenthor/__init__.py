bl_info = {
    "name": "Zenthor models (.model, .mesh)",
    "author": "ZenthorMeshImport developers",
    "version": (1, 1, 0),
    "blender": (3, 4, 0),
    "location": "File > Import",
    "description": "Imports a game's .model and .mesh files through zenthor",
    "category": "Import-Export",
}


def register():
    pass


def unregister():
    pass
