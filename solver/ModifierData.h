#pragma once

#include "EntityData.h"
#include "EntityTypes.h"

#include <map>
#include <vector>

/// The modifiers of one evaluation: volumes inside which the particles'
/// parameters are overridden or added to.
class ModifierData : public EntityData
{
public:
    void Clear() override;

    MIntArray modificationMethods; ///< ModificationMethod
    /// Per modifier, the parameters it sets; a key is present only when the
    /// matching input of the field's modifier element is connected.
    std::vector<std::map<ParameterKey, double>> parameterOverrides;
};
