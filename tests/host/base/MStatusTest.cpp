#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <gtest/gtest.h>

namespace
{
int gReached = 0;

MStatus PassThrough(MStatus input)
{
    CHECK_MSTATUS_AND_RETURN_IT(input);
    ++gReached;
    return MS::kSuccess;
}

int ReturnValue(MStatus input)
{
    CHECK_MSTATUS_AND_RETURN(input, -1);
    CHECK_MSTATUS(input);
    return 1;
}
} // namespace

TEST(MStatus, CodesAndConversions)
{
    EXPECT_EQ(MStatus::kSuccess, 0);
    EXPECT_EQ(MStatus::kEndOfFile, 8);
    MStatus s = MS::kNotFound;
    EXPECT_FALSE(s);
    EXPECT_TRUE(s != MStatus::kFailure);
    EXPECT_EQ(s, MStatus(MStatus::kNotFound, "other words")); // codes decide equality
    s.clear();
    EXPECT_TRUE(s);
}

TEST(MStatus, ErrorStrings)
{
    const std::pair<MStatus::MStatusCode, const char*> expected[] = {
        {MStatus::kSuccess, "(kSuccess): No Error"},
        {MStatus::kFailure, "(kFailure): Unexpected Internal Failure"},
        {MStatus::kInsufficientMemory, "(kInsufficientMemory): Insufficient Memory"},
        {MStatus::kInvalidParameter, "(kInvalidParameter): Invalid Parameter"},
        {MStatus::kLicenseFailure, "(kLicenseFailure): License Failure"},
        {MStatus::kUnknownParameter, "(kUnknownParameter): Unknown Parameter"},
        {MStatus::kNotImplemented, "(kNotImplemented): Not Implemented"},
        {MStatus::kNotFound, "(kNotFound): Not Found"},
        {MStatus::kEndOfFile, "(kEndOfFile): End of File"},
    };
    for (const auto& [code, text] : expected)
        EXPECT_EQ(MStatus(code).errorString(), text);

    MStatus described(MStatus::kInvalidParameter, "radius must be positive");
    EXPECT_EQ(described.errorString(), "(kInvalidParameter): radius must be positive");
    described.clear();
    EXPECT_EQ(described.errorString(), "(kSuccess): No Error");

    testing::internal::CaptureStderr();
    MStatus(MStatus::kFailure).perror("loading");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "loading: (kFailure): Unexpected Internal Failure\n");
}

TEST(MStatus, CheckMacrosReturnOnFailureOnly)
{
    testing::internal::CaptureStderr();
    gReached = 0;
    EXPECT_EQ(PassThrough(MS::kSuccess), MS::kSuccess);
    EXPECT_EQ(gReached, 1);
    EXPECT_EQ(PassThrough(MS::kNotImplemented), MS::kNotImplemented);
    EXPECT_EQ(gReached, 1);
    EXPECT_EQ(ReturnValue(MS::kSuccess), 1);
    EXPECT_EQ(ReturnValue(MS::kFailure), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("API error detected in"), std::string::npos);
    EXPECT_NE(err.find("(kNotImplemented): Not Implemented"), std::string::npos);
}

TEST(MTypeId, PrefixAndId)
{
    EXPECT_EQ(MTypeId(0x131A, 0x42).id(), 0x00131A42u);
    EXPECT_EQ(MTypeId(0x131A, 0x142), MTypeId(0x131A, 0x42)); // the id keeps 8 bits
}
