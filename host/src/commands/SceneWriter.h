#pragma once
/// \file SceneWriter.h
/// The script `file -save` writes: one that, run in an empty scene, makes
/// the scene again exactly, down to the bits of every number.
///
/// In order, each part able to rely on those before it:
///   1. `currentUnit -l centimeter -t <time unit>`: distances below are the
///      graph's own centimetres, so they need no conversion;
///   2. `loadPlugin` for each plug-in whose node types are in use;
///   3. `createNode -n -p -ss` for every node, parents before children;
///   4. `addAttr` for dynamic attributes, with type, limits and keyable;
///   5. `setAttr` for every stored value that differs from its default
///      (numbers in the shortest form that reads back as the same double;
///      arrays with -type, as getAttr shows them; elements of arrays that
///      hold only defaults get one value, so that they exist), skipping
///      values that connections drive. Animation curves are nodes, so
///      their keys come here too. Where a typed number (a distance, angle or
///      time) has no UI form that converts back to exactly the stored value,
///      and for mesh and curve geometry, `setAttrExact` (a host command)
///      sets the stored form itself;
///   6. `connectAttr` for every connection, in the order they were made;
///   7. `dynExpression` for per-particle expressions;
///   8. `playbackOptions` (with -ast -aet when the animation range was set
///      apart, -by when not 1), `seed` and `currentTime`. Saved past the start
///      frame, particle values in step 5 are those of the start frame (what
///      going back restores) and `seed` is the C-runtime state the run began
///      with: `currentTime` then runs the same steps again, with the
///      particles emitted during the run emitted again at their frames, so
///      plug-in nodes rebuild whatever they keep between steps. The particle
///      state at the saved frame follows, replacing what the steps made,
///      then `seed` with the state at saving;
///   9. the linear and time units as they were;
///  10. `setAttr -k`, `-cb` and `-l on` for the states set on single plugs,
///      after everything a locked plug would refuse, and `select -r` for
///      the selection.

#include <string>
#include <vector>

namespace vxhost
{
/// The script that recreates the current scene. `warnings` gets one line
/// for each thing the script cannot recreate (a dynamic compound or multi
/// attribute, which addAttr does not make).
std::string WriteSceneScript(std::vector<std::string>& warnings);
} // namespace vxhost
