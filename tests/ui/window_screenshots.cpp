// kelvara_screenshots: renders the window's two tabs to PNG files with the
// example survey file loaded and one run done, at the window's minimum size,
// at the size it opens with and at the size of the screen's free area, and
// prints that run's results to a PDF file, for looking at by eye
// (scripts/screenshots.sh); then saves the results, loads them back and saves
// them again, checking the bytes. Last come the help page, the about box, the
// print preview, the notices of persons in no age band and of choices not
// made again, and two of the toolkit's message boxes.
//
//   kelvara_screenshots SURVEY.csv OUT_DIR [TAG]
//
// TAG (say "150" for a run under QT_SCALE_FACTOR=1.5) goes into the names of
// the PNG files.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "tests/ui/ui_test_support.h"
#include "ui/dialogs/derived_variables_dialog.h"
#include "ui/window/main_window.h"
#include "ui/window/kelvara_application.h"
#include "ui/about/about_box.h"
#include "ui/dialogs/help_page.h"
#include "ui/results/results_pane.h"
#include "ui/results/results_printing.h"
#include "ui/settings/radio_group.h"

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
  const QString tag = argc > 3 ? QStringLiteral("-") + QString::fromLocal8Bit(argv[3]) : QString();
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();
  const QSize opened = MainForm->size();

  LoadSurveyFile(dialogs, survey);
  // The example file: 1 地区, 2 性別, 3 年齢, 4 妊婦授乳婦, 5 重み, 6 エネルギー ...
  Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(5);
  for (int item : {5, 9}) Find<QListWidget>("CheckListEiyoso")->item(item)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();
  if (!dialogs.errors.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(dialogs.errors.join(QLatin1Char('\n'))));
    return 1;
  }

  bool ok = true;
  const QSize screen = MainForm->screen()->availableGeometry().size();
  std::printf("screen's free area %dx%d, window opened at %dx%d, minimum %dx%d\n", screen.width(),
              screen.height(), opened.width(), opened.height(), MainForm->minimumWidth(),
              MainForm->minimumHeight());
  for (const auto& [name, size] : {std::pair{QStringLiteral("minimum"), MainForm->minimumSize()},
                                   std::pair{QStringLiteral("opened"), opened},
                                   std::pair{QStringLiteral("large"), screen}}) {
    MainForm->resize(size);
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
    ok = Save(MainForm, out.filePath(QStringLiteral("settings-tab-%1%2.png").arg(name, tag))) && ok;
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet3"));
    ok = Save(MainForm, out.filePath(QStringLiteral("results-tab-%1%2.png").arg(name, tag))) && ok;
  }

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

  // The design options: their dialog, the note under the run button, and a
  // run with the added columns.
  dialogs.onDialog = [&](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("strataColumn"))->setCurrentIndex(2);  // 2.性別
    for (const char* box : {"confidenceInterval", "coefficientOfVariation", "designEffect",
                            "shareBelow"}) {
      dialog.findChild<QCheckBox*>(QString::fromLatin1(box))->setChecked(true);
    }
    dialog.findChild<QLineEdit*>(QStringLiteral("cutOff"))->setText(QStringLiteral("2000"));
    dialog.show();
    ok = Save(&dialog, out.filePath(QStringLiteral("design-dialog%1.png").arg(tag))) && ok;
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  MainForm->resize(opened);
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
  ok = Save(MainForm, out.filePath(QStringLiteral("settings-tab-design%1.png").arg(tag))) && ok;
  MainForm->ButtonRunClick();
  ok = Save(MainForm, out.filePath(QStringLiteral("results-tab-design%1.png").arg(tag))) && ok;

  // The computed variables: the energy ratios added in one step, then the
  // 計算列 dialog with a row being typed and its check.
  Find<QAction>("EnergyBalanceItem")->trigger();
  dialogs.onDialog = [&](QDialog& dialog) {
    auto& derived = static_cast<DerivedVariablesDialog&>(dialog);
    dialog.findChild<QPushButton*>(QStringLiteral("ButtonAddDerived"))->click();
    const int row = derived.findChild<QTableWidget*>(QStringLiteral("DerivedTable"))->rowCount() - 1;
    derived.nameField(row)->setText(QStringLiteral("食塩密度"));
    derived.expressionField(row)->setText(QStringLiteral("{食塩相当量}/{エネルギー}*1000*("));
    dialog.show();
    ok = Save(&dialog, out.filePath(QStringLiteral("derived-dialog%1.png").arg(tag))) && ok;
    return false;
  };
  Find<QAction>("DerivedVariablesItem")->trigger();
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
  auto* variables = Find<QListWidget>("CheckListEiyoso");
  variables->scrollToItem(variables->item(variables->count() - 1));
  ok = Save(MainForm, out.filePath(QStringLiteral("settings-tab-derived%1.png").arg(tag))) && ok;

  // Usual intake with a ratio table by sex, a ratio typed beside a variable
  // and the bootstrap: the dialog's page, and the pane at the method line,
  // shown a band a line.
  const QString ratios = out.filePath(QStringLiteral("ratios.csv"));
  {
    QFile file(ratios);
    ok = file.open(QIODevice::WriteOnly) &&
         file.write("VAR,SEX,AGE,R\n6,1,,2\n6,2,,1.5\n6,2,30,0.8\n6,0,,1.3\n") > 0 && ok;
  }
  dialogs.onDialog = [&](QDialog& dialog) {
    dialog.findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(1);
    dialog.findChild<QCheckBox*>(QStringLiteral("usual"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("varianceRatio"))->setText(QStringLiteral("1.2"));
    auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("ratioFile"));
    file->setText(ratios);
    emit file->editingFinished();
    dialog.findChild<QSpinBox*>(QStringLiteral("bootstrapReplicates"))->setValue(20);
    dialog.show();
    ok = Save(&dialog, out.filePath(QStringLiteral("usual-dialog%1.png").arg(tag))) && ok;
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  MainForm->ButtonRunClick();
  MainForm->resize(screen);
  for (QTextBlock block = Pane()->document()->lastBlock(); block.isValid(); block = block.previous()) {
    if (!block.text().startsWith(QStringLiteral("\"習慣的摂取量の推定：λ"))) continue;
    QTextCursor cursor(block.next().next().next().next().next().next().next().next());
    Pane()->setTextCursor(cursor);
    Pane()->ensureCursorVisible();
    break;
  }
  ok = Save(MainForm, out.filePath(QStringLiteral("results-tab-usual%1.png").arg(tag))) && ok;
  MainForm->resize(opened);

  // The help page (F1), at its top and at the usual-intake method line's
  // paragraph, and the about box.
  MainForm->HelpContents();
  if (auto* help = MainForm->findChild<HelpPage*>()) {
    ok = Save(help, out.filePath(QStringLiteral("help-page%1.png").arg(tag))) && ok;
    help->ShowTopic(QStringLiteral("line-usual-method"));
    ok = Save(help, out.filePath(QStringLiteral("help-page-usual%1.png").arg(tag))) && ok;
    help->close();
  }
  AboutBox->show();
  ok = Save(AboutBox, out.filePath(QStringLiteral("about-box%1.png").arg(tag))) && ok;
  AboutBox->hide();

  // The print preview of the pane, on portrait and on landscape paper.
  for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
    QPrinter& printer = MainForm->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    printer.setPageOrientation(orientation);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [](QPrinter* target) {
      PrintResults(*Pane(), *target, QStringLiteral("計算結果: C:\\調査\\results.csv"));
    });
    preview.resize(1000, 760);
    preview.setZoomMode(QPrintPreviewWidget::FitInView);
    preview.show();
    preview.updatePreview();
    ok = Save(&preview, out.filePath(QStringLiteral("print-preview-%1%2.png")
                                         .arg(orientation == QPageLayout::Portrait
                                                  ? QStringLiteral("portrait")
                                                  : QStringLiteral("landscape"),
                                              tag))) && ok;
  }

  // A run whose ages fall in no age band of the scheme: the notice above
  // the results; another file, whose headers lack some chosen columns: the
  // notice above the selectors.
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(3);
  MainForm->ButtonRunClick();
  ok = Save(MainForm, out.filePath(QStringLiteral("results-tab-no-group%1.png").arg(tag))) && ok;
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(0);
  const QString other = out.filePath(QStringLiteral("other-headers.csv"));
  QFile file(other);
  if (file.open(QIODevice::WriteOnly)) {
    file.write("ID,sex,age,preg,kcal\r\n1,1,30,0,2000\r\n");
    file.close();
  }
  LoadSurveyFile(dialogs, other);
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
  ok = Save(MainForm, out.filePath(QStringLiteral("settings-tab-choices-notice%1.png").arg(tag))) && ok;

  // The toolkit's message boxes: a sentence per line, and the quit question.
  const std::unique_ptr<DialogService> boxes = MakeToolkitDialogs(MainForm);
  const auto grabBox = [&](const QString& name) {
    QTimer::singleShot(300, [&ok, &out, name] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ok = Save(box, out.filePath(name)) && ok;
        box->close();
      }
    });
  };
  grabBox(QStringLiteral("message-box%1.png").arg(tag));
  boxes->ShowError(QStringLiteral("重み（サンプリング・ウエイト）の「重さ」という列はありません. "
                                  "一覧から選ぶか、列の番号か見出しを入力してください."));
  grabBox(QStringLiteral("quit-question%1.png").arg(tag));
  boxes->AskToSave(QStringLiteral("計算結果が保存されていません。\n\n終了しますか？"));
  return ok && same && dialogs.errors.isEmpty() ? 0 : 1;
}
