// libFuzzer target: the particle cache reader (DecodeParticleCache in each
// format, and DetectCacheFormat) on any bytes.
//
// Besides crashes, leaks and undefined behaviour it checks that a frame that
// reads is whole (every channel named, once, with one value per particle),
// and that it survives being written and read again: in its own format, and
// in PDC, which keeps any frame bit for bit. PDC and PLY give back the same
// bits; CSV the same numbers (its text has no sign of zero and one NaN).
#include "dynamics/ParticleCache.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace
{
using vxhost::CacheChannel;
using vxhost::CacheFormat;
using vxhost::ParticleCacheFrame;

constexpr CacheFormat kFormats[] = {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv};

[[noreturn]] void Broken(CacheFormat format, const char* what, const std::string& detail)
{
    std::fprintf(stderr, "particle cache reader (%s): %s%s%s\n", vxhost::CacheFormatName(format), what,
                 detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

void CheckWhole(const ParticleCacheFrame& frame, CacheFormat format)
{
    std::set<std::string> names;
    for (const CacheChannel& channel : frame.channels)
    {
        if (channel.name.empty() || !names.insert(channel.name).second)
            Broken(format, "a channel name is empty or repeated", channel.name);
        const std::size_t length = channel.IsVector() ? std::get<MVectorArray>(channel.values).length()
                                                      : std::get<MDoubleArray>(channel.values).length();
        if (length != frame.count)
            Broken(format, "a channel's length is not the particle count", channel.name);
    }
}

bool SameValue(double a, double b, bool exact)
{
    if (exact)
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool SameFrame(const ParticleCacheFrame& a, const ParticleCacheFrame& b, bool exact)
{
    if (a.count != b.count || a.channels.size() != b.channels.size())
        return false;
    for (std::size_t c = 0; c < a.channels.size(); ++c)
    {
        const CacheChannel& x = a.channels[c];
        const CacheChannel& y = b.channels[c];
        if (x.name != y.name || x.IsVector() != y.IsVector())
            return false;
        for (unsigned i = 0; i < a.count; ++i)
        {
            if (x.IsVector())
            {
                const MVector& u = std::get<MVectorArray>(x.values)[i];
                const MVector& v = std::get<MVectorArray>(y.values)[i];
                if (!SameValue(u.x, v.x, exact) || !SameValue(u.y, v.y, exact) || !SameValue(u.z, v.z, exact))
                    return false;
            }
            else if (!SameValue(std::get<MDoubleArray>(x.values)[i], std::get<MDoubleArray>(y.values)[i],
                                exact))
                return false;
        }
    }
    return true;
}

void CheckRoundTrip(const ParticleCacheFrame& frame, CacheFormat from, CacheFormat to)
{
    std::string bytes;
    vxhost::EncodeParticleCache(frame, to, bytes);
    if (vxhost::DetectCacheFormat(bytes) != to)
        Broken(from, "written again, the bytes are taken for another format", vxhost::CacheFormatName(to));
    ParticleCacheFrame again;
    std::string error;
    if (!vxhost::DecodeParticleCache(bytes, to, again, error))
        Broken(from, "written again, the frame does not read",
               std::string(vxhost::CacheFormatName(to)) + ": " + error);
    // Only CSV's text loses anything (the sign of zero, NaN payloads).
    const bool exact = to != CacheFormat::kCsv;
    if (!SameFrame(frame, again, exact))
        Broken(from, "written again, the frame reads differently", vxhost::CacheFormatName(to));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const CacheFormat detected = vxhost::DetectCacheFormat(bytes);
    const bool pdc = bytes.starts_with("PDC ");
    const bool ply = bytes.starts_with("ply\n") || bytes.starts_with("ply\r\n");
    if ((detected == CacheFormat::kPdc) != pdc || (detected == CacheFormat::kPly) != ply)
        Broken(detected, "detected as the wrong format", "");

    for (const CacheFormat format : kFormats)
    {
        ParticleCacheFrame frame;
        std::string error;
        if (!vxhost::DecodeParticleCache(bytes, format, frame, error))
        {
            if (error.empty())
                Broken(format, "failed without saying why", "");
            continue;
        }
        CheckWhole(frame, format);
        CheckRoundTrip(frame, format, format);
        if (format != CacheFormat::kPdc)
            CheckRoundTrip(frame, format, CacheFormat::kPdc);
    }
    return 0;
}
