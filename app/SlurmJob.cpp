#include "SlurmJob.h"

#include "OutputFile.h"
#include "WedgeRun.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace
{
// Where each task's log goes: DIR/slurm/<job>_<task>.log.
std::string TaskLogs(const std::string& dir)
{
    return (fs::path(dir) / "slurm" / "%A_%a.log").string();
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}
} // namespace

int RunCapturing(const std::vector<std::string>& argv, std::string& output)
{
    output.clear();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<std::string> words = argv;
    std::vector<char*> args;
    for (std::string& word : words)
        args.push_back(word.data());
    args.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0)
    {
        close(pipeEnds[0]);
        return -1;
    }
    char chunk[4096];
    for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof(chunk))) != 0;)
        if (got > 0)
            output.append(chunk, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            break;
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string ArrayTaskIds(const std::vector<std::size_t>& indices)
{
    std::string ids;
    for (std::size_t i = 0; i < indices.size();)
    {
        std::size_t last = i;
        while (last + 1 < indices.size() && indices[last + 1] == indices[last] + 1)
            ++last;
        if (!ids.empty())
            ids += ',';
        ids += std::to_string(indices[i]);
        if (last > i)
        {
            ids += '-';
            ids += std::to_string(indices[last]);
        }
        i = last + 1;
    }
    return ids;
}

std::string SbatchScript(const std::string& program, const std::string& dir, const WedgePlan& plan,
                         const std::vector<std::size_t>& indices, const SlurmOptions& options)
{
    std::string script = "#!/bin/sh\n";
    script += "# The wedge of " + plan.scene + ": " + std::to_string(indices.size()) + " of its " +
              std::to_string(plan.Count()) + " variants, one task each. A task is\n" +
              "# volarix run of the scene with that variant's --set and --seed; see wedge.json.\n";
    script += "#SBATCH --job-name=volarix-wedge-" + fs::path(plan.scene).stem().string() + "\n";
    script += "#SBATCH --array=" + ArrayTaskIds(indices) + "\n";
    // A directive ends at white space: a log path with a space goes on
    // sbatch's command line only (SubmitToSlurm always puts it there).
    if (const std::string log = TaskLogs(dir); log.find_first_of(" \t") == std::string::npos)
        script += "#SBATCH --output=" + log + "\n";
    script += "#SBATCH --cpus-per-task=" + std::to_string(options.cpus) + "\n";
    if (!options.partition.empty())
        script += "#SBATCH --partition=" + options.partition + "\n";
    if (!options.time.empty())
        script += "#SBATCH --time=" + options.time + "\n";
    if (!options.memory.empty())
        script += "#SBATCH --mem=" + options.memory + "\n";
    script += "exec " + ShellQuoted(program) + " wedge --task " + ShellQuoted(dir) + " \"$SLURM_ARRAY_TASK_ID\" --threads " +
              std::to_string(options.cpus) + "\n";
    return script;
}

bool SubmitToSlurm(const std::string& program, const std::string& dir, const WedgePlan& plan,
                   const std::vector<std::size_t>& indices, const SlurmOptions& options, std::string& jobId,
                   std::string& error)
{
    std::string output;
    // Asked before anything is written: a missing sbatch or a cluster that
    // does not answer leaves nothing behind.
    const int info = RunCapturing({"sinfo", "-h", "-o", "%P %a"}, output);
    if (info < 0)
    {
        error = "sinfo is not on PATH: is Slurm installed here (Debian: slurm-client)?";
        return false;
    }
    if (info != 0)
    {
        error = "the Slurm cluster does not answer: " + Trimmed(output);
        return false;
    }
    std::error_code code;
    fs::create_directories(fs::path(dir) / "slurm", code);
    const fs::path path = fs::path(dir) / "wedge.sbatch";
    if (!WriteText(path, SbatchScript(program, dir, plan, indices, options), error))
        return false;
    const int submitted = RunCapturing({"sbatch", "--parsable", "--output=" + TaskLogs(dir), path.string()}, output);
    if (submitted != 0)
    {
        error = submitted < 0 ? "sbatch is not on PATH: is Slurm installed here (Debian: slurm-client)?"
                              : "sbatch refused the job: " + Trimmed(output);
        return false;
    }
    // "1234" or "1234;cluster", after any warnings sbatch printed.
    const std::string last = Trimmed(output).substr(Trimmed(output).rfind('\n') + 1);
    jobId = last.substr(0, last.find(';'));
    if (jobId.empty() || jobId.find_first_not_of("0123456789") != std::string::npos)
    {
        error = "sbatch gave no job id: " + Trimmed(output);
        return false;
    }
    return true;
}

bool WaitForSlurmJob(const std::string& jobId, const std::function<void()>& poll, std::string& error)
{
    std::string output;
    unsigned failures = 0;
    while (true)
    {
        poll();
        const int status = RunCapturing({"squeue", "-h", "-j", jobId, "-o", "%i"}, output);
        // The job leaves the queue when its last task ends; a job the
        // controller has forgotten is as good as gone.
        if (status == 0 && Trimmed(output).empty())
            return true;
        if (status != 0 && output.find("Invalid job id") != std::string::npos)
            return true;
        if (status != 0 && ++failures > 20)
        {
            error = "squeue stopped answering: " + Trimmed(output);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}
