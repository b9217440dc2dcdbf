#include "calc/numerics/StudentT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

using ExtLib::InverseStudentTDistribution;
using ExtLib::StudentTDistribution;

namespace
{

constexpr double kQuantileAccuracy = 1e-9;

} // namespace

TEST(InverseStudentT, MatchesReferenceQuantilesAtNinetySevenAndAHalfPercent)
{
    // Reference values computed independently with 30-digit arithmetic.
    const struct
    {
        int dof;
        double t;
    } reference[] = {
        {1, 12.706204736174693}, {2, 4.3026527297494618}, {3, 3.1824463052837084}, {5, 2.5705818356363148},
        {8, 2.3060041352041661}, {10, 2.2281388519862742}, {30, 2.0422724563012379}, {120, 1.9799304050824405},
        {1000, 1.9623390808264081}, {10000, 1.9602012398906259},
    };
    for (const auto& r : reference)
        EXPECT_NEAR(InverseStudentTDistribution(r.dof, 0.975), r.t, kQuantileAccuracy) << r.dof;
}

TEST(InverseStudentT, MatchesTheClosedFormsOfOneAndTwoDegreesOfFreedom)
{
    for (double p : {0.001, 0.05, 0.3, 0.6, 0.9, 0.995, 0.99999})
    {
        EXPECT_NEAR(InverseStudentTDistribution(1, p), std::tan(std::numbers::pi * (p - 0.5)),
            kQuantileAccuracy * std::max(1.0, std::fabs(std::tan(std::numbers::pi * (p - 0.5)))))
            << p;
        EXPECT_NEAR(InverseStudentTDistribution(2, p), (2 * p - 1) / std::sqrt(2 * p * (1 - p)), kQuantileAccuracy)
            << p;
    }
}

TEST(InverseStudentT, IsTheInverseOfTheDistribution)
{
    for (int dof : {1, 4, 7, 25, 300, 4000})
        for (double p : {0.0001, 0.025, 0.4, 0.5, 0.77, 0.975, 0.9999})
        {
            const double t = InverseStudentTDistribution(dof, p);
            EXPECT_NEAR(StudentTDistribution(dof, t), p, 1e-13) << dof << " " << p;
            EXPECT_NEAR(InverseStudentTDistribution(dof, 1 - p), -t, 1e-9 * std::max(1.0, std::fabs(t)));
        }
}

TEST(InverseStudentT, RefusesArgumentsOutsideItsDomain)
{
    EXPECT_THROW(InverseStudentTDistribution(0, 0.9), std::domain_error);
    EXPECT_THROW(InverseStudentTDistribution(5, 0.0), std::domain_error);
    EXPECT_THROW(InverseStudentTDistribution(5, 1.0), std::domain_error);
    EXPECT_THROW(InverseStudentTDistribution(5, NAN), std::domain_error);
    EXPECT_THROW(StudentTDistribution(-1, 1.0), std::domain_error);
}
