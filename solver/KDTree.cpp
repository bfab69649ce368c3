#include "KDTree.h"

#include <maya/MGlobal.h>

#include <algorithm>
#include <numeric>

#include <tbb/parallel_invoke.h>

namespace
{
constexpr int kStackSize = 32;

using BuildPoint = KDTree::BuildPoint;
using Task = KDTree::Task;

void CopyPosition(const BuildPoint& p, double (&out)[3])
{
    out[0] = p.position[0];
    out[1] = p.position[1];
    out[2] = p.position[2];
}

// Moves the point of rank (mid - lo) on axis to points[mid], none with a
// larger coordinate before it and none with a smaller one after it.
void SelectMedian(BuildPoint* points, std::int32_t lo, std::int32_t mid, std::int32_t hi, int axis)
{
    std::nth_element(points + lo, points + mid, points + hi + 1,
                     [axis](const BuildPoint& a, const BuildPoint& b)
                     { return a.position[axis] < b.position[axis]; });
}
} // namespace

struct KDTree::Query
{
    std::int32_t i;
    double q[3];
    NeighbourList* out;
    /// Per-axis distance from q to the cell being searched (0 inside it).
    double gap[3];

    /// A lower bound of the squared distance from q to any point of the
    /// cell. Summed like a point's squared distance, axis by axis in the same
    /// order, so that rounding can never make it exceed one.
    double CellDistance() const { return gap[0] * gap[0] + gap[1] * gap[1] + gap[2] * gap[2]; }

    [[gnu::always_inline]] void Offer(std::int32_t j, const double (&p)[3]) const
    {
        const double dx = q[0] - p[0];
        const double dy = q[1] - p[1];
        const double dz = q[2] - p[2];
        const double d2 = dx * dx + dy * dy + dz * dz;
        const bool hasRoom = out->HasRoomUnsigned();
        // Most offers lose to a full list; turn them down before the call.
        if (hasRoom || out->Worst() > d2)
            out->Offer(j, d2, p, hasRoom);
    }
};

std::size_t KDTree::ExpectedNodeCount(std::size_t n)
{
    if (n <= 1)
        return n;
    std::size_t ceiling = 1; // the least power of two >= n
    while (ceiling < n)
        ceiling <<= 1;
    const std::size_t p = ceiling - 1;
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

void KDTree::Build(const MVectorArray& positions, ArrayView<std::int32_t> particles)
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
    nodes_.resize(expected);
    std::vector<BuildPoint>& points = buildPoints_;
    points.resize(n);
    for (std::size_t j = 0; j < n; ++j)
    {
        const MVector& p = positions[static_cast<unsigned>(order_[j])];
        points[j] = BuildPoint{{p.x, p.y, p.z}, order_[j]};
    }

    const bool complete = BuildSubtree(Task{0, static_cast<std::int32_t>(n - 1), 0, 0}, 1, 1);

    // The leaves partition the points in order: this is the leaf order.
    for (std::size_t j = 0; j < n; ++j)
        order_[j] = points[j].particle;
    built_ = complete;
}

bool KDTree::BuildSubtree(const Task& root, std::int32_t nextFree, int depth)
{
    const std::int32_t count = root.hi - root.lo + 1;
    if (count <= parallelGrain_)
        return BuildIteratively(root, nextFree, depth);

    // Large ranges split here and build their halves in parallel. The node
    // numbers are those the one-stack build gives: it finishes the right
    // subtree (numbered from nextFree + 2 on) before the left one, whose
    // numbers follow the right subtree's, and a subtree of m points always
    // has ExpectedNodeCount(m) nodes. Median selections work on disjoint
    // ranges, so the tree is the same whatever the thread count.
    if (depth >= kStackSize)
    {
        MGlobal::displayError("Assert: KDTree: Current task is greater than stack size");
        return false;
    }
    const std::int32_t mid = SplitInner(root, nextFree);
    const std::int32_t nextAxis = root.axis == 2 ? 0 : root.axis + 1;
    const std::int32_t rightNodes =
        static_cast<std::int32_t>(ExpectedNodeCount(static_cast<std::size_t>(root.hi - mid)));
    bool leftDone = false;
    bool rightDone = false;
    tbb::parallel_invoke(
        [&] {
            rightDone = BuildSubtree(Task{mid + 1, root.hi, nextFree + 1, nextAxis}, nextFree + 2, depth + 1);
        },
        [&] {
            leftDone =
                BuildSubtree(Task{root.lo, mid, nextFree, nextAxis}, nextFree + 1 + rightNodes, depth + 1);
        });
    return leftDone && rightDone;
}

std::int32_t KDTree::SplitInner(const Task& task, std::int32_t firstChild)
{
    const std::int32_t mid = task.lo + (task.hi - task.lo) / 2;
    SelectMedian(buildPoints_.data(), task.lo, mid, task.hi, task.axis);
    Node& inner = nodes_[static_cast<std::size_t>(task.node)];
    const BuildPoint& median = buildPoints_[static_cast<std::size_t>(mid)];
    inner.point = median.particle;
    inner.first = firstChild;
    inner.second = firstChild + 1;
    inner.axis = task.axis;
    CopyPosition(median, inner.position[0]);
    return mid;
}

bool KDTree::BuildIteratively(const Task& root, std::int32_t nextFree, int depth)
{
    // depth tasks are already pending above this subtree.
    const int capacity = kStackSize - (depth - 1);
    Task stack[kStackSize];
    int top = 0;
    stack[top++] = root;
    const std::int32_t end = static_cast<std::int32_t>(nodes_.size());
    while (top > 0)
    {
        Task& task = stack[top - 1];
        if (task.hi - task.lo < 2)
        {
            Node& leaf = nodes_[static_cast<std::size_t>(task.node)];
            leaf.first = buildPoints_[static_cast<std::size_t>(task.lo)].particle;
            CopyPosition(buildPoints_[static_cast<std::size_t>(task.lo)], leaf.position[0]);
            if (task.lo != task.hi)
            {
                leaf.second = buildPoints_[static_cast<std::size_t>(task.hi)].particle;
                CopyPosition(buildPoints_[static_cast<std::size_t>(task.hi)], leaf.position[1]);
            }
            if (leaf.point != -1)
            {
                MGlobal::displayError("Assert! KDTree: IsLeaf() not true, but was expected to be true...");
                return false;
            }
            --top;
            continue;
        }
        if (nextFree + 2 > end)
        {
            MGlobal::displayError("Assert: KDTree: Tree size is not the expected size");
            return false;
        }
        const std::int32_t left = nextFree;
        const std::int32_t mid = SplitInner(task, left);
        nextFree += 2;
        const std::int32_t nextAxis = task.axis == 2 ? 0 : task.axis + 1;
        // The left range keeps the split point; the right one is finished first.
        const Task right{mid + 1, task.hi, left + 1, nextAxis};
        task = Task{task.lo, mid, left, nextAxis};
        if (top >= capacity)
        {
            MGlobal::displayError("Assert: KDTree: Current task is greater than stack size");
            return false;
        }
        stack[top++] = right;
    }
    return true;
}

void KDTree::Nearest(std::int32_t i, int k, const MVectorArray& positions, NeighbourList& out) const
{
    out.Reset(k);
    const MVector& p = positions[static_cast<unsigned>(i)];
    Query query{i, {p.x, p.y, p.z}, &out, {0.0, 0.0, 0.0}};
    Search(0, query);
}

void KDTree::Search(std::int32_t a, Query& q) const
{
    const Node& node = nodes_[static_cast<std::size_t>(a)];
    if (node.IsLeaf())
    {
        OfferLeaf(node, q);
        return;
    }
    SearchInner(node, q);
}

void KDTree::OfferLeaf(const Node& leaf, Query& q)
{
    if (leaf.first >= 0 && leaf.first != q.i)
        q.Offer(leaf.first, leaf.position[0]);
    if (leaf.second >= 0 && leaf.second != q.i)
        q.Offer(leaf.second, leaf.position[1]);
}

void KDTree::SearchInner(const Node& node, Query& q) const
{
    const double split = node.position[0][node.axis];
    const double c = q.q[node.axis];
    const bool leftIsNear = split > c || node.second == -1;
    const std::int32_t nearChild = leftIsNear ? node.first : node.second;
    const std::int32_t farChild = leftIsNear ? node.second : node.first;

    // Leaves are handled here rather than through another call: half the
    // nodes are leaves.
    const Node& nearNode = nodes_[static_cast<std::size_t>(nearChild)];
    if (nearNode.IsLeaf())
        OfferLeaf(nearNode, q);
    else
        SearchInner(nearNode, q);
    if (farChild >= 0)
    {
        // The far side is worth visiting while the list has room or its split
        // plane is nearer than the worst candidate. The whole far cell is
        // checked rather than the plane alone: when the list is full and the
        // cell is no nearer than the worst, every point in it would be turned
        // down, so skipping it leaves the result exactly as visiting it would.
        const double saved = q.gap[node.axis];
        q.gap[node.axis] = c - split;
        if (q.out->HasRoomUnsigned() || q.out->Worst() > q.CellDistance())
        {
            const Node& farNode = nodes_[static_cast<std::size_t>(farChild)];
            if (farNode.IsLeaf())
                OfferLeaf(farNode, q);
            else
                SearchInner(farNode, q);
        }
        q.gap[node.axis] = saved;
    }
    // Each node is searched once per query, so its split point is offered once
    // here; it may also have been offered from the leaf that holds it.
    if (node.point != q.i)
        q.Offer(node.point, node.position[0]);
}
