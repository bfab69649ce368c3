#pragma once

#include <cstdio>
#include <string>

/// `volarix run SCENE.mel`: runs a scene script on the host, then steps the
/// frames asked for, with a progress line and a summary.
struct SceneRunOptions
{
    std::string scene;
    bool frameRange = false; ///< step from startFrame to endFrame
    double startFrame = 1.0;
    double endFrame = 1.0;
    bool progress = true;
};

/// Returns the process exit status: 0 on success, 1 when the scene or a
/// frame fails (the host has shown why).
int RunScene(const SceneRunOptions& options, std::FILE* out);
