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

// The query written out plainly, straight from positions: an offer scans the
// whole list, and the far side is pruned by its split plane alone. The tree's
// own query must give exactly the same list, entry by entry.
struct ReferenceQuery
{
    const std::vector<KDTree::Node>& nodes;
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

    void Search(int a)
    {
        const KDTree::Node& n = nodes[static_cast<std::size_t>(a)];
        if (n.IsLeaf())
        {
            for (const int j : {n.first, n.second})
                if (j >= 0 && j != i)
                    Offer(j);
            return;
        }
        const double split = positions[static_cast<unsigned>(n.point)][static_cast<unsigned>(n.axis)];
        const double c = positions[static_cast<unsigned>(i)][static_cast<unsigned>(n.axis)];
        const bool left = split > c || n.second == -1;
        Search(left ? n.first : n.second);
        if (static_cast<std::uint32_t>(result.size()) < static_cast<std::uint32_t>(k) ||
            worst > (c - split) * (c - split))
            Search(left ? n.second : n.first);
        if (n.point != i)
            Offer(n.point);
    }
};

std::vector<int> Indices(const NeighbourList& list)
{
    return std::vector<int>(list.Indices().begin(), list.Indices().end());
}
} // namespace

TEST(KDTree, NodeCountsMatchTheLayout)
{
    vxhost::ClearMessages();
    const std::vector<std::pair<unsigned, std::size_t>> cases{{1, 1},   {2, 1},   {3, 3},     {11, 13},
                                                              {16, 15}, {17, 17}, {100, 127}, {1000, 1023}};
    for (const auto& [n, nodes] : cases)
    {
        KDTree tree;
        tree.Build(RandomCloud(n, n));
        EXPECT_TRUE(tree.IsBuilt()) << n;
        EXPECT_EQ(tree.Nodes().size(), nodes) << n;
        EXPECT_EQ(KDTree::ExpectedNodeCount(n), nodes) << n;
    }
    // Every size up to a few thousand passes the size check, each particle
    // sits in exactly one leaf, and leaf order lists each particle once.
    for (unsigned n = 1; n <= 3000; n += (n < 200 ? 1 : 37))
    {
        KDTree tree;
        tree.Build(RandomCloud(n, 1000 + n));
        ASSERT_TRUE(tree.IsBuilt()) << n;
        std::multiset<int> inLeaves;
        for (const KDTree::Node& node : tree.Nodes())
            if (node.IsLeaf())
                for (const int j : {node.first, node.second})
                    if (j >= 0)
                        inLeaves.insert(j);
        ASSERT_EQ(inLeaves.size(), n);
        ASSERT_EQ(std::set<int>(inLeaves.begin(), inLeaves.end()).size(), n);
        std::vector<int> order(tree.LeafOrder().begin(), tree.LeafOrder().end());
        std::sort(order.begin(), order.end());
        for (unsigned j = 0; j < n; ++j)
            ASSERT_EQ(order[j], static_cast<int>(j));
    }
    EXPECT_TRUE(vxhost::Messages().empty());

    KDTree empty;
    empty.Build(MVectorArray());
    EXPECT_FALSE(empty.IsBuilt());
    EXPECT_TRUE(empty.Nodes().empty());
}

TEST(KDTree, SmallLayouts)
{
    { // Two points: the root is a leaf holding both.
        MVectorArray p;
        p.append(MVector(1, 0, 0));
        p.append(MVector(0, 0, 0));
        KDTree tree;
        tree.Build(p);
        ASSERT_EQ(tree.Nodes().size(), 1u);
        const KDTree::Node& root = tree.Nodes()[0];
        EXPECT_TRUE(root.IsLeaf());
        EXPECT_EQ(std::set<int>({root.first, root.second}), std::set<int>({0, 1}));
    }
    { // Three points: split on x at the middle one, which also stays in the
        // left leaf with the lowest; the right leaf holds the highest alone.
        MVectorArray p;
        p.append(MVector(5, 0, 0));
        p.append(MVector(1, 9, 9));
        p.append(MVector(3, -9, 4));
        KDTree tree;
        tree.Build(p);
        ASSERT_EQ(tree.Nodes().size(), 3u);
        const KDTree::Node& root = tree.Nodes()[0];
        EXPECT_EQ(root.point, 2);
        EXPECT_EQ(root.axis, 0);
        EXPECT_EQ(root.first, 1);
        EXPECT_EQ(root.second, 2);
        const KDTree::Node& left = tree.Nodes()[1];
        EXPECT_EQ(std::set<int>({left.first, left.second}), std::set<int>({1, 2}));
        const KDTree::Node& right = tree.Nodes()[2];
        EXPECT_EQ(right.first, 0);
        EXPECT_EQ(right.second, -1);
        EXPECT_EQ(right.axis, -1);
    }
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
    // Random clouds, and a lattice full of equal distances and equal split
    // coordinates, where the order of offers decides which ties survive.
    std::vector<MVectorArray> clouds{RandomCloud(700, 5), RandomCloud(64, 6)};
    MVectorArray lattice;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            for (int z = 0; z < 6; ++z)
                lattice.append(MVector(x, y, z % 3));
    clouds.push_back(lattice);
    NeighbourList list;
    for (const MVectorArray& points : clouds)
    {
        KDTree tree;
        tree.Build(points);
        for (const int k : {0, 1, 3, 8, 13})
            for (unsigned i = 0; i < points.length(); ++i)
            {
                ReferenceQuery reference{tree.Nodes(), points, static_cast<int>(i), k, {}};
                reference.Search(0);
                tree.Nearest(static_cast<int>(i), k, points, list);
                ASSERT_EQ(list.Size(), reference.result.size());
                for (std::size_t e = 0; e < list.Size(); ++e)
                {
                    ASSERT_EQ(list.Indices()[e], reference.result[e].first) << "k " << k << " i " << i;
                    ASSERT_EQ(list.SquaredDistances()[e], reference.result[e].second);
                }
            }
    }
}

TEST(KDTree, ParallelBuildGivesTheOneStackTree)
{
    // Split into many parallel pieces or built on one stack: the same nodes,
    // numbers, positions and leaf order.
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
        ASSERT_EQ(split.Nodes().size(), oneStack.Nodes().size());
        for (std::size_t a = 0; a < split.Nodes().size(); ++a)
        {
            const KDTree::Node& s = split.Nodes()[a];
            const KDTree::Node& o = oneStack.Nodes()[a];
            ASSERT_EQ(std::tie(s.first, s.second, s.point, s.axis),
                      std::tie(o.first, o.second, o.point, o.axis))
                << a;
            ASSERT_EQ(0, std::memcmp(s.position, o.position, sizeof(s.position))) << a;
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
