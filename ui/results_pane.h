// The results pane: report lines kept as the code page 932 bytes they are,
// shown decoded in a read-only plain-text view.
#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

class ResultsPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ResultsPane(QWidget* parent = nullptr);

  // The pane's lines, exactly as appended or loaded.
  const std::vector<std::string>& lines() const { return lines_; }

  // Appends the lines after the present ones, in one update of the view.
  void AppendLines(std::vector<std::string> lines);
  void ClearLines();

 signals:
  // The lines were appended to or cleared (a loaded file does both).
  void linesChanged();

 private:
  std::vector<std::string> lines_;
};
