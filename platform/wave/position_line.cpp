#include "platform/wave/position_line.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace platform {

namespace {

// Dates are fitted in groups of at most this many (the queues keep no more).
constexpr size_t kMaxPoints = 256;
// However well the dates agree, those this close to the line are kept.
constexpr double kKeepWithinNanos = 100000;

using Values = std::array<double, kMaxPoints>;
using Selection = std::array<bool, kMaxPoints>;

struct Straight {
  double offset = 0;  // nanos at x = 0
  double slope = 0;   // nanos per byte
  double At(double x) const { return offset + slope * x; }
};

// Least squares over the selected points, each weighted by weight; false when they
// span no position.
bool FitSelected(const Values& x, const Values& y, const Values& weight, const Selection& selected, size_t count,
                 Straight* fit) {
  double n = 0, total = 0, meanX = 0, meanY = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!selected[i]) continue;
    n += 1;
    total += weight[i];
    meanX += weight[i] * x[i];
    meanY += weight[i] * y[i];
  }
  if (n < 2 || total <= 0) return false;
  meanX /= total;
  meanY /= total;
  double sxx = 0, sxy = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!selected[i]) continue;
    sxx += weight[i] * (x[i] - meanX) * (x[i] - meanX);
    sxy += weight[i] * (x[i] - meanX) * (y[i] - meanY);
  }
  if (sxx <= 0) return false;
  fit->slope = sxy / sxx;
  fit->offset = meanY - fit->slope * meanX;
  return true;
}

// The median of values[0, count).
double Median(Values values, size_t count) {
  std::nth_element(values.begin(), values.begin() + count / 2, values.begin() + count);
  return values[count / 2];
}

// Fits again through the points of next when there are enough of them and they differ
// from kept; false when it did not.
bool Refit(const Values& x, const Values& y, const Values& weight, size_t count, size_t fewest, const Selection& next,
           Selection* kept, Straight* fit) {
  if (static_cast<size_t>(std::count(next.begin(), next.begin() + count, true)) < fewest || next == *kept) return false;
  Straight refit;
  if (!FitSelected(x, y, weight, next, count, &refit)) return false;
  *kept = next;
  *fit = refit;
  return true;
}

}  // namespace

PositionLine PositionLine::Through(DatedPosition point, uint64_t bytesPerSecond) {
  return PositionLine(point, 0, 1e9 / static_cast<double>(bytesPerSecond ? bytesPerSecond : 1));
}

std::optional<PositionLine> PositionLine::Fit(const DatedPosition* points, size_t count, uint64_t bytesPerSecond,
                                              FitTo fitTo) {
  count = std::min(count, kMaxPoints);
  if (!points || count < kMinFitPoints || bytesPerSecond == 0) return std::nullopt;
  const DatedPosition reference = points[count - 1];
  Values x{}, y{}, weight{};
  Selection kept{};
  for (size_t i = 0; i < count; ++i) {
    x[i] = static_cast<double>(static_cast<int64_t>(points[i].bytes - reference.bytes));
    y[i] = static_cast<double>(points[i].nanos - reference.nanos);
    kept[i] = true;
  }
  // A date counts as much as the audio it dates, the bytes from the date before it to
  // it (the first one, those to the next): a library that hands a read on in a long
  // piece and a short one dates the short one less well, and it carries little audio.
  for (size_t i = 0; i < count; ++i) {
    const size_t other = i > 0 ? i - 1 : 1;
    weight[i] = std::fabs(x[i] - x[other]);
  }
  Straight fit;
  if (!FitSelected(x, y, weight, kept, count, &fit)) return std::nullopt;
  // Each round keeps the dates within three standard deviations of the line, the
  // deviation judged by the median distance (which the far-off dates do not sway), and
  // fits again; it stops when the kept dates stay as they were or would be too few.
  for (int round = 0; round < 4; ++round) {
    Values distance{};
    for (size_t i = 0; i < count; ++i) distance[i] = std::fabs(y[i] - fit.At(x[i]));
    const double limit = std::max(3 * 1.4826 * Median(distance, count), kKeepWithinNanos);
    Selection next{};
    for (size_t i = 0; i < count; ++i) next[i] = distance[i] <= limit;
    if (!Refit(x, y, weight, count, std::max(kMinFitPoints, count / 2), next, &kept, &fit)) break;
  }
  // Along the earliest dates: twice, the kept dates on or before the line are fitted
  // again, which leaves the earliest quarter.
  for (int round = 0; fitTo == FitTo::kEarliest && round < 2; ++round) {
    Values late{};
    size_t keptCount = 0;
    for (size_t i = 0; i < count; ++i) {
      if (kept[i]) late[keptCount++] = y[i] - fit.At(x[i]);
    }
    const double median = Median(late, keptCount);
    Selection next{};
    for (size_t i = 0; i < count; ++i) next[i] = kept[i] && y[i] - fit.At(x[i]) <= median;
    if (!Refit(x, y, weight, count, kMinFitPoints, next, &kept, &fit)) break;
  }
  const double nominal = 1e9 / static_cast<double>(bytesPerSecond);
  if (!(std::fabs(fit.slope / nominal - 1) <= 0.1)) return std::nullopt;
  return PositionLine(reference, fit.offset, fit.slope);
}

double PositionLine::BytesAt(int64_t nanos) const {
  const double since = static_cast<double>(nanos - m_reference.nanos) - m_offsetNanos;
  return static_cast<double>(m_reference.bytes) + since / m_nanosPerByte;
}

}  // namespace platform
