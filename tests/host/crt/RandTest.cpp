#include <vxhost/CRandom.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>

TEST(Rand, SequenceMatchesClassicLcg)
{
    vxhost::SeedRandom(1);
    EXPECT_EQ(std::rand(), 41);
    EXPECT_EQ(std::rand(), 18467);
    EXPECT_EQ(std::rand(), 6334);
    // state after three steps from 1, by hand: 1 -> 2745024 -> 3357800067 -> 415139642
    EXPECT_EQ(vxhost::RandomState(), 415139642u);

    // srand restarts the sequence; values stay within 15 bits.
    std::srand(1);
    EXPECT_EQ(vxhost::RandomState(), 1u);
    EXPECT_EQ(std::rand(), 41);
    for (int i = 0; i < 10000; ++i)
    {
        const int v = std::rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, vxhost::kRandMax);
    }
}

TEST(Rand, ProgramCallsReachTheHostDefinition)
{
    // glibc's rand() after srand(1) starts 1804289383; the host's gives 41.
    std::srand(1);
    EXPECT_EQ(std::rand(), 41);

    // The dynamic linker must bind the process-wide symbol to libvxhost.
    Dl_info info{};
    void* symbol = dlsym(RTLD_DEFAULT, "rand");
    ASSERT_NE(symbol, nullptr);
    ASSERT_NE(dladdr(symbol, &info), 0);
    EXPECT_NE(std::string(info.dli_fname).find("libvxhost"), std::string::npos) << info.dli_fname;
}

TEST(Rand, DlopenedModuleSharesTheHostGenerator)
{
    void* module = dlopen(VX_RAND_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using Probe = int (*)();
    const auto probe = reinterpret_cast<Probe>(dlsym(module, "vx_probe_rand"));
    ASSERT_NE(probe, nullptr);

    // One sequence for the whole process: the module draws the first value,
    // the program the second.
    vxhost::SeedRandom(1);
    EXPECT_EQ(probe(), 41);
    EXPECT_EQ(std::rand(), 18467);
    EXPECT_EQ(probe(), 6334);
    dlclose(module);
}
