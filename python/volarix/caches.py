"""Particle caches from Python: one file as a dict of NumPy arrays, or a
run's folder of them as a sequence of frames read when asked for."""

import os
import re

from . import _volarix

# <shape>.<frame>.<extension>, as the caches of a run are named.
_CACHE_FILE = re.compile(r"^(?P<shape>.+)\.(?P<frame>-?\d+)\.(?P<format>pdc|ply|csv)$")


def read_cache(path):
    """The arrays of one PDC, PLY or CSV cache file, keyed as
    ``volarix.particles`` keys them: ``position`` and ``velocity`` (N, 3),
    ``id`` and the other per-particle arrays. A bad file raises ValueError
    with the reader's message."""
    return _volarix.read_cache(os.fspath(path))


class CacheSequence:
    """The frames of one particle shape's caches in a folder, in frame
    order. Indexing (by position, negative ones too) or ``frame(n)`` reads
    that frame's file then; nothing is read before."""

    def __init__(self, folder, shape=None):
        self.folder = os.fspath(folder)
        found = {}
        for name in os.listdir(self.folder):
            match = _CACHE_FILE.match(name)
            if match:
                found.setdefault(match["shape"], {})[int(match["frame"])] = name
        if shape is None:
            if len(found) > 1:
                raise ValueError("%s holds the caches of several particle shapes (%s); name one with shape="
                                 % (self.folder, ", ".join(sorted(found))))
            shape = next(iter(found), None)
        if shape not in found:
            raise ValueError("%s holds no particle caches%s" % (self.folder, "" if shape is None else
                                                                 " of %s" % shape))
        self.shape = shape
        files = found[shape]
        #: The frame numbers, in order.
        self.frames = sorted(files)
        #: The file of each frame, in the same order.
        self.paths = [os.path.join(self.folder, files[frame]) for frame in self.frames]

    def __len__(self):
        return len(self.frames)

    def __getitem__(self, index):
        if isinstance(index, slice):
            return [self[i] for i in range(*index.indices(len(self)))]
        return read_cache(self.paths[index])

    def __iter__(self):
        for path in self.paths:
            yield read_cache(path)

    def frame(self, number):
        """The arrays of frame ``number``; KeyError when the run has none."""
        try:
            position = self.frames.index(number)
        except ValueError:
            raise KeyError("%s has no cache of frame %r" % (self.shape, number)) from None
        return read_cache(self.paths[position])

    def __repr__(self):
        span = "frames %d to %d" % (self.frames[0], self.frames[-1])
        return "<CacheSequence %s: %d %s in %s>" % (self.shape, len(self), span, self.folder)


def read_cache_sequence(folder, shape=None):
    """The caches a run wrote into ``folder``, as a ``CacheSequence``;
    ``shape`` picks a particle shape when the folder holds several."""
    return CacheSequence(folder, shape)
