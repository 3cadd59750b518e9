#include "cli/derived_variables.h"

#include <algorithm>

#include "cli/column_lookup.h"
#include "codec/cp932.h"
#include "expression/energy_balance.h"
#include "expression/formula.h"

namespace kelvara {
namespace {

using Kind = FormulaProblem::Kind;

// What is wrong with an expression, with its place counted from 1.
std::string DescribeProblem(const FormulaProblem& problem, size_t columns) {
  const std::string at = "character " + std::to_string(problem.position + 1);
  const std::string quoted = "\"" + problem.text + "\"";
  switch (problem.kind) {
    case Kind::empty: return "the expression is empty";
    case Kind::tooLong:
      return "the expression is longer than " + std::to_string(kFormulaCharacterLimit) +
             " characters";
    case Kind::unclosedBrace: return "the { at " + at + " has no }";
    case Kind::strayBrace: return "the } at " + at + " has no {";
    case Kind::emptyBrace: return "the {} at " + at + " names no column";
    case Kind::unknownColumn:
      return "{" + problem.text + "} at " + at + " names no column: give a header text or a " +
             "column number from 1 to " + std::to_string(columns) + " between braces";
    case Kind::ambiguousColumn:
      return "{" + problem.text + "} at " + at + " names several columns: give its number";
    case Kind::character:
      return quoted + " at " + at + " cannot stand in an expression (numbers take a decimal " +
             "point, columns go between braces)";
    case Kind::unknownName:
      return quoted + " at " + at + " is no function (min, max, abs, sqrt, log, exp); " +
             "columns go between braces";
    case Kind::comma:
      return "the comma at " + at + " stands outside a function's brackets (a decimal is " +
             "written 2.5, not 2,5)";
    case Kind::incomplete: return "the expression stops short at " + at;
    case Kind::unbalanced: return "a bracket is not closed, or closed once too often, at " + at;
    case Kind::arguments:
      return (problem.text.empty() ? "a function" : quoted) + " at " + at +
             " is given too many or too few values";
    case Kind::syntax:
      return problem.text.empty() ? "the expression cannot be read on at " + at
                                  : quoted + " cannot stand at " + at;
  }
  return {};
}

// The header as UTF-8 texts, for matching what the user typed between braces.
std::vector<std::string> Utf8Header(const std::vector<std::string>& header) {
  std::vector<std::string> texts;
  texts.reserve(header.size());
  for (const std::string& cell : header) texts.push_back(Cp932ToUtf8(cell));
  return texts;
}

// The energy ratios' definitions, with the parts given by hand matched first.
std::optional<std::vector<DerivedDefinition>> EnergyRatios(
    const TabOptions& options, const std::vector<std::string>& header,
    const std::vector<std::string>& utf8Header, std::string& error,
    std::vector<std::string>& notes) {
  std::array<int, kEnergyParts> given;
  given.fill(-1);
  for (const auto& [word, name] : options.energyColumns) {
    for (size_t p = 0; p < kEnergyParts; ++p) {
      if (EnergyPartWord(static_cast<EnergyPart>(p)) != word) continue;
      const std::optional<int> column =
          ResolveColumn(name, header, "--energy-balance-columns " + word, error);
      if (!column) return std::nullopt;
      given[p] = *column;
    }
  }
  const EnergyBalance plan = PlanEnergyBalance(utf8Header, given);
  std::string lacking;
  for (size_t p = 0; p < kEnergyParts; ++p) {
    const auto part = static_cast<EnergyPart>(p);
    const EnergyColumn& found = plan.columns[p];
    if (found.found == EnergyColumn::Found::column) continue;
    const std::string word(EnergyPartWord(part));
    const std::string why =
        found.found == EnergyColumn::Found::several
            ? "several columns could be the " + word + " column"
            : "no " + word + " column (" + std::string(EnergyPartAliases(part)[0]) + ")";
    if (part == EnergyPart::saturatedFat) {
      notes.push_back("--energy-balance: " + why + ", so no " + std::string(EnergyRatioNames()[2]) +
                      "; give it with " + "--energy-balance-columns saturated-fat=COL");
    } else {
      lacking += (lacking.empty() ? "" : "; ") + why;
    }
  }
  if (!lacking.empty()) {
    error = "--energy-balance: " + lacking +
            ": give the columns with --energy-balance-columns energy=COL,protein=COL,fat=COL";
    return std::nullopt;
  }
  for (const std::string& column : plan.heldByFile) {
    notes.push_back("--energy-balance: the file holds the ratio as " + column +
                    " already; tabulate that column as it is");
  }
  return plan.definitions;
}

}  // namespace

std::optional<std::vector<DerivedVariable>> BuildDerivedVariables(
    const TabOptions& options, const std::vector<std::string>& header, std::string& error,
    std::vector<std::string>& notes) {
  std::vector<DerivedDefinition> definitions;
  for (const auto& [name, expression] : options.derive) definitions.push_back({name, expression});
  const size_t given = definitions.size();
  const std::vector<std::string> utf8Header = Utf8Header(header);
  if (options.energyBalance) {
    const auto ratios = EnergyRatios(options, header, utf8Header, error, notes);
    if (!ratios) return std::nullopt;
    definitions.insert(definitions.end(), ratios->begin(), ratios->end());
  }
  std::vector<DerivedVariable> derived;
  for (const DerivedDefinition& definition : definitions) {
    const bool ratio = static_cast<size_t>(&definition - definitions.data()) >= given;
    const std::string what = (ratio ? "--energy-balance " : "--derive ") + definition.name;
    const std::optional<std::string> name = Utf8ToCp932(definition.name);
    const std::optional<std::string> formula = Utf8ToCp932(definition.expression);
    if (!name || !formula) {
      error = what + ": a character that code page 932 lacks cannot stand in the report";
      return std::nullopt;
    }
    if (std::find(header.begin(), header.end(), *name) != header.end()) {
      error = what + ": the file has a column of that name already; choose another name";
      return std::nullopt;
    }
    if (std::any_of(derived.begin(), derived.end(),
                    [&](const DerivedVariable& d) { return d.name == *name; })) {
      error = what + ": defined twice";
      return std::nullopt;
    }
    const CompiledFormula compiled = CompileFormula(definition.expression, utf8Header);
    if (compiled.problem) {
      error = what + "=" + definition.expression + ": " +
              DescribeProblem(*compiled.problem, header.size());
      return std::nullopt;
    }
    derived.push_back(
        {static_cast<int>(header.size() + derived.size()), *name, *formula, compiled.rows});
  }
  return derived;
}

}  // namespace kelvara
