#include "KDTree.h"

#include <algorithm>
#include <array>
#include <numeric>

#include <tbb/parallel_invoke.h>

namespace
{
using Point = KDTree::Point;

// The largest subtree searched as one piece. Its points lie together, so
// their distances cost less all at once than node by node.
constexpr std::int32_t kBucket = 16;

int NextAxis(int axis)
{
    return axis == 2 ? 0 : axis + 1;
}

std::int32_t Middle(std::int32_t lo, std::int32_t hi)
{
    return lo + (hi - lo) / 2;
}

// A bucket of kBucket points has seven inner nodes.
constexpr std::int32_t kBucketInner = 7;
constexpr std::int32_t kBucketSlots = kBucket + kBucketInner;

/// The subtree of a bucket of n points, the same wherever it lies: its inner
/// nodes in pre-order and, for each way the query can lie against their
/// splits, the order in which the search offers its points (slots 0..n-1)
/// and split points (slots n + t).
struct BucketShape
{
    std::int32_t points = 0;
    std::int32_t inner = 0;
    std::int32_t middle[kBucketInner] = {}; ///< the split's middle, from the bucket's first point
    /// axis[a][t]: inner node t's split axis in a bucket whose top splits on a.
    std::int32_t axis[3][kBucketInner] = {};
    std::int32_t left[kBucketInner] = {}; ///< child inner node, or -1 for a leaf
    std::int32_t right[kBucketInner] = {};
    /// order[b]: bit t of b tells whether inner node t searches its left child first.
    std::uint8_t order[1 << kBucketInner][kBucketSlots] = {};

    static const BucketShape& Of(std::int32_t n)
    {
        static const auto shapes = []
        {
            std::array<BucketShape, kBucket + 1> all{};
            for (std::int32_t m = 1; m <= kBucket; ++m)
                all[static_cast<std::size_t>(m)].Make(m);
            return all;
        }();
        return shapes[static_cast<std::size_t>(n)];
    }

private:
    std::int32_t Number(std::int32_t lo, std::int32_t hi, std::int32_t d)
    {
        if (hi - lo < 2)
            return -1;
        const std::int32_t t = inner++;
        middle[t] = Middle(lo, hi);
        for (int a = 0; a < 3; ++a)
            axis[a][t] = (a + d) % 3;
        left[t] = Number(lo, middle[t], d + 1);
        right[t] = Number(middle[t] + 1, hi, d + 1);
        return t;
    }

    void Append(std::int32_t lo, std::int32_t hi, std::int32_t t, unsigned bits, std::uint8_t* out,
                int& at) const
    {
        if (t < 0)
        {
            for (std::int32_t r = lo; r <= hi; ++r)
                out[at++] = static_cast<std::uint8_t>(r);
            return;
        }
        const std::int32_t mid = middle[t];
        if (bits >> t & 1u)
        {
            Append(lo, mid, left[t], bits, out, at);
            Append(mid + 1, hi, right[t], bits, out, at);
        }
        else
        {
            Append(mid + 1, hi, right[t], bits, out, at);
            Append(lo, mid, left[t], bits, out, at);
        }
        out[at++] = static_cast<std::uint8_t>(points + t);
    }

    void Make(std::int32_t n)
    {
        points = n;
        Number(0, n - 1, 0);
        for (unsigned bits = 0; bits < (1u << kBucketInner); ++bits)
        {
            int at = 0;
            Append(0, n - 1, inner > 0 ? 0 : -1, bits, order[bits], at);
        }
    }
};
} // namespace

struct KDTree::Query
{
    std::int32_t i;
    double q[3];
    NeighbourList* out;
    const Point* points; ///< the tree's, for the ranks of what is offered
    /// Per-axis distance from q to the cell being searched (0 inside it).
    double gap[3];

    /// A lower bound of the squared distance from q to any point of the
    /// cell. Summed like a point's squared distance, axis by axis in the same
    /// order, so that rounding can never make it exceed one.
    double CellDistance() const { return gap[0] * gap[0] + gap[1] * gap[1] + gap[2] * gap[2]; }

    double SquaredDistance(const Point& p) const
    {
        const double dx = q[0] - p.position[0];
        const double dy = q[1] - p.position[1];
        const double dz = q[2] - p.position[2];
        return dx * dx + dy * dy + dz * dz;
    }

    [[gnu::always_inline]] void Offer(const Point& p, double d2) const
    {
        const bool hasRoom = out->HasRoomUnsigned();
        // Most offers lose to a full list; turn them down first.
        if ((hasRoom || out->Worst() > d2) && p.particle != i)
            out->Offer(p.particle, static_cast<std::int32_t>(&p - points), d2, p.position, hasRoom);
    }
};

void KDTree::Reset()
{
    points_.clear();
    splitRanks_.clear();
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
    built_ = false;
    const std::size_t n = particles.size();
    points_.resize(n);
    for (std::size_t j = 0; j < n; ++j)
    {
        const MVector& p = positions[static_cast<unsigned>(particles[j])];
        points_[j] = Point{{p.x, p.y, p.z}, particles[j]};
    }
    if (n == 0)
    {
        order_.clear();
        return;
    }

    splitRanks_.assign(n, -1);
    BuildRange(0, static_cast<std::int32_t>(n - 1), 0);

    // Each split point was noted by particle while later selections could
    // still move it; now that the points lie still, note where it lies. order_
    // (which particles may be) is free to map particles to ranks until then.
    order_.resize(std::max<std::size_t>(n, positions.length()));
    for (std::size_t r = 0; r < n; ++r)
        order_[static_cast<std::size_t>(points_[r].particle)] = static_cast<std::int32_t>(r);
    for (std::int32_t& split : splitRanks_)
        if (split >= 0)
            split = order_[static_cast<std::size_t>(split)];
    order_.resize(n);
    for (std::size_t r = 0; r < n; ++r)
        order_[r] = points_[r].particle;
    built_ = true;
}

void KDTree::BuildRange(std::int32_t lo, std::int32_t hi, int axis)
{
    if (hi - lo < 2)
        return;
    // Moves the point of rank (mid - lo) on axis to mid, none with a larger
    // coordinate before it and none with a smaller one after it. Each range is
    // selected from what its parent's selection left there, so the order in
    // which sibling ranges are built does not matter: the tree is the same
    // for any thread count.
    const std::int32_t mid = Middle(lo, hi);
    Point* points = points_.data();
    std::nth_element(points + lo, points + mid, points + hi + 1,
                     [axis](const Point& a, const Point& b) { return a.position[axis] < b.position[axis]; });
    // The split point stays in the left range, whose own selections move it
    // on: note which particle it is.
    splitRanks_[static_cast<std::size_t>(mid)] = points[mid].particle;
    const int next = NextAxis(axis);
    if (hi - lo + 1 > parallelGrain_)
    {
        tbb::parallel_invoke([&] { BuildRange(mid + 1, hi, next); }, [&] { BuildRange(lo, mid, next); });
        return;
    }
    BuildRange(mid + 1, hi, next);
    BuildRange(lo, mid, next);
}

void KDTree::Nearest(std::int32_t i, int k, const MVectorArray& positions, NeighbourList& out) const
{
    out.Reset(k);
    const MVector& p = positions[static_cast<unsigned>(i)];
    Query query{i, {p.x, p.y, p.z}, &out, points_.data(), {0.0, 0.0, 0.0}};
    Search(0, static_cast<std::int32_t>(points_.size()) - 1, 0, query);
}

void KDTree::NearestAt(std::size_t rank, int k, NeighbourList& out) const
{
    out.Reset(k);
    const Point& p = points_[rank];
    Query q{p.particle, {p.position[0], p.position[1], p.position[2]}, &out, points_.data(), {0.0, 0.0, 0.0}};
    const std::int32_t last = static_cast<std::int32_t>(points_.size()) - 1;

    // The search first goes down to the bucket that holds the point, unless
    // the point lies on a split plane it belongs to the left of: then it
    // goes right first, and the whole search is made as written.
    struct Level
    {
        std::int32_t lo;
        std::int32_t hi;
        std::int32_t mid;
        int axis;
    };
    Level path[64];
    int depth = 0;
    std::int32_t lo = 0;
    std::int32_t hi = last;
    int axis = 0;
    const std::int32_t at = static_cast<std::int32_t>(rank);
    while (hi - lo >= kBucket)
    {
        const std::int32_t mid = Middle(lo, hi);
        const bool left = at <= mid;
        if ((SplitPoint(mid).position[axis] > q.q[axis]) != left)
        {
            Search(0, last, 0, q);
            return;
        }
        path[depth++] = {lo, hi, mid, axis};
        if (left)
            hi = mid;
        else
            lo = mid + 1;
        axis = NextAxis(axis);
    }
    SearchBucket(lo, hi, axis, q);

    // Then, from the bucket up, each far side and split point, as the search
    // meets them on its way back.
    while (depth > 0)
    {
        const Level& level = path[--depth];
        const Point& median = SplitPoint(level.mid);
        const double c = q.q[level.axis];
        q.gap[level.axis] = c - median.position[level.axis];
        if (q.out->HasRoomUnsigned() || q.out->Worst() > q.CellDistance())
        {
            const int next = NextAxis(level.axis);
            if (at <= level.mid)
                Search(level.mid + 1, level.hi, next, q);
            else
                Search(level.lo, level.mid, next, q);
        }
        q.gap[level.axis] = 0.0;
        q.Offer(median, q.SquaredDistance(median));
    }
}

void KDTree::Search(std::int32_t lo, std::int32_t hi, int axis, Query& q) const
{
    if (hi - lo < kBucket)
    {
        SearchBucket(lo, hi, axis, q);
        return;
    }
    const std::int32_t mid = Middle(lo, hi);
    const Point& median = SplitPoint(mid);
    const double split = median.position[axis];
    const double c = q.q[axis];
    const int next = NextAxis(axis);
    const bool leftIsNear = split > c;
    if (leftIsNear)
        Search(lo, mid, next, q);
    else
        Search(mid + 1, hi, next, q);

    // The far side is worth visiting while the list has room or its cell is
    // nearer than the worst candidate. When the list is full and the cell is
    // no nearer than the worst, every point in it would be turned down, so
    // skipping it leaves the result exactly as visiting it would.
    const double saved = q.gap[axis];
    q.gap[axis] = c - split;
    if (q.out->HasRoomUnsigned() || q.out->Worst() > q.CellDistance())
    {
        if (leftIsNear)
            Search(mid + 1, hi, next, q);
        else
            Search(lo, mid, next, q);
    }
    q.gap[axis] = saved;
    // Each inner node is searched once per query, so its split point is
    // offered once here; it may also have been offered from its leaf.
    q.Offer(median, q.SquaredDistance(median));
}

void KDTree::SearchBucket(std::int32_t lo, std::int32_t hi, int axis, Query& q) const
{
    const BucketShape& shape = BucketShape::Of(hi - lo + 1);
    const Point* points = points_.data() + lo;
    double d2[kBucket];
    for (std::int32_t r = 0; r < shape.points; ++r)
        d2[r] = q.SquaredDistance(points[r]);
    // A full list turns down everything no nearer than its worst.
    if (!q.out->HasRoomUnsigned())
    {
        const double worst = q.out->Worst();
        unsigned nearer = 0;
        for (std::int32_t r = 0; r < shape.points; ++r)
            nearer |= static_cast<unsigned>(worst > d2[r]);
        if (nearer == 0)
            return;
    }

    // Slots: the bucket's points, then its split points, which are some of
    // those points again.
    std::int32_t slots[kBucketSlots];
    for (std::int32_t r = 0; r < shape.points; ++r)
        slots[r] = r;
    unsigned leftIsNear = 0;
    const std::int32_t* splitRanks = splitRanks_.data() + lo;
    const std::int32_t* splitAxes = shape.axis[axis];
    for (std::int32_t t = 0; t < shape.inner; ++t)
    {
        const std::int32_t split = splitRanks[shape.middle[t]] - lo;
        const int a = splitAxes[t];
        leftIsNear |= static_cast<unsigned>(points[split].position[a] > q.q[a]) << t;
        slots[shape.points + t] = split;
    }
    // Inside the bucket nothing is skipped: a far cell the search would skip
    // only holds points a full list turns down.
    const std::uint8_t* order = shape.order[leftIsNear];
    const std::int32_t count = shape.points + shape.inner;
    std::int32_t e = 0;
    for (; e < count && q.out->HasRoomUnsigned(); ++e)
    {
        const std::int32_t r = slots[order[e]];
        q.Offer(points[r], d2[r]);
    }
    // Once full, the list stays full: its worst changes only when it takes one.
    double worst = q.out->Worst();
    for (; e < count; ++e)
    {
        const std::int32_t r = slots[order[e]];
        if (worst > d2[r] && points[r].particle != q.i)
        {
            q.out->Offer(points[r].particle, lo + r, d2[r], points[r].position, false);
            worst = q.out->Worst();
        }
    }
}
