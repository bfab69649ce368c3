#pragma once
/// \file SlurmJob.h
/// A wedge on a Slurm cluster: DIR/wedge.sbatch, a job array with one task
/// per wedge, each task `volarix wedge --task DIR $SLURM_ARRAY_TASK_ID`;
/// submitted with sbatch and, when asked, waited for with squeue.

#include "WedgePlan.h"

#include <functional>
#include <string>
#include <vector>

struct SlurmOptions
{
    std::string partition; ///< empty: the cluster's default
    std::string time;      ///< a task's time limit, as sbatch --time takes it
    std::string memory;    ///< a task's memory, as sbatch --mem takes it
    int cpus = 1;          ///< per task, and the run's threads
};

/// "0-3,5,7-9": the array's task ids for `indices` (ascending).
std::string ArrayTaskIds(const std::vector<std::size_t>& indices);

/// The job script: the wedges `indices` of DIR's plan, run by `program`.
std::string SbatchScript(const std::string& program, const std::string& dir, const WedgePlan& plan,
                         const std::vector<std::size_t>& indices, const SlurmOptions& options);

/// Writes DIR/wedge.sbatch and submits it. Before anything is written,
/// checks that sbatch is at hand and the cluster answers (sinfo), so that
/// nothing is half-submitted. Fills `jobId`; false with `error` otherwise.
bool SubmitToSlurm(const std::string& program, const std::string& dir, const WedgePlan& plan,
                   const std::vector<std::size_t>& indices, const SlurmOptions& options, std::string& jobId,
                   std::string& error);

/// Waits until job `jobId` has left the queue (squeue), calling `poll`
/// between looks (a progress line). False, with `error`, when squeue
/// stops answering.
bool WaitForSlurmJob(const std::string& jobId, const std::function<void()>& poll, std::string& error);

/// Runs `argv` (found on PATH) and returns its exit status, with what it
/// wrote to standard output and error in `output`; -1 when it cannot start.
int RunCapturing(const std::vector<std::string>& argv, std::string& output);
