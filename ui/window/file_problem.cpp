#include "ui/window/file_problem.h"

#include <QFile>
#include <QFileInfo>

#include "ui/window/file_path.h"

QString ReadProblem(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("ファイルがありません。");
  if (info.isDir()) return QStringLiteral("フォルダです。ファイルを選んでください。");
  if (!info.isReadable()) return QStringLiteral("ファイルを読む権限がありません。");
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) return QStringLiteral("読み込み中にエラーが発生しました。");
  return file.errorString();
}

QString WriteProblem(const QString& path, QFileDevice::FileError error, const QString& systemText) {
  const QFileInfo info(path);
  const QFileInfo folder(info.absolutePath());
  if (!folder.exists()) return QStringLiteral("保存先のフォルダがありません。");
  if (info.isDir()) return QStringLiteral("同じ名前のフォルダがあります。");
  if (!folder.isWritable()) return QStringLiteral("保存先のフォルダに書き込む権限がありません。");
  if (info.exists() && !info.isWritable()) {
    return QStringLiteral("ファイルが読み取り専用か、書き込む権限がありません。");
  }
  if (error == QFileDevice::WriteError || error == QFileDevice::ResourceError) {
    const QString cause =
        QStringLiteral("書き込みの途中で失敗しました（ディスクの空きが足りないかもしれません）。");
    return info.exists() ? cause + QStringLiteral("元のファイルはそのままです。") : cause;
  }
  return systemText.isEmpty() ? QStringLiteral("原因はわかりません。") : systemText;
}

QString FailureMessage(const QString& what, const QString& path, const QString& cause) {
  return what + QStringLiteral("\n\nファイル: ") + ShownPath(path) +
         QStringLiteral("\n原因: ") + cause;
}
