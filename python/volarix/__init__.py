"""Volarix from Python: the stand-in Maya host's commands as ``volarix.cmds``
(with ``maya.cmds``' conventions) and MEL as ``volarix.mel``.

    import volarix.cmds as cmds
    cmds.loadPlugin("particleVolarix")
    flock, shape = cmds.particle(n="flock", jbp=(0, 0, 0), nj=500, jr=10)
"""

from . import _volarix
from . import cmds, mel

__all__ = ["cmds", "mel"]
