// The waveform's time ruler: where labelled ticks go ("nice" steps at least
// 60 pixels apart), how many minor parts lie between two of them, and the
// "hh:mm:ss.mmm" labels. Numbers are formatted the same in every locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace uimodel {

inline constexpr int kRulerMinTickSpacingPx = 60;

struct NiceStep {
    float step = 0;       // value between two labelled ticks
    float spacingPx = 0;  // pixels between them, never below the minimum
};

// The step for a value span `span` shown over `pixels` pixels with labelled
// ticks at least `minSpacingPx` apart: the smallest value of the sequence
// ... 0.0004, 0.0008, 0.002, 0.02, 0.04, 0.1, 1, 4, 8, 20, 160, 320, 800, 6400 ...
// that covers `minSpacingPx` pixels. Nothing for an empty span or width.
std::optional<NiceStep> ChooseNiceStep(float minSpacingPx, float span, float pixels);

// Minor parts between two labelled ticks: the step's leading digit scaled
// into 2..10 (1 -> 10, 8 -> 8, 20 -> 2); 0 for a zero step.
int MinorParts(float step);

// "00:01:05.250" for 65.25 seconds.
std::string TimeLabel(double seconds);

struct RulerTick {
    int x = 0;
    bool labelled = false;
    double seconds = 0;  // of a labelled tick
};

// The ticks of a ruler over `widthPx` pixels showing `visibleSeconds` from
// `firstSecond`: labelled ones at multiples of the nice step, at least
// `minSpacingPx` apart, minor ones between them. Empty for an empty span or
// width; never more than a few per minimum spacing.
std::vector<RulerTick> RulerTicks(double firstSecond, double visibleSeconds, int widthPx,
                                  int minSpacingPx = kRulerMinTickSpacingPx);

}  // namespace uimodel
