#include "mel/Builtins.h"

#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

using namespace vxhost::mel;

namespace
{
// Calls a built-in as the evaluator does; `arguments` shows what was
// written back. The error is "" on success.
struct Call
{
    Call(const char* name, std::vector<Value> args) : arguments(std::move(args))
    {
        const Builtin* builtin = FindBuiltin(name);
        if (builtin == nullptr)
        {
            ADD_FAILURE() << "no built-in " << name;
            return;
        }
        EXPECT_GE(arguments.size(), builtin->minArguments) << name;
        EXPECT_LE(arguments.size(), builtin->maxArguments) << name;
        ok = builtin->function(arguments, result, error);
        EXPECT_EQ(ok, error.empty()) << name;
    }
    std::vector<Value> arguments;
    Value result;
    std::string error;
    bool ok = false;
};

double F(const char* name, std::vector<Value> args)
{
    Call call(name, std::move(args));
    EXPECT_TRUE(call.ok) << name << ": " << call.error;
    EXPECT_EQ(call.result.GetType(), Type::kFloat) << name;
    return call.result.f;
}

Vector3 V(const char* name, std::vector<Value> args)
{
    Call call(name, std::move(args));
    EXPECT_TRUE(call.ok) << name << ": " << call.error;
    EXPECT_EQ(call.result.GetType(), Type::kVector) << name;
    return call.result.v;
}

void ExpectNear(const Vector3& v, double x, double y, double z)
{
    EXPECT_NEAR(v.x, x, 1e-12);
    EXPECT_NEAR(v.y, y, 1e-12);
    EXPECT_NEAR(v.z, z, 1e-12);
}

Value I(int i) { return Value::Int(i); }
Value D(double f) { return Value::Float(f); }
Value S(const char* s) { return Value::String(s); }
Value Vec(double x, double y, double z) { return Value::Vector({x, y, z}); }
} // namespace

TEST(MelBuiltins, NumbersKeepIntsWhereMelDoes)
{
    Call absInt("abs", {I(-3)});
    EXPECT_EQ(absInt.result.GetType(), Type::kInt);
    EXPECT_EQ(absInt.result.i, 3);
    EXPECT_EQ(F("abs", {D(-2.5)}), 2.5);
    ExpectNear(V("abs", {Vec(-1, 2, -3)}), 1, 2, 3);

    Call minInts("min", {I(2), I(-3)});
    EXPECT_EQ(minInts.result.GetType(), Type::kInt);
    EXPECT_EQ(minInts.result.i, -3);
    EXPECT_EQ(F("max", {I(2), D(3.5)}), 3.5);

    // clamp takes its bounds first.
    EXPECT_EQ(F("clamp", {I(0), I(10), I(12)}), 10.0);
    EXPECT_EQ(F("clamp", {I(0), I(10), D(-1)}), 0.0);
    EXPECT_EQ(F("clamp", {I(0), I(10), D(4.5)}), 4.5);

    EXPECT_EQ(F("sign", {D(-4.2)}), -1.0);
    EXPECT_EQ(F("sign", {I(0)}), 0.0);
    EXPECT_EQ(F("linstep", {I(0), I(4), I(1)}), 0.25);
    EXPECT_EQ(F("smoothstep", {I(0), I(4), I(1)}), 0.15625); // 3/16 - 2/64
    EXPECT_EQ(F("smoothstep", {I(0), I(4), I(9)}), 1.0);
    EXPECT_EQ(F("hypot", {I(3), I(4)}), 5.0);
    EXPECT_EQ(F("fmod", {D(7.5), I(2)}), 1.5);
    EXPECT_EQ(F("pow", {I(2), I(10)}), 1024.0);
    EXPECT_EQ(F("floor", {D(-1.5)}), -2.0);
    EXPECT_EQ(F("ceil", {D(-1.5)}), -1.0);
    EXPECT_EQ(F("trunc", {D(-1.5)}), -1.0);
    EXPECT_NEAR(F("sind", {I(30)}), 0.5, 1e-15);
    EXPECT_NEAR(F("atan2d", {I(1), I(1)}), 45.0, 1e-13);
    EXPECT_NEAR(F("deg_to_rad", {I(180)}), std::numbers::pi, 1e-15);
    EXPECT_EQ(F("sqrt", {S("16abc")}), 4.0);
    EXPECT_EQ(Call("equivalentTol", {D(1.0), D(1.05), D(0.1)}).result.i, 1);

    Call bad("sqrt", {Value::Floats({1.0})});
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, "Cannot convert data of type float[] to type float.");
}

TEST(MelBuiltins, Vectors)
{
    // An array of three numbers is taken as a vector.
    EXPECT_EQ(F("mag", {Value::Floats({3, 4, 12})}), 13.0);
    ExpectNear(V("cross", {Vec(1, 0, 0), Vec(0, 1, 0)}), 0, 0, 1);
    EXPECT_EQ(F("dot", {Vec(1, 2, 3), Value::Ints({4, -5, 6})}), 12.0);
    EXPECT_NEAR(F("angle", {Vec(1, 0, 0), Vec(0, 2, 0)}), std::numbers::pi / 2, 1e-15);
    EXPECT_NEAR(F("angle", {Vec(1, 0, 0), Vec(-1, 1e-9, 0)}), std::numbers::pi - 1e-9, 1e-15);
    ExpectNear(V("unit", {Vec(0, 3, 4)}), 0, 0.6, 0.8);
    ExpectNear(V("normalize", {Vec(0, 0, 0)}), 0, 0, 0);
    ExpectNear(V("rot", {Vec(1, 0, 0), Vec(0, 0, 5), D(std::numbers::pi / 2)}), 0, 1, 0);

    Call bad("mag", {Value::Floats({1, 2})});
    EXPECT_EQ(bad.error, "Cannot convert data of type float[] to type vector.");
}

TEST(MelBuiltins, ScriptRandomIsSeededAndInRange)
{
    SeedScriptRandom(7);
    const double first = F("rand", {I(1)});
    const double second = F("rand", {I(1)});
    SeedScriptRandom(7);
    EXPECT_EQ(F("rand", {I(1)}), first);
    EXPECT_EQ(F("rand", {I(1)}), second);
    EXPECT_NE(first, second);

    double radiusSum = 0.0;
    double gaussSquares = 0.0;
    const int n = 20000;
    for (int k = 0; k < n; ++k)
    {
        const double r = F("rand", {I(2), I(5)});
        ASSERT_GE(r, 2.0);
        ASSERT_LT(r, 5.0);
        const Vector3 box = V("rand", {Vec(1, -2, 0), Vec(2, -1, 0)});
        ASSERT_TRUE(box.x >= 1 && box.x < 2 && box.y >= -2 && box.y < -1 && box.z == 0);
        const Vector3 p = V("sphrand", {I(2)});
        const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        ASSERT_LE(length, 2.0);
        radiusSum += length;
        const double g = F("gauss", {I(3)});
        gaussSquares += g * g;
    }
    // Uniform in a ball of radius R: the mean distance from the centre is 3R/4.
    EXPECT_NEAR(radiusSum / n, 1.5, 0.02);
    EXPECT_NEAR(std::sqrt(gaussSquares / n), 3.0, 0.1);
    const Vector3 flat = V("gauss", {I(1), I(1)});
    EXPECT_EQ(flat.z, 0.0);
}

TEST(MelBuiltins, SeedCommandReseedsScriptsWithoutTouchingTheCRuntime)
{
    vxhost::SetMessageEcho(false);
    vxhost::CommandEngine engine;
    ASSERT_TRUE(engine.RunScript("seed 5;"));
    vxhost::SetMessageEcho(true);
    EXPECT_EQ(vxhost::RandomState(), 5u);

    // The scripts' draws after `seed 5` are those of SeedScriptRandom(5) ...
    std::vector<double> afterCommand;
    for (int k = 0; k < 100; ++k)
        afterCommand.push_back(F("rand", {I(10)}));
    V("sphrand", {I(1)});
    F("gauss", {I(1)});
    // ... and none of them moved the C runtime's generator, which the
    // plug-in's flock draws from.
    EXPECT_EQ(vxhost::RandomState(), 5u);
    std::uint32_t state = 5;
    for (int k = 0; k < 3; ++k)
    {
        state = state * 214013u + 2531011u;
        EXPECT_EQ(std::rand(), static_cast<int>((state >> 16) & 0x7FFFu));
    }

    SeedScriptRandom(5);
    for (double expected : afterCommand)
        EXPECT_EQ(F("rand", {I(10)}), expected);
}

TEST(MelBuiltins, Strings)
{
    EXPECT_EQ(Call("substring", {S("Hello There"), I(1), I(5)}).result.s, "Hello");
    EXPECT_EQ(Call("substring", {S("abc"), I(2), I(10)}).result.s, "bc");
    EXPECT_EQ(Call("substring", {S("abc"), I(3), I(2)}).result.s, "");
    EXPECT_EQ(Call("strip", {S(" \t a b \n")}).result.s, "a b");
    EXPECT_EQ(Call("toupper", {S("aB1")}).result.s, "AB1");
    EXPECT_EQ(Call("capitalizeString", {S("field")}).result.s, "Field");
    EXPECT_EQ(Call("startString", {S("abc"), I(8)}).result.s, "abc");
    EXPECT_EQ(Call("endString", {S("abc"), I(2)}).result.s, "bc");
    EXPECT_EQ(Call("endsWith", {S("pCube1"), S("1")}).result.i, 1);
    EXPECT_EQ(Call("startsWith", {S("pCube1"), S("C")}).result.i, 0);
    EXPECT_EQ(Call("strcmp", {S("a"), S("b")}).result.i, -1);
    EXPECT_EQ(Call("encodeString", {S("a\"b\\\n")}).result.s, "a\\\"b\\\\\\n");
    EXPECT_EQ(Call("substituteAllString", {S("a.b.c"), S("."), S("::")}).result.s, "a::b::c");
    EXPECT_EQ(Call("stringToStringArray", {S("a|b||c"), S("|")}).result.sa, (std::vector<std::string>{"a", "b", "c"}));

    // Regular expressions: the first match, or "".
    EXPECT_EQ(Call("match", {S("[0-9]+"), S("ab123cd45")}).result.s, "123");
    EXPECT_EQ(Call("match", {S("^x"), S("abc")}).result.s, "");
    EXPECT_EQ(Call("substitute", {S("[0-9]+"), S("a12b34"), S("#")}).result.s, "a#b34");
    Call badRegex("match", {S("(a"), S("a")});
    EXPECT_FALSE(badRegex.ok);
    EXPECT_EQ(badRegex.error, "Invalid regular expression: (a");

    // Globs.
    EXPECT_EQ(Call("gmatch", {S("pSphere12"), S("p*[0-9]")}).result.i, 1);
    EXPECT_EQ(Call("gmatch", {S("abc"), S("a?c")}).result.i, 1);
    EXPECT_EQ(Call("gmatch", {S("abc"), S("a?")}).result.i, 0);
    EXPECT_EQ(Call("gmatch", {S("abcbd"), S("*b*d")}).result.i, 1);
    EXPECT_EQ(Call("gmatch", {S("x*y"), S("x\\*y")}).result.i, 1);
    EXPECT_EQ(Call("gmatch", {S("xzy"), S("x\\*y")}).result.i, 0);
    EXPECT_EQ(Call("gmatch", {S("b"), S("[!a]")}).result.i, 1);
    EXPECT_EQ(Call("gmatch", {S("a"), S("[!a]")}).result.i, 0);
}

TEST(MelBuiltins, OutArgumentsAreWrittenBack)
{
    // tokenize's buffer is its last argument in both forms.
    Call two("tokenize", {S("  a b\tc "), Value::Strings({"old"})});
    EXPECT_EQ(two.result.i, 3);
    EXPECT_EQ(two.arguments[1].sa, (std::vector<std::string>{"a", "b", "c"}));
    Call three("tokenize", {S("a,,b;c"), S(",;"), Value::Strings({})});
    EXPECT_EQ(three.result.i, 3);
    EXPECT_EQ(three.arguments[2].sa, (std::vector<std::string>{"a", "b", "c"}));
    const Builtin& tokenize = *FindBuiltin("tokenize");
    EXPECT_TRUE(IsOutArgument(tokenize, 1, 2));
    EXPECT_FALSE(IsOutArgument(tokenize, 1, 3));
    EXPECT_TRUE(IsOutArgument(tokenize, 2, 3));
    EXPECT_FALSE(IsOutArgument(tokenize, 0, 3));

    Call clear("clear", {Value::Floats({1, 2})});
    EXPECT_EQ(clear.arguments[0].GetType(), Type::kFloatArray);
    EXPECT_EQ(clear.arguments[0].Size(), 0u);
    EXPECT_TRUE(IsOutArgument(*FindBuiltin("clear"), 0, 1));
    EXPECT_FALSE(Call("clear", {I(1)}).ok);

    Call insert("stringArrayInsertAtIndex", {I(10), Value::Strings({"a", "b"}), S("c")});
    EXPECT_EQ(insert.result.i, 1);
    EXPECT_EQ(insert.arguments[1].sa, (std::vector<std::string>{"a", "b", "c"}));
    Call insertNegative("intArrayInsertAtIndex", {I(-1), Value::Ints({1}), I(2)});
    EXPECT_EQ(insertNegative.result.i, 0);
    EXPECT_EQ(insertNegative.arguments[1].ia, (std::vector<int>{1}));
    Call remove("floatArrayRemoveAtIndex", {I(0), Value::Floats({1.5, 2})});
    EXPECT_EQ(remove.arguments[1].fa, (std::vector<double>{2}));
    EXPECT_EQ(Call("stringArrayRemoveAtIndex", {I(2), Value::Strings({"a", "b"})}).result.i, 0);
}

TEST(MelBuiltins, Arrays)
{
    EXPECT_EQ(Call("size", {S("abc")}).result.i, 3);
    EXPECT_EQ(Call("size", {Value::Vectors({{}, {}})}).result.i, 2);
    EXPECT_EQ(Call("sort", {Value::Strings({"b", "B", "a"})}).result.sa, (std::vector<std::string>{"B", "a", "b"}));
    EXPECT_EQ(Call("sort", {Value::Floats({3, -1, 2.5})}).result.fa, (std::vector<double>{-1, 2.5, 3}));
    EXPECT_FALSE(Call("sort", {S("cba")}).ok);

    const Value list = Value::Strings({"b", "a", "b", "c"});
    EXPECT_EQ(Call("stringArrayFind", {S("b"), I(1), list}).result.i, 2);
    EXPECT_EQ(Call("stringArrayFind", {S("z"), I(0), list}).result.i, -1);
    EXPECT_EQ(Call("stringArrayCount", {S("b"), list}).result.i, 2);
    EXPECT_EQ(Call("stringArrayContains", {S("c"), list}).result.i, 1);
    EXPECT_EQ(Call("stringArrayRemove", {Value::Strings({"b"}), list}).result.sa, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Call("stringArrayRemoveExact", {Value::Strings({"b"}), list}).result.sa,
              (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Call("stringArrayRemoveDuplicates", {list}).result.sa, (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(Call("stringArrayToString", {list, S(", ")}).result.s, "b, a, b, c");
    EXPECT_EQ(Call("stringArrayCatenate", {Value::Strings({"x"}), list}).result.Size(), 5u);
    EXPECT_EQ(Call("intArrayToString", {Value::Ints({1, 2, 3}), S("/")}).result.s, "1/2/3");
    EXPECT_EQ(Call("floatArrayToString", {Value::Floats({0.5, 2}), S(" ")}).result.s, "0.5 2");
    EXPECT_EQ(Call("floatArrayCount", {D(2.5), Value::Floats({1, 2.5, 2.5})}).result.i, 2);
    EXPECT_EQ(Call("intArrayContains", {I(4), Value::Ints({1, 2})}).result.i, 0);

    EXPECT_EQ(FindBuiltin("print"), nullptr);
}
