#pragma once
/// \file MViewport2Renderer.h
/// The drawing APIs of Viewport 2.0.

#include <maya/MApiNamespace.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
/// Device APIs a draw override can support, as bit flags. The host's
/// renderer stands in for Maya 2022's default device, the OpenGL core
/// profile: an override is drawn when its supportedDrawAPIs() has
/// kOpenGLCoreProfile.
enum DrawAPI
{
    kNone = 0,
    kOpenGL = 1 << 0,
    kDirectX11 = 1 << 1,
    kOpenGLCoreProfile = 1 << 2,
    kAllDevices = kOpenGL | kDirectX11 | kOpenGLCoreProfile
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
