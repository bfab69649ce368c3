#include <maya/MGlobal.h>

#include <vxhost/MessageLog.h>
#include <vxhost/StdString.h>

void MGlobal::displayInfo(const MString& theMessage)
{
    vxhost::LogMessage(vxhost::Severity::kInfo, vxhost::ToStdString(theMessage));
}

void MGlobal::displayWarning(const MString& theWarning)
{
    vxhost::LogMessage(vxhost::Severity::kWarning, vxhost::ToStdString(theWarning));
}

void MGlobal::displayError(const MString& theError)
{
    vxhost::LogMessage(vxhost::Severity::kError, vxhost::ToStdString(theError));
}
