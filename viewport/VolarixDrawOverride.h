#pragma once
/// \file VolarixDrawOverride.h
/// Viewport 2.0 drawing of the particleVolarix field: the host's turbulence
/// field icon, coloured by the field's selection state.

#include <maya/MApiNamespace.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MUserData.h>
#include <maya/MViewport2Renderer.h>

/// What preparation hands to drawing: the icon's colour.
class VolarixDrawData : public MUserData
{
public:
    VolarixDrawData() = default;
    ~VolarixDrawData() override = default;

    MColor colour{0.0f, 0.0f, 0.0f, 1.0f};
};

/// Draws the field node through UI drawables only; always dirty, so the
/// colour follows the selection on every redraw.
class VolarixDrawOverride : public MHWRender::MPxDrawOverride
{
public:
    ~VolarixDrawOverride() override = default;

    /// The creator registered for the field's classification.
    static MHWRender::MPxDrawOverride* creator(const MObject& obj);

    /// Every device (7).
    MHWRender::DrawAPI supportedDrawAPIs() const override;
    bool isBounded(const MDagPath& objPath, const MDagPath& cameraPath) const override;
    /// The field node's DAG bounds; an empty box when the node cannot be
    /// reached.
    MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath& cameraPath) const override;
    bool hasUIDrawables() const override;
    /// Reuses oldData when it is a VolarixDrawData; returns the data with
    /// the colour for the node's display status.
    MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath& cameraPath,
                              const MHWRender::MFrameContext& frameContext, MUserData* oldData) override;
    /// The icon at the node's origin; nothing without data.
    void addUIDrawables(const MDagPath& objPath, MHWRender::MUIDrawManager& drawManager,
                        const MHWRender::MFrameContext& frameContext, const MUserData* data) override;

    static const char* const registrantId; ///< "QF_ParticleVolarixNode"

    /// Template colour of an unselected field, active colour of the lead.
    static constexpr unsigned int kDormantColourIndex = 10;
    static constexpr unsigned int kLeadColourIndex = 18;

private:
    explicit VolarixDrawOverride(const MObject& obj);
};
