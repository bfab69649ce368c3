#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <vxhost/StdString.h>

#include <gtest/gtest.h>

TEST(MString, ConcatenationAndNumberFormatting)
{
    MString s("flock");
    s += "_";
    s += 42;
    s += MString("/");
    s += 0.1;
    s += 2u;
    EXPECT_EQ(s, "flock_42/0.12");
    EXPECT_EQ("x" + MString("y") + "z", "xyz");

    MString d;
    d += 1e20;
    EXPECT_EQ(d, "1e+20");
    EXPECT_EQ(MString().set(3.14159, 2), "3.14");
    EXPECT_EQ(MString().set(-0.5, 0), "-0");
    EXPECT_EQ(MString().set(1e300, 1).length(), 303u);
    EXPECT_EQ(vxhost::ToStdString(vxhost::ToMString(std::string("a\0b", 3))), std::string("a\0b", 3));

    const MString utf8("caf\xC3\xA9 \xE2\x82\xAC"); // "café €"
    EXPECT_EQ(utf8.length(), 9u);
    EXPECT_EQ(utf8.numChars(), 6u);
}

TEST(MString, SearchAndSubstrings)
{
    const MString path("a/b/c.ma");
    EXPECT_EQ(path.index('/'), 1);
    EXPECT_EQ(path.rindex('/'), 3);
    EXPECT_EQ(path.substring(2, 4), "b/c"); // end is inclusive
    EXPECT_EQ(path.substring(4, 100), "c.ma");
    EXPECT_EQ(path.substring(-3, 0), "a");
    EXPECT_EQ(path.substring(5, 4), "");

    MStringArray parts;
    parts.append("stale");
    EXPECT_TRUE(MString(",x,,y,").split(',', parts));
    ASSERT_EQ(parts.length(), 2u); // empty pieces are dropped
    EXPECT_EQ(parts[0], "x");
    EXPECT_EQ(parts[1], "y");
    MString("").split(',', parts);
    EXPECT_EQ(parts.length(), 0u);

    EXPECT_EQ(MString("MiXeD \xC3\x89").toLowerCase(), "mixed \xC3\x89");
    MString padded("  x y \t");
    EXPECT_EQ(padded.trim(), "x y");
}

TEST(MString, NumberParsing)
{
    EXPECT_EQ(MString(" -17 ").asInt(), -17);
    EXPECT_FALSE(MString("+-5").isInt());
    EXPECT_FALSE(MString("4.2").isInt());
    EXPECT_FALSE(MString("12abc").isInt());
    EXPECT_FALSE(MString("99999999999").isInt()); // does not fit
    EXPECT_EQ(MString("junk").asInt(), 0);

    EXPECT_DOUBLE_EQ(MString("2.5e-3").asDouble(), 0.0025);
    EXPECT_FALSE(MString("1.0.0").isDouble());
    EXPECT_FALSE(MString(" ").isDouble());
    EXPECT_EQ(MString("1.0.0").asDouble(), 0.0);
}
