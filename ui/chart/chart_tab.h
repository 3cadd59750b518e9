// The chart tab: the variables' blocks of the results pane in a list, and a
// chart of the chosen one, to look at, save as PNG or PDF, and print.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/report/report_reading.h"
#include "ui/chart/chart_data.h"
#include "ui/chart/chart_reference.h"

class DialogService;
class ChartView;
class QCheckBox;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStackedWidget;
class ResultsPane;
class TFileDialog;

class ChartTab : public QWidget {
 public:
  // The reference table chosen in the design options, if any.
  using ReferenceSource = std::function<std::shared_ptr<const kelvara::ReferenceChoice>()>;

  // Follows `pane`'s lines; asks its questions through `dialogs` and prints
  // on `printer`, the window's own (both asked for at the time of use). A
  // judged block's reference values are found in the table `reference`
  // gives when its title is the block's, else in the shipped tables.
  ChartTab(const ResultsPane& pane, std::function<DialogService&()> dialogs,
           std::function<QPrinter&()> printer, ReferenceSource reference = {},
           QWidget* parent = nullptr);
  ~ChartTab() override;

  // The blocks' names, in the pane's order.
  QListWidget* blockList() const { return list_; }
  // What the chart shows now; empty when no block is chosen or the chosen
  // one has gone from the pane.
  const ChartData& chartData() const { return data_; }
  // The text under the chart: what it shows and what it left out, or why it
  // is empty.
  QString note() const;

  void SetKind(ChartKind kind);
  void SetBothSexesShown(bool shown);

  // The commands of the tab's buttons.
  void SaveAsPng();
  void SaveAsPdf();
  void Print();

 private:
  // A block as the user chose it: the n-th block of that name, so that the
  // choice survives lines added before or after it.
  struct BlockKey {
    std::string name;
    int occurrence = 0;
  };

  void RefreshBlocks();
  void ChooseRow(int row);
  void Draw(bool force);
  bool AskSavePath(const QString& filter, const QString& extension, QString& path);
  // The chosen block's picture name without extension: the variable, the
  // scheme, the table, and the place among blocks of that same name.
  QString OfferedStem() const;
  std::optional<int> RowOf(const BlockKey& key) const;

  const ResultsPane& pane_;
  std::function<DialogService&()> dialogs_;
  std::function<QPrinter&()> printer_;
  ReferenceSource reference_;
  ReferenceTableFinder tables_;
  TFileDialog* saveDialog_;
  QString folder_;  // where the last picture was saved

  QSplitter* splitter_;
  QListWidget* list_;
  QRadioButton* meanButton_;
  QRadioButton* distributionButton_;
  QCheckBox* bothSexesBox_;
  QPushButton* savePngButton_;
  QPushButton* savePdfButton_;
  QPushButton* printButton_;
  QStackedWidget* stack_;
  ChartView* meanView_;
  ChartView* distributionView_;
  QLabel* noteLabel_;

  std::vector<kelvara::ReportBlock> blocks_;
  std::optional<BlockKey> chosen_;
  std::optional<kelvara::ReportBlock> drawnBlock_;  // the block the chart was drawn from
  std::shared_ptr<const kelvara::ReferenceChoice> drawnReference_;  // and the design's table
  ChartKind kind_ = ChartKind::mean;
  bool bothSexes_ = false;
  ChartData data_;
  QString emptyNote_;  // shown when there is no chart
};
