#include "ui/results/results_pane.h"

#include <QFont>

#include "ui/window/display_text.h"
#include "ui/window/window_fonts.h"

ResultsPane::ResultsPane(QWidget* parent) : QPlainTextEdit(parent) {
  // Read-only, so that what is shown never drifts from the bytes kept.
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font;
  font.setFamilies(FixedWidthFontFamilies());
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(15);
  setFont(font);
}

void ResultsPane::Show(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  QString text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += QLatin1Char('\n');
    text += DisplayText(lines[i]);
  }
  // One paragraph per line; appendPlainText starts the first one in an empty
  // document without an empty line before it.
  appendPlainText(text);
}

void ResultsPane::AppendLines(std::vector<std::string> lines,
                              std::optional<kelvara::RunConditions> conditions) {
  if (lines.empty()) return;
  Show(lines);
  if (conditions) runs_.push_back({lines_.size(), lines_.size() + lines.size(), std::move(*conditions)});
  lines_.reserve(lines_.size() + lines.size());
  for (std::string& line : lines) lines_.push_back(std::move(line));
  unsaved_ = true;
  emit linesChanged();
}

void ResultsPane::ReplaceLines(std::vector<std::string> lines) {
  clear();
  Show(lines);
  lines_ = std::move(lines);
  runs_.clear();
  unsaved_ = false;
  emit linesChanged();
}

void ResultsPane::ClearLines() {
  lines_.clear();
  runs_.clear();
  clear();
  unsaved_ = false;
  emit linesChanged();
}
