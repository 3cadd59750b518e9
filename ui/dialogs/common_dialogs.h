// The modal dialogs and message boxes of the main window, behind one small
// interface so that tests can answer them.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QDialog;
class QPrinter;
class QWidget;

// What a file dialog of the window keeps between uses: the filter set by the
// command that shows it, and the file name it offers (the one last chosen).
class TFileDialog : public QObject {
  Q_OBJECT

 public:
  enum class Kind { open, save };

  TFileDialog(Kind kind, const QString& name, QObject* parent);

  const Kind kind;
  QString filter;      // one entry, as "計算結果 (*.csv)"
  QString defaultExt;  // added to a saved name typed without an extension
  QString fileName;    // full path offered, and the one chosen after Execute
  QString directory;   // the folder shown when no file name is offered
};

class DialogService {
 public:
  virtual ~DialogService() = default;

  // Shows the file dialog. On confirmation stores the chosen full path in
  // dialog.fileName and returns true; on cancel changes nothing.
  virtual bool Execute(TFileDialog& dialog) = 0;
  // The print dialog on `printer`; true when the user chose to print.
  virtual bool ExecutePrint(QPrinter& printer) = 0;
  // The page and printer setup on `printer`; its choice stays in `printer`.
  virtual bool ExecutePrintSetup(QPrinter& printer) = 0;
  // A dialog of the window's own, shown modally; true when it was accepted.
  virtual bool ExecuteDialog(QDialog& dialog) = 0;
  // An error box with a single OK button.
  virtual void ShowError(const QString& text) = 0;
  // A confirmation box with Yes and No; true only for Yes.
  virtual bool Confirm(const QString& text) = 0;

  // A question before unsaved results would be lost: 保存 (save them first),
  // 保存しない (go on without them) or キャンセル. Where only Yes and No
  // can be given, Yes goes on without them.
  enum class SaveAnswer { save, discard, cancel };
  virtual SaveAnswer AskToSave(const QString& text) {
    return Confirm(text) ? SaveAnswer::discard : SaveAnswer::cancel;
  }
};

// A saved file's name with the save dialog's default extension added when it
// was typed without one.
QString WithDefaultExtension(const QString& fileName, const QString& extension);

// Whether a save may go ahead: true when no file of that name can be read,
// else the user's answer to the overwrite question.
bool ConfirmOverwrite(DialogService& dialogs, const QString& fileName);

// The toolkit's own dialogs, owned by `parent`.
std::unique_ptr<DialogService> MakeToolkitDialogs(QWidget* parent);
