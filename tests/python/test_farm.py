# Wedges on a real Slurm cluster: tests/farm/slurm-up starts a single-node
# cluster under the build folder for this module, and stops it after.
import csv
import os
import pathlib
import re
import shutil
import subprocess

import pytest

VOLARIX = os.environ.get("VOLARIX_BIN", "")
FARM = pathlib.Path(os.environ.get("VOLARIX_FARM_DIR", "/tmp/volarix-farm"))
SCRIPTS = pathlib.Path(__file__).parents[1] / "farm"
SCENES = pathlib.Path(os.environ.get("VOLARIX_SCENES", pathlib.Path(__file__).parents[2] / "scenes"))

pytestmark = [pytest.mark.skipif(not VOLARIX, reason="VOLARIX_BIN names no volarix program"),
              pytest.mark.skipif(os.geteuid() != 0, reason="a Slurm node needs root (CI runs as root)")]


@pytest.fixture(scope="module")
def cluster():
    started = subprocess.run([SCRIPTS / "slurm-up", FARM], capture_output=True, text=True, timeout=120)
    try:
        assert started.returncode == 0, started.stderr
        yield dict(os.environ, SLURM_CONF=str(FARM / "slurm.conf"))
    finally:
        subprocess.run([SCRIPTS / "slurm-down", FARM], timeout=120)


def wedge(out, *arguments, env=None):
    return subprocess.run([VOLARIX, "wedge", SCENES / "demo.mel", "--vary", "swarm.maximumSpeed=10,20",
                           "--seeds", "1:2", "--frames", "1:12", "--out", out, *arguments],
                          capture_output=True, text=True, timeout=600, env=env)


def rows(folder):
    # Everything but the timing, which differs run to run.
    with open(folder / "wedges.csv", newline="") as table:
        return [{k: v for k, v in row.items() if k != "msPerFrame"} for row in csv.DictReader(table)]


def test_a_wedge_on_slurm_writes_the_bytes_of_the_same_wedge_run_here(cluster, tmp_path):
    here, farm = tmp_path / "here", tmp_path / "farm"
    ran = wedge(here, "--local", "2")
    assert ran.returncode == 0, ran.stderr
    ran = wedge(farm, "--slurm", "--wait", "--cpus", "1", env=cluster)
    assert ran.returncode == 0, ran.stderr
    assert "4 wedges run on Slurm, 0 not done" in ran.stdout
    script = (farm / "wedge.sbatch").read_text()
    assert "#SBATCH --array=0-3\n" in script and "wedge --task" in script

    assert rows(farm) == rows(here)
    assert [r["status"] for r in rows(farm)] == ["done"] * 4
    for row in rows(here):
        cache = sorted((here / row["name"] / "cache").glob("*.pdc"))
        assert len(cache) == 12
        for file in cache:
            assert (farm / row["name"] / "cache" / file.name).read_bytes() == file.read_bytes(), file.name
    # One log per task, as Slurm wrote them.
    assert len(list((farm / "slurm").glob("*.log"))) == 4

    # A wedge lost on the farm is submitted again alone by --resume.
    lost = rows(farm)[2]["name"]
    shutil.rmtree(farm / lost)
    ran = subprocess.run([VOLARIX, "wedge", "--resume", farm, "--slurm", "--wait"], capture_output=True, text=True,
                         timeout=600, env=cluster)
    assert ran.returncode == 0, ran.stderr
    assert "#SBATCH --array=2\n" in (farm / "wedge.sbatch").read_text()
    assert rows(farm) == rows(here)


def test_no_slurm_or_a_cluster_down_submits_nothing(cluster, tmp_path):
    # No sbatch on PATH (the program itself is named by its full path).
    out = tmp_path / "nothing"
    ran = wedge(out, "--slurm", env=dict(cluster, PATH="/nonexistent"))
    assert ran.returncode == 1
    assert "sinfo is not on PATH: is Slurm installed here" in ran.stderr
    assert not (out / "wedge.sbatch").exists()

    # A configuration whose controller nobody runs.
    conf = re.sub(r"SlurmctldPort=(\d+)", lambda m: "SlurmctldPort=%d" % (int(m[1]) + 2),
                  (FARM / "slurm.conf").read_text())
    down = tmp_path / "down.conf"
    down.write_text(conf)
    out = tmp_path / "down"
    ran = wedge(out, "--slurm", env=dict(cluster, SLURM_CONF=str(down)))
    assert ran.returncode == 1
    assert "the Slurm cluster does not answer" in ran.stderr
    assert not (out / "wedge.sbatch").exists()
