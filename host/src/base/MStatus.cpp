#include <maya/MStatus.h>

#include <cstdio>

namespace
{
struct CodeText
{
    const char* name;
    const char* description;
};

// Indexed by MStatus::MStatusCode.
constexpr CodeText kCodeTexts[] = {
    {"kSuccess", "No Error"},
    {"kFailure", "Unexpected Internal Failure"},
    {"kInsufficientMemory", "Insufficient Memory"},
    {"kInvalidParameter", "Invalid Parameter"},
    {"kLicenseFailure", "License Failure"},
    {"kUnknownParameter", "Unknown Parameter"},
    {"kNotImplemented", "Not Implemented"},
    {"kNotFound", "Not Found"},
    {"kEndOfFile", "End of File"},
};

CodeText TextFor(MStatus::MStatusCode code)
{
    const auto index = static_cast<unsigned>(code);
    // A code cast in from an integer may be out of range; say so rather than
    // read past the table.
    if (index >= sizeof(kCodeTexts) / sizeof(kCodeTexts[0]))
        return {"kUnknownStatus", "Unknown Status Code"};
    return kCodeTexts[index];
}
} // namespace

MString MStatus::errorString() const
{
    const CodeText text = TextFor(fCode);
    MString result("(");
    result += text.name;
    result += "): ";
    if (fDescription.length() > 0)
        result += fDescription;
    else
        result += text.description;
    return result;
}

void MStatus::perror(const MString& message) const
{
    if (message.length() > 0)
        std::fprintf(stderr, "%s: %s\n", message.asChar(), errorString().asChar());
    else
        std::fprintf(stderr, "%s\n", errorString().asChar());
}

namespace vxhost::detail
{
void ReportFailedStatus(const MStatus& status, const char* file, int line)
{
    std::fprintf(stderr, "\nAPI error detected in %s at line %d\n", file, line);
    status.perror("");
}
} // namespace vxhost::detail
