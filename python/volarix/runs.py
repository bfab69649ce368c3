"""Runs of the current scene: what ``volarix run`` does after its script."""

import os

from . import _volarix, cmds


def _path(path):
    return None if path is None else os.fspath(path)


def new_scene():
    """Empties the scene, as ``file -f -new`` does: no nodes, frame 1 of the
    default 1 to 120 range. Loaded plug-ins stay loaded."""
    cmds.file(f=True, new=True)


def run(frames=(1, 120), cache=None, cache_format="pdc", playblast=None, threads=0, progress=None,
        keep_old=False, view=None, frame=None, speed_range=None):
    """Steps the current scene from the first to the last of ``frames``
    (``None``: the scene's playback range) with ``volarix run``'s own loop,
    and returns its summary as ``volarix run --json`` prints it (a dict).

    ``cache`` names a folder for one ``<shape>.<frame>.<cache_format>`` file
    per frame and particle shape ("pdc", "ply" or "csv"), with cache.json
    saying what they are; the files an earlier run left there for the same
    shapes are removed first unless ``keep_old``. ``playblast`` names one
    for a picture per frame, the summary picture and, with ffmpeg, a video,
    named after the scene. ``threads`` caps the parallel loops (0: every
    core); ``progress`` draws a progress bar on stderr (``None``: when stderr
    is a terminal, as ``volarix run`` does).

    The playblast camera holds still for the whole run: ``frame="all"``
    (the default) frames it on everything the run shows over all its
    frames, with a first pass over the frames that writes nothing;
    ``frame="first"`` on the first frame; ``view`` names a camera ("persp",
    "top", "front" or "side") used as it stands, never framed, and takes no
    ``frame``. ``speed_range=(lo, hi)`` gives the speeds (cm/s) at the blue
    and red ends of the particles' colours (default: 0 to the fields'
    largest maximumSpeed). Other Python threads run while
    the frames step; Ctrl-C stops the run between frames with
    KeyboardInterrupt, the frames written whole. Bad arguments raise
    ValueError; a frame or a file that fails raises RuntimeError.
    """
    scene = cmds.file(q=True, sn=True) or "untitled"
    if progress is None:
        progress = os.isatty(2)  # the bar goes to the process's own stderr
    return _volarix.run(scene, frames, _path(cache), cache_format, _path(playblast), threads, progress,
                        keep_old, view, frame, speed_range)
