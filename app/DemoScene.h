#pragma once

/// The built-in demo scene, scenes/demo.mel as it was when the program was
/// built, so that `volarix` runs it from any folder.
const char* DemoScene();
