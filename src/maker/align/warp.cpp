// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vantrel {

namespace {

constexpr int kMinimumBandFrames = 300;  // 3 s either side
constexpr double kBandShare = 0.33;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

enum Step : std::uint8_t { Diagonal, Down, Right, Jump };

float distance(const Features &first, int i, const Features &second, int j)
{
    const float *a = first.frame(i), *b = second.frame(j);
    const float loudness = first.activity[i] - second.activity[j];
    float sum = loudness * loudness;
    for (int c = 0; c < Features::kCoefficients; ++c) {
        const float d = a[c] - b[c];
        sum += d * d;
    }
    return std::sqrt(sum);
}

struct Band {
    std::vector<int> low, high;  // per row, the columns the path may use
};

Band bandFor(int rows, int columns)
{
    const int width = std::max(kMinimumBandFrames, static_cast<int>(kBandShare * std::max(rows, columns)));
    Band band{std::vector<int>(rows), std::vector<int>(rows)};
    for (int i = 0; i < rows; ++i) {
        const int centre = rows > 1 ? static_cast<int>(static_cast<std::int64_t>(i) * (columns - 1) / (rows - 1)) : 0;
        band.low[i] = std::max(0, centre - width);
        band.high[i] = std::min(columns - 1, centre + width);
    }
    return band;
}

// Follows the steps back from the last corner to the first.
template <typename Cost>
Warp traceBack(const Features &first, const Features &second, const WarpAllowances &allowances, const Band &band,
               const std::vector<std::vector<std::uint8_t>> &steps, const Cost &cost)
{
    const int rows = first.frames, columns = second.frames;
    Warp result;
    result.firstMatch.assign(rows, columns);
    result.lastMatch.assign(rows, -1);
    result.passedOver.assign(rows, false);
    // Per column: 0 not met, 1 met only at a cap, 2 met at a true distance.
    std::vector<std::uint8_t> met(columns, 0);
    std::vector<double> sums(columns, 0.0);
    std::vector<int> counts(columns, 0);
    const bool capped = static_cast<int>(allowances.cap.size()) == rows;
    double total = 0.0;
    int length = 0;
    for (int i = rows - 1, j = columns - 1; i >= 0 && j >= band.low[i] && j <= band.high[i];) {
        result.firstMatch[i] = std::min(result.firstMatch[i], j);
        result.lastMatch[i] = std::max(result.lastMatch[i], j);
        const float here = cost(i, j);
        total += here;
        ++length;
        const float true_ = distance(first, i, second, j);
        const bool atCap = capped && true_ > allowances.cap[i];
        met[j] = std::max<std::uint8_t>(met[j], atCap ? 1 : 2);
        if (!atCap)
            sums[j] += true_, ++counts[j];
        if (i == 0 && j == 0)
            break;
        const auto step = static_cast<Step>(steps[i][j - band.low[i]]);
        if (step == Jump) {
            const int before = allowances.jumps[static_cast<std::size_t>(
                std::find_if(allowances.jumps.begin(), allowances.jumps.end(),
                             [i](const WarpAllowances::Jump &jump) { return jump.after == i; })
                - allowances.jumps.begin())].before;
            for (int k = before + 1; k < i; ++k)
                result.firstMatch[k] = result.lastMatch[k] = j, result.passedOver[k] = true;
            i = before;
            continue;
        }
        if (step != Right)
            --i;
        if (step != Down)
            --j;
    }
    result.takenIn.assign(columns, false);
    result.frameCost.assign(columns, std::numeric_limits<float>::quiet_NaN());
    for (int j = 0; j < columns; ++j) {
        result.takenIn[j] = met[j] == 1;
        if (counts[j] > 0)
            result.frameCost[j] = static_cast<float>(sums[j] / counts[j]);
    }
    result.meanCost = length > 0 ? total / length : 0.0;
    return result;
}

// Where each jump lands, and the row it leaves kept for it.
struct Jumps {
    std::vector<int> landing;                    // per row: the jump that lands there, or -1
    std::vector<std::vector<float>> keptRow;     // per jump: the costs of its `before` row
    std::vector<int> keptLow;

    Jumps(const WarpAllowances &allowances, int rows)
        : landing(rows, -1), keptRow(allowances.jumps.size()), keptLow(allowances.jumps.size(), 0)
    {
        for (std::size_t k = 0; k < allowances.jumps.size(); ++k) {
            const WarpAllowances::Jump &jump = allowances.jumps[k];
            if (jump.before >= 0 && jump.after > jump.before && jump.after < rows)
                landing[jump.after] = static_cast<int>(k);
        }
    }
};

} // namespace

Warp warp(const Features &first, const Features &second, const WarpAllowances &allowances)
{
    const int rows = first.frames, columns = second.frames;
    if (rows == 0 || columns == 0)
        return {};
    const Band band = bandFor(rows, columns);
    const bool capped = static_cast<int>(allowances.cap.size()) == rows;
    auto cost = [&](int i, int j) {
        const float here = distance(first, i, second, j);
        return capped ? std::min(here, allowances.cap[i]) : here;
    };
    Jumps jumps(allowances, rows);
    std::vector<std::vector<std::uint8_t>> steps(rows);
    std::vector<float> previous, current;
    int previousLow = 0;
    for (int i = 0; i < rows; ++i) {
        const int low = band.low[i], high = band.high[i];
        current.assign(high - low + 1, kInfinity);
        steps[i].assign(high - low + 1, Diagonal);
        auto above = [&](int j) {
            const int k = j - previousLow;
            return i > 0 && k >= 0 && k < static_cast<int>(previous.size()) ? previous[k] : kInfinity;
        };
        const int jump = jumps.landing[i];
        auto jumped = [&](int j) {
            if (jump < 0)
                return kInfinity;
            const std::vector<float> &kept = jumps.keptRow[jump];
            const int k = j - jumps.keptLow[jump];
            return k >= 0 && k < static_cast<int>(kept.size()) ? kept[k] + allowances.jumps[jump].cost : kInfinity;
        };
        for (int j = low; j <= high; ++j) {
            float best = i == 0 && j == 0 ? 0.0F : kInfinity;
            Step step = Diagonal;
            if (j > 0 && above(j - 1) < best)
                best = above(j - 1), step = Diagonal;
            if (above(j) < best)
                best = above(j), step = Down;
            if (j > low && current[j - 1 - low] < best)
                best = current[j - 1 - low], step = Right;
            if (jumped(j) < best)
                best = jumped(j), step = Jump;
            current[j - low] = best + cost(i, j);
            steps[i][j - low] = step;
        }
        for (std::size_t k = 0; k < allowances.jumps.size(); ++k) {
            if (allowances.jumps[k].before == i)
                jumps.keptRow[k] = current, jumps.keptLow[k] = low;
        }
        previous.swap(current);
        previousLow = low;
    }
    return traceBack(first, second, allowances, band, steps, cost);
}

} // namespace vantrel
