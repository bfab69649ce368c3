"""Every host and plug-in command as a function, as ``maya.cmds`` has them.

Positional arguments are the command's arguments; keyword arguments are
flags by long or short name (``name="a"`` or ``n="a"``). ``True`` gives a
switch flag (``ls(sl=True)``), ``False`` leaves it out; a flag that takes a
boolean gets it as its value (``setAttr("a.b", lock=True)``). A tuple gives
a flag several values, a list of tuples uses the flag once per tuple
(``curve(p=[(0, 0, 0), (1, 0, 0)])``); ``q=True`` and ``e=True`` query and
edit. A failing command raises RuntimeError with the host's message.

Commands are looked up when first used, so those a plug-in registers appear
once ``loadPlugin`` has loaded it, and go with ``unloadPlugin``.
"""

import functools

from . import _volarix


def _command(name):
    # A partial of the C++ call: no Python frame between the caller and the
    # host, which keeps a call within a small factor of MEL's.
    command = functools.partial(_volarix.call, name)
    command.__name__ = command.__qualname__ = name
    command.__doc__ = "The host command %s, called as maya.cmds calls it." % name
    return command


def __getattr__(name):
    # Dunder lookups (copy, pickle, doctest) must not find commands.
    if name.startswith("__") or not _volarix.has_command(name):
        raise AttributeError("volarix.cmds has no command %r" % name)
    command = globals()[name] = _command(name)  # later lookups skip __getattr__
    return command


def __dir__():
    return sorted(set(globals()) | set(_volarix.command_names()))


def unloadPlugin(*args, **kwargs):  # noqa: N802 -- the command's name
    """The host command unloadPlugin; the plug-in's commands leave this
    module with it."""
    result = _volarix.call("unloadPlugin", *args, **kwargs)
    namespace = globals()
    for name in [name for name, value in namespace.items() if isinstance(value, functools.partial)]:
        if not _volarix.has_command(name):
            del namespace[name]
    return result
