// Wedge plans: the product of the variations and seeds, the names of the
// wedges, what the command line refuses, and the plan file.
#include "SlurmJob.h"
#include "WedgePlan.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
WedgePlan Plan(std::vector<std::string> vary, const std::string& seeds = std::string())
{
    WedgePlan plan;
    plan.scene = "/scenes/demo.mel";
    for (const std::string& text : vary)
    {
        WedgeVariation variation;
        EXPECT_EQ(ParseVariation(text, variation), "") << text;
        plan.variations.push_back(variation);
    }
    if (!seeds.empty())
    {
        EXPECT_EQ(ParseSeeds(seeds, plan.seeds), "") << seeds;
    }
    return plan;
}
} // namespace

TEST(WedgePlanTest, TheProductInNestedLoopOrderWithNamesOfItsValues)
{
    const WedgePlan plan = Plan({"swarm.maximumSpeed=10,20,30", "swarm.boidSeparation=1,2"}, "3:4");
    ASSERT_EQ(plan.Count(), 12u);
    // Seeds change fastest, then the last variation, as loops written in order.
    const Wedge w7 = plan.At(7);
    EXPECT_EQ(w7.name, "w007_maximumSpeed-20_boidSeparation-2_seed-4");
    EXPECT_EQ(w7.values, (std::vector<std::string>{"20", "2"}));
    EXPECT_EQ(w7.settings, (std::vector<std::string>{"swarm.maximumSpeed=20", "swarm.boidSeparation=2"}));
    EXPECT_EQ(w7.seed, 4u);
    EXPECT_EQ(plan.At(0).name, "w000_maximumSpeed-10_boidSeparation-1_seed-3");
    EXPECT_EQ(plan.At(11).name, "w011_maximumSpeed-30_boidSeparation-2_seed-4");
    std::set<std::string> names;
    for (std::size_t i = 0; i < plan.Count(); ++i)
        names.insert(plan.At(i).name);
    EXPECT_EQ(names.size(), 12u);

    // Without seeds the scene keeps its own; a vector's spaces and a shared
    // attribute name are made plain for a folder name.
    const WedgePlan vectors = Plan({"goal.translate=0 0 0,60 20 -30", "other.translate=1/2"});
    ASSERT_EQ(vectors.Count(), 2u);
    EXPECT_EQ(vectors.At(1).name, "w001_goal.translate-60_20_-30_other.translate-1_2");
    EXPECT_FALSE(vectors.At(1).seed.has_value());

    // A thousand wedges or more take more digits.
    const WedgePlan many = Plan({}, "0:1000");
    EXPECT_EQ(many.At(5).name, "w0005_seed-5");
}

TEST(WedgePlanTest, BadVariationsSeedsAndSizesAreRefused)
{
    WedgeVariation variation;
    EXPECT_EQ(ParseVariation("maximumSpeed=1,2", variation), "expected NODE.ATTR=V1,V2,..., got \"maximumSpeed=1,2\"");
    EXPECT_EQ(ParseVariation("swarm.maximumSpeed", variation),
              "expected NODE.ATTR=V1,V2,..., got \"swarm.maximumSpeed\"");
    EXPECT_EQ(ParseVariation("swarm.maximumSpeed=", variation), "an empty value in \"swarm.maximumSpeed=\"");
    EXPECT_EQ(ParseVariation("swarm.maximumSpeed=1,,2", variation), "an empty value in \"swarm.maximumSpeed=1,,2\"");

    std::vector<unsigned> seeds;
    EXPECT_EQ(ParseSeeds("5", seeds), "");
    EXPECT_EQ(seeds, std::vector<unsigned>{5});
    EXPECT_EQ(ParseSeeds("4294967294:4294967295", seeds), "");
    EXPECT_EQ(seeds.size(), 2u);
    EXPECT_EQ(ParseSeeds("3:1", seeds), "the last seed comes before the first in \"3:1\"");
    EXPECT_NE(ParseSeeds("-1:2", seeds), "");
    EXPECT_NE(ParseSeeds("1:x", seeds), "");

    EXPECT_EQ(CheckPlan(Plan({"a.b=1,2", "a.b=3"}), 100), "--vary a.b is given twice; list all its values in one --vary");
    EXPECT_EQ(CheckPlan(Plan({"a.b=1,2,1"}), 100), "--vary a.b lists a value twice");
    // 10 x 10 x 10 x 11 seeds is 11,000.
    const WedgePlan big = Plan({"a.b=0,1,2,3,4,5,6,7,8,9", "a.c=0,1,2,3,4,5,6,7,8,9", "a.d=0,1,2,3,4,5,6,7,8,9"},
                               "0:10");
    EXPECT_EQ(CheckPlan(big, 10000),
              "the wedge has more than 10000 variants; narrow it, or allow more with --max-wedges");
    EXPECT_EQ(CheckPlan(big, 11000), "");
}

TEST(WedgePlanTest, ThePlanFileReadsBackAsWritten)
{
    WedgePlan plan = Plan({"swarm.maximumSpeed=10,20", "goal.translate=0 0 0,1 2 3"}, "1:2");
    plan.frameRange = true;
    plan.startFrame = 1;
    plan.endFrame = 48;
    plan.cacheFormat = "ply";
    plan.playblast = true;
    WedgePlan read;
    ASSERT_EQ(WedgePlan::FromJson(plan.ToJson(), read), "");
    EXPECT_TRUE(read == plan);
    EXPECT_EQ(read.At(3).name, plan.At(3).name);

    EXPECT_EQ(WedgePlan::FromJson("[1, 2]", read), "not a wedge plan (JSON object expected)");
    EXPECT_NE(WedgePlan::FromJson("{\"scene\": 3}", read).find("not a wedge plan:"), std::string::npos);
    EXPECT_TRUE(read == plan) << "a bad file changes nothing";
}

TEST(WedgePlanTest, TheSlurmJobArrayNamesItsTasksAndRunsEachAsAWedgeTask)
{
    EXPECT_EQ(ArrayTaskIds({0, 1, 2, 3, 5, 7, 8, 9}), "0-3,5,7-9");
    EXPECT_EQ(ArrayTaskIds({4}), "4");
    const WedgePlan plan = Plan({"swarm.maximumSpeed=10,20"}, "1:2");
    SlurmOptions options;
    options.partition = "farm";
    options.cpus = 4;
    const std::string script = SbatchScript("/opt/volarix", "/jobs/it's here", plan, {1, 2, 3}, options);
    EXPECT_NE(script.find("#SBATCH --array=1-3\n"), std::string::npos) << script;
    EXPECT_NE(script.find("#SBATCH --partition=farm\n"), std::string::npos) << script;
    EXPECT_EQ(script.find("--output"), std::string::npos) << "a log path with a space is no directive";
    EXPECT_EQ(script.find("--time"), std::string::npos) << "no limit unless asked";
    EXPECT_NE(script.find("exec '/opt/volarix' wedge --task '/jobs/it'\\''s here' \"$SLURM_ARRAY_TASK_ID\" "
                          "--threads 4\n"),
              std::string::npos)
        << script;
}
