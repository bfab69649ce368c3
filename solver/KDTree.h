#pragma once

#include "ArrayView.h"
#include "NeighbourList.h"

#include <maya/MVectorArray.h>

#include <cstddef>
#include <cstdint>
#include <vector>

/// A balanced k-d tree over particle positions for k-nearest queries, kept
/// implicit: the points alone, in leaf order. A range of points [lo, hi] with
/// more than two points is an inner node, split at its median mid = lo +
/// (hi - lo) / 2 on one axis (x, y, z cycling with depth); its left child is
/// [lo, mid] (the split point stays in it), its right child [mid + 1, hi]. A
/// range of one or two points is a leaf. So every subtree is a contiguous
/// run of points, and a query near the end of its descent reads memory that
/// lies together.
///
/// A query visits the near child, then the far child unless it is too far,
/// then offers the split point, so a split particle may be found twice. The
/// last levels, subtrees of up to 16 points, are searched a bucket at a time
/// in that same order, so every list comes out as the node-by-node search
/// would leave it. The
/// build splits large ranges over the threads of the calling task arena
/// without changing the tree; queries are const and may run on several
/// threads at once, each with its own NeighbourList.
class KDTree
{
public:
    /// A point as the tree keeps it.
    struct Point
    {
        double position[3];
        std::int32_t particle;
    };

    /// parallelGrain: ranges of more points than this are split and built on
    /// several threads; the tree is the same for any value.
    explicit KDTree(std::int32_t parallelGrain = 16384) : parallelGrain_(parallelGrain) {}

    /// Builds over every point of positions.
    void Build(const MVectorArray& positions);
    /// Builds over the listed particles only (indices into positions); the
    /// others are never returned by a query.
    void Build(const MVectorArray& positions, ArrayView<std::int32_t> particles);

    /// Fills out with at most k particles nearest to particle i (i excluded),
    /// each with its exact squared distance, in the order the search found
    /// them (not sorted). A split particle may be returned twice. k = 0
    /// returns nothing; a negative k counts as a huge one. Requires IsBuilt()
    /// and the positions of the build.
    void Nearest(std::int32_t i, int k, const MVectorArray& positions, NeighbourList& out) const;
    /// The same for the point at `rank` in leaf order.
    void NearestAt(std::size_t rank, int k, NeighbourList& out) const;

    /// Back to an empty, unbuilt tree; keeps the memory for the next build.
    void Reset();

    bool IsBuilt() const { return built_; }

    /// The built points in leaf order, with copies of their positions.
    ArrayView<Point> Points() const { return points_; }
    /// The split point of the inner node [lo, hi], for a middle mid = lo +
    /// (hi - lo) / 2 (somewhere in [lo, mid] of Points()).
    const Point& SplitPoint(std::int32_t mid) const
    {
        return points_[static_cast<std::size_t>(splitRanks_[static_cast<std::size_t>(mid)])];
    }
    /// The heap the tree holds, kept for the next build.
    std::size_t HeldBytes() const
    {
        return points_.capacity() * sizeof(Point) +
               (splitRanks_.capacity() + order_.capacity()) * sizeof(std::int32_t);
    }

    /// The built particles in leaf order. Queries made in this order read
    /// the tree's memory one neighbourhood after the other.
    ArrayView<std::int32_t> LeafOrder() const { return order_; }

private:
    struct Query;
    /// Splits [lo, hi] and everything below it, on several threads while the
    /// ranges are larger than the grain.
    void BuildRange(std::int32_t lo, std::int32_t hi, int axis);
    void Search(std::int32_t lo, std::int32_t hi, int axis, Query& q) const;
    /// A subtree of a few points: their distances are worked out together,
    /// then offered in the order the search would visit them.
    void SearchBucket(std::int32_t lo, std::int32_t hi, int axis, Query& q) const;

    std::vector<Point> points_;
    /// splitRanks_[mid]: where in points_ the split point of the inner node
    /// whose middle is mid lies (each inner node has its own middle); -1 for
    /// the others.
    std::vector<std::int32_t> splitRanks_;
    std::vector<std::int32_t> order_;
    bool built_ = false;
    std::int32_t parallelGrain_;
};
