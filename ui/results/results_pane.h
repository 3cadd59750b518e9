// The results pane: report lines kept as the code page 932 bytes they are,
// shown decoded in a read-only plain-text view. A column title or a line the
// help explains shows its explanation as a tooltip and opens it on a click.
#pragma once

#include <QPlainTextEdit>
#include <optional>
#include <string>
#include <vector>

#include "engine/report/run_conditions.h"

struct HelpTopic;

class ResultsPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ResultsPane(QWidget* parent = nullptr);

  // The pane's lines, exactly as appended or loaded.
  const std::vector<std::string>& lines() const { return lines_; }

  // Appends the lines after the present ones, in one update of the view.
  // They are unsaved until the next save. The conditions of the run that
  // made them, when given, are kept for the workbook's 条件 sheet.
  void AppendLines(std::vector<std::string> lines,
                   std::optional<kelvara::RunConditions> conditions = std::nullopt);
  // Replaces every line with those of a results file, which are saved there.
  void ReplaceLines(std::vector<std::string> lines);
  // Empties the pane; nothing is left to lose.
  void ClearLines();

  // Whether lines were appended since the pane was last saved, loaded or
  // cleared: closing or replacing the pane would lose them.
  bool hasUnsavedLines() const { return unsaved_; }
  void MarkSaved() { unsaved_ = false; }

  // The explanation of what stands at a point of the viewport: the column
  // title under it, or the line it is on; null for anything else.
  const HelpTopic* TopicAt(const QPoint& point) const;

  // The runs of this session whose lines the pane holds, with their
  // conditions; a loaded file's lines belong to none.
  const std::vector<kelvara::RunSpan>& runs() const { return runs_; }

 signals:
  // The lines changed: appended, cleared, or replaced by a loaded file.
  void linesChanged();
  // The user asked for the help page's paragraph under this anchor.
  void helpRequested(const QString& anchor);

 protected:
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Show(const std::vector<std::string>& lines);

  std::vector<std::string> lines_;
  std::vector<kelvara::RunSpan> runs_;
  bool unsaved_ = false;
  QPoint pressedAt_;
};
