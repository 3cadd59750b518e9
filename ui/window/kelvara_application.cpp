#include "ui/window/kelvara_application.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "ui/window/handler_guard.h"

KelvaraApplication::KelvaraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The toolkit's dialogs (file, print, page setup) and standard buttons in
  // Japanese, from the toolkit's own translations when they are installed.
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(translator);
  }
}

bool KelvaraApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    QMessageBox::critical(activeWindow(), QStringLiteral("エラー"),
                          ExceptionMessage(std::current_exception()));
    return false;
  }
}
