#include <maya/MFnBase.h>

#include <maya/MString.h>

bool MFnBase::hasObj(MFn::Type t) const
{
    return t == type() || t == MFn::kBase;
}

bool MFnBase::hasObj(const MObject& object) const
{
    return !object.isNull() && Accepts(object);
}

MObject MFnBase::object(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = fObject.isNull() ? MStatus(MStatus::kInvalidParameter, "No object attached")
                                         : MStatus(MStatus::kSuccess);
    return fObject;
}

MStatus MFnBase::setObject(const MObject& object)
{
    if (object.isNull())
    {
        fObject = MObject();
        return MStatus(MStatus::kInvalidParameter, "Object is null");
    }
    if (!Accepts(object))
    {
        fObject = MObject();
        return MStatus(MStatus::kInvalidParameter, MString("Object of type ") + object.apiTypeStr() +
                                                       " is not compatible with this function set");
    }
    fObject = object;
    return MStatus::kSuccess;
}
