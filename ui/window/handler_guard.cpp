#include "ui/window/handler_guard.h"

#include <new>
#include <stdexcept>

#include "ui/dialogs/common_dialogs.h"

QString ExceptionMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return QStringLiteral("メモリが足りません。処理を中止しました。");
  } catch (const std::exception& e) {
    const QString text = QString::fromUtf8(e.what());
    return text.isEmpty() ? QStringLiteral("エラーが発生しました。") : text;
  } catch (...) {
    return QStringLiteral("エラーが発生しました。");
  }
}

void ShowException(DialogService& dialogs, std::exception_ptr error) {
  const QString message = ExceptionMessage(error);
  try {
    dialogs.ShowError(message);
  } catch (...) {
    // Nothing more can be shown; the program goes on.
  }
}
