#include "KDTree.h"

#include "SolverTestUtil.h"

#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
double SquaredDistance(const MVector& a, const MVector& b)
{
    const MVector d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// Every other particle, nearest first.
std::vector<std::pair<double, int>> BruteForce(const MVectorArray& points, int i)
{
    std::vector<std::pair<double, int>> all;
    for (unsigned j = 0; j < points.length(); ++j)
        if (static_cast<int>(j) != i)
            all.emplace_back(SquaredDistance(points[static_cast<unsigned>(i)], points[j]), j);
    std::sort(all.begin(), all.end());
    return all;
}

// The query written out plainly over the tree's ranges: an offer scans the
// whole list, every node is visited node by node, and the far side is
// pruned by its split plane alone. The tree's own query must give exactly
// the same list, entry by entry.
struct ReferenceQuery
{
    const KDTree& tree;
    ArrayView<KDTree::Point> points;
    const MVectorArray& positions;
    int i;
    int k;
    std::vector<std::pair<int, double>> result;
    double worst = -1.0;

    void Offer(int j)
    {
        const double d2 =
            SquaredDistance(positions[static_cast<unsigned>(i)], positions[static_cast<unsigned>(j)]);
        if (static_cast<std::uint32_t>(result.size()) < static_cast<std::uint32_t>(k))
            result.emplace_back(j, d2);
        else
        {
            double largest = -1.0;
            std::size_t at = 0;
            bool greater = false;
            for (std::size_t e = 0; e < result.size(); ++e)
            {
                if (result[e].second > largest)
                {
                    largest = result[e].second;
                    at = e;
                }
                greater = greater || result[e].second > d2;
            }
            if (!greater)
                return;
            result[at] = {j, d2};
        }
        worst = -1.0;
        for (const auto& entry : result)
            worst = std::max(worst, entry.second);
    }

    void Search(int lo, int hi, int axis)
    {
        if (hi - lo < 2)
        {
            for (int r = lo; r <= hi; ++r)
                if (points[static_cast<std::size_t>(r)].particle != i)
                    Offer(points[static_cast<std::size_t>(r)].particle);
            return;
        }
        const int mid = lo + (hi - lo) / 2;
        const int point = tree.SplitPoint(mid).particle;
        const double split = positions[static_cast<unsigned>(point)][static_cast<unsigned>(axis)];
        const double c = positions[static_cast<unsigned>(i)][static_cast<unsigned>(axis)];
        const int next = (axis + 1) % 3;
        const bool left = split > c;
        if (left)
            Search(lo, mid, next);
        else
            Search(mid + 1, hi, next);
        if (static_cast<std::uint32_t>(result.size()) < static_cast<std::uint32_t>(k) ||
            worst > (c - split) * (c - split))
        {
            if (left)
                Search(mid + 1, hi, next);
            else
                Search(lo, mid, next);
        }
        if (point != i)
            Offer(point);
    }
};

// Every range of more than two points splits at its median on its axis:
// the split point is one of the left range, nothing there is larger and
// nothing after it smaller.
void ExpectMedianSplits(const KDTree& tree, int lo, int hi, int axis)
{
    if (hi - lo < 2)
        return;
    const int mid = lo + (hi - lo) / 2;
    const KDTree::Point& split = tree.SplitPoint(mid);
    int found = 0;
    for (int r = lo; r <= hi; ++r)
    {
        const KDTree::Point& p = tree.Points()[static_cast<std::size_t>(r)];
        const double x = p.position[axis];
        EXPECT_TRUE(r <= mid ? x <= split.position[axis] : x >= split.position[axis]) << lo << ".." << hi;
        found += r <= mid && p.particle == split.particle &&
                 std::memcmp(p.position, split.position, sizeof p.position) == 0;
    }
    EXPECT_EQ(found, 1) << lo << ".." << hi;
    ExpectMedianSplits(tree, lo, mid, (axis + 1) % 3);
    ExpectMedianSplits(tree, mid + 1, hi, (axis + 1) % 3);
}

std::vector<int> Indices(const NeighbourList& list)
{
    return std::vector<int>(list.Indices().begin(), list.Indices().end());
}
} // namespace

TEST(KDTree, LeafOrderHoldsEveryParticleOnceSplitAtMedians)
{
    // Every size up to a few thousand: leaf order lists each particle once,
    // with its position, and every range splits at its median.
    for (unsigned n = 1; n <= 3000; n += (n < 200 ? 1 : 137))
    {
        const MVectorArray points = RandomCloud(n, 1000 + n);
        KDTree tree;
        tree.Build(points);
        ASSERT_TRUE(tree.IsBuilt()) << n;
        ASSERT_EQ(tree.Points().size(), n);
        std::vector<int> order(tree.LeafOrder().begin(), tree.LeafOrder().end());
        for (std::size_t r = 0; r < n; ++r)
        {
            const KDTree::Point& p = tree.Points()[r];
            ASSERT_EQ(p.particle, order[r]);
            ASSERT_EQ(MVector(p.position[0], p.position[1], p.position[2]),
                      points[static_cast<unsigned>(p.particle)]);
        }
        std::sort(order.begin(), order.end());
        for (unsigned j = 0; j < n; ++j)
            ASSERT_EQ(order[j], static_cast<int>(j));
        ExpectMedianSplits(tree, 0, static_cast<int>(n) - 1, 0);
    }

    KDTree empty;
    empty.Build(MVectorArray());
    EXPECT_FALSE(empty.IsBuilt());
    EXPECT_TRUE(empty.Points().empty());

    // Three points: split on x at the middle one, which also stays in the
    // left leaf with the lowest; the right leaf holds the highest alone.
    MVectorArray three;
    three.append(MVector(5, 0, 0));
    three.append(MVector(1, 9, 9));
    three.append(MVector(3, -9, 4));
    KDTree tree;
    tree.Build(three);
    EXPECT_EQ(std::vector<int>(tree.LeafOrder().begin(), tree.LeafOrder().end()),
              (std::vector<int>{1, 2, 0}));
}

TEST(KDTree, SplitPointCanBeOfferedTwice)
{
    // x = 0, 1, 2: the root splits at particle 1, which stays in the left leaf.
    // Querying particle 0 with k = 2 finds 1 in the leaf, then 2 on the far
    // side, then 1 again as the split point, which pushes 2 out.
    MVectorArray p;
    for (int x = 0; x < 3; ++x)
        p.append(MVector(x, 0, 0));
    KDTree tree;
    tree.Build(p);
    NeighbourList list;
    tree.Nearest(0, 2, p, list);
    EXPECT_EQ(Indices(list), (std::vector<int>{1, 1}));
    EXPECT_EQ(std::vector<double>(list.SquaredDistances().begin(), list.SquaredDistances().end()),
              (std::vector<double>{1.0, 1.0}));

    // k = 0 finds nothing; k beyond n - 1 returns every other particle, with
    // the repeat; a negative k counts as huge.
    tree.Nearest(0, 0, p, list);
    EXPECT_EQ(list.Size(), 0u);
    tree.Nearest(0, 10, p, list);
    EXPECT_EQ(Indices(list), (std::vector<int>{1, 2, 1}));
    tree.Nearest(0, -1, p, list);
    EXPECT_EQ(Indices(list), (std::vector<int>{1, 2, 1}));
}

TEST(KDTree, AgreesWithBruteForceOnRandomClouds)
{
    for (const unsigned n : {12u, 57u, 500u, 3000u})
    {
        const MVectorArray points = RandomCloud(n, n * 7);
        KDTree tree;
        tree.Build(points);
        ASSERT_TRUE(tree.IsBuilt());
        NeighbourList list;
        for (const int k : {1, 2, 8, 16, -1})
        {
            for (unsigned i = 0; i < n; i += (n > 500 ? 7 : 1))
            {
                tree.Nearest(static_cast<int>(i), k, points, list);
                const auto expected = BruteForce(points, static_cast<int>(i));
                if (k >= 0 && static_cast<unsigned>(k) <= n - 1)
                {
                    ASSERT_EQ(list.Size(), static_cast<std::size_t>(k));
                }

                // Every distance is exact, and the distinct particles are the
                // nearest ones in distance order: a repeated split point only
                // ever displaces the farthest.
                std::set<int> distinct;
                for (std::size_t e = 0; e < list.Size(); ++e)
                {
                    const int j = list.Indices()[e];
                    ASSERT_NE(j, static_cast<int>(i));
                    ASSERT_EQ(list.SquaredDistances()[e],
                              SquaredDistance(points[i], points[static_cast<unsigned>(j)]));
                    distinct.insert(j);
                }
                std::vector<std::pair<double, int>> found;
                for (const int j : distinct)
                    found.emplace_back(SquaredDistance(points[i], points[static_cast<unsigned>(j)]), j);
                std::sort(found.begin(), found.end());
                if (k < 0)
                {
                    ASSERT_EQ(found.size(), n - 1); // a huge k: everyone, nothing pruned
                }
                for (std::size_t e = 0; e < found.size(); ++e)
                    ASSERT_EQ(found[e], expected[e]) << "n " << n << " k " << k << " i " << i;
            }
        }
    }
}

TEST(KDTree, QueryMatchesThePlainSearchExactly)
{
    // Random clouds whose buckets hold from one to sixteen points (the whole
    // tree a bucket for the smallest), and a lattice full of equal distances
    // and equal split coordinates, where the order of offers decides which
    // ties survive and queries lie on split planes.
    std::vector<MVectorArray> clouds;
    for (const unsigned n : {1u, 2u, 3u, 5u, 9u, 16u, 17u, 23u, 33u, 47u, 64u, 150u, 700u})
        clouds.push_back(RandomCloud(n, n + 5));
    MVectorArray lattice;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            for (int z = 0; z < 6; ++z)
                lattice.append(MVector(x, y, z % 3));
    clouds.push_back(lattice);
    NeighbourList list;
    NeighbourList atRank;
    for (const MVectorArray& points : clouds)
    {
        KDTree tree;
        tree.Build(points);
        for (const int k : {0, 1, 3, 8, 13})
            for (std::size_t rank = 0; rank < points.length(); ++rank)
            {
                const int i = tree.LeafOrder()[rank];
                ReferenceQuery reference{tree, tree.Points(), points, i, k, {}};
                reference.Search(0, static_cast<int>(points.length()) - 1, 0);
                tree.Nearest(i, k, points, list);
                tree.NearestAt(rank, k, atRank);
                ASSERT_EQ(list.Size(), reference.result.size());
                ASSERT_EQ(atRank.Size(), reference.result.size());
                for (std::size_t e = 0; e < list.Size(); ++e)
                {
                    ASSERT_EQ(list.Indices()[e], reference.result[e].first) << "k " << k << " i " << i;
                    ASSERT_EQ(list.SquaredDistances()[e], reference.result[e].second);
                    ASSERT_EQ(atRank.Indices()[e], reference.result[e].first) << "k " << k << " i " << i;
                }
            }
    }
}

TEST(KDTree, ParallelBuildGivesTheOneStackTree)
{
    // Split into many parallel pieces or built on one thread: the same points
    // in the same order.
    MVectorArray lattice;
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            for (int z = 0; z < 15; ++z)
                lattice.append(MVector(x % 7, y, z));
    for (const MVectorArray& points : {RandomCloud(5000, 11), RandomCloud(777, 12), lattice})
    {
        KDTree oneStack(std::numeric_limits<std::int32_t>::max());
        KDTree split(40);
        oneStack.Build(points);
        split.Build(points);
        ASSERT_TRUE(oneStack.IsBuilt());
        ASSERT_TRUE(split.IsBuilt());
        for (std::size_t r = 0; r < points.length(); ++r)
        {
            const KDTree::Point& a = split.Points()[r];
            const KDTree::Point& b = oneStack.Points()[r];
            ASSERT_EQ(a.particle, b.particle) << r;
            ASSERT_EQ(0, std::memcmp(a.position, b.position, sizeof a.position)) << r;
        }
        ASSERT_TRUE(
            std::equal(split.LeafOrder().begin(), split.LeafOrder().end(), oneStack.LeafOrder().begin()));
    }
}

TEST(KDTree, CoincidentPointsAndSubsets)
{
    MVectorArray same(40, MVector(3.0, -2.0, 7.0));
    KDTree tree;
    tree.Build(same);
    ASSERT_TRUE(tree.IsBuilt());
    NeighbourList list;
    tree.Nearest(5, 6, same, list);
    ASSERT_EQ(list.Size(), 6u);
    for (std::size_t e = 0; e < list.Size(); ++e)
    {
        EXPECT_NE(list.Indices()[e], 5);
        EXPECT_EQ(list.SquaredDistances()[e], 0.0);
    }

    // A single point: built, and it has no neighbours.
    KDTree one;
    one.Build(MVectorArray(1, MVector(1, 1, 1)));
    EXPECT_TRUE(one.IsBuilt());
    one.Nearest(0, 4, MVectorArray(1, MVector(1, 1, 1)), list);
    EXPECT_EQ(list.Size(), 0u);

    // Built over a subset, particles outside it are never returned.
    const MVectorArray points = RandomCloud(30, 3);
    const std::vector<std::int32_t> evens{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22};
    KDTree partial;
    partial.Build(points, evens);
    ASSERT_TRUE(partial.IsBuilt());
    partial.Nearest(4, 50, points, list);
    for (const int j : list.Indices())
        EXPECT_EQ(j % 2, 0);
    EXPECT_EQ(std::set<int>(list.Indices().begin(), list.Indices().end()).size(), evens.size() - 1);
}
