#include "cli/tab_options.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <system_error>

#include "engine/cut_off.h"
#include "expression/energy_balance.h"

namespace kelvara {

const char* const kTabUsage =
    "Usage: kelvara-tab [OPTIONS] FILE VARIABLE...\n"
    "Tabulates analysis variables of a survey data file (code page 932 CSV) by sex\n"
    "and age group, printing the same report lines as the Kelvara window.\n"
    "\n"
    "  --sex COL --age COL --pregnancy COL   required\n"
    "  --unit COL        sampling-unit column (default: none)\n"
    "  --weight COL      sampling-weight column (default: none)\n"
    "  --scheme NAME     table1 | table2 | part5 | category (default table1)\n"
    "\n"
    "Design and design-based figures (added columns follow the fixed 17, on groups\n"
    "of two or more persons):\n"
    "  --strata COL      stratum column: units are nested in strata (unit 1 of\n"
    "                    stratum 3 and unit 1 of stratum 4 are different units;\n"
    "                    without --unit every respondent is a unit of its own), and\n"
    "                    the standard error becomes the stratified with-replacement\n"
    "                    one; a stratum of a single unit adds nothing to it (one\n"
    "                    unit in all: a simple random sample's, as without strata)\n"
    "  --ci              95% confidence interval of the mean: mean -/+ t(0.975, df)\n"
    "                    times the standard error, df being units minus strata\n"
    "                    (units minus 1 without --strata, respondents minus 1\n"
    "                    without --unit either)\n"
    "  --cv              coefficient of variation, 100 x SE / |mean|, in percent:\n"
    "                    the usual flag for estimates too unreliable to publish\n"
    "  --deff            design effect, SE^2 x n / SD^2: how much the design\n"
    "                    inflates the variance of the mean over a simple random\n"
    "                    sample of the same size\n"
    "  --below X         percentage of the group (weighted) whose value lies below\n"
    "                    X, with its standard error under the design: the\n"
    "                    cut-point estimate of inadequate intake (X as 7.5, not 7,5)\n"
    "  --below VAR=X     the same for the variable VAR alone, with a cut-off of its\n"
    "                    own (--below 7.5 for every variable, --below 5=2000 for\n"
    "                    column 5 only: energy does not share salt's cut-off);\n"
    "                    may be given for several variables\n"
    "  --provenance      a line before each block naming the survey file, the\n"
    "                    scheme, the unit, weight and stratum columns, the added\n"
    "                    columns, the date and time and the program version\n"
    "  --median-ci       95% confidence interval of the median (Woodruff): the SE of\n"
    "                    the share at or below the median gives p = 0.5 -/+ t x SE\n"
    "                    (df as for --ci), each end read back by the percentile\n"
    "                    rule; empty where an end falls outside 0-1\n"
    "\n"
    "Intake judged against each person's own dietary reference values (sex, age\n"
    "band, pregnancy or lactation):\n"
    "  --reference T     dri2025 | dri2020 (the shipped Dietary Reference Intakes\n"
    "                    for Japanese) | a table file (see reference/README.md);\n"
    "                    adds for the EAR, AI, UL and DG the persons judged, then\n"
    "                    the percentages below the EAR, at or above the AI, above\n"
    "                    the UL and outside the DG with their SEs, among those\n"
    "                    persons (empty under two), and a line naming the table\n"
    "                    and counting the persons not judged; a header's unit in\n"
    "                    brackets (g, mg, ug) is converted to the table's\n"
    "  --nutrient VAR=KEY  judge VAR as the table's nutrient KEY (else a variable\n"
    "                    finds its nutrient by its header text); VAR= judges it\n"
    "                    against nothing; repeatable\n"
    "  --pregnancy-stage early|mid|late   the stage whose additions apply to\n"
    "                    pregnant women (without it, where the stages differ,\n"
    "                    pregnant women are not judged)\n"
    "  --menstruation yes|no   the iron values for women 10-64 (without it they\n"
    "                    are not judged for iron)\n"
    "  kelvara-tab --check-reference T...   checks reference tables (names or\n"
    "                    files) by the rules the program reads them by, printing\n"
    "                    every problem; exit status 1 when a table has one\n"
    "\n"
    "Usual intake (day-to-day variation taken out before percentiles and shares):\n"
    "  --person COL      respondent id: the file holds a row per person-day; a\n"
    "                    person's weight, unit, stratum, sex, age and pregnancy are\n"
    "                    those of their first row, and the ordinary block counts\n"
    "                    first rows only, so that nobody is counted twice\n"
    "  --usual           adds after each block the block of the persons' usual\n"
    "                    intakes (Box-Cox transform per sex and age band, within-\n"
    "                    person variance taken out, transformed back); needs\n"
    "                    --person with some persons on two days or more, or a\n"
    "                    --variance-ratio for the variable\n"
    "  --variance-ratio VAR=R   within/between-person variance ratio R on the\n"
    "                    transformed scale for VAR, for a survey of one day\n"
    "                    (repeat for more variables)\n"
    "  --variance-ratios FILE   ratios by sex and age band: UTF-8 lines VAR,SEX,AGE,R\n"
    "                    (SEX 1 or 2, or 0 for both; AGE any age of the band, as\n"
    "                    30 for 30-39, or empty for every band of the sex); a\n"
    "                    band's own row comes before its sex's, and that before\n"
    "                    --variance-ratio\n"
    "  --bootstrap B     every standard error of the usual-intake block (mean,\n"
    "                    shares, the median's interval) from B Rao-Wu bootstrap\n"
    "                    replicates over the units within strata, each refitting\n"
    "                    the whole estimation (seeded: the same report every run,\n"
    "                    on every platform); without it they are linearised and\n"
    "                    leave out the uncertainty of the fitted transform and\n"
    "                    variances\n"
    "\n"
    "Energy (the blocks follow each variable's blocks, the ratios all variables):\n"
    "  --energy-adjust residual|density   adds after each nutrient's blocks (all\n"
    "                    VARIABLEs but the energy column) the block of its intakes\n"
    "                    adjusted for energy: residual (Willett: within each sex the\n"
    "                    residual of a weighted regression on energy plus the fitted\n"
    "                    value at the sex's mean energy) or density (per 1000 kcal)\n"
    "  --energy COL      the energy column (kcal) for --energy-adjust\n"
    "  --ratio NUM/DEN   a block of the ratio of weighted totals sum w NUM / sum w\n"
    "                    DEN per group, over members with both values, with its\n"
    "                    linearised standard error under the design (and --ci,\n"
    "                    --cv); NUM and DEN by number or header text; repeatable.\n"
    "                    With --ratio no VARIABLE is needed\n"
    "\n"
    "Computed variables (tabulated, judged and charted like columns, after them):\n"
    "  --derive NAME=EXPR   a variable per row from the file's columns: a column by\n"
    "                    its header text or 1-based number in braces ({7}),\n"
    "                    numbers with a decimal point, + - * / ^, brackets, and\n"
    "                    min max abs sqrt log exp (log is natural); a row with a\n"
    "                    missing operand, or no finite result (a division by\n"
    "                    zero), is missing; repeatable\n"
    "  --energy-balance  adds the protein, fat, saturated fat and carbohydrate\n"
    "                    energy ratios (% of energy, named as the national survey\n"
    "                    names them: protein 4 kcal/g, fat 9 kcal/g, carbohydrate\n"
    "                    the rest of 100) from the energy, protein, fat and\n"
    "                    saturated fatty acid columns found by their header texts\n"
    "  --energy-balance-columns energy=COL,protein=COL,fat=COL,saturated-fat=COL\n"
    "                    the same with these columns (any of them) given by hand\n"
    "\n"
    "  --utf8            UTF-8 with LF line ends, for reading in a terminal (a\n"
    "                    Windows console is given Unicode, whatever its code page)\n"
    "  -o FILE           write to FILE instead of standard output\n"
    "  --xlsx FILE       also write the results as an Excel workbook: a summary\n"
    "                    sheet (means, SDs, medians and shares by sex and age\n"
    "                    group), a sheet per block with its numbers as numbers,\n"
    "                    and the run's conditions\n"
    "\n"
    "  kelvara-tab --xlsx-from RESULTS.csv OUT.xlsx\n"
    "                    the same workbook from a saved results file (code page\n"
    "                    932 or UTF-8), with no run\n"
    "  --help            print this help\n"
    "\n"
    "COL and VARIABLE: a 1-based column number as in the window's labels (\"3\" is\n"
    "the column labelled 3.<header>), or a header cell's exact text.\n"
    "Output is code page 932 with CR LF line ends unless --utf8 is given.\n";

namespace {

// "VAR=X": the column's name before the last '=' (a header may hold one, a
// number never does) and the text after it; nothing when there is no '=' or
// no name before it.
std::optional<std::pair<ColumnName, std::string>> SplitAssignment(const std::string& value) {
  const size_t equals = value.rfind('=');
  if (equals == std::string::npos || equals == 0) return std::nullopt;
  return std::pair{ColumnName{value.substr(0, equals)}, value.substr(equals + 1)};
}

// A name or expression as typed, without blanks around it.
std::string TrimmedName(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t");
  if (from == std::string::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

bool IsEnergyPartWord(std::string_view word) {
  for (size_t p = 0; p < kEnergyParts; ++p) {
    if (EnergyPartWord(static_cast<EnergyPart>(p)) == word) return true;
  }
  return false;
}

}  // namespace

std::optional<TabOptions> ParseTabOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  TabOptions options;
  const std::map<std::string, bool*> flagOptions = {
      {"--utf8", &options.utf8},
      {"--ci", &options.design.confidenceInterval},
      {"--cv", &options.design.coefficientOfVariation},
      {"--deff", &options.design.designEffect},
      {"--usual", &options.usual},
      {"--provenance", &options.provenance},
      {"--energy-balance", &options.energyBalance},
      {"--median-ci", &options.design.medianInterval}};
  // The options that take a value, each with what it makes of it: an error
  // message for a value it cannot take, else empty.
  using ValueOption = std::function<std::string(const std::string& value)>;
  auto column = [](ColumnName& name) {
    return ValueOption([&name](const std::string& value) {
      name.text = value;
      return std::string();
    });
  };
  auto text = [](std::string& field) {
    return ValueOption([&field](const std::string& value) {
      field = value;
      return std::string();
    });
  };
  const std::map<std::string, ValueOption> valueOptions = {
      {"--unit", column(options.unit)},
      {"--weight", column(options.weight)},
      {"--sex", column(options.sex)},
      {"--age", column(options.age)},
      {"--pregnancy", column(options.pregnancy)},
      {"--strata", column(options.strata)},
      {"--person", column(options.person)},
      {"--variance-ratios", text(options.ratioTable)},
      {"--reference", text(options.reference)},
      {"--energy", column(options.energy)},
      {"--energy-adjust",
       [&](const std::string& value) -> std::string {
         if (value == "residual") {
           options.energyAdjust = EnergyAdjustmentMethod::residual;
         } else if (value == "density") {
           options.energyAdjust = EnergyAdjustmentMethod::density;
         } else {
           return "--energy-adjust is residual or density, not " + value;
         }
         return {};
       }},
      {"--ratio",
       [&](const std::string& value) -> std::string {
         const size_t slash = value.find('/');
         if (slash == std::string::npos || slash == 0 || value.back() == '/') {
           return "--ratio needs NUM/DEN, two columns by number or header text such as 8/5, "
                  "not " + value;
         }
         options.ratios.push_back(value);
         return {};
       }},
      {"-o", text(options.outputFile)},
      {"--xlsx", text(options.workbookFile)},
      {"--xlsx-from", text(options.resultsFile)},
      {"--scheme",
       [&](const std::string& value) -> std::string {
         const std::optional<SchemeId> scheme = SchemeNamed(value);
         if (!scheme) return "unknown scheme " + value + " (table1, table2, part5 or category)";
         options.scheme = *scheme;
         return {};
       }},
      {"--below",
       [&](const std::string& value) -> std::string {
         const auto assignment = SplitAssignment(value);
         const std::optional<double> cutOff =
             ParseCutOff(assignment ? assignment->second : value);
         if (!cutOff) {
           return "--below needs a number such as 400 or 7.5 (a point, not a comma), or VAR=X, "
                  "not " + value;
         }
         if (assignment) {
           options.shareBelowFor.emplace_back(assignment->first, *cutOff);
         } else {
           options.design.shareBelow = cutOff;
         }
         return {};
       }},
      {"--bootstrap",
       [&](const std::string& value) -> std::string {
         int replicates = 0;
         const char* end = value.data() + value.size();
         const auto [ptr, failure] = std::from_chars(value.data(), end, replicates);
         if (failure != std::errc() || ptr != end || replicates < 2 || replicates > 100000) {
           return "--bootstrap needs a number of replicates from 2 to 100000, such as 200, "
                  "not " + value;
         }
         options.bootstrapReplicates = replicates;
         return {};
       }},
      {"--variance-ratio",
       [&](const std::string& value) -> std::string {
         const auto assignment = SplitAssignment(value);
         const std::optional<double> ratio =
             assignment ? ParseCutOff(assignment->second) : std::nullopt;
         if (!ratio || *ratio < 0) {
           return "--variance-ratio needs VAR=R with a ratio of 0 or more such as 1.5, not " +
                  value;
         }
         options.varianceRatios.emplace_back(assignment->first, *ratio);
         return {};
       }},
      {"--nutrient",
       [&](const std::string& value) -> std::string {
         // An empty KEY judges the variable against nothing.
         const auto assignment = SplitAssignment(value);
         if (!assignment) return "--nutrient needs VARIABLE=KEY, such as 12=iron, not " + value;
         options.nutrients.push_back(*assignment);
         return {};
       }},
      {"--derive",
       [&](const std::string& value) -> std::string {
         // NAME before the first '=': an expression holds none outside its
         // braces, a header between them may.
         const size_t equals = value.find('=');
         const std::string name =
             equals == std::string::npos ? std::string() : TrimmedName(value.substr(0, equals));
         if (name.empty() || TrimmedName(value.substr(equals + 1)).empty()) {
           return "--derive needs NAME=EXPRESSION, such as 脂質比={脂質}*9/{エネルギー}*100, not " +
                  value;
         }
         if (name.find_first_of("\"\r\n\t") != std::string::npos) {
           return "--derive: the name " + name + " holds a quote or a control character";
         }
         options.derive.emplace_back(name, TrimmedName(value.substr(equals + 1)));
         return {};
       }},
      {"--energy-balance-columns",
       [&](const std::string& value) -> std::string {
         for (size_t from = 0; from <= value.size();) {
           const size_t comma = std::min(value.find(',', from), value.size());
           const std::string item = value.substr(from, comma - from);
           const size_t equals = item.find('=');
           const std::string word = item.substr(0, std::min(equals, item.size()));
           if (equals == std::string::npos || equals + 1 == item.size() ||
               !IsEnergyPartWord(word)) {
             return "--energy-balance-columns takes PART=COL separated by commas, PART being "
                    "energy, protein, fat or saturated-fat, not " + value;
           }
           options.energyColumns.emplace_back(word, ColumnName{item.substr(equals + 1)});
           from = comma + 1;
         }
         options.energyBalance = true;
         return {};
       }},
      {"--pregnancy-stage",
       [&](const std::string& value) -> std::string {
         if (value != "early" && value != "mid" && value != "late") {
           return "--pregnancy-stage is early, mid or late, not " + value;
         }
         options.pregnancyStage = value;
         return {};
       }},
      {"--menstruation",
       [&](const std::string& value) -> std::string {
         if (value != "yes" && value != "no") return "--menstruation is yes or no, not " + value;
         options.menstruation = value;
         return {};
       }},
  };
  std::vector<std::string> positional;
  bool optionsEnded = false;
  bool runOptions = false;  // any option but --xlsx-from

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    runOptions = runOptions || arg != "--xlsx-from";
    if (auto flag = flagOptions.find(arg); flag != flagOptions.end()) {
      *flag->second = true;
      continue;
    }
    const auto option = valueOptions.find(arg);
    if (option == valueOptions.end()) {
      error = "unknown option " + arg + " (see --help)";
      return std::nullopt;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = "option " + arg + " needs a value";
      return std::nullopt;
    }
    error = option->second(args[++i]);
    if (!error.empty()) return std::nullopt;
  }
  if (!options.resultsFile.empty()) {
    // A conversion of saved results: nothing is tabulated.
    if (runOptions || positional.size() != 1 || positional.front().empty()) {
      error = "--xlsx-from takes a results file and the workbook to write, and nothing else: "
              "kelvara-tab --xlsx-from RESULTS.csv OUT.xlsx";
      return std::nullopt;
    }
    options.workbookFile = positional.front();
    return options;
  }
  if (options.reference.empty() && (!options.nutrients.empty() || !options.pregnancyStage.empty() ||
                                    !options.menstruation.empty())) {
    error = "--nutrient, --pregnancy-stage and --menstruation need --reference";
    return std::nullopt;
  }
  if (!options.reference.empty() && options.scheme == SchemeId::category) {
    // Reference values go by age in years; a category number is not one.
    error = "--reference judges each person by age in years, but under --scheme category the "
            "--age column holds category numbers: choose table1, table2 or part5";
    return std::nullopt;
  }

  if (positional.empty()) {
    error = "no survey data file given (see --help)";
    return std::nullopt;
  }
  options.fileName = positional.front();
  for (size_t i = 1; i < positional.size(); ++i) {
    if (positional[i].empty()) {
      error = "an empty VARIABLE names no column";
      return std::nullopt;
    }
    options.variables.push_back({positional[i]});
  }
  for (const auto& [name, column] : {std::pair{"--sex", &options.sex},
                                     std::pair{"--age", &options.age},
                                     std::pair{"--pregnancy", &options.pregnancy}}) {
    if (!column->given()) {
      error = std::string("the ") + name + " column is required";
      return std::nullopt;
    }
  }
  if (options.variables.empty() && options.ratios.empty() && options.derive.empty() &&
      !options.energyBalance) {
    error = "no VARIABLE given: name at least one analysis column (or a --ratio)";
    return std::nullopt;
  }
  if ((options.energyAdjust != EnergyAdjustmentMethod::none) != options.energy.given()) {
    error = "--energy-adjust and --energy go together: --energy-adjust residual|density "
            "--energy COL";
    return std::nullopt;
  }
  if ((!options.varianceRatios.empty() || !options.ratioTable.empty() ||
       options.bootstrapReplicates > 0) &&
      !options.usual) {
    error = "--variance-ratio(s) and --bootstrap are used by --usual only: add --usual";
    return std::nullopt;
  }
  return options;
}

}  // namespace kelvara
