#include "ui/dialogs/common_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "ui/results/results_file.h"
#include "ui/window/file_path.h"

TFileDialog::TFileDialog(Kind kind, const QString& name, QObject* parent)
    : QObject(parent), kind(kind) {
  setObjectName(name);
}

namespace {

// Japanese lines may break between any two characters, so a message box
// wrapping a long sentence can cut a word in two (「くださ」 / 「い」). Each
// sentence goes on a line of its own instead, and lines are not wrapped.
QString SentencePerLine(const QString& text) {
  QString lines;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const bool more = i + 1 < text.size() && text[i + 1] != QLatin1Char('\n');
    if (c == QChar(0x3002) && more) {  // 。
      lines += c;
      lines += QLatin1Char('\n');
    } else if (c == QLatin1Char('.') && more && text[i + 1] == QLatin1Char(' ')) {
      lines += c;
      lines += QLatin1Char('\n');
      ++i;  // the blank after the full stop
    } else {
      lines += c;
    }
  }
  return lines;
}

void KeepLinesWhole(QMessageBox& box) {
  box.setText(SentencePerLine(box.text()));
  if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
    label->setWordWrap(false);
  }
}

class ToolkitDialogs : public DialogService {
 public:
  explicit ToolkitDialogs(QWidget* parent) : parent_(parent) {}

  bool Execute(TFileDialog& dialog) override {
    const bool save = dialog.kind == TFileDialog::Kind::save;
    QFileDialog box(parent_);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An open dialog does not insist that the file exists: the command
    // reports a file it cannot open. The save command asks its own
    // overwrite question.
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite);
    box.setNameFilter(dialog.filter);
    if (save) box.setDefaultSuffix(dialog.defaultExt);
    if (!dialog.fileName.isEmpty()) {
      box.selectFile(dialog.fileName);
    } else if (!dialog.directory.isEmpty()) {
      box.setDirectory(dialog.directory);
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
    dialog.fileName = box.selectedFiles().constFirst();
    return true;
  }

  bool ExecutePrint(QPrinter& printer) override {
    QPrintDialog box(&printer, parent_);
    return box.exec() == QDialog::Accepted;
  }

  bool ExecutePrintSetup(QPrinter& printer) override {
    QPageSetupDialog box(&printer, parent_);
    return box.exec() == QDialog::Accepted;
  }

  bool ExecuteDialog(QDialog& dialog) override { return dialog.exec() == QDialog::Accepted; }

  void ShowError(const QString& text) override {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok,
                    parent_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    KeepLinesWhole(box);
    box.exec();
  }

  bool Confirm(const QString& text) override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), text,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::No);
    KeepLinesWhole(box);
    return box.exec() == QMessageBox::Yes;
  }

  SaveAnswer AskToSave(const QString& text) override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.button(QMessageBox::Save)->setText(QStringLiteral("保存(&S)..."));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("保存しない(&N)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    KeepLinesWhole(box);
    switch (box.exec()) {
      case QMessageBox::Save: return SaveAnswer::save;
      case QMessageBox::Discard: return SaveAnswer::discard;
      default: return SaveAnswer::cancel;
    }
  }

 private:
  QWidget* parent_;
};

}  // namespace

QString WithDefaultExtension(const QString& fileName, const QString& extension) {
  if (extension.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
  return fileName + QLatin1Char('.') + extension;
}

bool ConfirmOverwrite(DialogService& dialogs, const QString& fileName) {
  return !FileReadable(fileName) ||
         dialogs.Confirm(QStringLiteral("ファイル ") + ShownPath(fileName) +
                         QStringLiteral(" が既に存在します。\n\n重ね書きしますか？"));
}

std::unique_ptr<DialogService> MakeToolkitDialogs(QWidget* parent) {
  return std::make_unique<ToolkitDialogs>(parent);
}
