#include "ui/results/shown_lines.h"

#include "ui/window/display_text.h"

namespace {

// The method line's title, before its list of bands.
const QString kMethodTitle =
    QStringLiteral("\"習慣的摂取量の推定：λ（Box-Cox）と分散比（個人内／個人間）");
const QString kBandIndent = QStringLiteral("    ");
const QString kStatementIndent = QStringLiteral("  ");
// The band of persons in no age band of the scheme, and who they are.
const QString kOtherBand = QStringLiteral("その他 ");
const QString kOtherBandShown = QStringLiteral("その他（年齢階級区分のどの年齢階級にも入らない人） ");

}  // namespace

QStringList ShownLines(std::string_view line) {
  const QString text = DisplayText(line);
  if (!text.startsWith(kMethodTitle) || !text.endsWith(QLatin1Char('"'))) return {text};
  // Title, then " band、band、…", then "；statement" for each statement.
  const QString rest = text.mid(kMethodTitle.size(), text.size() - kMethodTitle.size() - 1);
  const QStringList statements = rest.split(QStringLiteral("；"));
  QStringList shown = {kMethodTitle};
  for (QString band : statements.front().trimmed().split(QStringLiteral("、"), Qt::SkipEmptyParts)) {
    if (band.startsWith(kOtherBand)) band.replace(0, kOtherBand.size(), kOtherBandShown);
    shown.append(kBandIndent + band);
  }
  for (qsizetype i = 1; i < statements.size(); ++i) shown.append(kStatementIndent + statements[i]);
  shown.last().append(QLatin1Char('"'));
  return shown;
}
