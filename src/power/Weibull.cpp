#include "power/Weibull.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace skyloom::power {

namespace {

constexpr int kMaxIterations = 200;
constexpr double kShapeTolerance = 1e-10;
// The energy-conserving fit looks for its shape between these.
constexpr double kLowestShape = 0.2;
constexpr double kHighestShape = 40.0;
constexpr double kShapeScanStep = 1.02;

struct Positive {
    std::vector<double> speed;
    std::vector<double> weight;
    double totalWeight = 0;
    bool varied = false;
};

Positive positiveSpeeds(std::span<const double> speeds, std::span<const double> weights) {
    Positive p;
    const std::size_t n = std::min(speeds.size(), weights.size());
    p.speed.reserve(n);
    p.weight.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!(speeds[i] > 0) || !(weights[i] > 0) || !std::isfinite(speeds[i])) continue;
        if (!p.speed.empty() && speeds[i] != p.speed.front()) p.varied = true;
        p.speed.push_back(speeds[i]);
        p.weight.push_back(weights[i]);
        p.totalWeight += weights[i];
    }
    return p;
}

}  // namespace

double Weibull::cdf(double speed) const {
    if (speed <= 0 || scale <= 0 || shape <= 0) return 0;
    return 1 - std::exp(-std::pow(speed / scale, shape));
}

double Weibull::pdf(double speed) const {
    if (speed < 0 || scale <= 0 || shape <= 0) return 0;
    // At 0 the density is 1/scale for shape 1 and 0 above it (below it, it has no finite value).
    if (speed == 0) return shape == 1 ? 1 / scale : 0;
    const double x = speed / scale;
    return shape / scale * std::pow(x, shape - 1) * std::exp(-std::pow(x, shape));
}

double Weibull::mean() const { return shape > 0 ? scale * std::tgamma(1 + 1 / shape) : 0; }
double Weibull::meanCube() const { return shape > 0 ? scale * scale * scale * std::tgamma(1 + 3 / shape) : 0; }

std::optional<Weibull> fitWeibullMaximumLikelihood(std::span<const double> speeds, std::span<const double> weights) {
    const Positive p = positiveSpeeds(speeds, weights);
    if (!p.varied) return std::nullopt;
    // Logarithms against the largest speed keep every power at or below 1, so no
    // shape overflows; the likelihood equation does not change by the shift.
    const double top = *std::max_element(p.speed.begin(), p.speed.end());
    std::vector<double> u(p.speed.size());
    double meanU = 0;
    for (std::size_t i = 0; i < u.size(); ++i) {
        u[i] = std::log(p.speed[i] / top);
        meanU += p.weight[i] * u[i];
    }
    meanU /= p.totalWeight;

    // g(k) = sum(w e^(ku) u) / sum(w e^(ku)) - 1/k - mean(u) rises with k from
    // minus infinity to -mean(u) > 0: exactly one root.
    struct Sums { double s0, s1, s2; };
    auto sums = [&](double k) {
        Sums s{0, 0, 0};
        for (std::size_t i = 0; i < u.size(); ++i) {
            const double e = p.weight[i] * std::exp(k * u[i]);
            s.s0 += e;
            s.s1 += e * u[i];
            s.s2 += e * u[i] * u[i];
        }
        return s;
    };
    auto g = [&](double k, const Sums& s) { return s.s1 / s.s0 - 1 / k - meanU; };

    double lo = 0, hi = 1;
    while (g(hi, sums(hi)) < 0) {
        lo = hi;
        hi *= 2;
        if (hi > 1e6) return std::nullopt;
    }
    double k = lo > 0 ? (lo + hi) / 2 : hi / 2;
    for (int it = 0; it < kMaxIterations; ++it) {
        const Sums s = sums(k);
        const double value = g(k, s);
        if (value < 0) lo = k;
        else hi = k;
        const double slope = (s.s2 * s.s0 - s.s1 * s.s1) / (s.s0 * s.s0) + 1 / (k * k);
        double next = k - value / slope;
        // A Newton step that leaves the bracket is replaced by halving it.
        if (!(next > lo && next < hi)) next = (lo + hi) / 2;
        if (std::fabs(next - k) <= kShapeTolerance * k) {
            k = next;
            break;
        }
        k = next;
    }
    const Sums s = sums(k);
    Weibull w;
    w.shape = k;
    w.scale = top * std::pow(s.s0 / p.totalWeight, 1 / k);
    if (!std::isfinite(w.scale) || !std::isfinite(w.shape) || w.scale <= 0) return std::nullopt;
    return w;
}

std::optional<Weibull> fitWeibullEnergy(std::span<const double> speeds, std::span<const double> weights) {
    const Positive p = positiveSpeeds(speeds, weights);
    if (!p.varied) return std::nullopt;
    double m1 = 0, m3 = 0;
    for (std::size_t i = 0; i < p.speed.size(); ++i) {
        m1 += p.weight[i] * p.speed[i];
        m3 += p.weight[i] * p.speed[i] * p.speed[i] * p.speed[i];
    }
    m1 /= p.totalWeight;
    m3 /= p.totalWeight;
    double above = 0;
    for (std::size_t i = 0; i < p.speed.size(); ++i)
        if (p.speed[i] > m1) above += p.weight[i];
    const double share = above / p.totalWeight;
    if (!(share > 0 && share < 1)) return std::nullopt;

    // With c = mean / (-ln share)^(1/k) the share above the mean holds for every k;
    // the mean cube then asks F(k) = lnG(1+3/k) - (3/k) ln(-ln share) - ln(m3/mean^3) = 0.
    // F is large for small shapes and falls to a least value near shape 10 before
    // rising again: the root below that least value is the wind's.
    const double lnL = std::log(-std::log(share));
    const double target = std::log(m3 / (m1 * m1 * m1));
    auto F = [&](double k) { return std::lgamma(1 + 3 / k) - 3 / k * lnL - target; };

    double previous = kLowestShape;
    if (F(previous) <= 0) return std::nullopt;
    double k = previous;
    bool found = false;
    while (k < kHighestShape) {
        k *= kShapeScanStep;
        if (F(k) <= 0) {
            found = true;
            break;
        }
        previous = k;
    }
    if (!found) return std::nullopt;
    double lo = previous, hi = k;
    for (int it = 0; it < kMaxIterations && hi - lo > kShapeTolerance * lo; ++it) {
        const double mid = (lo + hi) / 2;
        if (F(mid) > 0) lo = mid;
        else hi = mid;
    }
    Weibull w;
    w.shape = (lo + hi) / 2;
    w.scale = m1 / std::pow(-std::log(share), 1 / w.shape);
    if (!std::isfinite(w.scale) || w.scale <= 0) return std::nullopt;
    return w;
}

}  // namespace skyloom::power
