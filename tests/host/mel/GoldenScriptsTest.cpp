// Runs every script of the golden corpus (golden/<group>/<name>.mel) and
// compares what it printed with <name>.out and the errors and warnings it
// showed with <name>.err (no .err: none expected), byte for byte.
//
// Each script runs in a child process of its own, so that no global
// variable, procedure, node or random state of one script reaches the next,
// and so that a script that crashes the interpreter fails its own case
// instead of the whole program.
//
// Paths in messages are written with the corpus directory replaced by
// <GOLDEN>, and the machine's free memory (named in refusals of huge arrays)
// by <AVAILABLE>, so the expected files hold on any machine.
//
// VX_UPDATE_GOLDEN=1 in the environment writes what the scripts did as the
// new expected files, for a reviewer to read in the diff before committing.
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

const fs::path kCorpus = VX_MEL_GOLDEN;

struct Outcome
{
    std::string output;
    std::string diagnostics;
    std::string failure; ///< how the child process ended, when not cleanly
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Errors and warnings as the terminal shows them.
std::string Diagnostics(const std::vector<vxhost::Message>& messages)
{
    std::string text;
    for (const vxhost::Message& m : messages)
    {
        if (m.severity != vxhost::Severity::kError && m.severity != vxhost::Severity::kWarning)
            continue;
        text += m.severity == vxhost::Severity::kError ? "// Error: " : "// Warning: ";
        text += m.text + " //";
        if (m.count > 1)
            text += " (repeated " + std::to_string(m.count) + " times)";
        text += '\n';
    }
    return text;
}

std::string Normalised(std::string text)
{
    const std::string corpus = kCorpus.string();
    for (std::size_t at = text.find(corpus); at != std::string::npos; at = text.find(corpus, at))
        text.replace(at, corpus.size(), "<GOLDEN>");
    static const std::regex kAvailable("but [0-9.e+]+ GB is available");
    return std::regex_replace(text, kAvailable, "but <AVAILABLE> is available");
}

bool WriteAll(int fd, const std::string& bytes)
{
    const std::uint64_t size = bytes.size();
    if (write(fd, &size, sizeof size) != static_cast<ssize_t>(sizeof size))
        return false;
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& out)
{
    const auto readExactly = [fd](char* data, std::size_t size)
    {
        std::size_t done = 0;
        while (done < size)
        {
            const ssize_t n = read(fd, data + done, size - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
    std::uint64_t size = 0;
    if (!readExactly(reinterpret_cast<char*>(&size), sizeof size) || size > (1u << 30))
        return false;
    out.resize(size);
    return readExactly(out.data(), out.size());
}

Outcome RunIsolated(const fs::path& script)
{
    Outcome outcome;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {{}, {}, "pipe failed"};
    const pid_t child = fork();
    if (child < 0)
        return {{}, {}, "fork failed"};
    if (child == 0)
    {
        close(pipeFds[0]);
        // A script that loops for ever ends the child, not the test run.
        alarm(60);
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        (void)vxhost::CommandEngine::Instance().RunScriptFile(script.string());
        std::string output;
        const std::vector<vxhost::Message> messages = vxhost::Messages();
        for (const vxhost::Message& m : messages)
            if (m.severity == vxhost::Severity::kOutput)
                output += m.text;
        const bool sent = WriteAll(pipeFds[1], output) && WriteAll(pipeFds[1], Diagnostics(messages));
        // No exit handlers: they belong to the parent.
        _exit(sent ? 0 : 3);
    }
    close(pipeFds[1]);
    const bool read = ReadAll(pipeFds[0], outcome.output) && ReadAll(pipeFds[0], outcome.diagnostics);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        outcome.failure = "the script's process was killed by signal " + std::to_string(WTERMSIG(status));
    else if (!read || WEXITSTATUS(status) != 0)
        outcome.failure = "the script's process ended without reporting (exit status " +
                          std::to_string(WEXITSTATUS(status)) + ")";
    outcome.output = Normalised(outcome.output);
    outcome.diagnostics = Normalised(outcome.diagnostics);
    return outcome;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    if (!text.empty() && text.back() != '\n')
        lines.back() += "\\ (no newline at end)";
    return lines;
}

// Control bytes shown as \xNN, so a stray NUL or escape is visible.
std::string Visible(const std::string& line)
{
    std::string out;
    for (const unsigned char c : line)
    {
        if (c >= 0x20 && c != 0x7f)
            out += static_cast<char>(c);
        else
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

// A line diff ("-" expected, "+" actual) by longest common subsequence;
// golden files are short.
std::string Diff(const std::string& expected, const std::string& actual)
{
    const std::vector<std::string> a = Lines(expected);
    const std::vector<std::string> b = Lines(actual);
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::string diff;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size())
    {
        if (i < a.size() && j < b.size() && a[i] == b[j])
            diff += "  " + Visible(a[i++]) + "\n", ++j;
        else if (j < b.size() && (i == a.size() || common[i][j + 1] >= common[i + 1][j]))
            diff += "+ " + Visible(b[j++]) + "\n";
        else
            diff += "- " + Visible(a[i++]) + "\n";
    }
    return diff;
}

std::vector<fs::path> Scripts()
{
    std::vector<fs::path> scripts;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kCorpus))
        if (entry.is_regular_file() && entry.path().extension() == ".mel")
            scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

std::string CaseName(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = info.param.parent_path().filename().string() + "_" + info.param.stem().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class GoldenScript : public testing::TestWithParam<fs::path>
{
};

TEST_P(GoldenScript, PrintsWhatMayaPrints)
{
    const fs::path& script = GetParam();
    fs::path out = script;
    out.replace_extension(".out");
    fs::path err = script;
    err.replace_extension(".err");

    const Outcome outcome = RunIsolated(script);
    ASSERT_TRUE(outcome.failure.empty()) << outcome.failure;

    if (const char* update = std::getenv("VX_UPDATE_GOLDEN"); update && std::string(update) == "1")
    {
        std::ofstream(out, std::ios::binary) << outcome.output;
        if (outcome.diagnostics.empty())
            fs::remove(err);
        else
            std::ofstream(err, std::ios::binary) << outcome.diagnostics;
        return;
    }
    const std::string expectedOutput = ReadFile(out);
    const std::string expectedDiagnostics = fs::exists(err) ? ReadFile(err) : std::string();
    EXPECT_EQ(outcome.output, expectedOutput) << "stdout differs from " << out.string() << ":\n"
                                              << Diff(expectedOutput, outcome.output);
    EXPECT_EQ(outcome.diagnostics, expectedDiagnostics)
        << "errors and warnings differ from " << err.string() << ":\n"
        << Diff(expectedDiagnostics, outcome.diagnostics);
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoldenScript, testing::ValuesIn(Scripts()), CaseName);

// Every script has its expected output beside it, so a new script cannot
// pass for want of something to compare.
TEST(GoldenCorpus, EveryScriptHasExpectedOutput)
{
    const std::vector<fs::path> scripts = Scripts();
    EXPECT_GE(scripts.size(), 40u);
    for (const fs::path& script : scripts)
    {
        fs::path out = script;
        out.replace_extension(".out");
        EXPECT_TRUE(fs::exists(out)) << out.string();
    }
}

} // namespace
