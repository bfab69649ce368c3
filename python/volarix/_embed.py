"""What the volarix program's embedded interpreter runs: Python scenes and
the Python prompt. Not for scripts of its own."""

import code
import runpy
import sys
import traceback


def _flush():
    for stream in (sys.stdout, sys.stderr):
        stream.flush()


def run_file(path):
    """Runs the scene as __main__; returns "ok", "failed" or "interrupted"."""
    try:
        runpy.run_path(path, run_name="__main__")
        return "ok"
    except SystemExit as stop:
        return "ok" if stop.code in (None, 0) else "failed"
    except KeyboardInterrupt:
        return "interrupted"
    except BaseException:
        traceback.print_exc()
        return "failed"
    finally:
        _flush()


def shell(scene=""):
    """The interactive prompt; returns the exit code."""
    import volarix
    import volarix.cmds as cmds
    import volarix.mel as mel

    namespace = {"__name__": "__main__", "volarix": volarix, "cmds": cmds, "mel": mel}
    if scene:
        try:
            namespace.update(runpy.run_path(scene, init_globals=namespace, run_name="__main__"))
        except BaseException:
            traceback.print_exc()
    banner = "volarix Python shell: cmds and mel are imported; Ctrl-D to leave."
    try:
        code.interact(banner=banner if sys.stdin.isatty() else "", local=namespace, exitmsg="")
    except SystemExit as stop:
        return stop.code if isinstance(stop.code, int) else 0
    finally:
        _flush()
    return 0
