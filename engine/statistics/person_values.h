// The values a group's figures are formed of, per layout position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvara {

// The linearised variable of a ratio of totals R_g = sum w y / sum w x in
// group g: u = (y - R_g x) / xbar_g, xbar_g the group's weighted mean of x.
// Its weighted mean is 0, and the standard error of that mean (z of a unit
// sum w (y - R_g x) / sum w x) is the ratio's linearised standard error.
struct RatioLinearisation {
  std::span<const double> denominator;      // x, per layout position
  std::span<const double> ratio;            // R_g, per group
  std::span<const double> denominatorMean;  // xbar_g, per group
};

// The persons' values and the groups each counts in; or, for the share at or
// below a cut-off of each group's own (the median, for its confidence
// interval), 1 where the value is at or below the group's cut-off and 0
// where above; or, with `ratio`, the numerator's linearised variable.
struct PersonValues {
  PersonValues(std::span<const double> values, std::span<const uint64_t> groups,
               std::span<const double> cutOffs = {}, const RatioLinearisation* linearised = nullptr)
      : value(values),
        groupMask(groups),
        atOrBelow(cutOffs),
        ratio(linearised),
        form(linearised != nullptr ? Form::ratio
             : cutOffs.empty()     ? Form::value
                                   : Form::atOrBelow) {}

  std::span<const double> value;
  std::span<const uint64_t> groupMask;
  std::span<const double> atOrBelow;  // per group; empty: the values themselves
  const RatioLinearisation* ratio;

  double operator()(size_t i, size_t g) const {
    // One test on the common path: the walks call this for every member of
    // every group.
    if (form == Form::value) [[likely]] return value[i];
    if (form == Form::atOrBelow) return value[i] <= atOrBelow[g] ? 1.0 : 0.0;
    return (value[i] - ratio->ratio[g] * ratio->denominator[i]) / ratio->denominatorMean[g];
  }

 private:
  enum class Form : uint8_t { value, atOrBelow, ratio };
  Form form;
};

}  // namespace kelvara
