// kelvara_screenshots: renders the window's two tabs to PNG files with the
// example survey file loaded and one run done, and prints that run's results
// to a PDF file, for looking at by eye (scripts/screenshots.sh); then saves
// the results, loads them back and saves them again, checking the bytes.
//
//   kelvara_screenshots SURVEY.csv OUT_DIR
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPrinter>
#include <QTabWidget>
#include <cstdio>

#include "tests/ui/ui_test_support.h"
#include "ui/Main.h"
#include "ui/kelvara_application.h"

namespace {

bool Save(QWidget* widget, const QString& path) {
  const bool saved = widget->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kelvara_screenshots SURVEY.csv OUT_DIR\n");
    return 2;
  }
  KelvaraApplication application(argc, argv);
  const QString survey = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  const QDir out(QString::fromLocal8Bit(argv[2]));
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();

  LoadSurveyFile(dialogs, survey);
  // The example file: 1 地区, 2 性別, 3 年齢, 4 妊婦授乳婦, 5 重み, 6 エネルギー ...
  MainForm->ComboBoxID1->setCurrentIndex(1);
  MainForm->ComboBoxBunrui1->setCurrentIndex(2);
  MainForm->ComboBoxBunrui2->setCurrentIndex(3);
  MainForm->ComboBoxBunrui3->setCurrentIndex(4);
  MainForm->ComboBoxWeight->setCurrentIndex(5);
  for (int item : {5, 9}) MainForm->CheckListEiyoso->item(item)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();
  if (!dialogs.errors.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(dialogs.errors.join(QLatin1Char('\n'))));
    return 1;
  }

  MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet2);
  bool ok = Save(MainForm, out.filePath(QStringLiteral("settings-tab.png")));
  MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet3);
  ok = Save(MainForm, out.filePath(QStringLiteral("results-tab.png"))) && ok;

  const QString pdf = out.filePath(QStringLiteral("results.pdf"));
  dialogs.onPrint = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return true;
  };
  MainForm->FilePrint();
  std::printf("printed %s\n", qPrintable(pdf));

  // Save the results, clear the pane, load them back and save again: the two
  // files must hold the same bytes.
  const QString saved = out.filePath(QStringLiteral("results.csv"));
  const QString resaved = out.filePath(QStringLiteral("results-reloaded.csv"));
  QFile::remove(saved);
  QFile::remove(resaved);
  dialogs.fileAnswers = {saved};
  MainForm->FileSaveAs();
  dialogs.confirmAnswers = {true};
  MainForm->FileNew();
  dialogs.fileAnswers = {saved};
  MainForm->FileOpen();
  dialogs.fileAnswers = {resaved};
  MainForm->FileSaveAs();
  const bool same = ReadBytes(saved) == ReadBytes(resaved) && !ReadBytes(saved).empty();
  std::printf("saved %s, reloaded and saved again: %s\n", qPrintable(saved),
              same ? "identical bytes" : "DIFFERENT BYTES");
  return ok && same && dialogs.errors.isEmpty() ? 0 : 1;
}
