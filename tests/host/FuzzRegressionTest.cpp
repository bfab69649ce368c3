// Inputs that broke, or were written to break, the two readers of outside
// text and bytes: the scene-script reader and the particle cache reader.
// Every file in fuzz-regressions/<fuzzer>/ goes through the reader the fuzzer
// drives (make fuzz finds new ones; a failing input is kept here once fixed).
// A name starting "ok-" must read, "err-" must be refused with a message;
// any other file must only come back cleanly. A cache that reads must also
// read the same when written again.
#include "dynamics/ParticleCache.h"
#include "mel/Parser.h"

#include <vxhost/Script.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

using vxhost::CacheChannel;
using vxhost::CacheFormat;
using vxhost::ParticleCacheFrame;

namespace
{
namespace fs = std::filesystem;

struct Input
{
    std::string name;
    std::string bytes;
};

std::vector<Input> Inputs(const char* fuzzer)
{
    std::vector<Input> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(VX_FUZZ_REGRESSIONS) / fuzzer))
    {
        std::ifstream file(entry.path(), std::ios::binary);
        inputs.push_back({entry.path().filename().string(), std::string(std::istreambuf_iterator<char>(file),
                                                                        std::istreambuf_iterator<char>())});
    }
    std::sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
    return inputs;
}

bool Expected(const Input& input, bool& reads)
{
    reads = input.name.starts_with("ok-");
    return reads || input.name.starts_with("err-");
}

// PDC and PLY keep every bit; CSV text keeps the number, not the sign of a
// zero or a NaN's payload.
bool SameValue(double a, double b, bool exact)
{
    if (exact)
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    return a == b || (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult SameFrame(const ParticleCacheFrame& a, const ParticleCacheFrame& b, bool exact)
{
    if (a.count != b.count || a.channels.size() != b.channels.size())
        return ::testing::AssertionFailure() << a.count << " particles in " << a.channels.size()
                                             << " channels, then " << b.count << " in " << b.channels.size();
    for (std::size_t c = 0; c < a.channels.size(); ++c)
    {
        const CacheChannel& x = a.channels[c];
        const CacheChannel& y = b.channels[c];
        if (x.name != y.name || x.IsVector() != y.IsVector())
            return ::testing::AssertionFailure()
                   << "channel " << c << ": \"" << x.name << "\" became \"" << y.name << "\"";
        for (unsigned i = 0; i < a.count; ++i)
        {
            bool same = true;
            if (x.IsVector())
            {
                const MVector& u = std::get<MVectorArray>(x.values)[i];
                const MVector& v = std::get<MVectorArray>(y.values)[i];
                same = SameValue(u.x, v.x, exact) && SameValue(u.y, v.y, exact) && SameValue(u.z, v.z, exact);
            }
            else
                same = SameValue(std::get<MDoubleArray>(x.values)[i], std::get<MDoubleArray>(y.values)[i],
                                 exact);
            if (!same)
                return ::testing::AssertionFailure() << x.name << "[" << i << "] changed";
        }
    }
    return ::testing::AssertionSuccess();
}

// Reads `bytes` as `format`; when they read, checks the frame is whole and
// reads the same written again, in its format and in PDC.
bool DecodeAndRoundTrip(const std::string& bytes, CacheFormat format, ParticleCacheFrame& frame,
                        std::string& error)
{
    if (!vxhost::DecodeParticleCache(bytes, format, frame, error))
    {
        EXPECT_FALSE(error.empty());
        return false;
    }
    for (const CacheChannel& channel : frame.channels)
    {
        const unsigned length = channel.IsVector() ? std::get<MVectorArray>(channel.values).length()
                                                   : std::get<MDoubleArray>(channel.values).length();
        EXPECT_EQ(length, frame.count) << channel.name;
    }
    for (const CacheFormat to : {format, CacheFormat::kPdc})
    {
        SCOPED_TRACE(std::string("written as ") + vxhost::CacheFormatName(to));
        std::string written;
        vxhost::EncodeParticleCache(frame, to, written);
        // Files are read back by what their bytes look like.
        EXPECT_EQ(vxhost::DetectCacheFormat(written), to);
        ParticleCacheFrame again;
        std::string againError;
        EXPECT_TRUE(vxhost::DecodeParticleCache(written, to, again, againError)) << againError;
        EXPECT_TRUE(SameFrame(frame, again, to != CacheFormat::kCsv));
    }
    return true;
}

const CacheChannel& Channel(const ParticleCacheFrame& frame, const char* name)
{
    static const CacheChannel kNone;
    const CacheChannel* channel = frame.Find(name);
    EXPECT_NE(channel, nullptr) << name;
    return channel ? *channel : kNone;
}

double Value(const ParticleCacheFrame& frame, const char* name, unsigned i)
{
    const CacheChannel& channel = Channel(frame, name);
    const MDoubleArray* values = std::get_if<MDoubleArray>(&channel.values);
    return values && i < values->length() ? (*values)[i] : -12345.0;
}
} // namespace

TEST(FuzzRegressionTest, ScriptReaderReadsOrRefusesEveryInputCleanly)
{
    const std::vector<Input> inputs = Inputs("vx_fuzz_script");
    ASSERT_GE(inputs.size(), 20u);
    for (const Input& input : inputs)
    {
        SCOPED_TRACE(input.name);
        vxhost::mel::Program program;
        std::string error;
        const bool ok = vxhost::mel::Parse(input.bytes, input.name, program, error);
        bool reads = false;
        if (Expected(input, reads))
        {
            EXPECT_EQ(ok, reads) << error;
        }
        if (!ok)
        {
            EXPECT_TRUE(error.starts_with("file: " + input.name + " line ")) << error;
            EXPECT_NE(error.find(": Syntax error: "), std::string::npos) << error;
        }
        for (const vxhost::mel::StmtPtr& statement : program.statements)
            EXPECT_GE(statement->line, 1);
    }

    // Some of the refusals word for word.
    const std::map<std::string, std::string> messages = {
        {"err-backslash-at-end.mel", "line 1: Syntax error: unterminated string."},
        {"err-string-runs-past-line.mel", "line 1: Syntax error: unterminated string."},
        {"err-unterminated-comment.mel", "line 1: Syntax error: unterminated comment."},
        {"err-missing-semicolon.mel",
         "line 1: Syntax error: missing \";\" at the end of the \"select\" statement."},
        {"err-nul-byte.mel", "line 1: Syntax error: unexpected character '\\x00'."}};
    std::size_t checked = 0;
    for (const Input& input : inputs)
        if (const auto message = messages.find(input.name); message != messages.end())
        {
            vxhost::mel::Program ignored;
            std::string error;
            EXPECT_FALSE(vxhost::mel::Parse(input.bytes, "", ignored, error));
            EXPECT_EQ(error, message->second) << input.name;
            ++checked;
        }
    EXPECT_EQ(checked, messages.size());

    // The statements of the edge cases, token by token.
    std::vector<vxhost::ScriptStatement> statements;
    std::string error;
    const auto edge = std::find_if(inputs.begin(), inputs.end(),
                                   [](const Input& input) { return input.name == "ok-edge-tokens.mel"; });
    ASSERT_NE(edge, inputs.end());
    ASSERT_TRUE(vxhost::ParseScript(edge->bytes, "", statements, error)) << error;
    ASSERT_EQ(statements.size(), 4u);
    using Kind = vxhost::ScriptArgument::Kind;
    const std::vector<std::pair<Kind, std::string>> expected = {
        {Kind::kFlag, "_x"},    {Kind::kNumber, "-1.5e+3"}, {Kind::kNumber, "-.5"},
        {Kind::kNumber, ".5"},  {Kind::kNumber, "5."},      {Kind::kString, ""},
        {Kind::kString, "\\q"}, {Kind::kString, "\\"},      {Kind::kWord, "x|y:z*?"}};
    EXPECT_EQ(statements[0].command, "a");
    EXPECT_TRUE(statements[0].arguments.empty());
    ASSERT_EQ(statements[1].arguments.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(statements[1].arguments[i].kind, expected[i].first) << i;
        EXPECT_EQ(statements[1].arguments[i].text, expected[i].second) << i;
    }
    EXPECT_EQ(statements[2].command, "c");
    EXPECT_EQ(statements[2].line, 2);
    EXPECT_EQ(statements[3].command, "d");
    EXPECT_EQ(statements[3].line, 4);
}

TEST(FuzzRegressionTest, CacheReaderReadsOrRefusesEveryInputCleanly)
{
    const std::vector<Input> inputs = Inputs("vx_fuzz_cache");
    ASSERT_GE(inputs.size(), 30u);
    for (const Input& input : inputs)
    {
        SCOPED_TRACE(input.name);
        const CacheFormat detected = vxhost::DetectCacheFormat(input.bytes);
        for (const CacheFormat format : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
        {
            SCOPED_TRACE(std::string("read as ") + vxhost::CacheFormatName(format));
            ParticleCacheFrame frame;
            std::string error;
            const bool ok = DecodeAndRoundTrip(input.bytes, format, frame, error);
            bool reads = false;
            if (format == detected && Expected(input, reads))
            {
                EXPECT_EQ(ok, reads) << error;
            }
        }
    }
}

TEST(FuzzRegressionTest, CacheReaderGivesTheNumbersInTheFile)
{
    const std::vector<Input> inputs = Inputs("vx_fuzz_cache");
    auto read = [&](const std::string& name, ParticleCacheFrame& frame)
    {
        const auto it = std::find_if(inputs.begin(), inputs.end(),
                                     [&](const Input& input) { return input.name == name; });
        ASSERT_NE(it, inputs.end()) << name;
        std::string error;
        ASSERT_TRUE(
            vxhost::DecodeParticleCache(it->bytes, vxhost::DetectCacheFormat(it->bytes), frame, error))
            << name << ": " << error;
    };

    // PLY: every scalar type, big-endian, after a skipped element.
    ParticleCacheFrame ply;
    read("ok-ply-big-endian-every-scalar-type.ply", ply);
    ASSERT_EQ(ply.count, 2u);
    ASSERT_EQ(ply.channels.size(), 8u);
    const MVectorArray& positions = std::get<MVectorArray>(Channel(ply, "position").values);
    EXPECT_EQ(positions[0].x, 1.5);
    EXPECT_TRUE(positions[0].y == 0.0 && std::signbit(positions[0].y));
    EXPECT_EQ(positions[0].z, static_cast<double>(3e38f));
    EXPECT_EQ(positions[1].x, HUGE_VAL);
    EXPECT_TRUE(std::isnan(positions[1].y));
    EXPECT_EQ(positions[1].z, static_cast<double>(1e-45f));
    const double first[] = {-128, 255, -32768, 65535, -2147483648.0, 4294967295.0, 1e-310};
    const double second[] = {127, 0, 32767, 0, 2147483647, 0, -0.0};
    const char* names[] = {"c", "uc", "s", "us", "i", "ui", "d"};
    for (int c = 0; c < 7; ++c)
    {
        EXPECT_EQ(Value(ply, names[c], 0), first[c]) << names[c];
        EXPECT_EQ(Value(ply, names[c], 1), second[c]) << names[c];
    }

    // PDC: per-object values skipped, an int array read as doubles.
    ParticleCacheFrame pdc;
    read("ok-pdc-int-array-and-per-object-values.pdc", pdc);
    ASSERT_EQ(pdc.count, 2u);
    ASSERT_EQ(pdc.channels.size(), 2u);
    EXPECT_EQ(pdc.channels[0].name, "particleId");
    EXPECT_EQ(Value(pdc, "particleId", 0), -3.0);
    EXPECT_EQ(Value(pdc, "particleId", 1), 2147483647.0);
    const MVectorArray& pdcPositions = std::get<MVectorArray>(Channel(pdc, "position").values);
    EXPECT_TRUE(pdcPositions[0].x == 0.0 && std::signbit(pdcPositions[0].x));
    EXPECT_EQ(pdcPositions[0].z, 5e-324);
    EXPECT_TRUE(std::isnan(pdcPositions[1].x));
    EXPECT_EQ(pdcPositions[1].z, -2.5);

    // CSV: spaces, CR LF, blank lines, inf and nan, no final newline.
    ParticleCacheFrame csv;
    read("ok-csv-spaces-crlf-no-final-newline.csv", csv);
    ASSERT_EQ(csv.count, 3u);
    ASSERT_EQ(csv.channels.size(), 2u);
    const MVectorArray& csvPositions = std::get<MVectorArray>(Channel(csv, "position").values);
    EXPECT_EQ(csvPositions[1].y, -HUGE_VAL);
    EXPECT_EQ(csvPositions[2].z, 6.0);
    EXPECT_EQ(Value(csv, "mass", 1), 1e-320);

    // A lone column named "ply" is written so that it still reads as CSV.
    ParticleCacheFrame lone;
    read("ok-csv-lone-column-named-ply.csv", lone);
    std::string written;
    vxhost::EncodeParticleCache(lone, CacheFormat::kCsv, written);
    EXPECT_EQ(written, "ply \n1\n-2.5\n");

    // A vertex count past what 64 bits hold is an error, not zero vertices.
    const auto overflow = std::find_if(
        inputs.begin(), inputs.end(),
        [](const Input& input) { return input.name == "err-ply-vertex-count-too-large-for-ull.ply"; });
    ASSERT_NE(overflow, inputs.end());
    std::string error;
    EXPECT_FALSE(vxhost::DecodeParticleCache(overflow->bytes, CacheFormat::kPly, ply, error));
    EXPECT_EQ(error, "header line 3: expected \"element NAME COUNT\"");
}
