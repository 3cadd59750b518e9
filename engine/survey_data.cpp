#include "engine/survey_data.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/cell_number.h"
#include "engine/csv_line.h"
#include "engine/csv_table.h"
#include "engine/text_blocks.h"

namespace kelvara {
namespace {

// Blocks of this size are parsed in parallel, in file order.
constexpr size_t kBlockSize = 8 << 20;

// The cells a row needs split off: up to the last chosen column, no further.
int CellsNeeded(const ColumnChoice& columns, const std::vector<int>& variableColumns) {
  int last = std::max({columns.stratumColumn, columns.sexColumn, columns.ageColumn,
                       columns.pregnancyColumn, columns.weightColumn});
  for (int column : variableColumns) last = std::max(last, column);
  return std::clamp(last + 1, 1, CsvTable::kRowCellLimit);
}

struct RowReader {
  RowReader(const ColumnChoice& chosen, const std::vector<int>& variables)
      : columns(chosen), variableColumns(variables), cellsNeeded(CellsNeeded(chosen, variables)) {}

  const ColumnChoice& columns;
  const std::vector<int>& variableColumns;
  const int cellsNeeded;
  std::string cellText;
  std::vector<std::string_view> cells;

  std::string_view Cell(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= cells.size()) return {};
    return cells[static_cast<size_t>(column)];
  }

  void Add(std::string_view line, SurveyData& data) {
    SplitLine(line, cellsNeeded, cellText, cells);
    const CellValue sex = ReadCell(Cell(columns.sexColumn));
    const CellValue age = ReadCell(Cell(columns.ageColumn));
    const CellValue pregnancy = ReadCell(Cell(columns.pregnancyColumn));
    bool classifiable = sex.valid && age.valid && pregnancy.valid;
    if (data.hasUnitColumn) {
      const std::string_view unitCell = Cell(columns.stratumColumn);
      classifiable = IsValidCell(unitCell) && classifiable;
      data.unitCode.push_back(LeadingInteger(unitCell));
    }
    double weight = 1.0;
    if (columns.weightColumn != -1) {
      const CellValue cell = ReadCell(Cell(columns.weightColumn));
      if (cell.valid) weight = cell.value;
      classifiable = classifiable && cell.valid;
    }
    data.sex.push_back(LeadingInteger(Cell(columns.sexColumn)));
    data.age.push_back(age.value);
    data.pregnancy.push_back(LeadingInteger(Cell(columns.pregnancyColumn)));
    data.weight.push_back(weight);
    data.classifiable.push_back(classifiable ? 1 : 0);
    for (size_t v = 0; v < variableColumns.size(); ++v) {
      const CellValue cell = ReadCell(Cell(variableColumns[v]));
      data.variables[v].value.push_back(cell.value);
      data.variables[v].valid.push_back(cell.valid ? 1 : 0);
    }
    ++data.rowCount;
  }
};

SurveyData EmptyLike(const SurveyData& data) {
  SurveyData part;
  part.hasUnitColumn = data.hasUnitColumn;
  part.variables.resize(data.variables.size());
  return part;
}

// The data rows among the lines of `block` from `offset` on.
SurveyData ParseRows(std::string block, size_t offset, const ColumnChoice& columns,
                     const std::vector<int>& variableColumns, SurveyData part) {
  RowReader reader(columns, variableColumns);
  LineCursor lines(std::string_view(block).substr(offset));
  for (std::string_view line; lines.Next(line);) {
    if (!IsBlankLine(line)) reader.Add(line, part);
  }
  return part;
}

template <typename T>
void Append(std::vector<T>& to, std::vector<T>& from) {
  to.insert(to.end(), from.begin(), from.end());
  std::vector<T>().swap(from);
}

void AppendRows(SurveyData& data, SurveyData&& part) {
  data.rowCount += part.rowCount;
  Append(data.unitCode, part.unitCode);
  Append(data.sex, part.sex);
  Append(data.age, part.age);
  Append(data.pregnancy, part.pregnancy);
  Append(data.weight, part.weight);
  Append(data.classifiable, part.classifiable);
  for (size_t v = 0; v < data.variables.size(); ++v) {
    Append(data.variables[v].value, part.variables[v].value);
    Append(data.variables[v].valid, part.variables[v].valid);
  }
}

// Finds the header row (the first non-blank line) in the blocks read so far;
// on success `offset` is where the data rows of `block` start.
bool FindHeader(TextFileBlocks& blocks, std::string& block, size_t& offset,
                std::vector<std::string>& header) {
  while (blocks.Next(block)) {
    LineCursor lines(block);
    for (std::string_view line; lines.Next(line);) {
      if (IsBlankLine(line)) continue;
      std::string cellText;
      std::vector<std::string_view> cells;
      SplitLine(line, CsvTable::kRowCellLimit, cellText, cells);
      header.assign(cells.begin(), cells.end());
      offset = lines.offset();
      return true;
    }
  }
  return false;
}

// One block's rows, parsed on a thread of its own, or on the spot when no
// thread can be started (no room left for one).
class ParsingBlock {
 public:
  template <typename Parse>
  explicit ParsingBlock(Parse&& parse) {
    auto job = std::make_shared<std::packaged_task<SurveyData()>>(std::forward<Parse>(parse));
    result_ = job->get_future();
    try {
      worker_ = std::jthread([job] { (*job)(); });
    } catch (const std::system_error&) {
      (*job)();
    }
  }

  SurveyData Result() { return result_.get(); }

 private:
  std::future<SurveyData> result_;
  std::jthread worker_;
};

}  // namespace

ReadStatus ReadSurveyData(const std::string& fileName, const ColumnChoice& columns,
                          const std::vector<int>& variableColumns, SurveyData& data) {
  data = SurveyData{};
  data.hasUnitColumn = columns.stratumColumn >= 0;
  data.variables.resize(variableColumns.size());

  TextFileBlocks blocks(kBlockSize);
  if (!blocks.Open(fileName)) return ReadStatus::cannotOpen;
  std::string block;
  size_t offset = 0;
  std::vector<std::string> header;
  if (!FindHeader(blocks, block, offset, header)) {
    return blocks.failed() ? ReadStatus::readError : ReadStatus::noHeaderRow;
  }
  for (size_t v = 0; v < variableColumns.size(); ++v) {
    const auto column = static_cast<size_t>(variableColumns[v]);
    data.variables[v].name = column < header.size() ? header[column] : std::string();
  }

  // Blocks are parsed on worker threads while the next ones are read; their
  // rows are appended in file order.
  const size_t workers = std::max(1u, std::thread::hardware_concurrency());
  std::deque<ParsingBlock> pending;
  auto parse = [&](std::string&& text, size_t from) {
    pending.emplace_back([text = std::move(text), from, &columns, &variableColumns,
                          part = EmptyLike(data)]() mutable {
      return ParseRows(std::move(text), from, columns, variableColumns, std::move(part));
    });
  };
  parse(std::move(block), offset);
  for (std::string next; blocks.Next(next); next.clear()) {
    if (pending.size() > workers) {
      AppendRows(data, pending.front().Result());
      pending.pop_front();
    }
    parse(std::move(next), 0);
  }
  for (; !pending.empty(); pending.pop_front()) AppendRows(data, pending.front().Result());
  return blocks.failed() ? ReadStatus::readError : ReadStatus::ok;
}

}  // namespace kelvara
