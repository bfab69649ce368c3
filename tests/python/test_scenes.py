# Python scenes run by the volarix program as MEL scenes are: the Python twin
# of seek.mel must write the very same caches; analyse.py reads a run back.
import importlib.util
import os
import pathlib
import subprocess

import numpy as np
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
        caches[scene] = sorted(folder.glob("*.pdc"))  # cache.json names its own scene
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


def load_analyse():
    found = importlib.util.spec_from_file_location("analyse", SCENES / "analyse.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def test_analyse_measures_distance_and_speed_and_draws_them(tmp_path, capsys):
    import volarix
    import volarix.cmds as cmds

    volarix.new_scene()
    _, shape = cmds.particle(n="pair", p=[(0, 0, 0), (10, 0, 0)])
    volarix.set_particles(shape, {"velocity": [(24.0, 0, 0), (0, 0, 0)]})
    cache = tmp_path / "pair"
    volarix.run(frames=(1, 3), cache=cache)

    analyse = load_analyse()
    distance, speeds = analyse.measure(volarix.read_cache_sequence(cache), np.zeros(3))
    # The first particle moves 1 cm a frame away from the goal; the second stays 10 cm off.
    assert distance[:, 0].tolist() == [5.0, 5.5, 6.0]
    assert distance[0, 1:].tolist() == pytest.approx([1.0, 9.0])  # 10th and 90th percentile of 0 and 10
    assert [s.tolist() for s in speeds] == [[24.0, 0.0]] * 3

    out = tmp_path / "pair.png"
    assert analyse.main([str(cache), "--goal", "0", "0", "0", "--out", str(out)]) == 0
    assert out.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert "mean distance to the goal 6.0 cm at frame 3 (5.0 at frame 1)" in capsys.readouterr().out
    # The default picture goes beside the folder.
    analyse.main([str(cache)])
    assert (tmp_path / "pair-analysis.png").is_file()

    (tmp_path / "empty").mkdir()
    with pytest.raises(SystemExit) as stop:
        analyse.main([str(tmp_path / "empty")])
    assert stop.value.code == 2
    assert "holds no particle caches" in capsys.readouterr().err
