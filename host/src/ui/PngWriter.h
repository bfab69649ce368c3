#pragma once
/// \file PngWriter.h
/// PNG files of the viewport's pictures, written for speed: a playblast
/// writes one per frame, and cairo's own writer compresses them as hard as
/// zlib can, which took two thirds of a frame.

#include <maya/MStatus.h>

#include <cairo.h>

#include <string>

namespace vxhost
{
/// Writes an ARGB32 or RGB24 image surface as an 8-bit RGB PNG (alpha is
/// dropped: the viewport paints every pixel), with fast compression.
/// kFailure, saying why, when the file cannot be written.
MStatus WritePng(cairo_surface_t* surface, const std::string& path);
} // namespace vxhost
