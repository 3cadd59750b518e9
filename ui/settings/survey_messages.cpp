#include "ui/settings/survey_messages.h"

#include <QFileInfo>

#include "ui/window/file_path.h"
#include "ui/window/file_problem.h"

QString Survey(const QString& path) {
  return QStringLiteral("栄養調査データ[") + ShownPath(path) + QStringLiteral("]");
}

QString CannotOpenSurveyMessage(const QString& path) {
  if (!QFileInfo::exists(path)) return Survey(path) + QStringLiteral("が見つかりません.");
  return Survey(path) + QStringLiteral("を開けませんでした.\n\n原因: ") + ReadProblem(path);
}
