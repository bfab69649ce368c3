# Python scenes run by the volarix program as MEL scenes are: the Python twin
# of seek.mel must write the very same caches.
import os
import pathlib
import subprocess

import pytest

VOLARIX = os.environ.get("VOLARIX_BIN", "")
SCENES = pathlib.Path(os.environ.get("VOLARIX_SCENES", pathlib.Path(__file__).parents[2] / "scenes"))

needs_program = pytest.mark.skipif(not VOLARIX, reason="VOLARIX_BIN names no volarix program")


def run(scene, *arguments):
    return subprocess.run([VOLARIX, "run", str(scene), "--quiet", *arguments],
                          capture_output=True, text=True, timeout=600)


@needs_program
def test_seek_py_writes_the_caches_of_seek_mel(tmp_path):
    caches = {}
    for scene in ("seek.mel", "seek.py"):
        folder = tmp_path / scene.replace(".", "_")
        ran = run(SCENES / scene, "--cache", str(folder), "--frames", "1:30")
        assert ran.returncode == 0, ran.stderr
        caches[scene] = sorted(p for p in folder.rglob("*") if p.is_file())
    mel_files, py_files = caches["seek.mel"], caches["seek.py"]
    assert len(mel_files) == 30
    assert [p.name for p in mel_files] == [p.name for p in py_files]
    for mel_file, py_file in zip(mel_files, py_files):
        assert mel_file.read_bytes() == py_file.read_bytes(), mel_file.name


@needs_program
def test_a_failing_python_scene_fails_the_run_with_its_traceback(tmp_path):
    scene = tmp_path / "broken.py"
    scene.write_text("import volarix.cmds as cmds\ncmds.setAttr('nothing.tx', 1)\n")
    ran = run(scene, "--frames", "1:2")
    assert ran.returncode == 1
    assert "RuntimeError: setAttr: No object matches name: nothing.tx" in ran.stderr
    assert "broken.py" in ran.stderr
