#pragma once
/// \file MPxLocatorNode.h
/// The base of plug-in locators: DAG shapes under a transform that draw
/// themselves and have no geometry.

#include <maya/MBoundingBox.h>
#include <maya/MPxNode.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A locator node is a shape: creating one without a parent gives it a new
/// transform. It has the built-in locator's attributes (localPosition,
/// localScale) besides those of its type.
class MPxLocatorNode : public MPxNode
{
public:
    Type type() const override { return kLocatorNode; }

    /// Whether boundingBox() means anything; the default is false.
    virtual bool isBounded() const { return false; }
    /// The bounds in object space.
    virtual MBoundingBox boundingBox() const { return MBoundingBox(); }
    /// Whether the locator is drawn in the transparent pass.
    virtual bool isTransparent() const { return false; }

    static MObject localPosition;
    static MObject localScale;
};

OPENMAYA_NAMESPACE_CLOSE
