#include "power/CurveReduction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "power/LibraryGenerators.h"

namespace skyloom::power {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Speeds are searched in the record's stored steps: hundredths of a knot.
constexpr double kStep = 0.01;
// A point within this share of the top power lies on the plateau.
constexpr double kPlateauBand = 0.005;
// Weight of keeping each point near the curve against matching the energies, in
// the least-squares choice of the powers.
constexpr double kStayOnCurve = 1e-2;
// Departures from the curve are measured against the curve's power there plus
// this share of the top power, so that the low part of a curve counts as much as
// its top.
constexpr double kDepartureFloor = 0.05;
// Neighbouring points stay this many steps apart (a fifth of a metre per second),
// except the first point after cut-in, which may stand right after it for a curve
// that starts with a step.
constexpr long kMinSpacing = 40;
// The cut-in may move this many steps from where the curve starts to give power.
constexpr long kCutInRange = 50;

double knotsOf(long hundredths) { return static_cast<double>(hundredths) / 100.0; }
long hundredthsOf(double knots) { return std::lround(knots * 100.0); }

// What the search works on: the full curve, its energies and the wind weighting.
class Reducer {
public:
    Reducer(const FullPowerCurve& full, double plateau) : full_(full), plateau_(plateau) {
        for (double ms : reductionMeansMs()) {
            const double m = ms * kKnotsPerMetrePerSecond;
            means_.push_back(m);
            fullEnergy_.push_back(rayleighMeanPower(full, m));
        }
        cutOut_ = hundredthsOf(full.cutOut);
        // The wind weighting, the mean of the Rayleigh densities, tabulated every step.
        weight_.assign(static_cast<std::size_t>(cutOut_ + 2), 0.0);
        for (std::size_t i = 0; i < weight_.size(); ++i) {
            const double v = knotsOf(static_cast<long>(i));
            double w = 0;
            for (double m : means_) {
                const double s = std::numbers::pi / (4 * m * m);
                w += 2 * s * v * std::exp(-s * v * v);
            }
            weight_[i] = w / static_cast<double>(means_.size());
        }
        for (const CurvePoint& p : full.points) breaks_.push_back(p.speed);
        windWeight_ = integrate(0, full.cutOut, [](double) { return 1.0; });
    }

    ReducedCurve run();

private:
    struct Candidate {
        std::vector<long> speeds;   // hundredths: cut-in, then the points
        std::vector<double> kw;     // per point (index 0 unused)
        double score = kInf;
    };
    std::size_t kneeIndex(const Candidate& c) const {
        const auto it = std::find(c.speeds.begin() + 1, c.speeds.end(), knee_);
        return static_cast<std::size_t>(it - c.speeds.begin());
    }

    double curve(double v) const {
        const double p = fullCurvePower(full_, v);
        return p > 0 ? p : 0.0;
    }
    double weight(double v) const {
        const double x = v * 100.0;
        const auto i = static_cast<std::size_t>(std::clamp(x, 0.0, static_cast<double>(weight_.size() - 2)));
        const double f = x - static_cast<double>(i);
        return weight_[i] + (weight_[i + 1] - weight_[i]) * std::clamp(f, 0.0, 1.0);
    }
    // Integral of g times the wind weighting over [a, b], split where the full
    // curve (and, when given, a second curve) bends and taken by Simpson's rule on
    // each piece.
    template <class G>
    double integrate(double a, double b, G g, const std::vector<double>* more = nullptr) const {
        if (b <= a) return 0;
        std::vector<double> cuts{a, b};
        for (const auto* list : {&breaks_, more})
            if (list)
                for (double x : *list)
                    if (x > a && x < b) cuts.push_back(x);
        std::sort(cuts.begin(), cuts.end());
        double total = 0;
        for (std::size_t i = 1; i < cuts.size(); ++i) {
            const double from = cuts[i - 1], to = cuts[i];
            if (to <= from) continue;
            constexpr int n = 4;
            const double h = (to - from) / n;
            double sum = 0;
            for (int k = 0; k <= n; ++k) {
                const double v = from + k * h;
                const double c = (k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2);
                sum += c * g(v) * weight(v);
            }
            total += sum * h / 3;
        }
        return total;
    }
    double chordCost(double a, double fa, double b) const {
        const double fb = curve(b);
        return integrate(a, b, [&](double v) {
            const double d = fa + (fb - fa) * (v - a) / (b - a) - curve(v);
            return d * d;
        });
    }
    double tailCost(double b) const {
        const double fb = curve(b);
        return integrate(b, full_.cutOut, [&](double v) {
            const double d = fb - curve(v);
            return d * d;
        });
    }

    std::vector<long> placePoints() const;
    void solvePowers(Candidate& c) const;
    void project(Candidate& c) const;
    bool shapeHolds(const Candidate& c) const;
    double score(const Candidate& c) const;
    void polishRounded(Candidate& c) const;
    FullPowerCurve asCurve(const Candidate& c) const {
        FullPowerCurve r;
        r.cutOut = full_.cutOut;
        r.points.push_back({knotsOf(c.speeds[0]), 0});
        for (std::size_t j = 1; j < c.speeds.size(); ++j) r.points.push_back({knotsOf(c.speeds[j]), c.kw[j]});
        return r;
    }
    bool onPlateau(long speed) const { return curve(knotsOf(speed)) >= plateau_ * (1 - kPlateauBand); }
    std::vector<double> errors(const Candidate& c) const {
        const FullPowerCurve r = asCurve(c);
        std::vector<double> e;
        for (std::size_t u = 0; u < means_.size(); ++u) e.push_back(rayleighMeanPower(r, means_[u]) / fullEnergy_[u] - 1);
        return e;
    }

    const FullPowerCurve& full_;
    double plateau_;
    long cutOut_ = 0;
    long knee_ = 0;
    std::vector<double> means_, fullEnergy_, weight_, breaks_;
    double windWeight_ = 0;
};

// Where the points go: among the full curve's own speeds, the choice whose
// straight lines (and the held top after the last) follow the curve best under
// the wind weighting, found by dynamic programming. The point where the curve
// first reaches its plateau is always one of them.
std::vector<long> Reducer::placePoints() const {
    const auto& fp = full_.points;
    const bool step = fp.size() > 1 && fp[1].speed <= fp[0].speed && fp[1].kw > 0;
    const long cutIn = step ? static_cast<long>(std::floor(fp[0].speed * 100.0 + 1e-9)) : hundredthsOf(fp[0].speed);
    std::vector<long> cand;
    if (step) cand.push_back(cutIn + 1);
    for (const CurvePoint& p : fp) cand.push_back(hundredthsOf(p.speed));
    cand.push_back(knee_);
    std::sort(cand.begin(), cand.end());
    cand.erase(std::unique(cand.begin(), cand.end()), cand.end());
    cand.erase(std::remove_if(cand.begin(), cand.end(), [&](long s) { return s <= cutIn || s >= cutOut_; }), cand.end());

    const std::size_t m = cand.size();
    if (m == 0) throw std::runtime_error("the curve leaves no room for points between cut-in and cut-out");
    const std::size_t n = std::min<std::size_t>(kCurvePoints, m);
    const auto kneeAt = static_cast<std::size_t>(std::find(cand.begin(), cand.end(), knee_) - cand.begin());
    const double c0 = knotsOf(cutIn);
    std::vector<double> head(m), tail(m);
    std::vector<std::vector<double>> cost(m, std::vector<double>(m, kInf));
    for (std::size_t j = 0; j < m; ++j) {
        head[j] = j > kneeAt ? kInf : chordCost(c0, 0.0, knotsOf(cand[j]));
        tail[j] = j < kneeAt ? kInf : tailCost(knotsOf(cand[j]));
        for (std::size_t i = 0; i < j; ++i) {
            if (i < kneeAt && j > kneeAt) continue;   // no segment passes over the knee
            if (cand[j] - cand[i] < kMinSpacing) continue;
            const double a = knotsOf(cand[i]);
            cost[i][j] = chordCost(a, curve(a), knotsOf(cand[j]));
        }
    }
    // best[k][j]: least cost of k+1 points ending with candidate j.
    std::vector<std::vector<double>> best(n, std::vector<double>(m, kInf));
    std::vector<std::vector<std::size_t>> from(n, std::vector<std::size_t>(m, 0));
    best[0] = head;
    for (std::size_t k = 1; k < n; ++k)
        for (std::size_t j = k; j < m; ++j)
            for (std::size_t i = k - 1; i < j; ++i) {
                const double v = best[k - 1][i] + cost[i][j];
                if (v < best[k][j]) {
                    best[k][j] = v;
                    from[k][j] = i;
                }
            }
    std::size_t last = 0;
    double least = kInf;
    for (std::size_t j = 0; j < m; ++j)
        if (best[n - 1][j] + tail[j] < least) {
            least = best[n - 1][j] + tail[j];
            last = j;
        }
    if (least == kInf) throw std::runtime_error("no choice of points reaches the plateau");
    std::vector<long> speeds(n + 1);
    speeds[0] = cutIn;
    for (std::size_t k = n; k >= 1; --k) {
        speeds[k] = cand[last];
        if (k > 1) last = from[k - 1][last];
    }
    return speeds;
}

// Powers for given speeds: least squares on the relative energy errors at every
// mean plus a pull towards the curve's own value at each point, relative to that
// value; points on the plateau hold the plateau power, and no point leaves
// (0, plateau].
void Reducer::solvePowers(Candidate& c) const {
    const std::size_t n = c.speeds.size() - 1;
    const std::size_t U = means_.size();
    // a[j][u]: energy of the j-th hat function at mean u, relative to the full curve's.
    std::vector<std::vector<double>> a(n + 1, std::vector<double>(U, 0.0));
    for (std::size_t j = 1; j <= n; ++j) {
        FullPowerCurve hat;
        hat.cutOut = full_.cutOut;
        hat.points.push_back({knotsOf(c.speeds[j - 1]), 0});
        hat.points.push_back({knotsOf(c.speeds[j]), 1});
        if (j < n) hat.points.push_back({knotsOf(c.speeds[j + 1]), 0});
        for (std::size_t u = 0; u < U; ++u) a[j][u] = rayleighMeanPower(hat, means_[u]) / fullEnergy_[u];
    }
    std::vector<double> pull(n + 1, 0.0);
    for (std::size_t j = 1; j <= n; ++j) {
        const double scale = curve(knotsOf(c.speeds[j])) + kDepartureFloor * plateau_;
        pull[j] = kStayOnCurve / (scale * scale);
    }
    const double least = 0.01;
    std::vector<int> fixedAt(n + 1, 0);   // 0 free, 1 held
    c.kw.assign(n + 1, 0.0);
    for (std::size_t j = 1; j <= n; ++j)
        if (c.speeds[j] == knee_ || (c.speeds[j] > knee_ && onPlateau(c.speeds[j]))) {
            fixedAt[j] = 1;
            c.kw[j] = plateau_;
        }
    for (std::size_t round = 0; round <= n; ++round) {
        std::vector<std::size_t> freeIdx;
        for (std::size_t j = 1; j <= n; ++j)
            if (!fixedAt[j]) freeIdx.push_back(j);
        const std::size_t f = freeIdx.size();
        if (f == 0) break;
        std::vector<std::vector<double>> M(f, std::vector<double>(f + 1, 0.0));
        for (std::size_t p = 0; p < f; ++p) {
            const std::size_t j = freeIdx[p];
            double rhs = pull[j] * curve(knotsOf(c.speeds[j]));
            for (std::size_t u = 0; u < U; ++u) {
                double known = 1;
                for (std::size_t k = 1; k <= n; ++k)
                    if (fixedAt[k]) known -= a[k][u] * c.kw[k];
                rhs += a[j][u] * known;
            }
            for (std::size_t q = 0; q < f; ++q) {
                double s = 0;
                for (std::size_t u = 0; u < U; ++u) s += a[j][u] * a[freeIdx[q]][u];
                M[p][q] = s + (p == q ? pull[j] : 0.0);
            }
            M[p][f] = rhs;
        }
        for (std::size_t col = 0; col < f; ++col) {
            std::size_t piv = col;
            for (std::size_t r = col + 1; r < f; ++r)
                if (std::fabs(M[r][col]) > std::fabs(M[piv][col])) piv = r;
            std::swap(M[col], M[piv]);
            for (std::size_t r = 0; r < f; ++r) {
                if (r == col || M[col][col] == 0) continue;
                const double k = M[r][col] / M[col][col];
                for (std::size_t q = col; q <= f; ++q) M[r][q] -= k * M[col][q];
            }
        }
        bool clamped = false;
        for (std::size_t p = 0; p < f; ++p) {
            const std::size_t j = freeIdx[p];
            const double y = M[p][p] != 0 ? M[p][f] / M[p][p] : curve(knotsOf(c.speeds[j]));
            c.kw[j] = y;
            if (y > plateau_ || y < least) {
                c.kw[j] = std::clamp(y, least, plateau_);
                fixedAt[j] = 1;
                clamped = true;
            }
        }
        if (!clamped) break;
    }
    project(c);
}

// Pools neighbours (pool-adjacent-violators) so that the powers rise up to the
// knee and do not rise after it, the shape of a power curve.
void Reducer::project(Candidate& c) const {
    const std::size_t k = kneeIndex(c);
    auto pool = [](std::vector<double> y) {   // least-squares non-decreasing fit
        std::vector<double> value, weight;
        for (double v : y) {
            value.push_back(v);
            weight.push_back(1);
            while (value.size() > 1 && value[value.size() - 2] > value.back()) {
                const double w = weight[weight.size() - 2] + weight.back();
                const double m = (value[value.size() - 2] * weight[weight.size() - 2] + value.back() * weight.back()) / w;
                value.pop_back();
                weight.pop_back();
                value.back() = m;
                weight.back() = w;
            }
        }
        std::vector<double> out;
        for (std::size_t i = 0; i < value.size(); ++i) out.insert(out.end(), static_cast<std::size_t>(weight[i]), value[i]);
        return out;
    };
    const std::size_t n = c.speeds.size() - 1;
    if (k > 1) {
        const auto rising = pool(std::vector<double>(c.kw.begin() + 1, c.kw.begin() + static_cast<long>(std::min(k, n + 1))));
        std::copy(rising.begin(), rising.end(), c.kw.begin() + 1);
    }
    if (k < n) {
        std::vector<double> tail(c.kw.rbegin(), c.kw.rend() - static_cast<long>(k) - 1);
        tail = pool(tail);
        std::copy(tail.rbegin(), tail.rend(), c.kw.begin() + static_cast<long>(k) + 1);
    }
}

bool Reducer::shapeHolds(const Candidate& c) const {
    const std::size_t k = kneeIndex(c);
    const std::size_t n = c.speeds.size() - 1;
    for (std::size_t j = 1; j <= n; ++j) {
        if (c.kw[j] <= 0 || c.kw[j] > plateau_) return false;
        if (j >= 2 && j <= k && c.kw[j] <= c.kw[j - 1]) return false;
        if (j > k && c.kw[j] > c.kw[j - 1]) return false;
    }
    return true;
}

// The search's measure of a candidate: its largest energy error plus how far it
// strays from the curve, relative to the curve's power there, in the root mean
// square under the wind weighting.
double Reducer::score(const Candidate& c) const {
    if (!shapeHolds(c)) return kInf;
    double worst = 0;
    for (double e : errors(c)) worst = std::max(worst, std::fabs(e));
    const FullPowerCurve r = asCurve(c);
    std::vector<double> bends;
    for (const CurvePoint& p : r.points) bends.push_back(p.speed);
    const double from = std::min(r.points.front().speed, full_.points.front().speed);
    const double misfit = integrate(from, full_.cutOut, [&](double v) {
        const double p = fullCurvePower(r, v);
        const double f = curve(v);
        const double d = ((p > 0 ? p : 0.0) - f) / (f + kDepartureFloor * plateau_);
        return d * d;
    }, &bends);
    return worst + std::sqrt(misfit / windWeight_);
}

// After rounding to the stored steps, nudges single powers by one step while
// that lowers the largest energy error.
void Reducer::polishRounded(Candidate& c) const {
    const std::size_t n = c.speeds.size() - 1;
    auto worstOf = [&](const Candidate& x) {
        double w = 0;
        for (double e : errors(x)) w = std::max(w, std::fabs(e));
        return w;
    };
    double current = worstOf(c);
    for (int pass = 0; pass < 200; ++pass) {
        bool better = false;
        for (std::size_t j = 1; j <= n; ++j) {
            if (c.kw[j] == plateau_) continue;
            for (double dir : {1.0, -1.0}) {
                Candidate t = c;
                const double unit = t.kw[j] >= 100 ? 1.0 : 0.01;
                t.kw[j] = roundKW(t.kw[j] + dir * unit);
                if (t.kw[j] <= 0 || t.kw[j] >= plateau_ || !shapeHolds(t)) continue;
                const double w = worstOf(t);
                if (w < current) {
                    c = t;
                    current = w;
                    better = true;
                }
            }
        }
        if (!better) break;
    }
}

ReducedCurve Reducer::run() {
    // The knee: the first published point on the plateau, taken at the next stored
    // step so that the point lies on the plateau side.
    knee_ = cutOut_ - 1;
    for (const CurvePoint& p : full_.points)
        if (p.kw >= plateau_ * (1 - kPlateauBand)) {
            knee_ = std::min(cutOut_ - 1, static_cast<long>(std::ceil(p.speed * 100.0 - 1e-9)));
            break;
        }

    Candidate best;
    best.speeds = placePoints();
    solvePowers(best);
    best.score = score(best);

    // Move single speeds (the knee stays) in shrinking steps while the score
    // improves, keeping the points apart and the cut-in near where power starts.
    const std::size_t n = best.speeds.size() - 1;
    const long startsAt = best.speeds[0];
    auto gap = [](std::size_t i) { return i == 1 ? 1L : kMinSpacing; };
    for (long stepSize : {64L, 32L, 16L, 8L, 4L, 2L, 1L}) {
        for (int sweep = 0; sweep < 4; ++sweep) {
            bool moved = false;
            for (std::size_t i = 0; i <= n; ++i) {
                if (i > 0 && best.speeds[i] == knee_) continue;
                for (long dir : {stepSize, -stepSize}) {
                    Candidate t;
                    t.speeds = best.speeds;
                    t.speeds[i] += dir;
                    const long low = i == 0 ? std::max(1L, startsAt - kCutInRange) : t.speeds[i - 1] + gap(i);
                    const long high = i == 0 ? std::min(t.speeds[1] - 1, startsAt + kCutInRange)
                                      : i == n ? cutOut_ - 1
                                               : t.speeds[i + 1] - gap(i + 1);
                    if (t.speeds[i] < low || t.speeds[i] > high) continue;
                    solvePowers(t);
                    t.score = score(t);
                    if (t.score < best.score) {
                        best = t;
                        moved = true;
                    }
                }
            }
            if (!moved) break;
        }
    }

    // To the stored steps; a rising stretch stays strictly rising.
    const std::size_t k = kneeIndex(best);
    for (std::size_t j = 1; j <= n; ++j) best.kw[j] = std::max(roundKW(best.kw[j]), 0.01);
    for (std::size_t j = std::min(k, n + 1) - 1; j >= 1; --j) {
        const double above = best.kw[j + 1];
        if (j + 1 <= n && best.kw[j] >= above) best.kw[j] = roundKW(above - (above > 100 ? 1.0 : 0.01));
    }
    if (!shapeHolds(best)) throw std::runtime_error("the reduced curve does not keep the shape of a power curve");
    polishRounded(best);

    ReducedCurve out;
    out.cutIn = knotsOf(best.speeds[0]);
    for (std::size_t j = 1; j <= n; ++j) out.points[j - 1] = {knotsOf(best.speeds[j]), best.kw[j]};
    out.largestError = largestEnergyError(asCurve(best), full_);
    return out;
}

}  // namespace

const std::vector<double>& reductionMeansMs() {
    static const std::vector<double> means = [] {
        std::vector<double> m;
        for (int i = 0; i <= 24; ++i) m.push_back(4.0 + 0.25 * i);
        return m;
    }();
    return means;
}

std::vector<double> energyErrors(const FullPowerCurve& curve, const FullPowerCurve& full) {
    std::vector<double> out;
    for (double ms : reductionMeansMs()) {
        const double m = ms * kKnotsPerMetrePerSecond;
        out.push_back(rayleighMeanPower(curve, m) / rayleighMeanPower(full, m) - 1);
    }
    return out;
}

double largestEnergyError(const FullPowerCurve& curve, const FullPowerCurve& full) {
    double worst = 0;
    for (double e : energyErrors(curve, full)) worst = std::max(worst, std::fabs(e));
    return worst;
}

FullPowerCurve ReducedCurve::asCurve(double cutOut) const {
    FullPowerCurve c;
    c.cutOut = cutOut;
    c.points.push_back({cutIn, 0});
    for (const CurvePoint& p : points)
        if (p.speed > 0) c.points.push_back(p);
    return c;
}

ReducedCurve reduceFullCurve(const FullPowerCurve& full, double plateauKW) {
    return Reducer(full, plateauKW).run();
}

}  // namespace skyloom::power
