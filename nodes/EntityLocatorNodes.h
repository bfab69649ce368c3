#pragma once
/// \file EntityLocatorNodes.h
/// The target, modifier and obstacle locators: volume locators that differ
/// only in their type, draw classification and the colour they are drawn in
/// when unselected. Distinct types let the entity commands tell the kinds
/// apart and let users pick a default colour per kind.

#include "VolumeLocatorNode.h"

#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

/// The initialiser the three types share: every attribute comes from
/// "QF_VX_volumeLocatorNode", which must be registered first.
MStatus InitializeEntityLocatorNode();

class TargetLocatorNode : public VolumeLocatorNode
{
public:
    /// Takes the dormant colour from the option variable, 6 without it.
    void postConstructor() override;

    static void* creator();
    static constexpr MStatus (*initialize)() = InitializeEntityLocatorNode;

    static const MTypeId id;
    static const char* const typeName;          ///< "QF_VX_targetLocatorNode"
    static const char* const classification;    ///< its draw classification
    static const char* const drawRegistrantId;  ///< "QF_VX_TargetLocatorNode"
    static const char* const dormantColourName; ///< the option variable
    static constexpr int kDefaultDormantColour = 6;
};

class ModifierLocatorNode : public VolumeLocatorNode
{
public:
    /// Takes the dormant colour from the option variable, 5 without it.
    void postConstructor() override;

    static void* creator();
    static constexpr MStatus (*initialize)() = InitializeEntityLocatorNode;

    static const MTypeId id;
    static const char* const typeName;          ///< "QF_VX_modifierLocatorNode"
    static const char* const classification;    ///< its draw classification
    static const char* const drawRegistrantId;  ///< "QF_VX_ModifierLocatorNode"
    static const char* const dormantColourName; ///< the option variable
    static constexpr int kDefaultDormantColour = 5;
};

class ObstacleLocatorNode : public VolumeLocatorNode
{
public:
    /// Takes the dormant colour from the option variable, 12 without it.
    void postConstructor() override;

    static void* creator();
    static constexpr MStatus (*initialize)() = InitializeEntityLocatorNode;

    static const MTypeId id;
    static const char* const typeName;          ///< "QF_VX_obstacleLocatorNode"
    static const char* const classification;    ///< its draw classification
    static const char* const drawRegistrantId;  ///< "QF_VX_ObstacleLocatorNode"
    static const char* const dormantColourName; ///< the option variable
    static constexpr int kDefaultDormantColour = 12;
};
