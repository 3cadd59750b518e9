#include "ui/settings/survey_grid_model.h"

#include <algorithm>

#include "ui/window/display_text.h"

SurveyGridModel::SurveyGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void SurveyGridModel::Reset(int dataRows, int columns, bool numberRows) {
  beginResetModel();
  cells_.Clear();
  labels_.assign(static_cast<size_t>(columns), QString());
  dataRows_ = dataRows;
  columns_ = columns;
  numberRows_ = numberRows;
  encoding_ = kelvara::TextEncoding::cp932;
  endResetModel();
  cells_.ReserveRows(static_cast<size_t>(dataRows));
}

void SurveyGridModel::Show(const QStringList& labels, int columns, CellStore cells,
                           kelvara::TextEncoding encoding) {
  beginResetModel();
  cells_ = std::move(cells);
  dataRows_ = static_cast<int>(cells_.rowCount());
  columns_ = columns;
  numberRows_ = true;
  encoding_ = encoding;
  labels_.assign(static_cast<size_t>(columns), QString());
  for (int c = 0; c < std::min(static_cast<int>(labels.size()), columns); ++c) {
    labels_[static_cast<size_t>(c)] = labels[c];
  }
  endResetModel();
}

std::string_view SurveyGridModel::CellBytes(int row, int column) const {
  if (row < 0 || column < 0) return {};
  return cells_.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
}

int SurveyGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dataRows_;
}

int SurveyGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant SurveyGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const std::string_view bytes = CellBytes(index.row(), index.column());
  if (bytes.empty()) return {};
  return DisplayText(bytes, encoding_);
}

QVariant SurveyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    if (section >= columns_ || labels_[static_cast<size_t>(section)].isEmpty()) return {};
    return labels_[static_cast<size_t>(section)];
  }
  if (!numberRows_ || section >= dataRows_) return {};
  return QString::number(section + 1);
}

Qt::ItemFlags SurveyGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
