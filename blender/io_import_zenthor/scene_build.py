"""Blender data from zenthor's nodes: a new collection with one mesh object per node, each
with its own material and texture, built from arrays (foreach_set) rather than element by
element. Everything made is remembered, so that a build that fails leaves nothing."""

import os
import time

import bpy
import numpy as np

# The custom normals need the split normals of auto smooth before Blender 4.1.
_HAS_AUTO_SMOOTH = "use_auto_smooth" in bpy.types.Mesh.bl_rna.properties


class SceneBuilder:
    def __init__(self, temp_folder):
        self._temp_folder = temp_folder
        self._made = []      # (collection, datablock) of everything made, for Discard
        self._images = {}    # by texture, for the materials that share one
        self.seconds = {"building": 0.0, "normals": 0.0}
        self.triangles = 0

    def build(self, collection_name, nodes, scene):
        """A collection named `collection_name` in `scene` holding one object per node; the
        objects made, in node order."""
        collection = self._add(bpy.data.collections, bpy.data.collections.new(collection_name))
        scene.collection.children.link(collection)
        objects = []
        for node in nodes:
            start = time.perf_counter()
            mesh = self._add(bpy.data.meshes, bpy.data.meshes.new(node.name))
            self._fill(mesh, node)
            if node.material is not None:
                mesh.materials.append(self._material(node.material))
            self.seconds["building"] += time.perf_counter() - start
            if node.normals is not None and len(node.indices):
                start = time.perf_counter()
                if _HAS_AUTO_SMOOTH:
                    mesh.use_auto_smooth = True
                mesh.normals_split_custom_set_from_vertices(node.normals)
                self.seconds["normals"] += time.perf_counter() - start
            obj = self._add(bpy.data.objects, bpy.data.objects.new(node.name, mesh))
            if node.matrix is not None:
                obj.matrix_world = node.matrix.T.tolist()  # rows for Blender
            collection.objects.link(obj)
            objects.append(obj)
        return objects

    def discard(self):
        """Removes everything this builder made."""
        for data, block in reversed(self._made):
            data.remove(block)
        self._made.clear()
        self._images.clear()

    def _add(self, data, block):
        self._made.append((data, block))
        return block

    def _fill(self, mesh, node):
        positions = np.ascontiguousarray(node.positions, dtype=np.float32)
        indices = np.ascontiguousarray(node.indices, dtype=np.int32)
        triangles = len(indices) // 3
        mesh.vertices.add(len(positions))
        mesh.vertices.foreach_set("co", positions.ravel())
        mesh.loops.add(len(indices))
        mesh.loops.foreach_set("vertex_index", indices)
        mesh.polygons.add(triangles)
        mesh.polygons.foreach_set("loop_start", np.arange(0, len(indices), 3, dtype=np.int32))
        mesh.polygons.foreach_set("loop_total", np.full(triangles, 3, dtype=np.int32))
        mesh.polygons.foreach_set("use_smooth", np.ones(triangles, dtype=bool))
        if node.uvs is not None:
            layer = mesh.uv_layers.new(name="UVMap")
            layer.data.foreach_set("uv", np.ascontiguousarray(node.uvs[indices], dtype=np.float32).ravel())
        mesh.update(calc_edges=True)
        self.triangles += triangles

    def _material(self, material):
        made = self._add(bpy.data.materials, bpy.data.materials.new(material.name))
        made.use_nodes = True
        tree = made.node_tree
        shader = next(node for node in tree.nodes if node.type == "BSDF_PRINCIPLED")
        # As zenthor's glTF says: the host's standard material has no metal.
        shader.inputs["Metallic"].default_value = 0.0
        shader.inputs["Roughness"].default_value = 1.0
        if material.texture is None:
            return made
        image_node = tree.nodes.new("ShaderNodeTexImage")
        image_node.image = self._image(material.texture)
        image_node.location = (shader.location.x - 400, shader.location.y)
        tree.links.new(image_node.outputs["Color"], shader.inputs["Base Color"])
        if material.alpha_clip:
            # The texture's alpha is a cut-out (cut-off one half), as in zenthor's glTF.
            tree.links.new(image_node.outputs["Alpha"], shader.inputs["Alpha"])
            if hasattr(made, "blend_method"):
                made.blend_method = "CLIP"
            if hasattr(made, "alpha_threshold"):
                made.alpha_threshold = 0.5
            if hasattr(made, "shadow_method"):
                made.shadow_method = "CLIP"
        return made

    def _image(self, texture):
        key = id(texture)
        if key in self._images:
            return self._images[key]
        path = texture.path
        if texture.png is not None:
            path = os.path.join(self._temp_folder, f"texture{len(self._images)}.png")
            with open(path, "wb") as file:
                file.write(texture.png)
        existing = set(bpy.data.images)
        if os.path.isfile(path):
            image = bpy.data.images.load(path, check_existing=True)
        else:
            # Referenced but not found (the report says so): Blender's own form of a missing image.
            image = bpy.data.images.new(texture.name, 1, 1)
            image.source = "FILE"
            image.filepath = path
        if image not in existing:
            self._add(bpy.data.images, image)
            image.name = texture.name
            if texture.png is not None:
                image.pack()  # the temporary file goes with the import
        self._images[key] = image
        return image
