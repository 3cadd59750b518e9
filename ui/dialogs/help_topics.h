// The help page's explanations, one per column title and per kind of line
// of the report, each under an anchor of its own, and how a title or a line
// as the results pane shows it finds its explanation.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct HelpTopic {
  QString anchor;   // the paragraph's anchor in the help page
  QString heading;  // as the help page heads it
  // What leads a reader here: column titles as written; titles written
  // after a cut-off ("7.5未満の割合(%)" is "未満の割合(%)" after a number);
  // the end of an added block's heading before 】; the start of a line.
  QStringList titles;
  QStringList titlesAfterNumber;
  QStringList headingSuffixes;
  QStringList lineStarts;
  QString html;  // the explanation: one or two short paragraphs
};

// In the order the help page shows them: the columns, then the blocks and
// their lines.
const std::vector<HelpTopic>& HelpTopics();

// The explanation of a column title as written (without quotes); null when
// there is none.
const HelpTopic* HelpTopicForTitle(const QString& title);

// The explanation of a line as written (decoded, with its quotes): a
// block's heading by the end of its name, another line by its start; null
// for a line the help has no paragraph of its own for (an ordinary heading,
// a group line).
const HelpTopic* HelpTopicForLine(const QString& line);
