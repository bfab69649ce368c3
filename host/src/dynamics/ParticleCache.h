#pragma once
/// \file ParticleCache.h
/// Particle caches: one file per frame per particle shape, in one of three
/// formats, written from a shape's state and read back into one.
///
/// - PDC, Maya's particle disk cache: "PDC ", then big-endian int32s
///   (format version 1, byte order 1, two reserved zeros, particle count,
///   attribute count), then per attribute its name length, name, type code
///   (0 int, 1 int array, 2 double, 3 double array, 4 vector, 5 vector array)
///   and values (int32, or float64 as IEEE doubles; vectors as x y z).
/// - PLY, binary little-endian: one "vertex" element per particle with
///   double properties x y z (position) and vx vy vz (velocity), then one per
///   other array (a vector array as <name>_x <name>_y <name>_z). Doubles, not
///   floats, so that reading back is exact; Blender and Houdini read both.
/// - CSV: a header row of column names (vectors as <name>_x, <name>_y,
///   <name>_z), then one row per particle, numbers in the shortest form that
///   reads back as the same double (FormatDouble).
///
/// Files are named as Maya names its particle caches,
/// `<shape>.<frame>.<extension>`, e.g. "flockShape.12.pdc".

#include <maya/MDoubleArray.h>
#include <maya/MStatus.h>
#include <maya/MVectorArray.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vxhost
{
class Node;

enum class CacheFormat
{
    kPdc,
    kPly,
    kCsv
};

/// "pdc", "ply" or "csv": the file extension and the name users give.
const char* CacheFormatName(CacheFormat format);
/// The format named `name` (as CacheFormatName gives it); false for none.
bool CacheFormatFromName(std::string_view name, CacheFormat& out);

/// One per-particle array of a cache.
struct CacheChannel
{
    std::string name;
    std::variant<MDoubleArray, MVectorArray> values;

    bool IsVector() const { return values.index() == 1; }
};

/// What one cache file holds: arrays of `count` values each, named as the
/// shape's attributes; position, velocity and particleId come first.
struct ParticleCacheFrame
{
    unsigned count = 0;
    std::vector<CacheChannel> channels;

    /// The channel named `name`, or null.
    const CacheChannel* Find(std::string_view name) const;
};

/// The cache of particle shape `shape` at its current state: position,
/// velocity (zeros where missing) and particleId (the particle's index where
/// missing or short), then every other writable per-particle double or
/// vector array that holds one value per particle (mass, arrays added with
/// addAttr), in attribute order. Arrays of another length are left out, as
/// the fields ignore them too.
MStatus CaptureParticleFrame(Node& shape, ParticleCacheFrame& out);

/// Makes `frame` the state of particle shape `shape`: position, velocity and
/// particleId (velocity zero and ids counting from 0 when the cache has
/// none), and every other channel into the attribute of its name, which is
/// added (as a doubleArray or vectorArray) when the shape has none. Returns
/// false with `error` set, before changing anything, when a channel's name
/// is no attribute name or its attribute holds another type of data or is
/// not writable. At the start frame the state read becomes the state runs
/// start from, as with setAttr.
bool ApplyParticleFrame(Node& shape, const ParticleCacheFrame& frame, std::string& error);

/// Appends the file contents of `frame` in `format` to `out`.
void EncodeParticleCache(const ParticleCacheFrame& frame, CacheFormat format, std::string& out);
/// Reads file contents in `format`. On malformed or truncated contents
/// returns false with `error` saying what is wrong and where (byte offset,
/// or line for CSV), without the file's name. Never reads past `bytes`, and
/// checks every count against the bytes left before allocating for it.
/// PLY properties of any scalar type are read (as doubles); PDC int arrays
/// become double arrays, and PDC per-object values (types 0, 2 and 4) are
/// skipped, as a particle shape has nowhere to keep them.
bool DecodeParticleCache(std::string_view bytes, CacheFormat format, ParticleCacheFrame& out,
                         std::string& error);
/// The format of file contents by their first bytes: "PDC " or "ply\n";
/// anything else is taken for CSV.
CacheFormat DetectCacheFormat(std::string_view bytes);

/// `dir/<shape>.<frame>.<extension>`, with the frame as a whole number.
std::string ParticleCachePath(const std::string& dir, const std::string& shape, double frame,
                              CacheFormat format);
/// Writes `frame` to `path` through an OutputFile: under a temporary name,
/// renamed to `path` only once fully written, so that no reader ever sees
/// half a file; on failure the temporary file is removed, and a link,
/// device or pipe at `path` is refused. Sets `bytesWritten` (when
/// given) to the file's size. On failure returns false with `error` naming
/// the file: "Cannot write particle cache \"path\": No space left on device."
bool WriteParticleCacheFile(const std::string& path, const ParticleCacheFrame& frame, CacheFormat format,
                            std::string& error, std::size_t* bytesWritten = nullptr);
/// Reads the cache file at `path`, of the format its contents show. On
/// failure returns false with `error` naming the file: "Cannot read particle
/// cache \"path\": truncated at byte 24 (the particle count)."
bool ReadParticleCacheFile(const std::string& path, ParticleCacheFrame& out, std::string& error);
} // namespace vxhost
