#pragma once
// An empty scene at the host's defaults, as a new run starts: the scene
// script tests start each case from it.

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MDistance.h>
#include <maya/MTime.h>

namespace vxtest
{
inline void FreshScene()
{
    vxhost::Scene::Get().Reset();
    MDistance::setUIUnit(MDistance::kCentimeters);
    MTime::setUIUnit(MTime::kFilm);
    vxhost::Dynamics::Get().SetRange(1, 120);
    vxhost::Dynamics::Get().Reset();
}
} // namespace vxtest
