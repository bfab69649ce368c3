# volarix.new_scene, volarix.run and the caches it writes, read back with
# read_cache and read_cache_sequence: the same files as `volarix run`, and
# the same arrays as volarix.particles at that frame.
import json
import os
import pathlib
import re
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import volarix
import volarix.cmds as cmds
import volarix.mel as mel

VOLARIX = os.environ.get("VOLARIX_BIN", "")
SCENES = pathlib.Path(os.environ.get("VOLARIX_SCENES", pathlib.Path(__file__).parents[2] / "scenes"))
needs_program = pytest.mark.skipif(not VOLARIX, reason="VOLARIX_BIN names no volarix program")


@pytest.fixture(autouse=True)
def fresh():
    volarix.new_scene()


def small_flock():
    """Twelve particles with extra arrays, under the plug-in's field."""
    cmds.loadPlugin("particleVolarix")
    cmds.seed(1)
    _, shape = cmds.particle(n="flock", jbp=(0, 0, 0), nj=12, jr=5)
    cmds.addAttr(shape, ln="heat", dt="doubleArray")
    cmds.addAttr(shape, ln="tint", dt="vectorArray")
    volarix.set_particles(shape, {"heat": np.linspace(0.1, 1.2, 12), "tint": np.full((12, 3), 1 / 3)})
    cmds.createNode("particleVolarix", n="swarm")
    cmds.setAttr("swarm.maximumSpeed", 20)
    cmds.connectDynamic(shape, f="swarm")
    return shape


def test_new_scene_empties_the_scene_and_keeps_the_plugin():
    small_flock()
    cmds.playbackOptions(min=5, max=9)
    cmds.currentTime(7)
    volarix.new_scene()
    assert cmds.ls(type="particle") in (None, [])
    assert not cmds.objExists("swarm")
    assert cmds.currentTime(q=True) == 1.0
    assert (cmds.playbackOptions(q=True, min=True), cmds.playbackOptions(q=True, max=True)) == (1.0, 120.0)
    assert cmds.file(q=True, sn=True) == ""
    assert cmds.pluginInfo("particleVolarix", q=True, loaded=True)


@pytest.mark.parametrize("cache_format", ["pdc", "ply", "csv"])
def test_read_cache_gives_what_particles_gave_at_that_frame(tmp_path, cache_format):
    shape = small_flock()
    summary = volarix.run(frames=(1, 6), cache=tmp_path, cache_format=cache_format)
    assert summary["cache"]["files"] == 6 and summary["cache"]["format"] == cache_format
    now = volarix.particles(shape)
    cached = volarix.read_cache(tmp_path / ("flockShape.6." + cache_format))
    assert list(cached) == list(now) == ["position", "velocity", "id", "age", "heat", "tint"]
    for name in now:
        assert cached[name].shape == now[name].shape, name
        assert cached[name].tobytes() == now[name].tobytes(), name
    # The particles moved: the file is frame 6, not frame 1.
    first = volarix.read_cache(tmp_path / ("flockShape.1." + cache_format))
    assert not np.array_equal(first["position"], now["position"])


def test_a_cache_sequence_reads_frames_in_order_when_asked(tmp_path):
    small_flock()
    volarix.run(frames=(1, 11), cache=tmp_path, cache_format="ply")
    (tmp_path / "notes.txt").write_text("not a cache")
    frames = volarix.read_cache_sequence(tmp_path)
    assert frames.frames == list(range(1, 12))  # 10 and 11 after 9
    assert len(frames) == 11 and frames.shape == "flockShape"
    last = volarix.read_cache(tmp_path / "flockShape.11.ply")
    assert frames[-1]["position"].tobytes() == last["position"].tobytes()
    assert frames.frame(11)["position"].tobytes() == last["position"].tobytes()
    assert [f["position"].shape for f in frames] == [(12, 3)] * 11
    with pytest.raises(KeyError, match="no cache of frame 12"):
        frames.frame(12)
    # Read lazily: a file removed after listing fails only when read.
    (tmp_path / "flockShape.3.ply").unlink()
    assert frames[0]["id"].shape == (12,)
    with pytest.raises(ValueError, match="flockShape.3.ply"):
        frames[2]


def test_a_folder_of_several_shapes_needs_one_named(tmp_path):
    small_flock()
    cmds.particle(n="other", p=[(0, 0, 0)])
    volarix.run(frames=(1, 2), cache=tmp_path)
    with pytest.raises(ValueError, match=r"several particle shapes \(flockShape, otherShape\)"):
        volarix.read_cache_sequence(tmp_path)
    assert volarix.read_cache_sequence(tmp_path, shape="otherShape").frames == [1, 2]
    with pytest.raises(ValueError, match="holds no particle caches"):
        volarix.read_cache_sequence(tmp_path / "..")


def test_bad_cache_files_raise_value_error_with_the_readers_message(tmp_path):
    small_flock()
    volarix.run(frames=(1, 1), cache=tmp_path)
    whole = (tmp_path / "flockShape.1.pdc").read_bytes()
    cut = tmp_path / "cut.pdc"
    cut.write_bytes(whole[:20])
    with pytest.raises(ValueError, match=r'Cannot read particle cache ".*cut.pdc": truncated at byte'):
        volarix.read_cache(cut)
    cut.write_bytes(whole[:-5])
    with pytest.raises(ValueError, match="truncated"):
        volarix.read_cache(cut)
    bad = tmp_path / "bad.csv"
    bad.write_text("position_x,position_y,position_z\n1,2,oops\n")
    with pytest.raises(ValueError, match="bad.csv"):
        volarix.read_cache(bad)
    with pytest.raises(ValueError, match="missing.pdc"):
        volarix.read_cache(tmp_path / "missing.pdc")


@needs_program
@pytest.mark.parametrize("cache_format", ["pdc", "csv"])
def test_run_writes_the_caches_volarix_run_writes(tmp_path, cache_format):
    program = tmp_path / "program"
    ran = subprocess.run([VOLARIX, "run", str(SCENES / "seek.mel"), "--quiet", "--json", "--frames", "1:12",
                          "--cache", str(program), "--cache-format", cache_format],
                         capture_output=True, text=True, timeout=600)
    assert ran.returncode == 0, ran.stderr
    expected = json.loads(ran.stdout)

    mel.eval('source "%s"' % (SCENES / "seek.mel").as_posix())
    python = tmp_path / "python"
    summary = volarix.run(frames=(1, 12), cache=python, cache_format=cache_format, threads=1)
    assert list(summary) == list(expected)
    for key in ("particles", "particleShapes", "frames", "evaluations", "filesWritten"):
        assert summary[key] == expected[key], key
    assert summary["cache"]["bytes"] == expected["cache"]["bytes"]
    names = sorted(p.name for p in program.glob("*." + cache_format))
    assert len(names) == 12 and names == sorted(p.name for p in python.glob("*." + cache_format))
    for name in names:
        assert (python / name).read_bytes() == (program / name).read_bytes(), name
    assert cmds.currentTime(q=True) == 12.0


def test_run_without_frames_steps_the_playback_range(tmp_path):
    _, shape = cmds.particle(n="drift", p=[(0, 0, 0)])
    volarix.set_particles(shape, {"velocity": [(24.0, 0, 0)]})
    cmds.playbackOptions(min=3, max=6)
    summary = volarix.run(frames=None)
    assert summary["frames"] == {"start": 3.0, "end": 6.0, "count": 4, "stepped": 3}
    assert summary["cache"] is None and summary["playblast"] is None
    # Three steps (3 to 6) of one twenty-fourth of a second at 24 cm/s.
    assert volarix.particles(shape)["position"].tolist() == [[3.0, 0.0, 0.0]]


@pytest.mark.parametrize("arguments, error, message", [
    ({"frames": (5, 1)}, ValueError, "end frame comes before the start frame"),
    ({"frames": (1.5, 3)}, ValueError, "start frame must be a whole number"),
    ({"frames": (-1, 3)}, ValueError, "must not be negative"),
    ({"frames": "1:3"}, ValueError, r"frames takes \(start, end\)"),
    ({"frames": (1, 2, 3)}, ValueError, r"frames takes \(start, end\)"),
    ({"cache_format": "exr"}, ValueError, 'cache_format is "pdc", "ply" or "csv", not "exr"'),
    ({"threads": -1}, ValueError, "threads must not be negative"),
])
def test_bad_run_arguments_raise_before_any_step(arguments, error, message):
    small_flock()
    before = volarix.particles("flock")
    with pytest.raises(error, match=message):
        volarix.run(**arguments)
    assert cmds.currentTime(q=True) == 1.0
    assert volarix.particles("flock")["position"].tobytes() == before["position"].tobytes()


def test_a_cache_folder_that_cannot_be_made_fails_the_run_before_stepping(tmp_path):
    small_flock()
    blocker = tmp_path / "file"
    blocker.write_text("")
    with pytest.raises(RuntimeError, match="cache folder"):
        volarix.run(frames=(1, 4), cache=blocker / "inside")
    assert cmds.currentTime(q=True) == 1.0


def interrupt_once_writing(command, cache):
    """Starts `command`, sends it Ctrl-C once it has written three cache
    files into `cache` (whatever the machine's load), and returns its exit
    status, output and errors."""
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        deadline = time.monotonic() + 120
        while len(list(cache.glob("*.pdc"))) < 3 and time.monotonic() < deadline and child.poll() is None:
            time.sleep(0.02)
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=120)
    finally:
        child.kill()
    return child.returncode, out, err


INTERRUPTED_RUN = """
import sys, volarix, volarix.cmds as cmds
cmds.loadPlugin("particleVolarix")
_, shape = cmds.particle(n="flock", jbp=(0, 0, 0), nj=5000, jr=10)
cmds.createNode("particleVolarix", n="swarm")
cmds.connectDynamic(shape, f="swarm")
try:
    volarix.run(frames=(1, 1000000), cache=sys.argv[1])
except KeyboardInterrupt as stop:
    print(stop)
    print(int(cmds.currentTime(q=True)))
"""


def test_ctrl_c_stops_a_run_between_frames_with_keyboard_interrupt(tmp_path):
    cache = tmp_path / "cache"
    returncode, out, err = interrupt_once_writing([sys.executable, "-c", INTERRUPTED_RUN, str(cache)], cache)
    assert returncode == 0, err
    message, frame = out.splitlines()
    last = int(frame)
    assert message == "volarix.run interrupted at frame %d; frames 1 to %d are complete" % (last + 1, last)
    # Every frame stepped has its whole file, and nothing else is left.
    frames = volarix.read_cache_sequence(cache)
    assert frames.frames == list(range(1, last + 1))
    assert sorted(p.name for p in cache.iterdir()) == sorted(["cache.json"] +
                                                             [os.path.basename(p) for p in frames.paths])
    assert json.loads((cache / "cache.json").read_text())["complete"] is False
    assert all(f["position"].shape == (5000, 3) for f in frames)


def interrupt_once_looping(command):
    """Starts `command`, whose script prints "looping" as it enters an endless
    loop, sends it Ctrl-C once that line has come, and returns its exit
    status, remaining output and errors: the signal never comes before the
    program's own handling is in place, however loaded the machine."""
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "looping\n"
        time.sleep(0.3)
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=60)
    finally:
        child.kill()
    return child.returncode, out, err


def test_ctrl_c_stops_an_endless_mel_script_with_keyboard_interrupt():
    script = ("import volarix.mel as mel\nprint('looping', flush=True)\n"
              "try:\n    mel.eval('int $i = 0; while (1) { $i++; }')\n"
              "except KeyboardInterrupt:\n    print('stopped at', mel.eval('$i') > 0)\n")
    returncode, out, err = interrupt_once_looping([sys.executable, "-c", script])
    assert (returncode, out) == (0, "stopped at True\n"), err
    assert "Interrupted." in err


@needs_program
def test_ctrl_c_stops_an_endless_scene_of_volarix_run_with_status_1(tmp_path):
    scene = tmp_path / "endless.mel"
    scene.write_text('print "looping\\n";\nint $i = 0;\nwhile (true)\n    $i++;\n')
    cache = tmp_path / "cache"
    returncode, _, err = interrupt_once_looping([VOLARIX, "run", str(scene), "--cache", str(cache)])
    assert returncode == 1, err
    assert re.search(r"endless.mel line [34]: Interrupted\..*was interrupted", err, re.S), err
    assert not cache.exists() or list(cache.iterdir()) == []


def test_what_outlives_the_scene_or_the_plugin_fails_cleanly():
    shape = small_flock()
    kept = volarix.particles(shape)
    volarix.new_scene()
    # The arrays are the caller's own; names of nodes that are gone fail.
    assert kept["position"].shape == (12, 3)
    with pytest.raises(ValueError, match='"flockShape" is no particle object'):
        volarix.particles(shape)
    with pytest.raises(RuntimeError, match="No object matches name: flockShape.count"):
        cmds.getAttr(shape + ".count")
    target = cmds.QF_VX_target
    cmds.unloadPlugin("particleVolarix")
    try:
        with pytest.raises(RuntimeError, match='Cannot find procedure "QF_VX_target"'):
            target(q=True, ne=True)
        assert not hasattr(cmds, "QF_VX_target")
    finally:
        cmds.loadPlugin("particleVolarix")


@needs_program
def test_ctrl_c_stops_volarix_run_between_frames_with_status_130(tmp_path):
    cache = tmp_path / "cache"
    returncode, _, err = interrupt_once_writing([VOLARIX, "run", str(SCENES / "seek.mel"), "--frames",
                                                 "1:10000000", "--cache", str(cache), "--quiet"], cache)
    assert returncode == 130, err
    match = re.search(r"interrupted at frame (\d+); frames 1 to (\d+) are complete", err)
    assert match and int(match[2]) == int(match[1]) - 1, err
    # The frames it names are the files there, each whole, and nothing else.
    frames = volarix.read_cache_sequence(cache)
    assert frames.frames == list(range(1, int(match[1])))
    assert sorted(p.name for p in cache.iterdir()) == sorted(["cache.json"] +
                                                             [os.path.basename(p) for p in frames.paths])
    assert json.loads((cache / "cache.json").read_text())["complete"] is False
    assert frames[-1]["position"].shape == (600, 3)


def test_pictures_take_a_framing_a_camera_and_a_speed_range_and_refuse_bad_ones(tmp_path):
    small_flock()
    for name, arguments in [("all", {"speed_range": (5, 25)}), ("first", {"frame": "first"}),
                            ("top", {"view": "top"})]:
        summary = volarix.run(frames=(1, 3), playblast=tmp_path / name, **arguments)
        assert summary["playblast"]["pictures"] == 3, name
        assert (tmp_path / name / "untitled.summary.png").exists(), name
    for arguments, message in [
            ({"view": "shotCam"}, 'view: no camera named "shotCam"; the cameras are persp, top, front and side.'),
            ({"view": "top", "frame": "all"}, 'it takes no frame, got frame="all"'),
            ({"frame": "last"}, 'frame is "all" or "first", not "last".'),
            ({"speed_range": (30, 10)}, 'the low speed must be below the high speed in "(30, 10)"'),
            ({"speed_range": ("slow", 9)}, "speed_range takes (lo, hi), two speeds in cm/s, got ('slow', 9)."),
            ({"speed_range": 20}, "speed_range takes (lo, hi), two speeds in cm/s, got 20."),
            ({"speed_range": (-1, 9)}, 'the speeds must not be negative, got "(-1, 9)"'),
            ({"speed_range": (0, float("inf"))}, 'the speeds must be finite numbers, got "(0, inf)"')]:
        with pytest.raises(ValueError, match=re.escape(message)):
            volarix.run(frames=(1, 3), playblast=tmp_path / "bad", **arguments)
        assert not (tmp_path / "bad").exists(), arguments


@needs_program
def test_ctrl_c_while_framing_the_camera_writes_no_frame(tmp_path):
    # The framing pass steps the frames in a child process before anything
    # is written: the signal reaches the parent alone, which stops both.
    pictures, cache = tmp_path / "pictures", tmp_path / "cache"
    child = subprocess.Popen([VOLARIX, "run", str(SCENES / "seek.mel"), "--frames", "1:10000000", "--playblast",
                              str(pictures), "--cache", str(cache), "--quiet"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        children = pathlib.Path("/proc/%d/task/%d/children" % (child.pid, child.pid))
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline and child.poll() is None and not children.read_text().split():
            time.sleep(0.02)
        child.send_signal(signal.SIGINT)
        _, err = child.communicate(timeout=120)
    finally:
        child.kill()
    assert child.returncode == 130, err
    assert re.search(r"volarix: interrupted while framing the camera at frame \d+; no frames were written", err), err
    assert list(pictures.iterdir()) == [] and list(cache.iterdir()) == []
