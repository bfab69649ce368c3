#include "ModifierData.h"

void ModifierData::Clear()
{
    EntityData::Clear();
    modificationMethods.clear();
    parameterOverrides.clear();
}
