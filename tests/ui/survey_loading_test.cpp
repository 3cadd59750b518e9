// Loading a survey data file: labels, selectors, check list, grid, progress
// window, and what cancelling, failing and re-opening leave behind.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QtTest>

#include "tests/ui/ui_test_support.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/survey_grid_model.h"

namespace {

QList<QComboBox*> Selectors() {
  return {MainForm->ComboBoxID1, MainForm->ComboBoxWeight, MainForm->ComboBoxBunrui1,
          MainForm->ComboBoxBunrui2, MainForm->ComboBoxBunrui3};
}

QString Cell(int row, int column) {
  return MainForm->gridModel()->data(MainForm->gridModel()->index(row, column)).toString();
}

QString Heading(int column) {
  return MainForm->gridModel()->headerData(column, Qt::Horizontal).toString();
}

}  // namespace

class SurveyLoadingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { windows_ = std::make_unique<TestWindows>(dialogs_ = ScriptedDialogs()); }
  void cleanup() { windows_.reset(); }

  void fillsSelectorsCheckListAndGrid();
  void shortRowsAndRowsLongerThanTheHeader();
  void headerOnlyAndEmptyFiles();
  void onlyTheFirst256ColumnsAppear();
  void cellsAreDecodedForDisplayOnly();
  void cancelKeepsTheFileAndResetsTheSelectors();
  void secondFileReplacesChoicesAndTicks();
  void fileThatCannotBeOpenedChangesNothing();
  void utf16AndByteOrderMarkFilesLoadWithoutHarm();

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  QTemporaryDir dir_;
};

void SurveyLoadingTest::fillsSelectorsCheckListAndGrid() {
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, path);
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(dialogs_.filters, QStringList{QStringLiteral("栄養調査データ (*.csv)")});
  QCOMPARE(MainForm->PanelDietFileName->text(), path);

  const QStringList labels = {QStringLiteral("1.ID"),     QStringLiteral("2.性別"),
                              QStringLiteral("3.年齢"),   QStringLiteral("4.妊婦"),
                              QStringLiteral("5.エネルギー"), QStringLiteral("6.重み")};
  for (QComboBox* selector : Selectors()) {
    QCOMPARE(EntryTexts(selector), QStringList{QStringLiteral("(なし)")} + labels);
    QCOMPARE(selector->currentIndex(), 0);
  }
  QCOMPARE(MainForm->ComboBoxWeight->currentText(), QStringLiteral("(なし)"));
  QCOMPARE(ItemTexts(MainForm->CheckListEiyoso), labels);
  for (int i = 0; i < MainForm->CheckListEiyoso->count(); ++i) {
    QListWidgetItem* item = MainForm->CheckListEiyoso->item(i);
    QVERIFY(item->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(item->checkState(), Qt::Unchecked);
  }

  // 13 rows with the header row: 12 data rows under 6 labelled columns.
  SurveyGridModel* grid = MainForm->gridModel();
  QCOMPARE(grid->rowCount(), 12);
  QCOMPARE(grid->columnCount(), 6);
  for (int c = 0; c < 6; ++c) QCOMPARE(Heading(c), labels[c]);
  QCOMPARE(grid->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
  QCOMPARE(grid->headerData(11, Qt::Vertical).toString(), QStringLiteral("12"));
  QCOMPARE(Cell(0, 4), QStringLiteral("2100.5"));
  QCOMPARE(Cell(8, 3), QString());  // "1,1,55,,2200,1": the empty cell
  QCOMPARE(Cell(9, 4), QStringLiteral("NA"));
  QCOMPARE(Cell(11, 5), QStringLiteral("1"));

  // The progress window ran from 0 to the row count and is gone again.
  QCOMPARE(FormProgress->windowTitle(), QStringLiteral("ファイルを読み込み中"));
  QCOMPARE(FormProgress->ProgressBar->minimum(), 0);
  QCOMPARE(FormProgress->ProgressBar->maximum(), 13);
  QCOMPARE(FormProgress->ProgressBar->value(), 13);
  QVERIFY(!FormProgress->isVisible());
}

void SurveyLoadingTest::shortRowsAndRowsLongerThanTheHeader() {
  // Cells of 200 and 20,000 bytes are kept whole beside short ones.
  const std::string wide(200, 'w'), wider(20000, 'W');
  const QString path = WriteFile(dir_, QStringLiteral("ragged.csv"),
                                 "a,b,c\n1,2,3,4,5\n7\n\"x,y\",  z  ,\n" + wide + "," + wider +
                                     ",\x83G\n");
  LoadSurveyFile(dialogs_, path);
  SurveyGridModel* grid = MainForm->gridModel();
  QCOMPARE(grid->rowCount(), 4);
  QCOMPARE(grid->columnCount(), 5);
  QCOMPARE(Heading(2), QStringLiteral("3.c"));
  QVERIFY(!grid->headerData(3, Qt::Horizontal).isValid());  // data under an empty heading
  QVERIFY(!grid->headerData(4, Qt::Horizontal).isValid());
  QCOMPARE(Cell(0, 3), QStringLiteral("4"));
  QCOMPARE(Cell(0, 4), QStringLiteral("5"));
  QCOMPARE(Cell(1, 0), QStringLiteral("7"));
  for (int c = 1; c < 5; ++c) QCOMPARE(Cell(1, c), QString());
  QCOMPARE(Cell(2, 0), QStringLiteral("x,y"));  // the reader's cell texts
  QCOMPARE(grid->CellBytes(3, 0), std::string_view(wide));
  QCOMPARE(grid->CellBytes(3, 1), std::string_view(wider));
  QCOMPARE(Cell(3, 2), QStringLiteral("エ"));
  QCOMPARE(MainForm->ComboBoxBunrui1->count(), 4);  // (なし) and three labels
  QCOMPARE(MainForm->CheckListEiyoso->count(), 3);
}

void SurveyLoadingTest::headerOnlyAndEmptyFiles() {
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("header.csv"), "ID,x\r\n"));
  QCOMPARE(MainForm->gridModel()->rowCount(), 0);
  QCOMPARE(MainForm->gridModel()->columnCount(), 2);
  QCOMPARE(Heading(1), QStringLiteral("2.x"));
  QCOMPARE(EntryTexts(MainForm->ComboBoxID1),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.ID"), QStringLiteral("2.x")}));
  QCOMPARE(MainForm->CheckListEiyoso->count(), 2);

  const QString empty = WriteFile(dir_, QStringLiteral("empty.csv"), "\r\n \r\n");
  LoadSurveyFile(dialogs_, empty);
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->PanelDietFileName->text(), empty);
  QCOMPARE(MainForm->gridModel()->rowCount(), 0);
  QCOMPARE(MainForm->gridModel()->columnCount(), 0);
  for (QComboBox* selector : Selectors()) {
    QCOMPARE(EntryTexts(selector), QStringList{QStringLiteral("(なし)")});
  }
  QCOMPARE(MainForm->CheckListEiyoso->count(), 0);
  QCOMPARE(FormProgress->ProgressBar->maximum(), 0);
}

void SurveyLoadingTest::onlyTheFirst256ColumnsAppear() {
  std::string header, row;
  for (int c = 0; c < 300; ++c) {
    if (c > 0) {
      header += ',';
      row += ',';
    }
    header += 'h';
    header += std::to_string(c);
    row += std::to_string(c);
  }
  LoadSurveyFile(dialogs_,
                 WriteFile(dir_, QStringLiteral("wide.csv"), header + "\n" + row + "\n"));
  QCOMPARE(MainForm->gridModel()->columnCount(), 256);
  QCOMPARE(Heading(255), QStringLiteral("256.h255"));
  QCOMPARE(Cell(0, 255), QStringLiteral("255"));
  QCOMPARE(MainForm->ComboBoxWeight->count(), 257);
  QCOMPARE(MainForm->CheckListEiyoso->count(), 256);
}

void SurveyLoadingTest::cellsAreDecodedForDisplayOnly() {
  // ①, ㎎ and ～ (0x81 0x60) in the header and a cell; a lone lead byte 0x82
  // and a byte 0xA0 that decodes to nothing.
  const std::string bytes =
      "\x87\x40,\x87\x72,\x81\x60\n"
      "\x82,a\xA0"
      "b,\x81\x60\n";
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("codes.csv"), bytes));
  QCOMPARE(EntryTexts(MainForm->ComboBoxBunrui1),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.①"), QStringLiteral("2.㎎"),
                        QStringLiteral("3.～")}));
  QCOMPARE(Cell(0, 0), QStringLiteral("\uFFFD"));
  QCOMPARE(Cell(0, 1), QStringLiteral("a\uFFFDb"));
  QCOMPARE(Cell(0, 2), QStringLiteral("～"));
  QCOMPARE(MainForm->gridModel()->CellBytes(0, 1), std::string_view("a\xA0" "b"));
}

void SurveyLoadingTest::cancelKeepsTheFileAndResetsTheSelectors() {
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, path);
  MainForm->ComboBoxBunrui1->setCurrentIndex(2);
  MainForm->ComboBoxWeight->setCurrentIndex(6);
  MainForm->ComboBoxWeight->setEditText(QStringLiteral("typed"));
  MainForm->CheckListEiyoso->item(4)->setCheckState(Qt::Checked);

  dialogs_.fileAnswers.push_back(std::nullopt);
  MainForm->Button1Click();
  QCOMPARE(dialogs_.offeredFileNames.last(), path);  // the file loaded last
  QCOMPARE(MainForm->PanelDietFileName->text(), path);
  QCOMPARE(MainForm->gridModel()->rowCount(), 12);
  QCOMPARE(MainForm->CheckListEiyoso->item(4)->checkState(), Qt::Checked);
  for (QComboBox* selector : Selectors()) QCOMPARE(selector->currentIndex(), 0);
  QCOMPARE(MainForm->ComboBoxWeight->currentText(), QStringLiteral("(なし)"));

  // Before any file is loaded, a cancel selects nothing in the empty lists.
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_);
  dialogs_.fileAnswers.push_back(std::nullopt);
  MainForm->Button1Click();
  QCOMPARE(dialogs_.offeredFileNames.last(), QString());
  for (QComboBox* selector : Selectors()) QCOMPARE(selector->currentIndex(), -1);
}

void SurveyLoadingTest::secondFileReplacesChoicesAndTicks() {
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("one.csv"), SmallSurveyBytes()));
  MainForm->ComboBoxBunrui2->setCurrentIndex(3);
  MainForm->CheckListEiyoso->item(0)->setCheckState(Qt::Checked);
  const QString second = WriteFile(dir_, QStringLiteral("two.csv"), "p,q\n1,2\n");
  LoadSurveyFile(dialogs_, second);
  QCOMPARE(MainForm->PanelDietFileName->text(), second);
  QCOMPARE(EntryTexts(MainForm->ComboBoxBunrui2),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.p"), QStringLiteral("2.q")}));
  QCOMPARE(MainForm->ComboBoxBunrui2->currentIndex(), 0);
  QCOMPARE(MainForm->CheckListEiyoso->item(0)->checkState(), Qt::Unchecked);
  QCOMPARE(MainForm->gridModel()->rowCount(), 1);
  QCOMPARE(Cell(0, 1), QStringLiteral("2"));
}

void SurveyLoadingTest::fileThatCannotBeOpenedChangesNothing() {
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, path);
  MainForm->ComboBoxBunrui1->setCurrentIndex(2);
  const QString missing = dir_.filePath(QStringLiteral("missing.csv"));
  LoadSurveyFile(dialogs_, missing);
  QCOMPARE(dialogs_.errors,
           QStringList{QStringLiteral("栄養調査データ[") + missing +
                       QStringLiteral("]が見つかりません.")});
  QCOMPARE(MainForm->PanelDietFileName->text(), path);
  QCOMPARE(MainForm->ComboBoxBunrui1->currentIndex(), 2);
  QCOMPARE(MainForm->gridModel()->rowCount(), 12);

  // A directory cannot be opened as a file either.
  LoadSurveyFile(dialogs_, dir_.path());
  QCOMPARE(dialogs_.errors.size(), 2);
  QCOMPARE(MainForm->PanelDietFileName->text(), path);
}

void SurveyLoadingTest::utf16AndByteOrderMarkFilesLoadWithoutHarm() {
  const QString text = QStringLiteral("性別,年齢\r\n1,30\r\n");
  QByteArray utf16("\xFF\xFE", 2);
  utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("utf16.csv"), utf16.toStdString()));
  QVERIFY(dialogs_.errors.isEmpty());
  QVERIFY(MainForm->ComboBoxBunrui1->count() >= 1);
  QVERIFY(MainForm->gridModel()->columnCount() >= 1);
  for (int r = 0; r < MainForm->gridModel()->rowCount(); ++r) Cell(r, 0);  // decodes, no crash

  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("bom.csv"),
                                     "\xEF\xBB\xBF" + text.toUtf8().toStdString()));
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->ComboBoxBunrui1->count(), 3);
  QCOMPARE(MainForm->gridModel()->rowCount(), 1);
  QCOMPARE(Cell(0, 1), QStringLiteral("30"));
}

QTEST_MAIN(SurveyLoadingTest)
#include "survey_loading_test.moc"
