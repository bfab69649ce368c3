#include "KDTree.h"

#include <maya/MGlobal.h>

#include <algorithm>
#include <bit>
#include <numeric>

namespace
{
constexpr int kStackSize = 32;

struct Task
{
    std::int32_t lo;
    std::int32_t hi;
    std::int32_t node;
    std::int32_t axis;
};

void CopyPosition(const MVector& v, double (&out)[3])
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

// Moves the point of rank (mid - lo) on axis to order[mid], smaller
// coordinates before it and larger after it.
void SelectMedian(const MVectorArray& positions, std::int32_t* order, std::int32_t lo,
                  std::int32_t mid, std::int32_t hi, int axis)
{
    const MVector* p = &positions[0];
    auto select = [&](auto coordinate) {
        std::nth_element(order + lo, order + mid, order + hi + 1,
                         [&](std::int32_t a, std::int32_t b) { return coordinate(p[a]) < coordinate(p[b]); });
    };
    switch (axis)
    {
    case 0: select([](const MVector& v) { return v.x; }); break;
    case 1: select([](const MVector& v) { return v.y; }); break;
    default: select([](const MVector& v) { return v.z; }); break;
    }
}
} // namespace

struct KDTree::Query
{
    std::int32_t i;
    double q[3];
    NeighbourList* out;

    void Offer(std::int32_t j, const double (&p)[3]) const
    {
        const double dx = q[0] - p[0];
        const double dy = q[1] - p[1];
        const double dz = q[2] - p[2];
        out->Offer(j, dx * dx + dy * dy + dz * dz, out->HasRoomUnsigned());
    }
};

std::size_t KDTree::ExpectedNodeCount(std::size_t n)
{
    if (n <= 1)
        return n;
    const std::size_t p = std::bit_ceil(n) - 1;
    return std::min(p, 2 * n - (p + 1) / 2 - 1);
}

void KDTree::Reset()
{
    nodes_.clear();
    order_.clear();
    built_ = false;
}

void KDTree::Build(const MVectorArray& positions)
{
    order_.resize(positions.length());
    std::iota(order_.begin(), order_.end(), 0);
    Build(positions, order_);
}

void KDTree::Build(const MVectorArray& positions, std::span<const std::int32_t> particles)
{
    nodes_.clear();
    built_ = false;
    // order_ may be the caller's list itself (the all-points overload).
    if (particles.data() != order_.data())
        order_.assign(particles.begin(), particles.end());
    const std::size_t n = order_.size();
    if (n == 0)
        return;

    const std::size_t expected = ExpectedNodeCount(n);
    nodes_.reserve(expected);
    nodes_.emplace_back();

    Task stack[kStackSize];
    int depth = 0;
    stack[depth++] = Task{0, static_cast<std::int32_t>(n - 1), 0, 0};
    std::int32_t* order = order_.data();

    while (depth > 0)
    {
        Task& task = stack[depth - 1];
        if (task.hi - task.lo < 2)
        {
            Node& leaf = nodes_[static_cast<std::size_t>(task.node)];
            leaf.first = order[task.lo];
            CopyPosition(positions[static_cast<unsigned>(leaf.first)], leaf.position[0]);
            if (task.lo != task.hi)
            {
                leaf.second = order[task.hi];
                CopyPosition(positions[static_cast<unsigned>(leaf.second)], leaf.position[1]);
            }
            if (leaf.point != -1)
            {
                MGlobal::displayError("Assert! KDTree: IsLeaf() not true, but was expected to be true...");
                return;
            }
            --depth;
            continue;
        }

        const std::int32_t lo = task.lo;
        const std::int32_t hi = task.hi;
        const std::int32_t axis = task.axis;
        const std::int32_t mid = lo + (hi - lo) / 2;
        SelectMedian(positions, order, lo, mid, hi, axis);

        const std::int32_t left = static_cast<std::int32_t>(nodes_.size());
        {
            Node& inner = nodes_[static_cast<std::size_t>(task.node)];
            inner.point = order[mid];
            inner.first = left;
            inner.second = left + 1;
            inner.axis = axis;
            CopyPosition(positions[static_cast<unsigned>(inner.point)], inner.position[0]);
        }
        const std::int32_t nextAxis = axis == 2 ? 0 : axis + 1;

        // The left range keeps the split point.
        task = Task{lo, mid, left, nextAxis};
        nodes_.emplace_back();
        if (depth >= kStackSize)
        {
            MGlobal::displayError("Assert: KDTree: Current task is greater than stack size");
            return;
        }
        stack[depth++] = Task{mid + 1, hi, left + 1, nextAxis};
        nodes_.emplace_back();
    }

    if (nodes_.size() != expected)
    {
        MGlobal::displayError("Assert: KDTree: Tree size is not the expected size");
        return;
    }
    built_ = true;
}

void KDTree::Nearest(std::int32_t i, int k, const MVectorArray& positions, NeighbourList& out) const
{
    out.Reset(k);
    const MVector& p = positions[static_cast<unsigned>(i)];
    Query query{i, {p.x, p.y, p.z}, &out};
    Search(0, query);
}

void KDTree::Search(std::int32_t a, Query& q) const
{
    const Node& node = nodes_[static_cast<std::size_t>(a)];
    if (node.IsLeaf())
    {
        if (node.first >= 0 && node.first != q.i)
            q.Offer(node.first, node.position[0]);
        if (node.second >= 0 && node.second != q.i)
            q.Offer(node.second, node.position[1]);
        return;
    }

    const double split = node.position[0][node.axis];
    const double c = q.q[node.axis];
    const bool leftIsNear = split > c || node.second == -1;
    const std::int32_t nearChild = leftIsNear ? node.first : node.second;
    const std::int32_t farChild = leftIsNear ? node.second : node.first;

    Search(nearChild, q);
    const double gap = c - split;
    if (farChild >= 0 && (q.out->HasRoomUnsigned() || q.out->Worst() > gap * gap))
        Search(farChild, q);
    // Each node is searched once per query, so its split point is offered once
    // here; it may also have been offered from the leaf that holds it.
    if (node.point != q.i)
        q.Offer(node.point, node.position[0]);
}
