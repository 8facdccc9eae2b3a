#include "power/Weibull.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace skyloom::power;

namespace {

const std::vector<double> kSpeeds{3.1, 4.7, 5.2, 6.8, 7.0, 7.9, 8.4, 9.6, 11.2, 12.5, 14.9, 0.0, 6.1, 5.5};
const std::vector<double> kWeights{12, 12, 6, 12, 3, 12, 12, 9, 12, 12, 6, 12, 12, 12};

double logLikelihood(const Weibull& w, const std::vector<double>& v, const std::vector<double>& weights) {
    double sum = 0;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] > 0) sum += weights[i] * std::log(w.pdf(v[i]));
    return sum;
}

}  // namespace

TEST(Weibull, maximumLikelihoodIsTheLikeliestAndHonoursTheWeights) {
    const auto fit = fitWeibullMaximumLikelihood(kSpeeds, kWeights);
    ASSERT_TRUE(fit);
    const double best = logLikelihood(*fit, kSpeeds, kWeights);
    for (double ds : {-0.01, 0.01})
        for (double dk : {-0.01, 0.0, 0.01}) {
            const Weibull other{fit->scale * (1 + ds), fit->shape * (1 + dk)};
            EXPECT_LT(logLikelihood(other, kSpeeds, kWeights), best) << ds << " " << dk;
        }
    // Twice the weight is the same as the speed twice over; the calm takes no part.
    std::vector<double> doubled = kSpeeds, ones(kSpeeds.size() + 1, 1.0);
    doubled.push_back(kSpeeds[0]);
    std::vector<double> w(kSpeeds.size(), 1.0);
    w[0] = 2;
    const auto a = fitWeibullMaximumLikelihood(doubled, ones);
    const auto b = fitWeibullMaximumLikelihood(kSpeeds, w);
    EXPECT_NEAR(a->scale, b->scale, 1e-9);
    EXPECT_NEAR(a->shape, b->shape, 1e-9);
}

TEST(Weibull, energyFitKeepsTheMeanCubeAndTheShareAboveTheMean) {
    const auto fit = fitWeibullEnergy(kSpeeds, kWeights);
    ASSERT_TRUE(fit);
    double total = 0, m1 = 0, m3 = 0;
    for (std::size_t i = 0; i < kSpeeds.size(); ++i)
        if (kSpeeds[i] > 0) {
            total += kWeights[i];
            m1 += kWeights[i] * kSpeeds[i];
            m3 += kWeights[i] * std::pow(kSpeeds[i], 3);
        }
    m1 /= total;
    m3 /= total;
    double above = 0;
    for (std::size_t i = 0; i < kSpeeds.size(); ++i)
        if (kSpeeds[i] > m1) above += kWeights[i];
    EXPECT_NEAR(fit->meanCube(), m3, 1e-6 * m3);
    EXPECT_NEAR(1 - fit->cdf(m1), above / total, 1e-9);
    EXPECT_GT(fit->shape, 1);
    EXPECT_LT(fit->shape, 5);
}

TEST(Weibull, nothingIsFittedToOneSpeedOrToCalms) {
    EXPECT_FALSE(fitWeibullMaximumLikelihood(std::vector<double>{5, 5, 5}, std::vector<double>{1, 1, 1}));
    EXPECT_FALSE(fitWeibullEnergy(std::vector<double>{5, 5, 0}, std::vector<double>{1, 1, 1}));
    EXPECT_FALSE(fitWeibullMaximumLikelihood(std::vector<double>{0, 0}, std::vector<double>{1, 1}));
    EXPECT_FALSE(fitWeibullMaximumLikelihood(std::vector<double>{}, std::vector<double>{}));
    const Weibull w{8, 2};
    EXPECT_NEAR(w.mean(), 8 * std::tgamma(1.5), 1e-12);
    EXPECT_NEAR(w.shareBetween(0, 8), 1 - std::exp(-1.0), 1e-12);
    EXPECT_EQ(w.pdf(0), 0);
}
