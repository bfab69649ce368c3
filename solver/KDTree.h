#pragma once

#include "ArrayView.h"
#include "NeighbourList.h"

#include <maya/MVectorArray.h>

#include <cstddef>
#include <cstdint>
#include <vector>

/// A balanced k-d tree over particle positions for k-nearest queries. Every
/// inner node splits its points at the median of one axis (x, y, z cycling
/// with depth) and keeps the split point, which also stays in its left
/// subtree; leaves hold one or two points. The build uses a fixed stack of 32
/// pending tasks, and splits large ranges over the threads of the calling task
/// arena without changing the tree; queries are recursive, const and may run
/// on several threads at once, each with its own NeighbourList.
class KDTree
{
public:
    /// One node, 64 bytes so that a query touches one cache line per node.
    /// A leaf has point == -1; its first/second are particle indices (second
    /// may be -1). An inner node's first/second are child node indices.
    struct alignas(64) Node
    {
        std::int32_t first = -1;
        std::int32_t second = -1;
        std::int32_t point = -1;
        std::int32_t axis = -1;
        /// Copies of positions in tree order, so that a query reads nodes
        /// only: inner nodes keep the split particle's position in [0],
        /// leaves their particles' positions in [0] and [1].
        double position[2][3] = {};

        bool IsLeaf() const { return point == -1; }
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
    /// each with its exact squared distance, in insertion order. A split
    /// particle may be returned twice. k = 0 returns nothing; a negative k
    /// counts as a huge one. Requires IsBuilt() and the positions of the build.
    void Nearest(std::int32_t i, int k, const MVectorArray& positions, NeighbourList& out) const;

    /// Back to an empty, unbuilt tree; keeps the memory for the next build.
    void Reset();

    bool IsBuilt() const { return built_; }
    const std::vector<Node>& Nodes() const { return nodes_; }

    /// The built particles in leaf order. Queries made in this order touch
    /// neighbouring nodes one after the other.
    ArrayView<std::int32_t> LeafOrder() const { return order_; }

    /// The node count of a tree over n points.
    static std::size_t ExpectedNodeCount(std::size_t n);

    /// A point as the build sorts it. Selecting over a contiguous copy of the
    /// points, rather than over indices into positions, keeps the median
    /// selections in cache.
    struct BuildPoint
    {
        double position[3];
        std::int32_t particle;
    };

    /// Pending work of the build: the points [lo, hi] of node, split on axis.
    struct Task
    {
        std::int32_t lo;
        std::int32_t hi;
        std::int32_t node;
        std::int32_t axis;
    };

private:
    struct Query;
    /// Builds the subtree of root, numbering its nodes from nextFree on; depth
    /// counts the tasks pending above it. False when the build is abandoned.
    bool BuildSubtree(const Task& root, std::int32_t nextFree, int depth);
    /// The one-stack build of a subtree.
    bool BuildIteratively(const Task& root, std::int32_t nextFree, int depth);
    /// Splits task's points at the median and fills its inner node; returns the
    /// split index.
    std::int32_t SplitInner(const Task& task, std::int32_t firstChild);
    void Search(std::int32_t a, Query& q) const;
    void SearchInner(const Node& node, Query& q) const;
    static void OfferLeaf(const Node& leaf, Query& q);

    std::vector<Node> nodes_;
    std::vector<std::int32_t> order_;
    std::vector<BuildPoint> buildPoints_; ///< the build's working copy, kept for its capacity
    bool built_ = false;
    std::int32_t parallelGrain_;
};
