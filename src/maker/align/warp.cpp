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

enum Step : std::uint8_t { Diagonal, Down, Right };

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

} // namespace

Warp warp(const Features &first, const Features &second)
{
    const int rows = first.frames, columns = second.frames;
    Warp result;
    if (rows == 0 || columns == 0)
        return result;
    const Band band = bandFor(rows, columns);
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
        for (int j = low; j <= high; ++j) {
            const float here = distance(first, i, second, j);
            float best = i == 0 && j == 0 ? 0.0F : kInfinity;
            Step step = Diagonal;
            if (j > 0 && above(j - 1) < best)
                best = above(j - 1), step = Diagonal;
            if (above(j) < best)
                best = above(j), step = Down;
            if (j > low && current[j - 1 - low] < best)
                best = current[j - 1 - low], step = Right;
            current[j - low] = best + here;
            steps[i][j - low] = step;
        }
        previous.swap(current);
        previousLow = low;
    }

    result.firstMatch.assign(rows, columns);
    result.lastMatch.assign(rows, -1);
    double cost = 0.0;
    int length = 0;
    for (int i = rows - 1, j = columns - 1; i >= 0 && j >= band.low[i] && j <= band.high[i];) {
        result.firstMatch[i] = std::min(result.firstMatch[i], j);
        result.lastMatch[i] = std::max(result.lastMatch[i], j);
        cost += distance(first, i, second, j);
        ++length;
        if (i == 0 && j == 0)
            break;
        const auto step = static_cast<Step>(steps[i][j - band.low[i]]);
        if (step != Right)
            --i;
        if (step != Down)
            --j;
    }
    result.meanCost = cost / length;
    return result;
}

} // namespace vantrel
