#pragma once
/// \file WedgeRun.h
/// The wedges of a plan in their output folder DIR:
/// - DIR/wedge.json, the plan, written before any wedge runs and read by
///   every task (a task is `volarix wedge --task DIR INDEX`, wherever it
///   runs);
/// - DIR/NAME/ for a wedge that ran to the end: cache/, playblast/ when
///   asked for, summary.json (`volarix run --json`) and measures.json (what
///   the flock did at the last frame);
/// - DIR/NAME.failed/ for one that failed, its message in error.txt.
/// A wedge runs in DIR/.NAME.partial/ and is renamed when it is over, so a
/// task killed half-way never leaves a wedge that looks done.

#include "WedgePlan.h"

#include <maya/MStatus.h>

#include <functional>
#include <string>
#include <vector>

/// Writes DIR/wedge.json, making DIR. Refuses a DIR that holds another
/// plan (of another scene, or other variations), naming its scene.
bool WritePlan(const std::string& dir, const WedgePlan& plan, std::string& error);
bool ReadPlan(const std::string& dir, WedgePlan& plan, std::string& error);

/// Runs one wedge of the plan in DIR in this process, as `volarix run`
/// would with the wedge's --set and --seed. `runScene` runs a Python scene
/// (see SceneRunOptions). Returns the exit status: 0 done, 1 failed.
int RunWedgeTask(const std::string& dir, std::size_t index, int threads,
                 const std::function<MStatus(const std::string&)>& runScene);

enum class WedgeState
{
    kDone,
    kFailed,
    kMissing ///< not run, still running, or killed
};
/// Where wedge `wedge` of DIR stands; `message` is a failed one's error.
WedgeState StateOf(const std::string& dir, const Wedge& wedge, std::string& message);

/// Runs the wedges `indices` of DIR, `parallel` at a time, each as a
/// child process of this program (`program`, this executable) with
/// `threads` threads; one progress line for them all when `progress`.
/// Returns how many failed.
std::size_t RunLocal(const std::string& program, const std::string& dir, const std::vector<std::size_t>& indices,
                     unsigned parallel, int threads, bool progress);

/// Redraws the one progress line of a wedge on stderr: `finished` of
/// `total` wedges, `failures` of them failed, `note` ("2 running").
void DrawWedgeProgress(std::size_t finished, std::size_t failures, std::size_t total, const std::string& note,
                       double elapsed);

/// `word` in single quotes, as a POSIX shell reads it back whole.
std::string ShellQuoted(const std::string& word);
/// The command line of one task, quoted for a POSIX shell.
std::string TaskCommand(const std::string& program, const std::string& dir, std::size_t index, int threads);

/// DIR/wedges.csv: one row per wedge, its values, seed, state and what the
/// run measured. Returns false, with `error`, when it cannot be written.
bool WriteWedgeTable(const std::string& dir, const WedgePlan& plan, std::string& error);
