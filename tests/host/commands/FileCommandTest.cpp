// file -import and file -save: OBJ meshes read into the scene, and saved
// scenes that, run again, give back every stored bit and step on exactly as
// the scene they came from.

#include "FreshScene.h"
#include "dg/AnimCurve.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "geometry/MeshData.h"
#include "geometry/NurbsCurveData.h"

#include <maya/MDistance.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MTime.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::Scene;
namespace fs = std::filesystem;

namespace
{
class FileCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        Restart();
        fDir = fs::path(testing::TempDir()) /
               ("vx_file_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(fDir);
        fs::create_directories(fDir);
    }
    void TearDown() override
    {
        Restart();
        fs::remove_all(fDir);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static void Restart() { vxtest::FreshScene(); }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    static std::string Result() { return CommandEngine::Instance().LastResult().Format(); }
    static std::string LastError()
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == vxhost::Severity::kError)
                text = m.text;
        return text;
    }
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string path = (fDir / name).string();
        std::ofstream(path) << text;
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static MVectorArray Positions(const char* shape)
    {
        auto node = Scene::Get().Find(shape);
        const vxhost::DataNode* value = node->FindData(node->PathTo(node->FindAttribute("position")));
        return vxhost::VectorArrayData::From(value->data)->value;
    }
    static bool SameBits(const MVectorArray& a, const MVectorArray& b)
    {
        if (a.length() != b.length())
            return false;
        for (unsigned i = 0; i < a.length(); ++i)
            for (unsigned c = 0; c < 3; ++c)
                if (std::bit_cast<std::uint64_t>(a[i][c]) != std::bit_cast<std::uint64_t>(b[i][c]))
                    return false;
        return true;
    }

    fs::path fDir;
};

// The scene as bits, in an order of its own: every node with its type and
// parent, every stored value that is not a default (numbers in hexadecimal,
// data in full), every array element, connection, the units, range, time,
// random state and selection.
std::string Fingerprint()
{
    std::vector<std::string> lines;
    std::ostringstream out;
    out << std::hexfloat;
    const auto flush = [&]
    {
        lines.push_back(out.str());
        out.str("");
    };
    const std::function<void(const vxhost::Node&, const vxhost::DataNode&, vxhost::PlugPath&)> walk =
        [&](const vxhost::Node& node, const vxhost::DataNode& value, vxhost::PlugPath& path)
    {
        const vxhost::Attribute& a = *path.back().attribute;
        if (node.IsComputed(path))
            return;
        if (value.isArray)
        {
            for (const auto& [index, element] : value.elements)
            {
                path.back().index = static_cast<int>(index);
                out << vxhost::PlugName(node, path).asChar() << " exists";
                flush();
                walk(node, *element, path);
            }
            path.back().index = -1;
            return;
        }
        for (std::size_t i = 0; i < a.children.size(); ++i)
        {
            path.push_back(vxhost::PlugStep{a.children[i].get(), -1});
            walk(node, value.children[i], path);
            path.pop_back();
        }
        // A value a connection drives is never read: the source's is.
        if (!a.children.empty() || Scene::Get().SourceOf(node, path))
            return;
        out << vxhost::PlugName(node, path).asChar() << " =";
        bool stored = false;
        for (unsigned c = 0; c < a.ComponentCount(); ++c)
        {
            out << " " << value.numbers[c];
            stored = stored || std::memcmp(&value.numbers[c], &a.defaults[c], sizeof(double)) != 0;
        }
        if (!(value.matrix == MMatrix()))
        {
            for (unsigned i = 0; i < 16; ++i)
                out << " " << value.matrix(i / 4, i % 4);
            stored = true;
        }
        if (const auto* v = vxhost::VectorArrayData::From(value.data); v && v->value.length())
            for (unsigned i = 0; i < v->value.length(); ++i, stored = true)
                out << " " << v->value[i].x << " " << v->value[i].y << " " << v->value[i].z;
        if (const auto* d = vxhost::DoubleArrayData::From(value.data); d && d->value.length())
            for (unsigned i = 0; i < d->value.length(); ++i, stored = true)
                out << " " << d->value[i];
        if (const auto* s = vxhost::StringData::From(value.data); s && !s->value.empty())
            out << " '" << s->value << "'", stored = true;
        if (const auto* m = vxhost::MeshData::From(value.data))
        {
            const vxhost::MeshGeometry& g = m->Geometry();
            for (int i = 0; i < 3 * g.NumVertices(); ++i, stored = true)
                out << " " << g.Positions()[i];
            for (const int c : g.Topology().Counts())
                out << " n" << c;
            for (const int c : g.Topology().Connects())
                out << " i" << c;
        }
        if (const auto* c = dynamic_cast<const vxhost::NurbsCurveData*>(value.data.HostImpl().get());
            c && c->Curve())
        {
            out << " degree " << c->Curve()->Degree() << " form " << static_cast<int>(c->Curve()->GetForm());
            for (const MPoint& p : c->Curve()->CVs())
                out << " " << p.x << " " << p.y << " " << p.z;
            for (const double k : c->Curve()->Knots())
                out << " k" << k;
            stored = true;
        }
        if (stored)
            flush();
        else
            out.str("");
    };
    for (const auto& node : Scene::Get().Nodes())
    {
        out << "node " << node->name << " " << node->cls->typeName << " under "
            << (node->parent ? node->parent->name : "world");
        flush();
        for (const auto& d : node->dynamicAttributes)
        {
            out << "dynamic " << node->name << "." << d->name << " " << d->shortName << " "
                << static_cast<int>(d->kind) << " " << d->numericType << d->unitType << d->dataType << " "
                << d->defaults[0] << " " << d->hasMin << d->min[0] << " " << d->hasMax << d->max[0] << " "
                << d->keyable;
            for (const auto& [field, value] : d->enumFields)
                out << " " << field << "=" << value;
            flush();
        }
        for (const auto& [attribute, value] : node->values)
        {
            vxhost::PlugPath path{vxhost::PlugStep{attribute, -1}};
            walk(*node, *value, path);
        }
    }
    for (const vxhost::Connection& c : Scene::Get().Connections())
    {
        out << vxhost::PlugName(*c.source, c.sourcePath).asChar() << " -> "
            << vxhost::PlugName(*c.destination, c.destinationPath).asChar();
        flush();
    }
    std::sort(lines.begin(), lines.end());
    const vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    out << "units " << MDistance::uiUnit() << " " << MTime::uiUnit() << " range " << dynamics.StartFrame()
        << " " << dynamics.EndFrame() << " at " << dynamics.CurrentFrame() << " random "
        << vxhost::RandomState() << " selected";
    for (const auto& node : Scene::Get().Selection())
        out << " " << node->name;
    flush();
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}
} // namespace

TEST_F(FileCommandTest, ImportMakesATransformAndMeshNamedAfterTheFile)
{
    const std::string path =
        Write("big rock.obj", "# a tetrahedron\n"
                              "o rock\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1.5\n"
                              "vn 0 0 1\nf 1//1 3//1 2//1\nf 1 2 4\nf -4 -1 -2\nf 2 3 4\n");
    ASSERT_TRUE(Run("file -import \"" + path + "\";")) << LastError();
    EXPECT_EQ(Result(), "big_rock");
    ASSERT_TRUE(Run("file -i -type \"OBJ\" \"" + path + "\";")) << LastError();
    EXPECT_EQ(Result(), "big_rock1");
    EXPECT_TRUE(Scene::Get().Find("big_rock1|big_rockShape1"));

    // A relative path is found beside the script that names it.
    const std::string script = Write("scene.mel", "file -import \"big rock.obj\";\n");
    ASSERT_TRUE(CommandEngine::Instance().RunScriptFile(script)) << LastError();
    EXPECT_TRUE(Scene::Get().Find("big_rock2|big_rockShape2"));
    EXPECT_FALSE(Run("file -import \"big rock.obj\";")); // no script, no folder to look in

    auto shape = Scene::Get().Find("big_rock|big_rockShape");
    ASSERT_TRUE(shape);
    MStatus status;
    const MFnMesh mesh(MPlug(shape, shape->PathTo(shape->FindAttribute("inMesh"))).asMObject(), &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(mesh.numVertices(), 4);
    EXPECT_EQ(mesh.numPolygons(), 4);
    MFloatPointArray points;
    mesh.getPoints(points);
    EXPECT_EQ(points[3].z, 1.5f);
}

TEST_F(FileCommandTest, AFaceOfThreeHundredVerticesIsReadWhole)
{
    // The OBJ reader keeps a face's size in one byte: 300 would come back
    // as 44 without the file's own count.
    constexpr int kCorners = 300;
    std::string text;
    for (int i = 0; i < kCorners; ++i)
        text.append("v ")
            .append(std::to_string(std::cos(2.0 * M_PI * i / kCorners)))
            .append(" ")
            .append(std::to_string(std::sin(2.0 * M_PI * i / kCorners)))
            .append(" 0\n");
    text += "f";
    for (int i = 1; i <= kCorners; ++i)
        text.append(" ").append(std::to_string(i));
    text += "\nf 1 2 3\n";
    ASSERT_TRUE(Run("file -import \"" + Write("disc.obj", text) + "\";")) << LastError();
    auto shape = Scene::Get().Find("disc|discShape");
    ASSERT_TRUE(shape);
    MStatus status;
    const MFnMesh mesh(MPlug(shape, shape->PathTo(shape->FindAttribute("inMesh"))).asMObject(), &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(mesh.numVertices(), kCorners);
    MIntArray counts, vertices;
    ASSERT_TRUE(mesh.getVertices(counts, vertices));
    ASSERT_EQ(counts.length(), 2u);
    EXPECT_EQ(counts[0], kCorners);
    EXPECT_EQ(counts[1], 3);
    ASSERT_EQ(vertices.length(), kCorners + 3u);
    EXPECT_EQ(vertices[kCorners - 1], kCorners - 1);
    EXPECT_EQ(vertices[kCorners], 0);
}

TEST_F(FileCommandTest, MalformedOrMissingFilesAreRefusedNamingThePlace)
{
    const std::pair<const char*, const char*> bad[] = {
        {"v 0 0 0\nv 1 0 0\n\nf 1 2 9\n",
         "line 4: the face refers to vertex 9, but 2 vertices come before it."},
        {"v 0 0\n", "line 1: a vertex takes 3 numbers (x y z), got 2."},
        {"v 0 0 zero\n", "line 1: \"zero\" is no number."},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", "line 4: a face needs at least 3 vertices, got 2."},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 0\n", "line 4: \"0\" is no vertex index."},
        {"v 0 0 0\nvertex 1 0 0\n", "line 2: unknown statement \"vertex\"."},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\n", "holds no faces."},
        // The most negative index has no opposite to compare with the count.
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -9223372036854775808\n",
         "line 4: the face refers to vertex -9223372036854775808, but 3 vertices come before it."},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -9223372036854775809\n",
         "line 4: \"-9223372036854775809\" is no vertex index."},
    };
    for (const auto& [text, message] : bad)
    {
        const std::string path = Write("bad.obj", text);
        EXPECT_FALSE(Run("file -import \"" + path + "\";"));
        EXPECT_NE(LastError().find("\"" + path + "\""), std::string::npos) << LastError();
        EXPECT_NE(LastError().find(message), std::string::npos) << LastError();
    }
    EXPECT_FALSE(Run("file -import \"" + (fDir / "none.obj").string() + "\";"));
    EXPECT_NE(LastError().find("Cannot read file"), std::string::npos) << LastError();
    EXPECT_FALSE(Run("file -import -type \"OBJ\" \"" + fDir.string() + "\";"));
    EXPECT_EQ(LastError(), "line 1: file: \"" + fDir.string() + "\" is a folder, not an OBJ file.");
    EXPECT_FALSE(Run("file -import \"" + Write("mesh.fbx", "") + "\";"));
    EXPECT_NE(LastError().find("only OBJ files"), std::string::npos) << LastError();
    EXPECT_TRUE(Scene::Get().Nodes().empty());
}

TEST_F(FileCommandTest, ASavedSceneComesBackBitForBit)
{
    ASSERT_TRUE(Run(R"mel(
        currentUnit -l m -t ntsc;
        playbackOptions -min 3 -max 50;
        createNode transform -n goal;
        setAttr goal.translate 0.1 0.2 0.3;
        setAttr goal.rotateX 33.3;
        setAttr goal.visibility 0;
        addAttr -ln weight -sn wt -at double -min 0 -max 10 -dv 2 -k 1 goal;
        addAttr -ln mode -at enum -en "calm:wild=4:lost" goal;
        addAttr -ln label -dt string goal;
        addAttr -ln reach -at doubleLinear -dv 0.25 goal;
        addAttr -ln offsets -dt vectorArray goal;
        setAttr goal.weight 0.30000000000000004;
        setAttr goal.mode 5;
        setAttr goal.label -type string "say \"hi\"\n\tbye\\";
        setAttr goal.offsets -type vectorArray 2 1e-300 -0.5 3 4 5 6;
        setKeyframe -t 1 -v 0 -at translateX goal;
        setKeyframe -t 10 -v 5 -ott linear -at translateX goal;
        setKeyframe -t 4 -v 90 -at rotateY goal;
        createNode transform -n child -p goal;
        connectAttr goal.translateZ child.translateX;
        curve -d 3 -p 0 0 0 -p 1 2 0 -p 3 1 0 -p 4 4 1 -k 0 -k 0 -k 0 -k 1 -k 1 -k 1 -n path;
        polyCube -w 2 -n box;
        xform -ro 10 20 30 box;
        particle -n flock -p 0 0 0 -p 0.01 0.02 0.03;
        createNode transform -n later;
        createNode transform -n holder;
        parent later holder;
        parent holder goal;
        select -r box goal;
        seed 12345;
    )mel"))
        << LastError();
    // Values no script types: a rotation with no degree value that converts
    // back to it exactly, a scale that is no short decimal, mesh points off
    // the decimal grid.
    auto goal = Scene::Get().Find("goal");
    MPlug(goal, goal->PathTo(goal->FindAttribute("rotateZ"))).setDouble(0.9000000000000001);
    MPlug(goal, goal->PathTo(goal->FindAttribute("scaleY"))).setDouble(0.1 + 0.2);
    MPlug(goal, goal->PathTo(goal->FindAttribute("reach"))).setDouble(1.0 / 3.0);
    auto box = Scene::Get().Find("boxShape");
    MPlug inMesh(box, box->PathTo(box->FindAttribute("inMesh")));
    MObject mesh = inMesh.asMObject();
    MFnMesh fn(mesh);
    MFloatPointArray points;
    fn.getPoints(points);
    points[0].x = 1.0f / 3.0f;
    fn.setPoints(points);
    inMesh.setMObject(mesh);

    const std::string before = Fingerprint();
    const std::string path = (fDir / "scene.mel").string();
    ASSERT_TRUE(Run("file -rename \"" + path + "\"; file -save;")) << LastError();
    EXPECT_EQ(Result(), path);
    const std::string saved = Read(path);
    // A value with no exact UI form is set in stored units; a typed one
    // reads as typed.
    EXPECT_NE(saved.find("setAttrExact \"goal.rotateZ\" 0.9000000000000001;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("setAttr \"goal.rotateX\" 33.3;"), std::string::npos) << saved;

    Restart();
    ASSERT_TRUE(CommandEngine::Instance().RunScriptFile(path)) << LastError();
    EXPECT_EQ(Fingerprint(), before);
    // Saving the loaded scene writes the same script.
    ASSERT_TRUE(Run("file -save \"" + (fDir / "again.mel").string() + "\";")) << LastError();
    EXPECT_EQ(Read((fDir / "again.mel").string()), saved);
}

TEST_F(FileCommandTest, BadNamesAreRefusedWhereMadeAndSavedStringsStayStrings)
{
    // As MEL strings: a command hidden in a name, a space, a newline, a
    // leading digit, a dot, a terminal escape.
    const char* const names[] = {"x -at double victim; createNode transform -n INJECTED; //",
                                 "a b",
                                 "a\\nb",
                                 "1abc",
                                 "a.b",
                                 "\x1b[31mred"};
    ASSERT_TRUE(Run("createNode transform -n t;")) << LastError();
    const std::size_t nodes = Scene::Get().Nodes().size();
    for (const char* name : names)
        for (const std::string& command :
             {"addAttr -ln \"" + std::string(name) + "\" -at double t;",
              "addAttr -ln ok -sn \"" + std::string(name) + "\" -at double t;",
              "createNode transform -n \"" + std::string(name) + "\";",
              "rename t \"" + std::string(name) + "\";", "spaceLocator -n \"" + std::string(name) + "\";",
              "particle -n \"" + std::string(name) + "\";",
              "curve -d 1 -p 0 0 0 -p 1 0 0 -n \"" + std::string(name) + "\";",
              "polyCube -n \"" + std::string(name) + "\";"})
        {
            EXPECT_FALSE(Run(command)) << command;
            EXPECT_NE(LastError().find("is not a valid"), std::string::npos) << LastError();
            // Echoed escaped, never as the raw control byte.
            EXPECT_EQ(LastError().find('\x1b'), std::string::npos) << command;
        }
    EXPECT_NE(LastError().find("'\\x1b[31mred' is not a valid name."), std::string::npos) << LastError();
    EXPECT_EQ(Scene::Get().Nodes().size(), nodes);
    EXPECT_TRUE(Scene::Get().Find("t"));

    // What the script writes of a name or a string is read back as that
    // string, never as commands.
    const std::string hostile = R"(x"; createNode transform -n INJECTED; // \ )";
    ASSERT_TRUE(Run(R"(addAttr -ln note -dt "string" t; addAttr -ln mode -at enum -en "a b:c;d" t;)"
                    R"(setAttr t.note -type "string" "x\"; createNode transform -n INJECTED; // \\ ";)"
                    "select -r t;"))
        << LastError();
    const std::string path = (fDir / "hostile.mel").string();
    ASSERT_TRUE(Run("file -save \"" + path + "\";")) << LastError();
    const std::string saved = Read(path);
    EXPECT_NE(saved.find(R"(addAttr -ln "note" -sn "note" -dt string "t";)"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"(select -r "t";)"), std::string::npos) << saved;
    Restart();
    ASSERT_TRUE(CommandEngine::Instance().RunScriptFile(path)) << LastError();
    EXPECT_FALSE(Scene::Get().Find("INJECTED"));
    ASSERT_TRUE(Run("getAttr t.note;")) << LastError();
    EXPECT_EQ(Result(), hostile);
}

TEST_F(FileCommandTest, ASceneSavedMidRunStepsOnIdentically)
{
    // Runtime expressions stand in for a field: random pushes every step,
    // and a particle emitted half way.
    ASSERT_TRUE(Run(R"mel(
        playbackOptions -min 1 -max 40;
        particle -n flock -p 0 0 0 -p 1 0 0 -p 0 1 0;
        addAttr -ln drift -dt doubleArray flockShape;
        setAttr flockShape.conserve 0.98;
        dynExpression -s "drift = rand(-1, 1)" -c flock;
        dynExpression -s "velX = velX + drift + rand(-0.5, 0.5); velY = velY * 0.9 + rand(1)" -rbd flock;
        dynExpression -s "posZ = posZ + age * 0.01" -rad flock;
        currentTime 6;
        emit -o flock -pos 2 2 2 -at velocity -vv 0 1 0;
        currentTime 9;
    )mel"))
        << LastError();
    const MVectorArray atSave = Positions("flockShape");
    const std::string path = (fDir / "midrun.mel").string();
    ASSERT_TRUE(Run("file -save \"" + path + "\";")) << LastError();
    ASSERT_TRUE(Run("currentTime 15;"));
    const MVectorArray later = Positions("flockShape");
    ASSERT_TRUE(Run("currentTime 1;"));
    const MVectorArray start = Positions("flockShape");

    Restart();
    ASSERT_TRUE(CommandEngine::Instance().RunScriptFile(path)) << LastError();
    EXPECT_EQ(vxhost::Dynamics::Get().CurrentFrame(), 9.0);
    EXPECT_TRUE(SameBits(Positions("flockShape"), atSave));
    ASSERT_TRUE(Run("currentTime 15;"));
    EXPECT_EQ(Positions("flockShape").length(), 4u);
    EXPECT_TRUE(SameBits(Positions("flockShape"), later));
    // Going back gives the start frame's state, without the emitted one.
    ASSERT_TRUE(Run("currentTime 1;"));
    EXPECT_TRUE(SameBits(Positions("flockShape"), start));
}

TEST_F(FileCommandTest, AnUnwritablePathIsAClearErrorAndLeavesNothing)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    const std::string missing = (fDir / "no" / "such" / "scene.mel").string();
    EXPECT_FALSE(Run("file -save \"" + missing + "\";"));
    EXPECT_NE(LastError().find("Cannot save the scene to \"" + missing + "\": No such file or directory."),
              std::string::npos)
        << LastError();
    // A folder in the way: the temporary file is made, and must go again.
    fs::create_directories(fDir / "taken");
    EXPECT_FALSE(Run("file -save \"" + (fDir / "taken").string() + "\";"));
    EXPECT_NE(LastError().find("Is a directory"), std::string::npos) << LastError();
    EXPECT_EQ(std::distance(fs::directory_iterator(fDir), fs::directory_iterator()), 1);
    EXPECT_FALSE(Run("file -save;"));
    EXPECT_NE(LastError().find("The scene has no name"), std::string::npos) << LastError();
}

TEST_F(FileCommandTest, SetAttrExactSetsStoredUnitsAndGeometry)
{
    ASSERT_TRUE(Run("currentUnit -l m; createNode transform -n goal; createNode mesh -n skin -p goal;"
                    "setAttrExact goal.translateX 1.5; setAttrExact goal.rotateX 2;"
                    "setAttrExact skin.inMesh -type mesh 3 0 0 0 1 0 0 0 0.1 0 1 3 0 2 1;"))
        << LastError();
    auto goal = Scene::Get().Find("goal");
    EXPECT_EQ(MPlug(goal, goal->PathTo(goal->FindAttribute("translateX"))).asDouble(), 1.5); // centimetres
    EXPECT_EQ(MPlug(goal, goal->PathTo(goal->FindAttribute("rotateX"))).asDouble(), 2.0);    // radians
    auto skin = Scene::Get().Find("skin");
    const MFnMesh mesh(MPlug(skin, skin->PathTo(skin->FindAttribute("inMesh"))).asMObject());
    MFloatPointArray points;
    mesh.getPoints(points);
    EXPECT_EQ(mesh.numPolygons(), 1);
    EXPECT_EQ(points[2].y, 0.1f);

    const char* bad[][2] = {
        {"setAttrExact skin.inMesh -type mesh 3 0 0 0 1 0 0;", "The values end before the vertex positions."},
        {"setAttrExact skin.inMesh -type mesh 3 0 0 0 1 0 0 0 1 0 1 3 0 2 1 7;",
         "Too many values: 1 left over."},
        {"setAttrExact skin.inMesh -type nurbsCurve 1 1 2 0 0 0 1 0 0 2 0 1;", "holds no nurbsCurve."},
        {"setAttrExact goal.translate 1;", "holds no single number"},
    };
    for (const auto& [script, message] : bad)
    {
        EXPECT_FALSE(Run(script)) << script;
        EXPECT_NE(LastError().find(message), std::string::npos) << LastError();
    }
}
