// Particle caches: the bytes of each format, exact round trips, malformed
// and truncated input, files, and reading a cache back into a shape.
#include "dynamics/ParticleCache.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnVectorArrayData.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vxhost
{
// Test names and failures show the format by name.
void PrintTo(CacheFormat format, std::ostream* os)
{
    *os << CacheFormatName(format);
}
} // namespace vxhost

using vxhost::CacheChannel;
using vxhost::CacheFormat;
using vxhost::ParticleCacheFrame;

namespace
{
constexpr double kInf = std::numeric_limits<double>::infinity();

// Values that print long, sit at the ends of the double range, or are
// subnormal: anything a lossy text or float path would change.
ParticleCacheFrame AwkwardFrame()
{
    const double values[] = {
        0.1,  1.0 / 3.0, -1e-300, 5e-324, 1.7976931348623157e308, 123456789.123456789, -2.5, 1e-5,
        1e16, kInf,      -kInf,   0.0};
    ParticleCacheFrame frame;
    frame.count = 4;
    MVectorArray positions(4), velocities(4), offsets(4);
    MDoubleArray ids(4), mass(4);
    for (unsigned i = 0; i < 4; ++i)
    {
        positions[i] = MVector(values[3 * i], values[3 * i + 1], values[3 * i + 2]);
        velocities[i] = MVector(values[(3 * i + 5) % 12], values[(3 * i + 7) % 12], -values[3 * i]);
        offsets[i] = MVector(i, -static_cast<double>(i), 0.5 * i);
        ids[i] = 10.0 + i;
        mass[i] = values[(i + 1) * 2];
    }
    frame.channels = {{"position", positions},
                      {"velocity", velocities},
                      {"particleId", ids},
                      {"mass", mass},
                      {"goalOffset", offsets}};
    return frame;
}

std::string Encoded(const ParticleCacheFrame& frame, CacheFormat format)
{
    std::string bytes;
    vxhost::EncodeParticleCache(frame, format, bytes);
    return bytes;
}

void ExpectSameFrame(const ParticleCacheFrame& expected, const ParticleCacheFrame& actual)
{
    ASSERT_EQ(actual.count, expected.count);
    ASSERT_EQ(actual.channels.size(), expected.channels.size());
    for (std::size_t c = 0; c < expected.channels.size(); ++c)
    {
        const CacheChannel& e = expected.channels[c];
        const CacheChannel& a = actual.channels[c];
        EXPECT_EQ(a.name, e.name);
        ASSERT_EQ(a.IsVector(), e.IsVector()) << e.name;
        // operator== on the arrays: exact, and -0 equals 0 (CSV has no sign
        // of zero).
        if (e.IsVector())
            EXPECT_TRUE(std::get<MVectorArray>(a.values) == std::get<MVectorArray>(e.values)) << e.name;
        else
            EXPECT_TRUE(std::get<MDoubleArray>(a.values) == std::get<MDoubleArray>(e.values)) << e.name;
    }
}

std::string Big32(std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
            static_cast<char>(u)};
}

std::string BigDouble(double d)
{
    const auto u = std::bit_cast<std::uint64_t>(d);
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8)
        out += static_cast<char>(u >> shift);
    return out;
}

std::string PdcHeader(std::int32_t count, std::int32_t attributes)
{
    return "PDC " + Big32(1) + Big32(1) + Big32(0) + Big32(0) + Big32(count) + Big32(attributes);
}

std::string PdcName(const std::string& name, std::int32_t type)
{
    return Big32(static_cast<std::int32_t>(name.size())) + name + Big32(type);
}

bool Decodes(std::string_view bytes, CacheFormat format, std::string& error)
{
    ParticleCacheFrame frame;
    return vxhost::DecodeParticleCache(bytes, format, frame, error);
}

class ParticleCacheFormatTest : public ::testing::TestWithParam<CacheFormat>
{
};
} // namespace

TEST_P(ParticleCacheFormatTest, RoundTripIsExact)
{
    const ParticleCacheFrame frame = AwkwardFrame();
    const std::string bytes = Encoded(frame, GetParam());
    EXPECT_EQ(vxhost::DetectCacheFormat(bytes), GetParam());
    ParticleCacheFrame read;
    std::string error;
    ASSERT_TRUE(vxhost::DecodeParticleCache(bytes, GetParam(), read, error)) << error;
    ExpectSameFrame(frame, read);

    // No particles: the attributes are still named.
    ParticleCacheFrame empty;
    empty.channels = {{"position", MVectorArray()}, {"particleId", MDoubleArray()}};
    ASSERT_TRUE(vxhost::DecodeParticleCache(Encoded(empty, GetParam()), GetParam(), read, error)) << error;
    ExpectSameFrame(empty, read);
}

TEST_P(ParticleCacheFormatTest, EveryTruncationIsAnErrorNotACrash)
{
    const std::string bytes = Encoded(AwkwardFrame(), GetParam());
    for (std::size_t length = 0; length < bytes.size(); ++length)
    {
        std::string error;
        ParticleCacheFrame read;
        const bool ok =
            vxhost::DecodeParticleCache(std::string_view(bytes).substr(0, length), GetParam(), read, error);
        if (GetParam() == CacheFormat::kCsv)
        {
            // A CSV cut at a line end, or within the last number, still
            // reads: text has no length to check against.
            if (ok)
                EXPECT_LE(read.count, 4u);
            else
                EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_FALSE(ok) << "length " << length;
        EXPECT_FALSE(error.empty()) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ParticleCacheFormatTest,
                         ::testing::Values(CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv),
                         [](const auto& param) { return std::string(vxhost::CacheFormatName(param.param)); });

TEST(ParticleCacheTest, FileBytesAreTheFormatsAsReadersExpect)
{
    ParticleCacheFrame frame;
    frame.count = 1;
    frame.channels = {{"position", MVectorArray(1, MVector(1.0, -2.0, 0.1))},
                      {"particleId", MDoubleArray(1, 7.0)}};

    // PDC: Maya's header, big-endian throughout, type 5 for a vector array
    // and 3 for a double array.
    EXPECT_EQ(Encoded(frame, CacheFormat::kPdc), PdcHeader(1, 2) + PdcName("position", 5) + BigDouble(1.0) +
                                                     BigDouble(-2.0) + BigDouble(0.1) +
                                                     PdcName("particleId", 3) + BigDouble(7.0));

    // PLY: position as x y z, little-endian doubles row by row.
    std::string ply = "ply\nformat binary_little_endian 1.0\ncomment Volarix particle cache\n"
                      "element vertex 1\nproperty double x\nproperty double y\nproperty double z\n"
                      "property double particleId\nend_header\n";
    for (const double d : {1.0, -2.0, 0.1, 7.0})
        ply.append(reinterpret_cast<const char*>(&d), 8);
    EXPECT_EQ(Encoded(frame, CacheFormat::kPly), ply);

    // CSV: vectors as three columns, numbers in their shortest form.
    frame.channels[1].values = MDoubleArray(1, 1e-5);
    EXPECT_EQ(Encoded(frame, CacheFormat::kCsv),
              "position_x,position_y,position_z,particleId\n1,-2,0.1,1e-05\n");

    EXPECT_EQ(vxhost::ParticleCachePath("out/cache", "flockShape", 12.0, CacheFormat::kPdc),
              "out/cache/flockShape.12.pdc");
    EXPECT_EQ(vxhost::ParticleCachePath("out/", "flockShape", 3.0, CacheFormat::kCsv),
              "out/flockShape.3.csv");
}

// NaN and the infinities come back from every format as they went in: what
// the writers can write, the readers read, so a run's non-finite particles
// reload alike whichever format cached them.
TEST(ParticleCacheTest, NonFiniteValuesReadBackAlikeInEveryFormat)
{
    ParticleCacheFrame frame;
    frame.count = 3;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    frame.channels = {{"position", MVectorArray(3)}, {"mass", MDoubleArray(3)}};
    std::get<MDoubleArray>(frame.channels[1].values)[0] = nan;
    std::get<MDoubleArray>(frame.channels[1].values)[1] = -kInf;
    std::get<MDoubleArray>(frame.channels[1].values)[2] = kInf;
    std::get<MVectorArray>(frame.channels[0].values)[1] = MVector(nan, kInf, -kInf);
    for (const CacheFormat format : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
    {
        ParticleCacheFrame read;
        std::string error;
        ASSERT_TRUE(vxhost::DecodeParticleCache(Encoded(frame, format), format, read, error)) << error;
        const MDoubleArray& mass = std::get<MDoubleArray>(read.Find("mass")->values);
        const MVector p = std::get<MVectorArray>(read.Find("position")->values)[1];
        EXPECT_TRUE(std::isnan(mass[0]) && mass[1] == -kInf && mass[2] == kInf) << vxhost::CacheFormatName(format);
        EXPECT_TRUE(std::isnan(p.x) && p.y == kInf && p.z == -kInf) << vxhost::CacheFormatName(format);
    }
}

TEST(ParticleCacheTest, ReadsWhatOtherWritersProduce)
{
    // A PDC as Maya may write it: an int array, and per-object values that
    // a particle shape has no place for and skips.
    const std::string pdc = PdcHeader(2, 5) + PdcName("lifespan", 2) + BigDouble(4.0) + PdcName("ids", 1) +
                            Big32(3) + Big32(-4) + PdcName("seed", 0) + Big32(9) + PdcName("gravity", 4) +
                            BigDouble(0) + BigDouble(-9.8) + BigDouble(0) + PdcName("position", 5) +
                            BigDouble(1) + BigDouble(2) + BigDouble(3) + BigDouble(4) + BigDouble(5) +
                            BigDouble(6);
    ParticleCacheFrame read;
    std::string error;
    ASSERT_TRUE(vxhost::DecodeParticleCache(pdc, CacheFormat::kPdc, read, error)) << error;
    ASSERT_EQ(read.channels.size(), 2u);
    EXPECT_TRUE(std::get<MDoubleArray>(read.Find("ids")->values) ==
                MDoubleArray(std::vector<double>{3, -4}.data(), 2));
    EXPECT_EQ(std::get<MVectorArray>(read.Find("position")->values)[1], MVector(4, 5, 6));

    // A big-endian PLY of floats and a uchar with a face element after the
    // vertices, as mesh tools write; vx vy vz become the velocity.
    std::string ply = "ply\r\nformat binary_big_endian 1.0\r\nelement vertex 2\r\nproperty float x\r\n"
                      "property float y\r\nproperty float z\r\nproperty float vx\r\nproperty float vy\r\n"
                      "property float vz\r\nproperty uchar flag\r\nelement face 1\r\n"
                      "property list uchar int vertex_indices\r\nend_header\r\n";
    auto bigFloat = [&](float f)
    {
        const auto u = std::bit_cast<std::uint32_t>(f);
        ply += Big32(static_cast<std::int32_t>(u));
    };
    for (int v = 0; v < 2; ++v)
    {
        for (const float f : {0.5f + v, -1.25f, 3.0f, 1.0f, 0.0f, -2.0f * v})
            bigFloat(f);
        ply += static_cast<char>(200 + v);
    }
    ply += "face data the reader never needs";
    ASSERT_TRUE(vxhost::DecodeParticleCache(ply, CacheFormat::kPly, read, error)) << error;
    EXPECT_EQ(read.count, 2u);
    EXPECT_EQ(std::get<MVectorArray>(read.Find("position")->values)[1], MVector(1.5, -1.25, 3.0));
    EXPECT_EQ(std::get<MVectorArray>(read.Find("velocity")->values)[1], MVector(1.0, 0.0, -2.0));
    EXPECT_EQ(std::get<MDoubleArray>(read.Find("flag")->values)[1], 201.0);

    // CSV with spaces, CRLF line ends and blank lines.
    ASSERT_TRUE(vxhost::DecodeParticleCache("a_x, a_y ,a_z,b\r\n\r\n1, 2,3 ,-4e2\r\n", CacheFormat::kCsv,
                                            read, error))
        << error;
    EXPECT_EQ(std::get<MVectorArray>(read.Find("a")->values)[0], MVector(1, 2, 3));
    EXPECT_EQ(std::get<MDoubleArray>(read.Find("b")->values)[0], -400.0);
}

TEST(ParticleCacheTest, MalformedInputSaysWhatIsWrong)
{
    struct Case
    {
        CacheFormat format;
        std::string bytes;
        std::string expected; // part of the error
    };
    const Case cases[] = {
        {CacheFormat::kPdc, "PDX " + Big32(1), "not a PDC file"},
        {CacheFormat::kPdc, "PDC " + Big32(2) + Big32(1), "format version 2"},
        {CacheFormat::kPdc, "PDC " + Big32(1) + Big32(0) + Big32(0) + Big32(0) + Big32(0) + Big32(0),
         "byte order 0"},
        // A count far beyond the bytes there: refused before allocating.
        {CacheFormat::kPdc, PdcHeader(0x7fffffff, 1) + PdcName("position", 5) + BigDouble(1),
         "truncated at byte"},
        {CacheFormat::kPdc, PdcHeader(-3, 0), "negative particle count -3"},
        {CacheFormat::kPdc, PdcHeader(0, 1) + Big32(-1), "name length of -1"},
        {CacheFormat::kPdc, PdcHeader(0, 1) + PdcName("position", 9), "unknown type 9"},
        {CacheFormat::kPdc, PdcHeader(0, 2) + PdcName("a", 3) + PdcName("a", 3), "\"a\" appears twice"},
        {CacheFormat::kPdc, PdcHeader(0, 0) + "junk", "4 unexpected bytes"},
        {CacheFormat::kPly, "ply\nformat ascii 1.0\nelement vertex 0\nend_header\n", "only binary PLY"},
        {CacheFormat::kPly, "ply\nformat binary_little_endian 1.0\nelement vertex 1\n", "no \"end_header\""},
        {CacheFormat::kPly,
         "ply\nformat binary_little_endian 1.0\nelement vertex 9999999999\nproperty double x\nend_header\n",
         "truncated"},
        {CacheFormat::kPly,
         "ply\nformat binary_little_endian 1.0\nelement vertex 1\nproperty quad x\nend_header\n",
         "header line 4"},
        {CacheFormat::kPly, "ply\nformat binary_little_endian 1.0\nelement face 0\nend_header\n",
         "no vertex element"},
        {CacheFormat::kCsv, "", "no header row"},
        {CacheFormat::kCsv, "x,y\n1,2\n3\n", "line 3 has 1 values, the header 2"},
        {CacheFormat::kCsv, "x,y\n1,2\n3,four\n", "line 3, column \"y\": \"four\" is not a number"},
        {CacheFormat::kCsv, "x,1y\n", "\"1y\", is no attribute name"},
    };
    for (const Case& c : cases)
    {
        std::string error;
        EXPECT_FALSE(Decodes(c.bytes, c.format, error)) << c.expected;
        EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error;
    }
}

TEST(ParticleCacheTest, FilesAreWrittenWholeOrNotAtAll)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("vx_particle_cache_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ParticleCacheFrame frame = AwkwardFrame();
    std::string error;
    for (const CacheFormat format : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
    {
        const std::string path = vxhost::ParticleCachePath(dir.string(), "flockShape", 7, format);
        std::size_t bytes = 0;
        ASSERT_TRUE(vxhost::WriteParticleCacheFile(path, frame, format, error, &bytes)) << error;
        EXPECT_EQ(bytes, std::filesystem::file_size(path));
        // Nothing but the files written: no temporary is left beside them.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
                  static_cast<long>(format) + 1);
        ParticleCacheFrame read;
        ASSERT_TRUE(vxhost::ReadParticleCacheFile(path, read, error)) << error;
        ExpectSameFrame(frame, read);
    }

    // A folder that is not there: an error naming the file, nothing left.
    const std::string missing = (dir / "no" / "flockShape.1.pdc").string();
    EXPECT_FALSE(vxhost::WriteParticleCacheFile(missing, frame, CacheFormat::kPdc, error));
    EXPECT_EQ(error, "Cannot write particle cache \"" + missing + "\": No such file or directory.");

    // A link, a FIFO or a device where a cache goes is refused and left as
    // it is; the file a link points to is not touched.
    const std::filesystem::path victim = dir / "victim.txt";
    std::ofstream(victim) << "keep";
    const std::filesystem::path link = dir / "flockShape.2.pdc";
    std::filesystem::create_symlink(victim, link);
    const std::filesystem::path fifo = dir / "flockShape.3.pdc";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [target, why] : {std::pair{link.string(), std::string("it is a symbolic link")},
                                      std::pair{fifo.string(), std::string("it is not a regular file")},
                                      std::pair{std::string("/dev/null"), std::string("it is not a regular file")}})
    {
        EXPECT_FALSE(vxhost::WriteParticleCacheFile(target, frame, CacheFormat::kPdc, error)) << target;
        EXPECT_EQ(error.rfind("Cannot write particle cache \"" + target + "\": " + why, 0), 0u) << error;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::file_size(victim), 4u);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    // Reading: a missing file and a truncated one name the file.
    ParticleCacheFrame read;
    EXPECT_FALSE(vxhost::ReadParticleCacheFile(missing, read, error));
    EXPECT_EQ(error, "Cannot read particle cache \"" + missing + "\": No such file or directory.");
    const std::string cut = (dir / "cut.pdc").string();
    std::ofstream(cut, std::ios::binary) << Encoded(frame, CacheFormat::kPdc).substr(0, 30);
    EXPECT_FALSE(vxhost::ReadParticleCacheFile(cut, read, error));
    EXPECT_EQ(error,
              "Cannot read particle cache \"" + cut + "\": truncated at byte 28 (an attribute name length).");
    std::filesystem::remove_all(dir);
}

namespace
{
class ParticleCacheShapeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::Scene::Get().Reset();
        // One folder per test: ctest runs the tests of this suite at once.
        dir = std::filesystem::temp_directory_path() /
              ("vx_particle_cache_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    static bool Run(const std::string& script)
    {
        return vxhost::CommandEngine::Instance().RunScript(script, "t.mel");
    }

    static ParticleCacheFrame Capture(const char* shape)
    {
        ParticleCacheFrame frame;
        EXPECT_TRUE(vxhost::CaptureParticleFrame(*vxhost::Scene::Get().Find(shape), frame));
        return frame;
    }

    static std::string LastError()
    {
        const std::vector<vxhost::Message> messages = vxhost::Messages();
        for (auto m = messages.rbegin(); m != messages.rend(); ++m)
            if (m->severity == vxhost::Severity::kError)
                return m->text;
        return std::string();
    }

    std::filesystem::path dir;
};
} // namespace

TEST_F(ParticleCacheShapeTest, CaptureTakesTheShapesPerParticleArrays)
{
    ASSERT_TRUE(Run("particle -p 1 2 3 -p 4 5 6 -n flock;\n"
                    "addAttr -ln goalPP -dt doubleArray flockShape;\n"
                    "addAttr -ln shortPP -dt doubleArray flockShape;\n"
                    "addAttr -ln offsetPP -dt vectorArray flockShape;\n"
                    "setAttr flockShape.goalPP -type doubleArray 2 0.25 0.5;\n"
                    "setAttr flockShape.shortPP -type doubleArray 1 9;\n"
                    "setAttr flockShape.offsetPP -type vectorArray 2 1 0 0 0 1 0;\n"));
    const ParticleCacheFrame frame = Capture("flockShape");
    EXPECT_EQ(frame.count, 2u);
    ASSERT_GE(frame.channels.size(), 5u);
    EXPECT_EQ(frame.channels[0].name, "position");
    EXPECT_EQ(frame.channels[1].name, "velocity");
    EXPECT_EQ(frame.channels[2].name, "particleId");
    EXPECT_EQ(std::get<MVectorArray>(frame.channels[0].values)[1], MVector(4, 5, 6));
    EXPECT_TRUE(std::get<MDoubleArray>(frame.channels[2].values) ==
                MDoubleArray(std::vector<double>{0, 1}.data(), 2));
    ASSERT_TRUE(frame.Find("goalPP") && frame.Find("offsetPP"));
    EXPECT_EQ(std::get<MDoubleArray>(frame.Find("goalPP")->values)[1], 0.5);
    EXPECT_EQ(std::get<MVectorArray>(frame.Find("offsetPP")->values)[1], MVector(0, 1, 0));
    // One value for two particles: the fields ignore it, and so does the cache.
    EXPECT_EQ(frame.Find("shortPP"), nullptr);
}

TEST_F(ParticleCacheShapeTest, ReadParticleCacheRestoresTheWrittenState)
{
    ASSERT_TRUE(Run("particle -p 1 2 3 -p 4 5 6 -p 7 8 9 -n flock;\n"
                    "addAttr -ln goalPP -dt doubleArray flockShape;\n"
                    "setAttr flockShape.goalPP -type doubleArray 3 0.1 0.2 0.3;\n"
                    "setAttr flockShape.velocity -type vectorArray 3 1 0 0 0 0.5 0 0 0 -2;\n"));
    const ParticleCacheFrame written = Capture("flockShape");
    for (const CacheFormat format : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
    {
        std::string error;
        ASSERT_TRUE(vxhost::WriteParticleCacheFile(
            vxhost::ParticleCachePath(dir.string(), "flockShape", 5, format), written, format, error))
            << error;
    }
    const std::string d = dir.string();

    // Into the same shape after its state changed: back to what was written.
    ASSERT_TRUE(Run("setAttr flockShape.position -type vectorArray 1 0 0 0;\n"
                    "readParticleCache -dir \"" +
                    d + "\" -frame 5 flock;"));
    EXPECT_EQ(vxhost::CommandEngine::Instance().LastResult().Ints(), std::vector<int>{3});
    ExpectSameFrame(written, Capture("flockShape"));

    // Into a shape that lacks goalPP, from PLY and CSV: the attribute is
    // added. PLY holds no more than the shape's doubles, so all matches.
    for (const char* format : {"ply", "csv"})
    {
        ASSERT_TRUE(Run("particle -p 0 0 0 -n copy;"));
        ASSERT_TRUE(Run("readParticleCache -fn \"" + d + "/flockShape.5." + format + "\" copyShape;"))
            << format;
        ExpectSameFrame(written, Capture("copyShape"));
        ASSERT_TRUE(Run("delete copy;"));
    }
}

TEST_F(ParticleCacheShapeTest, ReadParticleCacheRefusesWhatDoesNotFit)
{
    ASSERT_TRUE(Run("particle -p 1 2 3 -n flock;\naddAttr -ln goalPP -dt vectorArray flockShape;\n"));
    ParticleCacheFrame frame;
    frame.count = 1;
    frame.channels = {{"position", MVectorArray(1, MVector(9, 9, 9))}, {"goalPP", MDoubleArray(1, 2.0)}};
    const std::string path = (dir / "wrong.csv").string();
    std::string error;
    ASSERT_TRUE(vxhost::WriteParticleCacheFile(path, frame, CacheFormat::kCsv, error));

    // goalPP is a vector array on the shape: refused, and nothing changed.
    EXPECT_FALSE(Run("readParticleCache -fn \"" + path + "\" flock;"));
    EXPECT_NE(LastError().find("flockShape.goalPP is no writable, unconnected doubleArray attribute"),
              std::string::npos)
        << LastError();
    EXPECT_EQ(std::get<MVectorArray>(Capture("flockShape").channels[0].values)[0], MVector(1, 2, 3));

    // No file of any format for the frame; no shape; a malformed file.
    EXPECT_FALSE(Run("readParticleCache -dir \"" + dir.string() + "\" -frame 3 flock;"));
    EXPECT_NE(LastError().find("No cache of flockShape at frame 3"), std::string::npos) << LastError();
    EXPECT_FALSE(Run("readParticleCache -fn \"" + path + "\" nothing;"));
    EXPECT_NE(LastError().find("\"nothing\" is no particle object"), std::string::npos) << LastError();
    std::ofstream(path) << "position_x\n1\n2,3\n";
    EXPECT_FALSE(Run("readParticleCache -fn \"" + path + "\" flock;"));
    EXPECT_NE(LastError().find(path + "\": line 3 has 2 values"), std::string::npos) << LastError();

    // Seventy bytes that claim two billion particles and hold no values:
    // refused before any array is made for them.
    const std::string huge = (dir / "huge.ply").string();
    std::ofstream(huge) << "ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\nend_header\n";
    EXPECT_FALSE(Run("readParticleCache -fn \"" + huge + "\" flock;"));
    EXPECT_NE(LastError().find("2000000000 particles would need about 953.7 GB"), std::string::npos)
        << LastError();
    EXPECT_EQ(std::get<MVectorArray>(Capture("flockShape").channels[0].values)[0], MVector(1, 2, 3));
}
