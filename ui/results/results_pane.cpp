#include "ui/results/results_pane.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFont>
#include <QHelpEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QToolTip>

#include "ui/dialogs/help_topics.h"
#include "ui/results/shown_lines.h"
#include "ui/window/window_fonts.h"

namespace {

// A shown line that continues the report line above it (ShownLines).
constexpr int kContinuedLine = 1;

const QString kTitleLineStart = QStringLiteral("\"性年齢\",");

// The field of a line of fields at character `column`, without its quotes;
// commas inside quotes are no field's end.
QString FieldAt(const QString& line, int column) {
  bool quoted = false;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= line.size(); ++i) {
    const bool end = i == line.size() || (line[i] == QLatin1Char(',') && !quoted);
    if (i < line.size() && line[i] == QLatin1Char('"')) quoted = !quoted;
    if (!end) continue;
    if (column < i || i == line.size()) {
      QString field = line.mid(start, i - start);
      if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"'))) {
        field = field.mid(1, field.size() - 2);
      }
      return field;
    }
    start = i + 1;
  }
  return {};
}

// The tooltip of an explanation: its heading, its first sentence, and how to
// read the rest.
QString TooltipOf(const HelpTopic& topic) {
  const QString text = QTextDocumentFragment::fromHtml(topic.html).toPlainText().trimmed();
  const qsizetype stop = text.indexOf(QStringLiteral("。"));
  const QString first = stop < 0 ? text : text.left(stop + 1);
  return QStringLiteral("<p><b>%1</b><br>%2<br><i>クリックすると説明のページを開きます</i></p>")
      .arg(topic.heading.toHtmlEscaped(), first.toHtmlEscaped());
}

}  // namespace

ResultsPane::ResultsPane(QWidget* parent) : QPlainTextEdit(parent) {
  // Read-only, so that what is shown never drifts from the bytes kept.
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setMouseTracking(true);  // the hand over what the help explains
  QFont font;
  font.setFamilies(FixedWidthFontFamilies());
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(15);
  setFont(font);
}

void ResultsPane::Show(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  QString text;
  std::vector<int> continued;  // shown lines, from the first appended, that continue one
  int shownCount = 0;
  for (const std::string& line : lines) {
    const QStringList shown = ShownLines(line);
    for (qsizetype part = 0; part < shown.size(); ++part) {
      if (shownCount > 0) text += QLatin1Char('\n');
      text += shown[part];
      if (part > 0) continued.push_back(shownCount);
      ++shownCount;
    }
  }
  // One paragraph per line; appendPlainText starts the first one in an empty
  // document without an empty line before it.
  appendPlainText(text);
  const int first = document()->blockCount() - shownCount;
  for (int line : continued) document()->findBlockByNumber(first + line).setUserState(kContinuedLine);
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

const HelpTopic* ResultsPane::TopicAt(const QPoint& point) const {
  const QTextCursor cursor = cursorForPosition(point);
  QTextBlock block = cursor.block();
  if (!block.isValid()) return nullptr;
  // Past a line's end, or below the last, there is nothing to explain.
  const QRectF lineBox = blockBoundingGeometry(block).translated(contentOffset());
  const qreal textEnd = lineBox.left() + document()->documentMargin() +
                        fontMetrics().horizontalAdvance(block.text());
  if (point.x() > textEnd || point.y() > lineBox.bottom()) return nullptr;
  while (block.userState() == kContinuedLine && block.previous().isValid()) block = block.previous();
  const QString line = block.text();
  if (line.startsWith(kTitleLineStart)) return HelpTopicForTitle(FieldAt(line, cursor.positionInBlock()));
  return HelpTopicForLine(line);
}

bool ResultsPane::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (const HelpTopic* topic = TopicAt(help->pos())) {
      QToolTip::showText(help->globalPos(), TooltipOf(*topic), viewport());
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QPlainTextEdit::viewportEvent(event);
}

void ResultsPane::mousePressEvent(QMouseEvent* event) {
  pressedAt_ = event->position().toPoint();
  QPlainTextEdit::mousePressEvent(event);
}

void ResultsPane::mouseMoveEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseMoveEvent(event);
  if (event->buttons() == Qt::NoButton) {
    viewport()->setCursor(TopicAt(event->position().toPoint()) ? Qt::PointingHandCursor
                                                               : Qt::IBeamCursor);
  }
}

void ResultsPane::mouseReleaseEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  // A click, not the end of a selection drawn with the mouse.
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || textCursor().hasSelection() ||
      (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
    return;
  }
  if (const HelpTopic* topic = TopicAt(at)) emit helpRequested(topic->anchor);
}

void ResultsPane::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  if (const HelpTopic* topic = TopicAt(event->pos())) {
    menu->addSeparator();
    const QString anchor = topic->anchor;
    menu->addAction(QStringLiteral("「%1」の説明(&H)").arg(topic->heading), this,
                    [this, anchor] { emit helpRequested(anchor); });
  }
  menu->exec(event->globalPos());
  delete menu;
}
