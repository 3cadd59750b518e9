#include "engine/reading/survey_data.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/reading/cell_number.h"
#include "engine/reading/csv_line.h"
#include "engine/reading/csv_table.h"
#include "engine/reading/text_blocks.h"

namespace kelvara {
namespace {

// Blocks of this size are parsed in parallel, each straight into its rows'
// places in the columns.
constexpr size_t kBlockSize = 8 << 20;

// The classification columns with the person column, which only runs over
// person-days choose.
struct ChosenColumns : ColumnChoice {
  int personColumn = -1;
};

// The cells a row needs split off: up to the last chosen column, no further.
int CellsNeeded(const ChosenColumns& columns, const std::vector<int>& variableColumns,
                int strataColumn) {
  int last = std::max({columns.unitColumn, columns.sexColumn, columns.ageColumn,
                       columns.pregnancyColumn, columns.weightColumn, strataColumn,
                       columns.personColumn});
  for (int column : variableColumns) last = std::max(last, column);
  return std::clamp(last + 1, 1, CsvTable::kRowCellLimit);
}

// Reads the chosen cells of one row into row `row` of the columns.
class RowReader {
 public:
  RowReader(const ChosenColumns& columns, const std::vector<int>& variableColumns,
            int strataColumn)
      : columns_(columns),
        variableColumns_(variableColumns),
        strataColumn_(strataColumn),
        cellsNeeded_(CellsNeeded(columns, variableColumns, strataColumn)) {}

  void Read(std::string_view line, size_t row, SurveyData& data) {
    SplitLine(line, cellsNeeded_, cellText_, cells_);
    const CellValue sex = ReadCell(Cell(columns_.sexColumn));
    const CellValue age = ReadCell(Cell(columns_.ageColumn));
    const CellValue pregnancy = ReadCell(Cell(columns_.pregnancyColumn));
    bool classifiable = sex.valid && age.valid && pregnancy.valid;
    if (data.hasUnitColumn) {
      const std::string_view unitCell = Cell(columns_.unitColumn);
      classifiable = IsValidCell(unitCell) && classifiable;
      data.unitCode[row] = LeadingInteger(unitCell);
    }
    if (data.hasStrataColumn) {
      const std::string_view stratumCell = Cell(strataColumn_);
      classifiable = IsValidCell(stratumCell) && classifiable;
      data.stratumCode[row] = LeadingInteger(stratumCell);
    }
    double weight = 1.0;
    if (columns_.weightColumn != -1) {
      const CellValue cell = ReadCell(Cell(columns_.weightColumn));
      if (cell.valid) weight = cell.value;
      classifiable = classifiable && cell.valid;
    }
    data.sex[row] = LeadingInteger(Cell(columns_.sexColumn));
    data.age[row] = age.value;
    data.pregnancy[row] = LeadingInteger(Cell(columns_.pregnancyColumn));
    data.weight[row] = weight;
    data.classifiable[row] = classifiable ? 1 : 0;
    if (columns_.personColumn >= 0) data.personKey[row] = Cell(columns_.personColumn);
    for (size_t v = 0; v < variableColumns_.size(); ++v) {
      const CellValue cell = ReadCell(Cell(variableColumns_[v]));
      data.variables[v].value[row] = cell.value;
      data.variables[v].valid[row] = cell.valid ? 1 : 0;
    }
  }

 private:
  std::string_view Cell(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= cells_.size()) return {};
    return cells_[static_cast<size_t>(column)];
  }

  const ChosenColumns& columns_;
  const std::vector<int>& variableColumns_;
  const int strataColumn_;
  const int cellsNeeded_;
  std::string cellText_;
  std::vector<std::string_view> cells_;
};

// The number of rows (non-blank lines) of a block. CR bytes need not be
// dropped first: they are not content either way.
size_t CountRows(std::string_view lines) {
  size_t rows = 0;
  for (size_t pos = 0; pos < lines.size();) {
    const size_t end = std::min(lines.find('\n', pos), lines.size());
    if (!IsBlankLine(lines.substr(pos, end - pos))) ++rows;
    pos = end + 1;
  }
  return rows;
}

// Room for `rows` rows in every column. Room for a million rows of fifty
// variables is half a gigabyte to clear, which takes seconds on a busy
// machine: a stop request is looked at between columns (false when one came).
bool Resize(SurveyData& data, size_t rows, bool hasPersonColumn,
            const std::stop_token& stop = {}) {
  if (data.hasUnitColumn) data.unitCode.resize(rows);
  if (data.hasStrataColumn) data.stratumCode.resize(rows);
  data.sex.resize(rows);
  data.age.resize(rows);
  data.pregnancy.resize(rows);
  data.weight.resize(rows);
  data.classifiable.resize(rows);
  if (hasPersonColumn) data.personKey.resize(rows);
  for (VariableColumn& variable : data.variables) {
    if (stop.stop_requested()) return false;
    variable.value.resize(rows);
    variable.valid.resize(rows);
  }
  return true;
}

// Parses the rows of one block into their places, on a thread of its own,
// or on the spot when no thread can be started (no room left for one).
class ParsingBlock {
 public:
  ParsingBlock(std::string block, size_t offset, size_t firstRow, SurveyData& data,
               const ChosenColumns& columns, const std::vector<int>& variableColumns,
               int strataColumn) {
    auto job = std::make_shared<std::packaged_task<void()>>(
        [block = std::move(block), offset, firstRow, &data, &columns, &variableColumns,
         strataColumn] {
          RowReader reader(columns, variableColumns, strataColumn);
          LineCursor lines(std::string_view(block).substr(offset));
          size_t row = firstRow;
          for (std::string_view line; lines.Next(line);) {
            if (!IsBlankLine(line)) reader.Read(line, row++, data);
          }
        });
    done_ = job->get_future();
    try {
      worker_ = std::jthread([job] { (*job)(); });
    } catch (const std::system_error&) {
      (*job)();
    }
  }

  // Waits for the block; passes on anything the parsing threw.
  void Wait() { done_.get(); }

 private:
  std::future<void> done_;
  std::jthread worker_;
};

// Finds the header row (the first non-blank line) in the blocks read so far;
// on success `offset` is where the data rows of `block` start.
bool FindHeader(TextFileBlocks& blocks, std::string& block, size_t& offset,
                std::vector<std::string>& header, TextEncoding& encoding) {
  while (blocks.Next(block)) {
    LineCursor lines(block);
    for (std::string_view line; lines.Next(line);) {
      if (IsBlankLine(line)) continue;
      encoding = RecogniseEncoding(blocks.droppedByteOrderMark(), line);
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

}  // namespace

RunStatus ReadSurveyData(const std::filesystem::path& fileName, const ColumnChoice& choice,
                          const std::vector<int>& variableColumns, SurveyData& data,
                          int strataColumn, std::stop_token stop,
                          const ReadingProgress& progress, int personColumn) {
  ChosenColumns columns;
  static_cast<ColumnChoice&>(columns) = choice;
  columns.personColumn = personColumn;
  data = SurveyData{};
  data.hasUnitColumn = columns.unitColumn >= 0;
  data.hasStrataColumn = strataColumn >= 0;
  data.variables.resize(variableColumns.size());

  TextFileBlocks blocks(kBlockSize, TextFileBlocks::ByteOrderMark::drop);
  if (!blocks.Open(fileName)) return RunStatus::cannotOpen;
  std::string block;
  size_t offset = 0;
  std::vector<std::string> header;
  if (!FindHeader(blocks, block, offset, header, data.encoding)) {
    return blocks.failed() ? RunStatus::readError : RunStatus::noHeaderRow;
  }
  for (size_t v = 0; v < variableColumns.size(); ++v) {
    const auto column = static_cast<size_t>(variableColumns[v]);
    data.variables[v].name = column < header.size() ? header[column] : std::string();
  }

  // The main thread reads blocks and counts their rows, so that each block
  // knows where its rows go; workers parse the blocks meanwhile. The columns
  // grow only while no worker is writing into them.
  const size_t workers = std::max(1u, std::thread::hardware_concurrency());
  std::deque<ParsingBlock> pending;
  auto finishAll = [&] {
    for (; !pending.empty(); pending.pop_front()) pending.front().Wait();
  };
  size_t capacity = 0;
  size_t bytesRead = 0;
  bool stopped = false;
  try {
    do {
      if (stop.stop_requested()) {
        stopped = true;
        break;
      }
      bytesRead += block.size();
      const size_t rows = CountRows(std::string_view(block).substr(offset));
      if (data.rowCount + rows > capacity) {
        finishAll();
        capacity = std::max(2 * capacity, data.rowCount + rows);
        if (data.rowCount == 0) {
          // Room for the whole file at the first block's bytes per row, so
          // that the columns seldom have to grow and be copied.
          const size_t bytes = block.size() - offset;
          if (rows > 0 && bytes > 0) {
            const double estimate = 1.05 * static_cast<double>(blocks.fileSize()) /
                                    static_cast<double>(bytes) * static_cast<double>(rows);
            capacity = std::max(capacity, static_cast<size_t>(estimate));
          }
        }
        if (!Resize(data, capacity, columns.personColumn >= 0, stop)) {
          stopped = true;
          break;
        }
      }
      if (pending.size() > workers) {
        pending.front().Wait();
        pending.pop_front();
      }
      pending.emplace_back(std::move(block), offset, data.rowCount, data, columns,
                           variableColumns, strataColumn);
      data.rowCount += rows;
      block.clear();
      offset = 0;
      if (progress) progress(data.rowCount, bytesRead, blocks.fileSize());
    } while (blocks.Next(block));
    finishAll();
  } catch (...) {
    // Let the workers finish with the columns before they are released.
    for (ParsingBlock& parsing : pending) {
      try {
        parsing.Wait();
      } catch (...) {
      }
    }
    throw;
  }
  if (stopped) {
    data = SurveyData{};
    return RunStatus::stopped;
  }
  Resize(data, data.rowCount, columns.personColumn >= 0);
  return blocks.failed() ? RunStatus::readError : RunStatus::ok;
}

}  // namespace kelvara
