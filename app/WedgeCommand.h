#pragma once
/// \file WedgeCommand.h
/// `volarix wedge`: the command line of wedges (WedgePlan, WedgeRun).
///
///   volarix wedge SCENE --vary NODE.ATTR=V1,V2,... [--vary ...] [--seeds A:B] --out DIR
///                 [--frames S:E] [--cache-format F] [--playblast]
///                 [--local N | --print-jobs | --slurm [--partition P] [--time T] [--mem M] [--cpus C] [--wait]]
///   volarix wedge --resume DIR [--local N | --slurm ...]   reruns the failed and missing wedges
///   volarix wedge --collect DIR                writes DIR/wedges.csv again
///   volarix wedge --task DIR INDEX             one wedge, as a farm task runs it

#include <maya/MStatus.h>

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

struct WedgeArguments
{
    std::string scene;
    std::vector<std::string> vary;
    std::string seeds;
    std::string out;
    std::string frames;
    std::string cacheFormat = "pdc";
    bool playblast = false;
    unsigned local = 1;
    bool printJobs = false;
    bool slurm = false;
    std::string partition;
    std::string time;
    std::string memory;
    int cpus = 1;
    bool wait = false;
    std::string resume;
    std::string collect;
    std::vector<std::string> task; ///< DIR INDEX
    int threads = 0;               ///< per run; 0: the cores shared out
    std::size_t maxWedges = 10000;
    bool quiet = false;
};

/// Adds the `wedge` subcommand to `app`, filling `args`.
CLI::App* AddWedgeCommand(CLI::App& app, WedgeArguments& args);

/// Runs it. `runScene` runs a Python scene, as SceneRunOptions has it (empty
/// in a build without Python); .mel scenes run as `volarix run` runs them. Returns the exit status: 0 when every wedge asked for is done,
/// 1 when one failed or the wedge could not start, 2 for a bad argument.
int RunWedgeCommand(const WedgeArguments& args, const std::function<MStatus(const std::string&)>& runScene);
