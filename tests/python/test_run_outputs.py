# `volarix run` against hostile surroundings: links, devices and pipes where
# its outputs go, signals, a file size limit, a second run into the same
# folder, numbers that overflow, errors while stepping and little memory.
import json
import os
import pathlib
import re
import resource
import signal
import shutil
import struct
import subprocess
import time

import pytest

VOLARIX = os.environ.get("VOLARIX_BIN", "")
SCENES = pathlib.Path(os.environ.get("VOLARIX_SCENES", pathlib.Path(__file__).parents[2] / "scenes"))
pytestmark = pytest.mark.skipif(not VOLARIX, reason="VOLARIX_BIN names no volarix program")

FLOCK = """loadPlugin "particleVolarix";
playbackOptions -min 1 -max 3;
particle -n flock -jbp 0 0 0 -nj 50 -jr 5;
createNode particleVolarix -n swarm;
setAttr swarm.maximumSpeed 20;
connectDynamic -f swarm flock;
"""


def run(args, timeout=300, **kwargs):
    return subprocess.run([VOLARIX, "run"] + [str(a) for a in args], capture_output=True, text=True,
                          timeout=timeout, **kwargs)


def leftovers(*folders):
    """Temporary files (hidden, with a random suffix) and lock files left."""
    return [p.name for f in folders if f.exists() for p in f.iterdir() if p.name.startswith(".")]


def scene(tmp_path, text=FLOCK, name="flight.mel"):
    path = tmp_path / name
    path.write_text(text)
    return path


@pytest.mark.parametrize("where, name, kind", [
    ("cache", "flockShape.2.pdc", "link"),
    ("cache", ".volarix-write-test", "link"),
    ("cache", "flockShape.2.pdc", "fifo"),
    ("playblast", "flight.0002.png", "link"),
    ("playblast", "flight.0002.png", "fifo"),
    ("playblast", "flight.mp4", "link"),
])
def test_links_and_pipes_among_the_outputs_are_refused_and_left_alone(tmp_path, where, name, kind):
    # A stand-in ffmpeg, so that the video is attempted on any machine.
    tools = tmp_path / "bin"
    tools.mkdir()
    (tools / "ffmpeg").write_text('#!/bin/sh\nfor a; do last="$a"; done\necho video > "$last"\n')
    (tools / "ffmpeg").chmod(0o755)
    env = dict(os.environ, PATH="%s:%s" % (tools, os.environ.get("PATH", "")))
    folders = {"cache": tmp_path / "cache", "playblast": tmp_path / "shots"}
    for folder in folders.values():
        folder.mkdir()
    victim = tmp_path / "victim.txt"
    victim.write_text("keep me")
    planted = folders[where] / name
    if kind == "link":
        planted.symlink_to(victim)
    else:
        os.mkfifo(planted)
    result = run([scene(tmp_path), "--cache", folders["cache"], "--playblast", folders["playblast"],
                  "--size", "64x36", "--frame-first", "--quiet"], env=env)
    assert victim.read_text() == "keep me"
    assert planted.is_symlink() if kind == "link" else planted.is_fifo()
    if name == ".volarix-write-test":
        # Only probed, under a name of its own: the run goes on.
        assert result.returncode == 0, result.stderr
    else:
        assert result.returncode == 1, result.stderr
        why = "symbolic link" if kind == "link" else "not a regular file"
        assert re.search(re.escape(str(planted)) + r'".*' + why, result.stderr), result.stderr
    assert leftovers(*folders.values()) == ([".volarix-write-test"] if name == ".volarix-write-test" else [])


@pytest.mark.parametrize("target", ["link", "fifo", "/dev/null"])
def test_file_save_refuses_what_is_no_regular_file(tmp_path, target):
    victim = tmp_path / "victim.mel"
    victim.write_text("// keep me\n")
    path = pathlib.Path(target)
    if target == "link":
        path = tmp_path / "saved.mel"
        path.symlink_to(victim)
    elif target == "fifo":
        path = tmp_path / "saved.mel"
        os.mkfifo(path)
    result = run([scene(tmp_path, FLOCK + 'file -save "%s";\n' % path)], timeout=60)
    assert result.returncode == 1
    why = "symbolic link" if target == "link" else "not a regular file"
    assert re.search(r'Cannot save the scene to "%s": it is (a|not a regular file).*' % re.escape(str(path)),
                     result.stderr) and why in result.stderr, result.stderr
    assert victim.read_text() == "// keep me\n"
    assert path.is_symlink() if target == "link" else (path.is_fifo() or path.is_char_device())
    assert leftovers(tmp_path) == []


def start_endless(tmp_path, outputs, preexec_fn=None):
    pictures = ["--size", "96x54", "--frame-first"] if "--playblast" in outputs else []
    return subprocess.Popen([VOLARIX, "run", str(SCENES / "seek.mel"), "--frames", "1:10000000", "--quiet"] +
                            pictures + [str(o) for o in outputs],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, preexec_fn=preexec_fn)


def wait_for(folder, pattern, child, count=3):
    deadline = time.monotonic() + 120
    while len(list(folder.glob(pattern))) < count and time.monotonic() < deadline and child.poll() is None:
        time.sleep(0.02)


def ignore_sighup():
    signal.signal(signal.SIGHUP, signal.SIG_IGN)


@pytest.mark.parametrize("signum", [signal.SIGINT, signal.SIGTERM, signal.SIGHUP])
@pytest.mark.parametrize("where", ["cache", "playblast"])
def test_signals_stop_a_run_between_frames_and_leave_whole_files(tmp_path, signum, where):
    cache, shots = tmp_path / "cache", tmp_path / "shots"
    outputs = ["--cache", cache] if where == "cache" else ["--playblast", shots]
    # What a whole earlier run left must not pass for this run's.
    shots.mkdir()
    for name in ["seek.9999.png", "seek.summary.png", "seek.mp4"]:
        (shots / name).write_bytes(b"earlier")
    child = start_endless(tmp_path, outputs)
    try:
        wait_for(cache if where == "cache" else shots, "*.pdc" if where == "cache" else "*.png", child)
        child.send_signal(signum)
        _, err = child.communicate(timeout=120)
    finally:
        child.kill()
    assert child.returncode == 128 + signum, err
    match = re.search(r"interrupted at frame (\d+); frames 1 to (\d+) are complete", err)
    assert match and int(match[2]) == int(match[1]) - 1, err
    last = int(match[2])
    if where == "cache":
        assert sorted(p.name for p in cache.iterdir()) == sorted(
            ["cache.json"] + ["flockShape.%d.pdc" % f for f in range(1, last + 1)])
        assert json.loads((cache / "cache.json").read_text())["complete"] is False
    else:
        pictures = sorted(shots.glob("seek.*.png"))
        assert [p.name for p in pictures] == ["seek.%04d.png" % f for f in range(1, last + 1)]
        assert all(p.read_bytes().endswith(b"IEND\xaeB`\x82") for p in pictures)
    assert leftovers(cache, shots) == []
    earlier = sorted(p.name for p in shots.iterdir() if not p.name.startswith("seek.0"))
    assert earlier == ([] if where == "playblast" else ["seek.9999.png", "seek.mp4", "seek.summary.png"])


def test_under_nohup_sighup_stays_ignored(tmp_path):
    cache = tmp_path / "cache"
    child = start_endless(tmp_path, ["--cache", cache], preexec_fn=ignore_sighup)
    try:
        wait_for(cache, "*.pdc", child)
        child.send_signal(signal.SIGHUP)
        written = len(list(cache.glob("*.pdc")))
        wait_for(cache, "*.pdc", child, written + 3)
        assert child.poll() is None, "SIGHUP stopped a run that ignores it"
        child.send_signal(signal.SIGTERM)
        _, err = child.communicate(timeout=120)
    finally:
        child.kill()
    assert child.returncode == 128 + signal.SIGTERM, err


@pytest.mark.parametrize("where", ["cache", "playblast"])
def test_a_file_size_limit_is_a_write_error_with_nothing_half_written(tmp_path, where):
    cache, shots = tmp_path / "cache", tmp_path / "shots"
    outputs = ["--cache", cache] if where == "cache" else ["--playblast", shots]

    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))

    pictures = ["--frame-first"] if where == "playblast" else []
    result = run([SCENES / "seek.mel", "--frames", "1:5", "--quiet"] + pictures + outputs, preexec_fn=limit)
    assert result.returncode == 1, result.stderr
    assert "the file size limit (ulimit -f) was reached" in result.stderr, result.stderr
    assert leftovers(cache, shots) == []
    if where == "cache":
        assert sorted(p.name for p in cache.iterdir()) == ["cache.json"]
        assert json.loads((cache / "cache.json").read_text())["complete"] is False
    else:
        assert list(shots.iterdir()) == []


def test_a_second_run_into_a_folder_in_use_is_refused_naming_the_first(tmp_path):
    cache = tmp_path / "cache"
    first = start_endless(tmp_path, ["--cache", cache])
    try:
        wait_for(cache, "*.pdc", first)
        second = run([scene(tmp_path), "--cache", cache], timeout=60)
        first.send_signal(signal.SIGINT)
        first.communicate(timeout=120)
    finally:
        first.kill()
    assert second.returncode == 1
    assert ('the cache folder "%s" is in use by another run (pid %d, scene %s)' %
            (cache, first.pid, SCENES / "seek.mel")) in second.stderr, second.stderr
    # The first run's frames are its own, and its lock went with it.
    assert all(p.name.startswith("flockShape.") or p.name == "cache.json" for p in cache.iterdir())
    assert leftovers(cache) == []


@pytest.mark.parametrize("setting, cause", [
    ("setAttr swarm.boidSeparation 1e155", "swarm.boidSeparation is 1e+155"),
    ("setAttr swarm.magnitude 1e308", "swarm.magnitude is 1e+308"),
    ("setAttr flockShape.conserve 1e308", "flockShape.conserve is 1e+308"),
    ('dynExpression -rad -s "velX = velX / 0;" flockShape', "the runtime expression of flockShape (dynExpression -rad)"),
])
def test_particles_made_non_finite_are_reported_once_with_the_frame_and_the_cause(tmp_path, setting, cause):
    result = run([scene(tmp_path, FLOCK + setting + ";\n"), "--frames", "1:6", "--json"], timeout=120)
    assert result.returncode == 1, result.stderr
    reports = re.findall(r"flockShape: (\d+) particles? became non-finite \(NaN or infinite\) at frame (\d+); "
                         r"the likeliest cause: (.*?)\. //", result.stderr)
    assert len(reports) == 1 and reports[0][2].startswith(cause + ","), result.stderr
    assert 1 <= int(reports[0][0]) <= 50 and 2 <= int(reports[0][1]) <= 6
    summary = json.loads(result.stdout)
    assert summary["nonFiniteParticles"] >= int(reports[0][0]) and summary["errors"] >= 1


def pdc(positions):
    body = b"PDC " + struct.pack(">6i", 1, 1, 0, 0, len(positions), 1)
    body += struct.pack(">i", 8) + b"position" + struct.pack(">i", 5)
    return body + b"".join(struct.pack(">3d", *p) for p in positions)


def test_nan_in_a_pdc_and_in_a_csv_are_read_alike(tmp_path):
    positions = [(0.0, 0.0, 0.0), (float("nan"), 1.0, 2.0), (1.0, float("inf"), 0.0)]
    (tmp_path / "in.pdc").write_bytes(pdc(positions))
    (tmp_path / "in.csv").write_text("position_x,position_y,position_z\n" +
                                     "".join("%r,%r,%r\n" % p for p in positions))
    results = []
    for name in ["in.pdc", "in.csv"]:
        text = FLOCK.replace("-nj 50", "-nj 3") + 'readParticleCache -fileName "%s" flock;\n' % (tmp_path / name)
        results.append(run([scene(tmp_path, text), "--frames", "1:3"], timeout=120))
    for result in results:
        assert result.returncode == 1, result.stderr
        assert re.search(r"flockShape: [23] particles became non-finite \(NaN or infinite\) at frame 2; "
                         r"the likeliest cause: flockShape.position was non-finite already at the start frame",
                         result.stderr), result.stderr


def test_a_cache_of_many_columns_is_read(tmp_path):
    # Twenty thousand channels: found by name, not by a search per channel.
    columns = 20000
    (tmp_path / "wide.csv").write_text(",".join("c%d" % c for c in range(columns)) + "\n" +
                                       ",".join(str(c) for c in range(columns)) + "\n")
    text = ('particle -n flock -p 0 0 0;\nreadParticleCache -fileName "%s" flock;\n'
            'float $last[] = `getAttr flockShape.c%d`;\nprint($last[0] + "\\n");\n' % (tmp_path / "wide.csv", columns - 1))
    result = run([scene(tmp_path, text), "--frames", "1:1"], timeout=300)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines()[0] == str(columns - 1)


def test_errors_while_stepping_give_status_1_with_their_count(tmp_path):
    # The obstacles scene with its boulder blown up to about 1e38 cm: every
    # closest-point query near it fails, frame after frame.
    (tmp_path / "meshes").mkdir()
    lines = (SCENES / "meshes" / "boulder.obj").read_text().splitlines()
    (tmp_path / "meshes" / "boulder.obj").write_text("".join(
        "v %s\n" % " ".join("%g" % (float(x) * 1e37) for x in line.split()[1:]) if line.startswith("v ")
        else line + "\n" for line in lines))
    shutil.copy(SCENES / "obstacles.mel", tmp_path)
    result = run([tmp_path / "obstacles.mel", "--frames", "1:3", "--quiet"], timeout=120)
    assert result.returncode == 1, result.stderr
    shown = re.search(r"getClosestPoint was given a point that is not finite // \(repeated (\d+) times\)",
                      result.stderr)
    counted = re.search(r"volarix: (\d+) errors were shown while the frames stepped", result.stderr)
    assert shown and counted and counted[1] == shown[1], result.stderr
    assert "frames         3 (1 to 3)" in result.stdout


@pytest.mark.parametrize("particles", [200000, 2600000, 4000000])
def test_too_little_memory_is_a_clean_refusal_or_error(tmp_path, particles):
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (1536 << 20, 1536 << 20))

    text = FLOCK.replace("-nj 50", "-nj %d" % particles)
    cache = tmp_path / "cache"
    result = run([scene(tmp_path, text), "--frames", "1:3", "--cache", cache, "--threads", "2"],
                 preexec_fn=limit)
    assert result.returncode in (0, 1), result.stderr
    if result.returncode == 1:
        assert re.search(r"memory", result.stderr), result.stderr
    assert leftovers(cache) == []
