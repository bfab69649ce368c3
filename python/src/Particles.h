#pragma once
/// \file Particles.h
/// A particle shape's per-particle arrays as NumPy arrays, read from the
/// scene, written back into it, or read from a cache file.

#include <pybind11/pybind11.h>

#include <string>

namespace vxpython
{

/// The arrays of particle object `name` (a shape, or a transform above
/// one) as they evaluate now: "position" and "velocity" as float64 (N, 3),
/// "id" (particleId) and every other per-particle array holding one value
/// per particle, doubles as (N,) and vectors as (N, 3). The same arrays a
/// cache of the shape at this moment holds. Raises ValueError when `name`
/// is no particle object.
pybind11::dict Particles(const std::string& name);

/// Writes `arrays` (name to array, names as Particles gives them) into
/// particle object `name`, as emit and dynExpression change a shape: in
/// place, at the current frame. Every array is checked before anything
/// changes; ValueError names the array with a wrong shape or type, a NaN or
/// an infinity, an unknown name, or a length that differs from the others
/// (or from the particle count, unless "position" is given: then the count
/// changes and the arrays not given are cut or filled as emit fills them).
void SetParticles(const std::string& name, const pybind11::dict& arrays);

/// The arrays of a PDC, PLY or CSV cache file, keyed as Particles keys
/// them. Raises ValueError with the reader's message for a bad file.
pybind11::dict ReadCache(const std::string& path);

/// Registers the functions above on `module`.
void DefineParticles(pybind11::module_& module);

} // namespace vxpython
