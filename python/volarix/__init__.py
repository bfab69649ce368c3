"""Volarix from Python: the stand-in Maya host's commands as ``volarix.cmds``
(with ``maya.cmds``' conventions), MEL as ``volarix.mel``, particles as NumPy
arrays, and runs of the scene.

    import volarix, volarix.cmds as cmds
    cmds.loadPlugin("particleVolarix")
    flock, shape = cmds.particle(n="flock", jbp=(0, 0, 0), nj=500, jr=10)
    arrays = volarix.particles(shape)        # {"position": (N, 3), ...}
    volarix.set_particles(shape, {"position": arrays["position"] * 2})
"""

from . import _volarix
from . import cmds, mel
from ._volarix import particles, set_particles
from .caches import CacheSequence, read_cache, read_cache_sequence
from .runs import new_scene, run

__all__ = ["cmds", "mel", "particles", "set_particles", "read_cache", "read_cache_sequence", "CacheSequence",
           "new_scene", "run"]
