#include "zoom.h"

#include <QSettings>

#include <iterator>

namespace zoom {

namespace {
const auto kKey = QStringLiteral("zoom");
}

std::optional<int> next(int percent, int direction) {
    if (direction > 0) {
        for (int step : kSteps)
            if (step > percent)
                return step;
    } else {
        for (auto step = std::rbegin(kSteps); step != std::rend(kSteps); ++step)
            if (*step < percent)
                return *step;
    }
    return std::nullopt;
}

std::optional<int> stored() {
    bool ok = false;
    const int percent = QSettings().value(kKey).toInt(&ok);
    if (!ok || percent < kSmallest || percent > kLargest)
        return std::nullopt;
    return percent;
}

void store(int percent) {
    QSettings().setValue(kKey, percent);
}

} // namespace zoom
