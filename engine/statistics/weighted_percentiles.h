// Weighted percentiles of one group's members.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace kelvara {

// Where a group's walk stood when a percentile's target was reached: the
// target, the position (among all members walked, of every group) of the
// member that reached it, and the group's cumulative weight and last value
// just before that member. Every earlier member of the group fell short of
// the target, so a later walk for a share at or above it may start there
// and meet the same sums in the same order.
struct PercentileMark {
  double target = 0.0;
  double before = 0.0;
  double previous = 0.0;
  size_t position = 0;
  bool first = true;  // the member is the group's first
};

// Percentiles P0..P100 of a group whose members are handed over in ascending
// order of value. For each p the target cumulative weight is
// T = (W/N + W) * p * 0.01 (W the members' total weight, N their number); the
// percentile lies at the first member whose cumulative weight reaches T,
// interpolated linearly over that member's weight from the value before it,
// or is the largest value when T exceeds the total weight.
class WeightedPercentiles {
 public:
  WeightedPercentiles(double totalWeight, double memberCount);

  // Called for every member of every group, so kept inline. `position` is
  // the member's place among all members walked, for the marks.
  void Add(double value, double weight, size_t position) {
    if (!risingTargets_) {
      kept_.emplace_back(value, weight);
      return;
    }
    previous_ = current_;
    before_ = after_;
    after_ = before_ + weight;
    current_ = value;
    // The percentiles whose target this member's cumulative weight reaches.
    while (next_ <= 100 && !(nextTarget_ > after_)) {
      marks_[static_cast<std::size_t>(next_)] = {nextTarget_, before_, previous_, position, first_};
      pct_[static_cast<std::size_t>(next_)] = Interpolate(nextTarget_);
      nextTarget_ = Target(++next_);
    }
    first_ = false;
  }

  // The percentiles, once every member has been added (at least one).
  void Finish(std::array<double, 101>& pct);

  // The marks of the percentiles the walk reached, in order (none when the
  // targets do not rise). Read before Finish.
  std::span<const PercentileMark> marks() const {
    return {marks_.data(), risingTargets_ ? static_cast<std::size_t>(next_) : 0};
  }

 private:
  double Target(int p) const { return span_ * p * 0.01; }

  double Interpolate(double target) const {
    if (first_) return current_;
    return previous_ + (target - before_) / (after_ - before_) * (current_ - previous_);
  }

  double span_;
  // Targets rise with p unless weights are negative (or not numbers); rising
  // targets are met in one walk as members arrive, others need the members
  // kept and walked from the first for every percentile.
  bool risingTargets_;
  std::vector<std::pair<double, double>> kept_;

  int next_ = 0;            // the next percentile to fix
  double nextTarget_ = 0.0; // its target cumulative weight
  double before_ = 0.0;     // cumulative weight before the current member
  double after_ = 0.0;      // cumulative weight including the current member
  double previous_ = 0.0;   // value of the member before the current one
  double current_ = 0.0;    // value of the current member
  bool first_ = true;
  std::array<double, 101> pct_{};
  std::array<PercentileMark, 101> marks_;
};

}  // namespace kelvara
