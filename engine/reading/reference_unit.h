// The units of a survey column and of a reference table, and how a value in
// one becomes a value in the other. Only a change of metric prefix is made
// (g, mg, µg), which is a shift of the decimal point; any other difference is
// no conversion at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara {

// A unit as written in a header's brackets or a table's unit cell (code page
// 932; full-width letters, µ as the micro sign or the Greek mu, and a
// trailing "/日" allowed): a mass with its metric prefix and what follows it
// ("mgNE": mg, "NE"), or any other unit. "%", "%E" and "%エネルギー" are one
// unit, the share of energy.
struct MeasureUnit {
  std::optional<int> massPowerOfTen;  // g 0, mg -3, µg -6; none: not a mass
  std::string rest;                   // after the mass, or the whole unit

  static MeasureUnit Read(std::string_view text);
  bool operator==(const MeasureUnit&) const = default;

  // How the unit is written in a report line (code page 932): "μgRAE".
  std::string Written() const;
};

// The power of ten p such that a value in `from` times 10^p is the value in
// `to`: 0 for the same unit, 3 from g to mg, -3 from µg to mg; nothing when
// the two differ otherwise.
std::optional<int> PowerOfTenBetween(const MeasureUnit& from, const MeasureUnit& to);

}  // namespace kelvara
