#pragma once
/// \file MDrawContext.h
/// The context given to a draw override's draw callback.

#include <maya/MFrameContext.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
/// A frame context during drawing. The host has no device state to add.
class MDrawContext : public MFrameContext
{
public:
    using MFrameContext::MFrameContext;
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
