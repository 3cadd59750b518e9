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
  // They are unsaved until the next save.
  void AppendLines(std::vector<std::string> lines);
  // Replaces every line with those of a results file, which are saved there.
  void ReplaceLines(std::vector<std::string> lines);
  // Empties the pane; nothing is left to lose.
  void ClearLines();

  // Whether lines were appended since the pane was last saved, loaded or
  // cleared: closing or replacing the pane would lose them.
  bool hasUnsavedLines() const { return unsaved_; }
  void MarkSaved() { unsaved_ = false; }

 signals:
  // The lines changed: appended, cleared, or replaced by a loaded file.
  void linesChanged();

 private:
  void Show(const std::vector<std::string>& lines);

  std::vector<std::string> lines_;
  bool unsaved_ = false;
};
