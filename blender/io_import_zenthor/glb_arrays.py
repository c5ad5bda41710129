"""zenthor's .glb read back into arrays for Blender: one entry per scene node, with the
host's vertices, normals, texture coordinates and triangles in Blender's axes.

zenthor writes the host's Z-up scene in glTF's Y-up axes, x right, (x, y, z) -> (x, z, -y),
and texture coordinates with v growing downwards; both are turned back here, so the
arrays are the host's own."""

import json
import os
import struct
import urllib.parse
from dataclasses import dataclass
from typing import Optional

import numpy as np

_COMPONENT_TYPES = {5126: np.float32, 5125: np.uint32, 5123: np.uint16, 5121: np.uint8}
_GLB_MAGIC = 0x46546C67
_JSON_CHUNK = 0x4E4F534A
_BIN_CHUNK = 0x004E4942


class GlbError(Exception):
    """The file is not a .glb as zenthor writes it."""


@dataclass
class Texture:
    name: str
    path: Optional[str] = None    # a file to load (the game's DDS), or
    png: Optional[bytes] = None   # a PNG carried in the .glb


@dataclass
class Material:
    name: str
    texture: Optional[Texture]
    alpha_clip: bool  # the texture's alpha is a cut-out


@dataclass
class Node:
    name: str
    positions: np.ndarray   # (n, 3) float32, Blender axes
    normals: Optional[np.ndarray]  # (n, 3) float32, or None
    uvs: Optional[np.ndarray]      # (n, 2) float32, v up
    indices: np.ndarray     # (3t,) int32, triangles in the host's corner order
    matrix: Optional[np.ndarray]   # 4x4 in Blender axes, None for the identity
    material: Optional[Material]


# glTF's axes to Blender's: (x, y, z) -> (x, -z, y).
_TO_BLENDER = np.array([[1, 0, 0, 0], [0, 0, -1, 0], [0, 1, 0, 0], [0, 0, 0, 1]], dtype=np.float64)


def _blender_axes(vectors):
    """glTF's Y-up vectors in Blender's Z-up axes, as _TO_BLENDER turns them."""
    turned = np.empty_like(vectors)
    turned[:, 0] = vectors[:, 0]
    turned[:, 1] = -vectors[:, 2]
    turned[:, 2] = vectors[:, 1]
    return turned


def _chunks(data):
    if len(data) < 12:
        raise GlbError("shorter than a .glb header")
    magic, version, length = struct.unpack_from("<III", data, 0)
    if magic != _GLB_MAGIC or version != 2 or length > len(data):
        raise GlbError("not a glTF 2.0 binary")
    chunks = {}
    at = 12
    while at + 8 <= length:
        size, kind = struct.unpack_from("<II", data, at)
        if at + 8 + size > length:
            raise GlbError("a chunk runs past the end of the file")
        chunks[kind] = memoryview(data)[at + 8:at + 8 + size]
        at += 8 + size
    if _JSON_CHUNK not in chunks:
        raise GlbError("no JSON chunk")
    return json.loads(bytes(chunks[_JSON_CHUNK])), chunks.get(_BIN_CHUNK, memoryview(b""))


def read(path):
    """The nodes of the .glb at `path`, in scene order."""
    with open(path, "rb") as file:
        data = file.read()
    doc, binary = _chunks(data)
    folder = os.path.dirname(path)

    def view_bytes(index):
        view = doc["bufferViews"][index]
        start = view.get("byteOffset", 0)
        return binary[start:start + view["byteLength"]]

    def accessor(index, components):
        acc = doc["accessors"][index]
        view = doc["bufferViews"][acc["bufferView"]]
        count = acc["count"] * components
        dtype = _COMPONENT_TYPES[acc["componentType"]]
        array = np.frombuffer(binary, dtype=dtype, count=count,
                              offset=view.get("byteOffset", 0) + acc.get("byteOffset", 0))
        return array.reshape(-1, components) if components > 1 else array

    textures = {}

    # A texture by the image it shows, so that materials sharing a file share one texture.
    def texture(index, material_name):
        source = doc["textures"][index]["source"]
        if source not in textures:
            image = doc["images"][source]
            if "bufferView" in image:
                textures[source] = Texture(image.get("name") or material_name,
                                           png=bytes(view_bytes(image["bufferView"])))
            else:
                path = os.path.normpath(os.path.join(folder, urllib.parse.unquote(image["uri"])))
                textures[source] = Texture(image.get("name") or os.path.basename(path), path=path)
        return textures[source]

    def material(index):
        mat = doc["materials"][index]
        name = mat.get("name", "")
        base = mat.get("pbrMetallicRoughness", {}).get("baseColorTexture")
        return Material(name, texture(base["index"], name) if base else None, mat.get("alphaMode") == "MASK")

    nodes = []
    for node in doc.get("nodes", []):
        matrix = None
        if "matrix" in node:
            gltf = np.array(node["matrix"], dtype=np.float64).reshape(4, 4).T  # column-major
            matrix = _TO_BLENDER @ gltf @ _TO_BLENDER.T
        if "mesh" not in node:
            nodes.append(Node(node.get("name", ""), np.zeros((0, 3), np.float32), None, None,
                              np.zeros(0, np.int32), matrix, None))
            continue
        primitive = doc["meshes"][node["mesh"]]["primitives"][0]
        attributes = primitive["attributes"]
        positions = _blender_axes(accessor(attributes["POSITION"], 3))
        normals = None
        if "NORMAL" in attributes:
            normals = _blender_axes(accessor(attributes["NORMAL"], 3))
        uvs = None
        if "TEXCOORD_0" in attributes:
            gltf_uvs = accessor(attributes["TEXCOORD_0"], 2)
            uvs = np.empty_like(gltf_uvs)
            uvs[:, 0] = gltf_uvs[:, 0]
            uvs[:, 1] = 1.0 - gltf_uvs[:, 1]
        indices = accessor(primitive["indices"], 1).astype(np.int32)
        mat = material(primitive["material"]) if "material" in primitive else None
        nodes.append(Node(node.get("name", ""), positions, normals, uvs, indices, matrix, mat))
    return nodes
