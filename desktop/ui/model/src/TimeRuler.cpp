#include "uimodel/TimeRuler.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace uimodel {
namespace {

// Enough to reach every float step from 1e-30 to 1e30; a bound, so that no
// value (0, infinity, not-a-number) keeps the search going.
constexpr int kMaxCandidateRounds = 40;

// Candidates are products of floats: one that prints as f may miss it by an
// ulp, and it still counts as f.
bool SameValue(float candidate, float f) {
    return std::fabs(candidate - f) <= 1e-5f * f;
}

// Below 1 the sequence runs 1, then 5g, 2g, g for g = 1/50, 1/50^2, ...
float StepBelowOne(float f) {
    float previous = 1.0f;
    float g = 1.0f / 50.0f;
    for (int round = 0; round < kMaxCandidateRounds; ++round, g /= 50.0f) {
        for (float candidate : {5.0f * g, 2.0f * g, g}) {
            if (SameValue(candidate, f)) {
                return candidate;
            }
            if (candidate < f) {
                return previous;
            }
            previous = candidate;
        }
    }
    return previous;
}

// From 1 on it runs g, 2g, 5g for g = 4, 4 x 40, 4 x 40^2, ...
float StepFromOne(float f) {
    float g = 4.0f;
    for (int round = 0; round < kMaxCandidateRounds; ++round, g *= 40.0f) {
        for (float candidate : {g, 2.0f * g, 5.0f * g}) {
            if (candidate >= f || SameValue(candidate, f)) {
                return candidate;
            }
        }
    }
    return f;
}

}  // namespace

std::optional<NiceStep> ChooseNiceStep(float minSpacingPx, float span, float pixels) {
    if (!(span > 0.0f) || !(pixels > 0.0f) || !(minSpacingPx > 0.0f) || !std::isfinite(span) ||
        !std::isfinite(pixels)) {
        return std::nullopt;
    }
    const float f = span / pixels * minSpacingPx;
    if (!std::isfinite(f) || f <= 0.0f) {
        return std::nullopt;
    }
    NiceStep nice;
    nice.step = f < 1.0f ? StepBelowOne(f) : StepFromOne(f);
    nice.spacingPx = std::max(minSpacingPx, nice.step * pixels / span);
    return nice;
}

int MinorParts(float step) {
    if (!(step > 0.0f) || !std::isfinite(step)) {
        return 0;
    }
    float value = step;
    for (int i = 0; i < kMaxCandidateRounds && static_cast<int>(value + 0.5f) < 2; ++i) {
        value *= 10.0f;
    }
    for (int i = 0; i<kMaxCandidateRounds&& static_cast<int>(value + 0.5f)> 10; ++i) {
        value /= 10.0f;
    }
    return static_cast<int>(value + 0.5f);
}

std::string TimeLabel(double seconds) {
    const auto hours = static_cast<int64_t>(seconds / 3600.0);
    const int64_t msInHour = static_cast<int64_t>(seconds * 1000.0 + 1.0) - hours * 3600000;
    // The milliseconds come from the value rounded to three places, as the
    // label always showed them; to_chars keeps the point a point in every locale.
    char fixed[64];
    const auto printed =
        std::to_chars(fixed, fixed + sizeof fixed, seconds, std::chars_format::fixed, 3);
    std::string rounded(fixed, printed.ptr);
    const std::string suffix = rounded.size() >= 4 ? rounded.substr(rounded.size() - 4) : rounded;
    char label[96];
    std::snprintf(label, sizeof label, "%02d:%02d:%02d%s", static_cast<int>(hours),
                  static_cast<int>(msInHour / 60000), static_cast<int>((msInHour % 60000) / 1000),
                  suffix.c_str());
    return label;
}

std::vector<RulerTick> RulerTicks(double firstSecond, double visibleSeconds, int widthPx,
                                  int minSpacingPx) {
    std::vector<RulerTick> ticks;
    minSpacingPx = std::max(minSpacingPx, 1);
    const auto nice =
        ChooseNiceStep(static_cast<float>(minSpacingPx), static_cast<float>(visibleSeconds),
                       static_cast<float>(widthPx));
    if (!nice || !(nice->step > 0.0f)) {
        return ticks;
    }
    const double step = nice->step;
    const double pxPerSecond = widthPx / visibleSeconds;
    const int parts = MinorParts(nice->step);
    // Start one step before the window so the minor ticks left of the first
    // labelled tick are drawn too.
    const double firstIndex = std::floor(firstSecond / step) - 1.0;
    const int maxLabelled = widthPx / minSpacingPx + 3;
    for (int i = 0; i <= maxLabelled; ++i) {
        const double tickSeconds = (firstIndex + i) * step;
        for (int part = 0; part < std::max(parts, 1); ++part) {
            const double t = tickSeconds + step * part / std::max(parts, 1);
            const double x = std::floor((t - firstSecond) * pxPerSecond);
            if (x < 0.0 || t < 0.0) {
                continue;
            }
            if (x >= widthPx) {
                return ticks;
            }
            ticks.push_back({static_cast<int>(x), part == 0, part == 0 ? tickSeconds : 0.0});
        }
    }
    return ticks;
}

}  // namespace uimodel
