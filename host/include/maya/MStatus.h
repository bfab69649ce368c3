#pragma once
/// \file MStatus.h
/// Result codes returned by API calls, and the CHECK_MSTATUS macros.

#include <maya/MString.h>
#include <maya/MTypes.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The outcome of an API call. Converts to true on success, so
/// `if (!status) ...` tests for failure.
class MStatus
{
public:
    /// Maya's result codes; plug-ins compiled against Maya rely on these values.
    enum MStatusCode
    {
        kSuccess = 0,
        kFailure = 1,
        kInsufficientMemory = 2,
        kInvalidParameter = 3,
        kLicenseFailure = 4,
        kUnknownParameter = 5,
        kNotImplemented = 6,
        kNotFound = 7,
        kEndOfFile = 8
    };

    /// Success.
    MStatus() = default;
    /// A status with the given code and the code's default description.
    MStatus(MStatusCode code) : fCode(code) {}
#ifdef VXHOST_INTERNAL
    /// A status whose description replaces the code's default one in
    /// errorString(), e.g. to say which parameter was invalid.
    MStatus(MStatusCode code, const MString& description) : fCode(code), fDescription(description) {}
#endif

    /// True for kSuccess.
    operator bool() const { return fCode == kSuccess; }
    /// True unless the code is kSuccess.
    bool error() const { return fCode != kSuccess; }
    MStatusCode statusCode() const { return fCode; }

    /// Resets to kSuccess and drops any attached description.
    void clear()
    {
        fCode = kSuccess;
        fDescription = MString();
    }

    /// "(kCodeName): description", e.g. "(kFailure): Unexpected Internal
    /// Failure"; the description is the one given at construction if any.
    MString errorString() const;

    /// Writes "message: errorString()" to stderr (just errorString() when
    /// the message is empty).
    void perror(const MString& message) const;
    void perror(const char* message) const { perror(MString(message)); }

    /// Statuses compare by code only; the descriptions are commentary.
    bool operator==(const MStatus& other) const { return fCode == other.fCode; }
    bool operator!=(const MStatus& other) const { return fCode != other.fCode; }
    bool operator==(MStatusCode code) const { return fCode == code; }
    bool operator!=(MStatusCode code) const { return fCode != code; }

private:
    MStatusCode fCode = kSuccess;
    MString fDescription;
};

inline bool operator==(MStatus::MStatusCode code, const MStatus& status)
{
    return status == code;
}
inline bool operator!=(MStatus::MStatusCode code, const MStatus& status)
{
    return status != code;
}

/// Plug-ins spell the codes MS::kSuccess etc.
using MS = MStatus;

OPENMAYA_NAMESPACE_CLOSE

namespace vxhost::detail
{
/// Reports a failed CHECK_MSTATUS: the source location, then status.perror.
void ReportFailedStatus(const MStatus& status, const char* file, int line);
} // namespace vxhost::detail

/// Reports (on stderr) a failed status; execution continues.
#define CHECK_MSTATUS(_status)                                                                               \
    do                                                                                                       \
    {                                                                                                        \
        const MStatus _maya_status = (_status);                                                              \
        if (MStatus::kSuccess != _maya_status)                                                               \
            ::vxhost::detail::ReportFailedStatus(_maya_status, __FILE__, __LINE__);                          \
    } while (0)

/// Reports a failed status and returns _retVal from the calling function.
#define CHECK_MSTATUS_AND_RETURN(_status, _retVal)                                                           \
    do                                                                                                       \
    {                                                                                                        \
        const MStatus _maya_status = (_status);                                                              \
        if (MStatus::kSuccess != _maya_status)                                                               \
        {                                                                                                    \
            ::vxhost::detail::ReportFailedStatus(_maya_status, __FILE__, __LINE__);                          \
            return (_retVal);                                                                                \
        }                                                                                                    \
    } while (0)

/// Reports a failed status and returns that status from the calling function.
#define CHECK_MSTATUS_AND_RETURN_IT(_status)                                                                 \
    do                                                                                                       \
    {                                                                                                        \
        const MStatus _maya_status = (_status);                                                              \
        if (MStatus::kSuccess != _maya_status)                                                               \
        {                                                                                                    \
            ::vxhost::detail::ReportFailedStatus(_maya_status, __FILE__, __LINE__);                          \
            return _maya_status;                                                                             \
        }                                                                                                    \
    } while (0)
