"""How a flock flew, from the caches of a run: the mean distance to the goal
and the distribution of speeds, frame by frame, drawn into one PNG.

Run seek (or its Python twin) with a cache, then analyse it:

    build/bin/volarix run scenes/seek.py --cache out/seek --frames 1:240
    python3 scenes/analyse.py out/seek --goal 60 20 -30 --out out/seek-analysis.png

The goal defaults to seek's (60, 20, -30). Needs NumPy and Matplotlib
(Debian python3-numpy, python3-matplotlib) and the volarix package
(PYTHONPATH=build/python; found there by itself when run from the source
tree).
"""

import argparse
import pathlib
import sys

import numpy as np


def _import_volarix():
    try:
        import volarix
    except ImportError:
        # Run from the source tree without PYTHONPATH: the package is built
        # into build/python.
        sys.path.append(str(pathlib.Path(__file__).resolve().parents[1] / "build" / "python"))
        import volarix
    return volarix


def measure(frames, goal):
    """Per frame: the distances to the goal (mean, 10th and 90th percentile)
    and every particle's speed. `frames` is a volarix CacheSequence."""
    distance = np.empty((len(frames), 3))
    speeds = []
    for i, arrays in enumerate(frames):
        position, velocity = arrays["position"], arrays["velocity"]
        if len(position) == 0:
            distance[i] = np.nan
            speeds.append(np.empty(0))
            continue
        to_goal = np.linalg.norm(position - goal, axis=1)
        distance[i] = to_goal.mean(), *np.percentile(to_goal, (10, 90))
        speeds.append(np.linalg.norm(velocity, axis=1))
    return distance, speeds


def speed_histograms(speeds, bins):
    """The share of each frame's particles in each speed bin: (bins, frames)."""
    shares = np.zeros((len(bins) - 1, len(speeds)))
    for i, frame in enumerate(speeds):
        if len(frame):
            shares[:, i] = np.histogram(frame, bins=bins)[0] / len(frame)
    return shares


def draw(frame_numbers, distance, speeds, title, path):
    import matplotlib

    matplotlib.use("Agg")  # no display needed
    import matplotlib.pyplot as plt

    figure, (top, bottom) = plt.subplots(2, 1, figsize=(9, 7), sharex=True, constrained_layout=True)
    figure.suptitle(title)

    top.fill_between(frame_numbers, distance[:, 1], distance[:, 2], color="tab:blue", alpha=0.25,
                     label="10th to 90th percentile")
    top.plot(frame_numbers, distance[:, 0], color="tab:blue", label="mean")
    top.set_ylabel("distance to the goal (cm)")
    top.set_ylim(bottom=0)
    top.grid(alpha=0.3)
    top.legend(loc="upper right")

    fastest = max((frame.max() for frame in speeds if len(frame)), default=1.0) or 1.0
    bins = np.linspace(0.0, fastest * 1.02, 61)
    shares = speed_histograms(speeds, bins)
    # Each frame's column is centred on it.
    image = bottom.imshow(shares, origin="lower", aspect="auto", cmap="magma",
                          extent=(frame_numbers[0] - 0.5, frame_numbers[-1] + 0.5, bins[0], bins[-1]))
    medians = [np.median(frame) if len(frame) else np.nan for frame in speeds]
    bottom.plot(frame_numbers, medians, color="white", linewidth=1, label="median")
    bottom.set_xlabel("frame")
    bottom.set_ylabel("speed (cm/s)")
    bottom.legend(loc="upper right")
    figure.colorbar(image, ax=bottom, label="share of the particles")

    figure.savefig(path, dpi=100)
    plt.close(figure)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("cache", type=pathlib.Path, help="the folder of a run's caches (volarix run --cache)")
    parser.add_argument("--goal", type=float, nargs=3, default=(60.0, 20.0, -30.0), metavar=("X", "Y", "Z"),
                        help="where the goal stands (default: seek's, 60 20 -30)")
    parser.add_argument("--shape", help="the particle shape, when the folder holds several")
    parser.add_argument("--out", type=pathlib.Path,
                        help="the picture to write (default: beside the folder, <folder>-analysis.png)")
    args = parser.parse_args(argv)

    goal = np.array(args.goal)
    if not np.all(np.isfinite(goal)):
        parser.error("--goal takes three finite numbers")
    out = args.out or args.cache.with_name(args.cache.name + "-analysis.png")
    volarix = _import_volarix()
    try:
        frames = volarix.read_cache_sequence(args.cache, shape=args.shape)
        distance, speeds = measure(frames, goal)
    except (OSError, ValueError) as error:  # no folder, no caches, a bad file
        parser.error(str(error))
    title = "%s: %d frames from %s, goal at (%g, %g, %g)" % (frames.shape, len(frames), args.cache, *goal)
    draw(np.array(frames.frames), distance, speeds, title, out)
    last = len(speeds[-1])
    print("%s: mean distance to the goal %.1f cm at frame %d (%.1f at frame %d); median speed %.1f cm/s; "
          "%d particles" % (out, distance[-1, 0], frames.frames[-1], distance[0, 0], frames.frames[0],
                            np.median(speeds[-1]) if last else float("nan"), last))
    return 0


if __name__ == "__main__":
    sys.exit(main())
