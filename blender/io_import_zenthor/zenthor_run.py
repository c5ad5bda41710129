"""Running zenthor, the importer's host, on one game file: it imports the file through the
game's import plug-in into a temporary .glb with a JSON report, which the add-on reads."""

import json
import os
import stat
import subprocess
import time
from dataclasses import dataclass, field

# zenthor as the add-on carries it: a relocatable installation in the add-on's folder.
BUNDLED_ZENTHOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin", "zenthor")


class ZenthorUnavailable(Exception):
    """The zenthor program cannot be run at all; the message names it."""


@dataclass
class ImportResult:
    ok: bool
    error: str = ""             # why, when not ok, as zenthor says it
    glb: str = ""               # the written scene, when ok
    lines: list = field(default_factory=list)  # what was left out, one line per kind
    lod_line: str = ""                          # the level-of-detail files skipped, if any
    seconds: float = 0.0


def executable(configured):
    """The zenthor program to run: `configured` (the add-on's preference) when set, else the
    bundled one, made runnable (Blender unpacks add-ons without file permissions)."""
    if configured:
        path = os.path.abspath(bpy_path(configured))
        if not os.path.isfile(path):
            raise ZenthorUnavailable(f"zenthor not found at {path}")
        return path
    path = BUNDLED_ZENTHOR
    if not os.path.isfile(path):
        raise ZenthorUnavailable(f"the add-on carries no zenthor program ({path} is missing); "
                                 "set one in the add-on's preferences")
    mode = os.stat(path).st_mode
    if not mode & stat.S_IXUSR:
        os.chmod(path, mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
    return path


def bpy_path(path):
    """A path as Blender's file fields give it ("//" for the blend file's folder) made plain."""
    try:
        import bpy
        return bpy.path.abspath(path)
    except ImportError:
        return path


def import_file(program, source, folder, include_lods, textures):
    """Imports `source` through `program` into `folder` (a temporary folder of the caller's)
    as out.glb, with textures "keep" (the game's DDS files) or "png"."""
    glb = os.path.join(folder, "out.glb")
    report = os.path.join(folder, "report.json")
    command = [program, "import", source, "-o", glb, "--format", "glb", "--textures", textures,
               "--include-lods" if include_lods else "--yes", "--report", report]
    start = time.perf_counter()
    try:
        run = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True, errors="replace")
    except OSError as error:
        raise ZenthorUnavailable(f"zenthor at {program} does not run: {error.strerror}") from error
    seconds = time.perf_counter() - start
    entry = None
    if os.path.isfile(report):
        with open(report, encoding="utf-8") as file:
            files = json.load(file).get("files", [])
            entry = files[0] if files else None
    if entry is None:
        # No report: zenthor could not even start the import; its last words say why.
        words = [line for line in run.stderr.splitlines() if line.strip()]
        return ImportResult(False, error=words[-1] if words else f"zenthor ended with status {run.returncode}",
                            seconds=seconds)
    ok = entry.get("status") != "failed" and run.returncode in (0, 3)
    return ImportResult(ok, error=entry.get("error", ""), glb=glb if ok else "",
                        lines=entry.get("lines", []), lod_line=entry.get("levelOfDetailLine") or "",
                        seconds=seconds)
