// volarix.run() steps with the volarix program's own frame loop (FrameRun),
// so a run from Python writes the very files `volarix run` writes.

#include "Run.h"

#include <FrameRun.h>
#include <ScriptInterrupt.h>
#include <vxhost/MessageLog.h>

#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <utility>

namespace py = pybind11;

namespace vxpython
{
namespace
{
// A frame number as `volarix run --frames` takes it: whole, not negative.
double WholeFrame(const py::handle& value, const char* which)
{
    if (PyBool_Check(value.ptr()) || !(PyLong_Check(value.ptr()) || PyFloat_Check(value.ptr()) ||
                                       PyIndex_Check(value.ptr())))
        throw py::value_error(std::string("frames: the ") + which + " frame must be a number.");
    const double frame = value.cast<double>();
    if (!std::isfinite(frame) || frame != std::floor(frame))
        throw py::value_error(std::string("frames: the ") + which + " frame must be a whole number, got " +
                              std::string(py::repr(value)) + ".");
    if (frame < 0.0)
        throw py::value_error(std::string("frames: the ") + which + " frame must not be negative.");
    return frame;
}

// The speeds of speed_range as numbers, checked as --speed-range is.
std::pair<double, double> SpeedRange(const py::object& range)
{
    const std::string written = py::repr(range);
    if (!py::isinstance<py::sequence>(range) || py::isinstance<py::str>(range) || py::len(range) != 2)
        throw py::value_error("speed_range takes (lo, hi), two speeds in cm/s, got " + written + ".");
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(range);
    for (const py::handle value : pair)
        if (PyBool_Check(value.ptr()) || !(PyLong_Check(value.ptr()) || PyFloat_Check(value.ptr())))
            throw py::value_error("speed_range takes (lo, hi), two speeds in cm/s, got " + written + ".");
    const double low = pair[0].cast<double>();
    const double high = pair[1].cast<double>();
    if (const std::string error = CheckSpeedRange(low, high, written); !error.empty())
        throw py::value_error("speed_range: " + error + ".");
    return {low, high};
}

py::dict Run(const std::string& scene, const py::object& frames, const std::optional<std::string>& cache,
             const std::string& cacheFormat, const std::optional<std::string>& playblast, int threads,
             bool progress, bool keepOld, const std::optional<std::string>& view,
             const std::optional<std::string>& frame, const py::object& speedRange)
{
    SceneRunOptions options;
    options.scene = scene;
    if (!frames.is_none())
    {
        if (!py::isinstance<py::sequence>(frames) || py::isinstance<py::str>(frames) || py::len(frames) != 2)
            throw py::value_error("frames takes (start, end), two whole frame numbers, or None for the "
                                  "scene's playback range.");
        const py::sequence range = py::reinterpret_borrow<py::sequence>(frames);
        options.frameRange = true;
        options.startFrame = WholeFrame(range[0], "start");
        options.endFrame = WholeFrame(range[1], "end");
        if (options.endFrame < options.startFrame)
            throw py::value_error("frames: the end frame comes before the start frame.");
        if (options.endFrame - options.startFrame > 1e7)
            throw py::value_error("frames: more than 10 million frames.");
    }
    if (!vxhost::CacheFormatFromName(cacheFormat, options.cacheFormat))
        throw py::value_error("cache_format is \"pdc\", \"ply\" or \"csv\", not \"" + cacheFormat + "\".");
    if (cache)
        options.cacheDir = *cache;
    if (playblast)
        options.playblastDir = *playblast;
    if (threads < 0)
        throw py::value_error("threads must not be negative (0 for every core).");
    options.threads = threads;
    options.progress = progress;
    options.keepOldCaches = keepOld;
    if (view)
    {
        if (frame)
            throw py::value_error("view uses the camera as it stands: it takes no frame, got frame=\"" + *frame +
                                  "\".");
        if (std::string error; !CameraNamed(*view, error))
            throw py::value_error("view: " + error + ".");
        options.view = *view;
        options.framing = SceneRunOptions::Framing::kAsItStands;
    }
    else if (frame && *frame == "first")
        options.framing = SceneRunOptions::Framing::kFirstFrame;
    else if (frame && *frame != "all")
        throw py::value_error("frame is \"all\" or \"first\", not \"" + *frame + "\".");
    if (!speedRange.is_none())
        options.speedRange = SpeedRange(speedRange);

    FrameRun run;
    std::string error;
    SceneRunSummary summary;
    bool ran = false;
    {
        // The frames step in the host alone; other Python threads may run.
        const py::gil_scoped_release unlocked;
        ran = run.Prepare(options, error);
        if (ran)
        {
            // Ctrl-C stops between frames rather than ending Python.
            const ScriptInterrupt interrupt;
            ran = run.Run(summary, error);
            ScriptInterrupt::Taken();
        }
        vxhost::FlushMessages();
    }
    if (run.Interrupted())
    {
        PyErr_SetString(PyExc_KeyboardInterrupt, ("volarix.run " + error).c_str());
        throw py::error_already_set();
    }
    if (!ran)
        throw std::runtime_error(error);
    return py::module_::import("json").attr("loads")(SummaryJson(summary));
}
} // namespace

void DefineRun(py::module_& module)
{
    module.def("run", &Run, py::arg("scene"), py::arg("frames"), py::arg("cache"), py::arg("cache_format"),
               py::arg("playblast"), py::arg("threads"), py::arg("progress"), py::arg("keep_old"),
               py::arg("view"), py::arg("frame"), py::arg("speed_range"),
               "run(scene, frames, cache, cache_format, playblast, threads, progress, keep_old, view, frame, "
               "speed_range) -> the run's summary.");
}

} // namespace vxpython
