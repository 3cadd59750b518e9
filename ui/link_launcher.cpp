#include "ui/link_launcher.h"

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

bool DetachedLinkLauncher::Start(const std::string& program, const std::string& address) {
  const QString path = QString::fromStdString(program);
  if (!QDir::isAbsolutePath(path)) return false;
  // Detached: the process is forked twice and the intermediate one reaped, so
  // the browser is no child of ours and nothing waits for it.
  return QProcess::startDetached(path, QStringList{QString::fromStdString(address)});
}
