#pragma once
/// \file DrawOverrides.h
/// The host's side of Viewport 2.0 draw overrides: the creators registered
/// by draw classification, the override and data the host keeps for each
/// node, and the calls of one redraw.

#include <maya/MApiNamespace.h>
#include <maya/MDrawRegistry.h>
#include <maya/MMatrix.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MStatus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace vxhost
{
class Node;
struct NodeClass;
struct ViewState;

class DrawOverrides
{
public:
    static DrawOverrides& Get();

    MStatus Register(const std::string& classification, const std::string& registrantId,
                     MHWRender::MDrawRegistry::DrawOverrideCreator creator);
    /// Deletes the overrides the creator made, with their data, before the
    /// plug-in that made them can go.
    MStatus Deregister(const std::string& classification, const std::string& registrantId);

    /// Whether nodes of the type have an override: one of the ':'-separated
    /// entries of its classification has a creator.
    bool HasCreator(const NodeClass& nodeClass) const { return !ClassificationOf(nodeClass).empty(); }
    /// The node's override, made by its creator on first use; null when its
    /// type has none.
    MHWRender::MPxDrawOverride* OverrideFor(Node& node);

    /// One redraw of a DAG node as Maya makes it (see MPxDrawOverride),
    /// recording its drawables into drawManager. world receives the matrix
    /// that places them. False when the node is not drawn: no override, or
    /// one that does not support the host's device.
    bool Draw(Node& node, const MDagPath& camera, const ViewState& view,
              MHWRender::MUIDrawManager& drawManager, MMatrix& world);
    /// The node's world-space bounds from its override, when it is bounded,
    /// and the matrix that places it.
    bool WorldBounds(Node& node, const MDagPath& camera, MBoundingBox& out, MMatrix& world);

    /// Drops the override of a node (deleted, or the scene reset).
    void Forget(const Node& node);

private:
    struct Creator
    {
        std::string registrantId;
        MHWRender::MDrawRegistry::DrawOverrideCreator creator = nullptr;
    };
    struct Instance
    {
        std::string classification;
        std::unique_ptr<MHWRender::MPxDrawOverride> drawOverride;
        MUserData* data = nullptr;
        std::uint64_t preparedAt = 0; // the scene generation of the last preparation
    };

    DrawOverrides() = default;
    std::string ClassificationOf(const NodeClass& nodeClass) const;
    static void Destroy(Instance& instance);

    std::map<std::string, Creator, std::less<>> fCreators;
    std::map<const Node*, Instance> fInstances;
    bool fWatchingScene = false;
};
} // namespace vxhost
