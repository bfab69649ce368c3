#pragma once

#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

/// Component-wise comparison within 1e-9 (matrix products round).
#define EXPECT_POINT_NEAR(a, b)                                                                                    \
    do                                                                                                             \
    {                                                                                                              \
        const MPoint pa_ = (a);                                                                                    \
        const MPoint pb_ = (b);                                                                                    \
        EXPECT_NEAR(pa_.x, pb_.x, 1e-9);                                                                           \
        EXPECT_NEAR(pa_.y, pb_.y, 1e-9);                                                                           \
        EXPECT_NEAR(pa_.z, pb_.z, 1e-9);                                                                           \
    } while (false)

#define EXPECT_VECTOR_NEAR(a, b) EXPECT_POINT_NEAR(MPoint(a), MPoint(b))
