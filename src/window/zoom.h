#pragma once

#include <optional>

// How large the window is drawn, in percent of the size the layout gives.
namespace zoom {

constexpr int kSteps[] = {100, 125, 150, 175, 200, 250, 300, 400};
constexpr int kSmallest = 100;
constexpr int kLargest = 400;

// The next step up (direction > 0) or down from percent, which need not be a step itself.
std::optional<int> next(int percent, int direction);

// The zoom the window had when it was last changed, if one was kept and still makes sense.
std::optional<int> stored();
void store(int percent);

} // namespace zoom
