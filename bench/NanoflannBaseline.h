#pragma once

// nanoflann over the benchmark clouds: the baseline the neighbour tree is
// measured against. Benchmarks only.

#include <maya/MVectorArray.h>

#include <nanoflann.hpp>

#include <cstddef>
#include <cstdint>

/// The dataset adaptor nanoflann reads points through.
struct NanoflannCloud
{
    const MVectorArray* points;
    std::size_t kdtree_get_point_count() const { return points->length(); }
    double kdtree_get_pt(std::size_t i, std::size_t dim) const
    {
        const MVector& p = (*points)[static_cast<unsigned>(i)];
        return dim == 0 ? p.x : (dim == 1 ? p.y : p.z);
    }
    template <class Box> bool kdtree_get_bbox(Box&) const { return false; }
};

/// A nanoflann tree over a cloud (build with leaf size 10).
using NanoflannTree =
    nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, NanoflannCloud>, NanoflannCloud,
                                        3, std::uint32_t>;
