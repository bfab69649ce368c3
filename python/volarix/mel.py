"""MEL from Python, as ``maya.mel``."""

from . import _volarix


def eval(script):  # noqa: A001 -- maya.mel's name
    """Runs MEL and returns the value of its last statement: None, an int, a
    float, a str or a list. Raises RuntimeError when the script fails."""
    return _volarix.eval_mel(script)
