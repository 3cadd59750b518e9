// The grid's view of a survey data file: column labels in the heading row,
// row numbers in the heading column, cell texts decoded only when shown.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

#include "engine/reading/text_encoding.h"
#include "ui/settings/cell_store.h"

class SurveyGridModel : public QAbstractTableModel {
 public:
  explicit SurveyGridModel(QObject* parent = nullptr);

  // An empty grid of `dataRows` rows below the heading row and `columns`
  // columns beside the heading column; every cell and label empty. Rows are
  // numbered in the heading column when `numberRows` is set.
  void Reset(int dataRows, int columns, bool numberRows);

  // Shows a survey file: its data rows, numbered, under `columns` columns
  // whose label c names column c (columns past the labels stay without a
  // heading). Cells are decoded from `encoding` only when shown.
  void Show(const QStringList& labels, int columns, CellStore cells,
            kelvara::TextEncoding encoding);

  // The bytes of a cell as read from the file.
  std::string_view CellBytes(int row, int column) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int dataRows_ = 0;
  int columns_ = 0;
  bool numberRows_ = false;
  kelvara::TextEncoding encoding_ = kelvara::TextEncoding::cp932;
  std::vector<QString> labels_;
  CellStore cells_;
};
