#include "mel/Value.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace vxhost::mel;

TEST(MelValue, FloatsPrintWithTenSignificantDigits)
{
    EXPECT_EQ(FormatMelFloat(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(FormatMelFloat(3.0), "3");
    EXPECT_EQ(FormatMelFloat(0.1), "0.1");
    EXPECT_EQ(FormatMelFloat(-2.5), "-2.5");
    EXPECT_EQ(FormatMelFloat(1e20), "1e+20");
    EXPECT_EQ(FormatMelFloat(123456789012.0), "1.23456789e+11");
    EXPECT_EQ(FormatMelFloat(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatMelFloat(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatMelFloat(std::nan("")), "nan");
}

TEST(MelValue, StringsGiveTheirLeadingNumber)
{
    const auto number = [](const char* text)
    {
        double f = -99.0;
        EXPECT_TRUE(ToFloat(Value::String(text), f));
        return f;
    };
    EXPECT_EQ(number("12abc"), 12.0);
    EXPECT_EQ(number("abc"), 0.0);
    EXPECT_EQ(number(" 3.5"), 3.5);
    EXPECT_EQ(number("-2.5e2x"), -250.0);
    EXPECT_EQ(number("2e"), 2.0); // an exponent needs digits
    EXPECT_EQ(number(".5"), 0.5);
    EXPECT_EQ(number("0x10"), 0.0); // no hex, unlike strtod
    EXPECT_EQ(number("nan"), 0.0);

    int i = -99;
    EXPECT_TRUE(ToInt(Value::String("7.9 apples"), i));
    EXPECT_EQ(i, 7);

    // A vector reads up to three numbers, the rest 0.
    Vector3 v;
    EXPECT_TRUE(ToVector(Value::String("1 -2"), v));
    EXPECT_EQ(v.x, 1.0);
    EXPECT_EQ(v.y, -2.0);
    EXPECT_EQ(v.z, 0.0);
}

TEST(MelValue, FloatsTruncateAndSaturateToInt)
{
    const auto toInt = [](double f)
    {
        int i = -99;
        EXPECT_TRUE(ToInt(Value::Float(f), i));
        return i;
    };
    EXPECT_EQ(toInt(2.9), 2);
    EXPECT_EQ(toInt(-2.9), -2);
    EXPECT_EQ(toInt(1e10), INT_MAX);
    EXPECT_EQ(toInt(-1e10), INT_MIN);
    EXPECT_EQ(toInt(std::nan("")), 0);
    EXPECT_EQ(toInt(std::numeric_limits<double>::infinity()), INT_MAX);
}

TEST(MelValue, ConversionsMelMakesAndRefuses)
{
    Value out = Value::Int(42);

    // A vector stands for its length where a number is wanted.
    ASSERT_TRUE(ConvertTo(Value::Vector({3, 4, 12}), Type::kInt, out));
    EXPECT_EQ(out.GetType(), Type::kInt);
    EXPECT_EQ(out.i, 13);
    ASSERT_TRUE(ConvertTo(Value::Vector({1, 2.5, -3}), Type::kString, out));
    EXPECT_EQ(out.s, "1 2.5 -3");
    ASSERT_TRUE(ConvertTo(Value::Float(2.0), Type::kVector, out));
    EXPECT_EQ(out.v.z, 2.0);
    ASSERT_TRUE(ConvertTo(Value::Vector({1, 2, 3}), Type::kFloatArray, out));
    EXPECT_EQ(out.fa, (std::vector<double>{1, 2, 3}));
    ASSERT_TRUE(ConvertTo(Value::Ints({4, 5, 6}), Type::kVector, out));
    EXPECT_EQ(out.v.y, 5.0);

    // Arrays map element by element.
    ASSERT_TRUE(ConvertTo(Value::Floats({1.5, -2.5}), Type::kIntArray, out));
    EXPECT_EQ(out.ia, (std::vector<int>{1, -2}));
    ASSERT_TRUE(ConvertTo(Value::Floats({0.5, 3}), Type::kStringArray, out));
    EXPECT_EQ(out.sa, (std::vector<std::string>{"0.5", "3"}));
    ASSERT_TRUE(ConvertTo(Value::Strings({"4x", "y"}), Type::kIntArray, out));
    EXPECT_EQ(out.ia, (std::vector<int>{4, 0}));
    // A scalar becomes an array only of its own element type.
    ASSERT_TRUE(ConvertTo(Value::Int(5), Type::kIntArray, out));
    EXPECT_EQ(out.ia, (std::vector<int>{5}));

    // Refusals leave the output alone.
    out = Value::Int(42);
    EXPECT_FALSE(ConvertTo(Value::Strings({"1"}), Type::kFloat, out));
    EXPECT_FALSE(ConvertTo(Value::Floats({1, 2}), Type::kVector, out));
    EXPECT_FALSE(ConvertTo(Value::Float(1.0), Type::kIntArray, out));
    EXPECT_FALSE(ConvertTo(Value::Ints({1}), Type::kVectorArray, out));
    EXPECT_FALSE(ConvertTo(Value::MatrixValue({}), Type::kString, out));
    EXPECT_FALSE(ConvertTo(Value(), Type::kInt, out));
    EXPECT_EQ(out.GetType(), Type::kInt);
    EXPECT_EQ(out.i, 42);
    EXPECT_EQ(ConversionError(Type::kStringArray, Type::kFloat), "Cannot convert data of type string[] to type float.");
}

TEST(MelValue, TypesAndDefaults)
{
    for (Type array : {Type::kIntArray, Type::kFloatArray, Type::kStringArray, Type::kVectorArray})
    {
        EXPECT_TRUE(IsArray(array));
        EXPECT_FALSE(IsArray(ElementType(array)));
        EXPECT_EQ(ArrayType(ElementType(array)), array);
        EXPECT_EQ(Value::Default(array).GetType(), array);
        EXPECT_EQ(Value::Default(array).Size(), 0u);
    }
    EXPECT_EQ(ArrayType(Type::kMatrix), Type::kNone);
    EXPECT_EQ(std::string(TypeName(Type::kVectorArray)), "vector[]");
    EXPECT_EQ(Value::Default(Type::kString).GetType(), Type::kString);
    EXPECT_EQ(Value::Strings({"a", "b"}).Size(), 2u);
}

TEST(MelValue, PrintText)
{
    EXPECT_EQ(PrintText(Value::Float(0.5)), "0.5");
    EXPECT_EQ(PrintText(Value::String("a b")), "a b");
    EXPECT_EQ(PrintText(Value::Vector({1, 0, -2})), "1 0 -2");
    EXPECT_EQ(PrintText(Value::Ints({1, 2})), "1\n2\n");
    EXPECT_EQ(PrintText(Value::Strings({})), "");
    EXPECT_EQ(PrintText(Value::Vectors({{1, 2, 3}})), "1 2 3\n");
    EXPECT_EQ(PrintText(Value::MatrixValue({2, 3, {1, 0, 0, 0, 1, 0.5}})), "1 0 0\n0 1 0.5\n");
}
