#include "cli/tab_options.h"

#include <map>

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
    "  --utf8            UTF-8 with LF line ends, for reading in a terminal (a\n"
    "                    Windows console is given Unicode, whatever its code page)\n"
    "  -o FILE           write to FILE instead of standard output\n"
    "  --help            print this help\n"
    "\n"
    "COL and VARIABLE: a 1-based column number as in the window's labels (\"3\" is\n"
    "the column labelled 3.<header>), or a header cell's exact text.\n"
    "Output is code page 932 with CR LF line ends unless --utf8 is given.\n";

namespace {

const std::map<std::string, int> kSchemes = {
    {"table1", 0}, {"table2", 1}, {"part5", 2}, {"category", 3}};

}  // namespace

std::optional<TabOptions> ParseTabOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  TabOptions options;
  std::map<std::string, ColumnName*> columnOptions = {
      {"--unit", &options.unit}, {"--weight", &options.weight}, {"--sex", &options.sex},
      {"--age", &options.age},   {"--pregnancy", &options.pregnancy}};
  std::vector<std::string> positional;
  bool optionsEnded = false;

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
    if (arg == "--utf8") {
      options.utf8 = true;
      continue;
    }
    const bool takesValue = columnOptions.count(arg) || arg == "--scheme" || arg == "-o";
    if (!takesValue) {
      error = "unknown option " + arg + " (see --help)";
      return std::nullopt;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = "option " + arg + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (auto column = columnOptions.find(arg); column != columnOptions.end()) {
      column->second->text = value;
    } else if (arg == "--scheme") {
      const auto scheme = kSchemes.find(value);
      if (scheme == kSchemes.end()) {
        error = "unknown scheme " + value + " (table1, table2, part5 or category)";
        return std::nullopt;
      }
      options.schemeItemIndex = scheme->second;
    } else {
      options.outputFile = value;
    }
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
  if (options.variables.empty()) {
    error = "no VARIABLE given: name at least one analysis column";
    return std::nullopt;
  }
  return options;
}

}  // namespace kelvara
