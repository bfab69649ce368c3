// The contact sheet's grid and labels.
#include "ContactSheet.h"

#include <gtest/gtest.h>

TEST(ContactSheetTest, AGridAboutAsWideAsTallWithLabelsOfTheValues)
{
    // 12 wedges: 4 columns of 320 x 180 pictures, 3 rows; gaps of 6 pixels,
    // two label lines of 15 and a header line.
    const ContactSheetLayout twelve = LayOutContactSheet(12);
    EXPECT_EQ(twelve.columns, 4u);
    EXPECT_EQ(twelve.rows, 3u);
    EXPECT_EQ(twelve.width, 4 * (320 + 6) + 6);
    EXPECT_EQ(twelve.height, 27 + 3 * (180 + 36 + 6));
    EXPECT_EQ(LayOutContactSheet(1).columns, 1u);
    EXPECT_EQ(LayOutContactSheet(17).columns, 5u);
    EXPECT_EQ(LayOutContactSheet(17).rows, 4u);
    // A row per setting when the innermost dimension (here 2 seeds) is short.
    EXPECT_EQ(LayOutContactSheet(6, 2).columns, 2u);
    EXPECT_EQ(LayOutContactSheet(6, 2).rows, 3u);
    EXPECT_EQ(LayOutContactSheet(60, 20).columns, 8u) << "too long a row: the square grid";
    // Many wedges: smaller cells, and no more than 400 of them.
    const ContactSheetLayout many = LayOutContactSheet(10000);
    EXPECT_EQ(many.cells, 400u);
    EXPECT_EQ(many.columns, 20u);
    EXPECT_EQ(many.cellWidth, 160);

    WedgePlan plan;
    plan.variations = {{"swarm.maximumSpeed", {"10", "20"}}, {"goal.translate", {"0 0 0", "1 2 3"}}};
    plan.seeds = {3, 4};
    EXPECT_EQ(ContactLabel(plan, plan.At(7)),
              (std::vector<std::string>{"w007  seed 4", "maximumSpeed 20  translate 1 2 3"}));
    plan.seeds.clear();
    plan.variations.push_back({"other.translate", {"5"}});
    EXPECT_EQ(ContactLabel(plan, plan.At(0)),
              (std::vector<std::string>{"w000", "maximumSpeed 10  goal.translate 0 0 0  other.translate 5"}));
}
