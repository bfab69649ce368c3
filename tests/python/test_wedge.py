# volarix wedge: the variants of a scene run here, their table, failures,
# reruns, killed tasks and job lines, against plain volarix run commands.
import csv
import os
import pathlib
import shlex
import signal
import subprocess
import time

import pytest

VOLARIX = os.environ.get("VOLARIX_BIN", "")
pytestmark = pytest.mark.skipif(not VOLARIX, reason="VOLARIX_BIN names no volarix program")

# A grid flock whose field draws per-particle ranges (so the seed matters),
# a target 100 cm away that nothing steers to, and an expression that fails
# a run once flag.tx passes `limit`.
SCENE = """loadPlugin "particleVolarix";
seed 1;
playbackOptions -min 1 -max 6;
particle -n flock -ll -6 -6 -6 -ur 6 6 6 -grs 3;
createNode particleVolarix -n swarm;
setAttr swarm.maximumSpeed 20;
setAttr swarm.flockCentringUrgeType 1;
setAttr swarm.flockCentringUrgeRange 0.5 4;
connectDynamic -f swarm flock;
createNode transform -n goal;
createNode QF_VX_targetLocatorNode -n goalShape -p goal;
setAttr goal.translate 100 0 0;
createNode transform -n flag;
expression -s "if (flag.translateX > %d) error \\"too far\\";" -n guard;
"""


def scene(folder, limit=5):
    path = folder / "scene.mel"
    path.write_text(SCENE % limit)
    return path


def volarix(*arguments, **options):
    return subprocess.run([VOLARIX, *map(str, arguments)], capture_output=True, text=True, timeout=600, **options)


def table(folder):
    with open(folder / "wedges.csv", newline="") as rows:
        return list(csv.DictReader(rows))


def caches(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.glob("*.pdc"))}


def test_a_local_wedge_runs_every_variant_as_volarix_run_would(tmp_path):
    out = tmp_path / "wedge"
    ran = volarix("wedge", scene(tmp_path), "--vary", "swarm.maximumSpeed=0.1,20", "--seeds", "1:2",
                  "--frames", "1:6", "--out", out, "--local", "2")
    assert ran.returncode == 0, ran.stderr
    rows = table(out)
    assert [r["name"] for r in rows] == ["w000_maximumSpeed-0.1_seed-1", "w001_maximumSpeed-0.1_seed-2",
                                         "w002_maximumSpeed-20_seed-1", "w003_maximumSpeed-20_seed-2"]
    assert [(r["swarm.maximumSpeed"], r["seed"], r["status"], r["frames"], r["particles"]) for r in rows] == [
        ("0.1", "1", "done", "6", "125"), ("0.1", "2", "done", "6", "125"),
        ("20", "1", "done", "6", "125"), ("20", "2", "done", "6", "125")]
    # The grid around the origin stays there: about 100 cm from the goal.
    assert all(abs(float(r["distanceTo_goal"]) - 100) < 1 for r in rows)
    # The speed limit binds: the flock moves at about half a cm/s on its own.
    assert [float(r["meanSpeed"]) <= 0.1 + 1e-9 for r in rows] == [True, True, False, False]
    # Nothing half-done is left beside the wedges.
    assert sorted(p.name for p in out.iterdir()) == sorted([r["name"] for r in rows] +
                                                           ["contact.png", "wedge.json", "wedges.csv"])

    # Each wedge is the plain run with its --set and --seed, byte for byte,
    # and the seed is not ignored.
    plain = tmp_path / "plain"
    ran = volarix("run", scene(tmp_path), "--set", "swarm.maximumSpeed=0.1", "--seed", "2", "--frames", "1:6",
                  "--cache", plain, "--quiet")
    assert ran.returncode == 0, ran.stderr
    assert caches(out / rows[1]["name"] / "cache") == caches(plain)
    assert caches(out / rows[0]["name"] / "cache") != caches(plain)


def test_a_failing_wedge_is_marked_and_resume_reruns_only_it(tmp_path):
    out = tmp_path / "wedge"
    path = scene(tmp_path, limit=5)
    ran = volarix("wedge", path, "--vary", "flag.tx=1,9", "--frames", "1:3", "--out", out)
    assert ran.returncode == 1
    done, failed = table(out)
    assert (done["status"], failed["status"]) == ("done", "failed")
    assert 'stepping "%s" failed at frame 2' % path in failed["message"]
    assert failed["message"].endswith("file: <expression guard> line 1: too far")
    assert (out / "w001_tx-9.failed" / "log.txt").is_file()
    # The contact sheet: two cells side by side, the failed one plain grey.
    import matplotlib.image
    sheet = matplotlib.image.imread(out / "contact.png")
    assert sheet.shape[:2] == (27 + 180 + 36 + 6, 2 * (320 + 6) + 6)
    failed_cell = sheet[27 + 10:27 + 80, 6 + 326 + 10:6 + 326 + 300, :3]
    assert abs(failed_cell - 0.35).max() < 0.01
    done_cell = sheet[27:27 + 180, 6:6 + 320, :3]
    assert done_cell.std() > 0.05

    # The scene mended, --resume runs the failed one and leaves the other be.
    kept = (out / "w000_tx-1" / "summary.json").stat().st_mtime_ns
    scene(tmp_path, limit=50)
    ran = volarix("wedge", "--resume", out)
    assert ran.returncode == 0, ran.stderr
    assert "1 wedge run, 0 failed" in ran.stdout
    assert [r["status"] for r in table(out)] == ["done", "done"]
    assert (out / "w000_tx-1" / "summary.json").stat().st_mtime_ns == kept
    assert not (out / "w001_tx-9.failed").exists()


def test_a_killed_task_leaves_no_wedge_that_looks_done(tmp_path):
    out = tmp_path / "wedge"
    ran = volarix("wedge", scene(tmp_path), "--vary", "swarm.maximumSpeed=5", "--frames", "1:1000000", "--out",
                  out, "--print-jobs")
    assert ran.returncode == 0, ran.stderr
    (line,) = (out / "jobs.txt").read_text().splitlines()
    task = subprocess.Popen(shlex.split(line), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    partial = out / ".w000_maximumSpeed-5.partial" / "cache"
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and len(list(partial.glob("*.pdc"))) < 3:
        time.sleep(0.02)
    task.send_signal(signal.SIGKILL)
    task.wait()
    ran = volarix("wedge", "--collect", out)
    assert ran.returncode == 1
    assert [r["status"] for r in table(out)] == ["missing"]
    assert not (out / "w000_maximumSpeed-5").exists()


def test_bad_wedges_are_refused_before_anything_runs(tmp_path):
    path = scene(tmp_path)
    out = tmp_path / "wedge"
    for arguments, status, message in [
        (["--vary", "maximumSpeed=1,2"], 2, 'expected NODE.ATTR=V1,V2,..., got "maximumSpeed=1,2"'),
        (["--vary", "swarm.maximumSpeed=1,,2"], 2, "an empty value"),
        (["--vary", "swarm.maximumSpeed=1,fast"], 1,
         '--vary swarm.maximumSpeed=fast: setAttr: Argument 2 expects a number, got "fast".'),
        (["--vary", "swarm.noSuchAttribute=1"], 1, "No object matches name: swarm.noSuchAttribute"),
        (["--seeds", "0:10", "--vary", "swarm.maximumSpeed=1,2,3,4,5,6,7,8,9,10"], 2,
         "more than 100 variants"),
        ([], 2, "nothing to vary"),
    ]:
        ran = volarix("wedge", path, "--out", out, "--max-wedges", "100", *arguments)
        assert (ran.returncode, message in ran.stderr) == (status, True), (arguments, ran.stderr)
        assert not out.exists(), arguments

    # A folder that holds another scene's wedge is refused, naming it.
    assert volarix("wedge", path, "--vary", "swarm.maximumSpeed=5", "--frames", "1:2", "--out", out).returncode == 0
    other = tmp_path / "other.mel"
    other.write_text(path.read_text())
    ran = volarix("wedge", other, "--vary", "swarm.maximumSpeed=5", "--frames", "1:2", "--out", out)
    assert ran.returncode == 1
    assert '"%s" holds a wedge of %s' % (out, path) in ran.stderr


def test_particles_inside_obstacles_are_counted_by_the_solvers_shapes(tmp_path):
    # A sphere obstacle of radius 4 at the origin holds 7 points of the grid
    # (spacing 3) before anything moves: the centre and its six neighbours.
    path = tmp_path / "inside.mel"
    path.write_text(SCENE % 5 + 'createNode transform -n ball;\n'
                    'createNode QF_VX_obstacleLocatorNode -n ballShape -p ball;\n'
                    'setAttr ballShape.width 4;\n'
                    'select -r swarm ball;\n'
                    'QF_VX_obstacle -addEntity "position";\n')
    out = tmp_path / "wedge"
    ran = volarix("wedge", path, "--vary", "ball.tx=0,30", "--frames", "1:1", "--out", out)
    assert ran.returncode == 0, ran.stderr
    assert [r["insideObstacles"] for r in table(out)] == ["7", "0"]
