#include "ui/window/kelvara_application.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "ui/window/handler_guard.h"

KelvaraApplication::KelvaraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The toolkit's dialogs (file, print, page setup) and standard buttons in
  // Japanese, from the toolkit's own translations: in the folder translations
  // beside the program where it is installed with its own toolkit (Windows),
  // else where the system's toolkit keeps them.
  auto* translator = new QTranslator(this);
  for (const QString& folder : {applicationDirPath() + QStringLiteral("/translations"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                         QStringLiteral("_"), folder)) {
      installTranslator(translator);
      break;
    }
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
