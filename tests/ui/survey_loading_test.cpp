// Loading a survey data file: labels, selectors, check list, grid, progress
// window, and what cancelling, failing and re-opening leave behind.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>

#include "tests/ui/ui_test_support.h"
#include "ui/window/main_window.h"
#include "ui/window/notice_bar.h"
#include "ui/window/progress_window.h"
#include "ui/settings/survey_grid_model.h"

namespace {

QList<QComboBox*> Selectors() {
  return {Find<QComboBox>("ComboBoxID1"), Find<QComboBox>("ComboBoxWeight"), Find<QComboBox>("ComboBoxBunrui1"),
          Find<QComboBox>("ComboBoxBunrui2"), Find<QComboBox>("ComboBoxBunrui3")};
}

QString Cell(int row, int column) {
  return Grid()->data(Grid()->index(row, column)).toString();
}

QString Heading(int column) {
  return Grid()->headerData(column, Qt::Horizontal).toString();
}

// The file name as the box above the grid and the messages show it: with
// backslashes on Windows, as Explorer writes it.
QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }
QString FileNameBox() { return Find<QLabel>("PanelDietFileName")->text(); }

}  // namespace

class SurveyLoadingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { windows_ = std::make_unique<TestWindows>(dialogs_ = ScriptedDialogs()); }
  void cleanup() { windows_.reset(); }

  void fillsSelectorsCheckListAndGrid();
  void shortRowsAndRowsLongerThanTheHeader();
  void filesThatAreNoSurveyDataAreSaidSo();
  void stoppedLoadLeavesTheWindowAsItWas();
  void droppedFileOpensAsIfChosen();
  void aClickOnACheckBoxMakesItsItemCurrent();
  void onlyTheFirst256ColumnsAppear();
  void cellsAreDecodedForDisplayOnly();
  void cancelKeepsTheFileAndResetsTheSelectors();
  void secondFileReplacesChoicesAndTicks();
  void fileThatCannotBeOpenedChangesNothing();
  void choicesComeBackWithTheirFile();

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
  QCOMPARE(FileNameBox(), Shown(path));
#ifdef Q_OS_WIN
  QVERIFY2(FileNameBox().contains(u'\\') && !FileNameBox().contains(u'/'), qPrintable(FileNameBox()));
#endif

  const QStringList labels = {QStringLiteral("1.ID"),     QStringLiteral("2.性別"),
                              QStringLiteral("3.年齢"),   QStringLiteral("4.妊婦"),
                              QStringLiteral("5.エネルギー"), QStringLiteral("6.重み")};
  for (QComboBox* selector : Selectors()) {
    QCOMPARE(EntryTexts(selector), QStringList{QStringLiteral("(なし)")} + labels);
    QCOMPARE(selector->currentIndex(), 0);
  }
  QCOMPARE(Find<QComboBox>("ComboBoxWeight")->currentText(), QStringLiteral("(なし)"));
  QCOMPARE(ItemTexts(Find<QListWidget>("CheckListEiyoso")), labels);
  for (int i = 0; i < Find<QListWidget>("CheckListEiyoso")->count(); ++i) {
    QListWidgetItem* item = Find<QListWidget>("CheckListEiyoso")->item(i);
    QVERIFY(item->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(item->checkState(), Qt::Unchecked);
  }

  // 13 rows with the header row: 12 data rows under 6 labelled columns.
  SurveyGridModel* grid = Grid();
  QCOMPARE(grid->rowCount(), 12);
  QCOMPARE(grid->columnCount(), 6);
  for (int c = 0; c < 6; ++c) QCOMPARE(Heading(c), labels[c]);
  QCOMPARE(grid->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
  QCOMPARE(grid->headerData(11, Qt::Vertical).toString(), QStringLiteral("12"));
  QCOMPARE(Cell(0, 4), QStringLiteral("2100.5"));
  QCOMPARE(Cell(8, 3), QString());  // "1,1,55,,2200,1": the empty cell
  QCOMPARE(Cell(9, 4), QStringLiteral("NA"));
  QCOMPARE(Cell(11, 5), QStringLiteral("1"));

  // The progress window ran to the end of the file, told the rows read, and
  // is gone again.
  QCOMPARE(FormProgress->windowTitle(), QStringLiteral("ファイルを読み込み中"));
  const auto* bar = FormProgress->findChild<QProgressBar*>("ProgressBar");
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());
  QVERIFY(FormProgress->findChild<QLabel*>("LabelStatus")->text().startsWith(QStringLiteral("12 行")));
  QVERIFY(!FormProgress->isVisible());
}

void SurveyLoadingTest::shortRowsAndRowsLongerThanTheHeader() {
  // Cells of 200 and 20,000 bytes are kept whole beside short ones.
  const std::string wide(200, 'w'), wider(20000, 'W');
  const QString path = WriteFile(dir_, QStringLiteral("ragged.csv"),
                                 "a,b,c\n1,2,3,4,5\n7\n\"x,y\",  z  ,\n" + wide + "," + wider +
                                     ",\x83G\n");
  LoadSurveyFile(dialogs_, path);
  SurveyGridModel* grid = Grid();
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
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui1")->count(), 4);  // (なし) and three labels
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->count(), 3);
}

void SurveyLoadingTest::filesThatAreNoSurveyDataAreSaidSo() {
  const QString survey = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, survey);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  const auto unchanged = [&](const QString& what) {
    QVERIFY2(FileNameBox() == Shown(survey), qPrintable(what));
    QVERIFY2(Grid()->rowCount() == 12, qPrintable(what));
    QVERIFY2(Find<QComboBox>("ComboBoxBunrui1")->currentIndex() == 2, qPrintable(what));
  };

  // Refused with a message naming the file: nothing of them can be shown.
  QByteArray utf16("\xFF\xFE", 2);
  const QString text = QStringLiteral("性別,年齢\r\n1,30\r\n");
  utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  const std::string binary("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20);
  for (const auto& [name, bytes] : {std::pair{"empty.csv", std::string("\r\n \r\n")},
                                    std::pair{"utf16.csv", utf16.toStdString()},
                                    std::pair{"image.csv", binary + std::string(4000, '\x03')}}) {
    const QString path = WriteFile(dir_, QString::fromLatin1(name), bytes);
    dialogs_.errors.clear();
    LoadSurveyFile(dialogs_, path);
    QCOMPARE(dialogs_.errors.size(), 1);
    QVERIFY2(dialogs_.errors[0].contains(Shown(path)), qPrintable(dialogs_.errors[0]));
    unchanged(QString::fromLatin1(name));
  }
  QVERIFY(dialogs_.questions.isEmpty());

  // Text without numbers, and a header row alone: asked, opened only on Yes.
  const QString accounts = WriteFile(dir_, QStringLiteral("passwd"),
                                     "root:x:0:0:root:/root:/bin/bash\n"
                                     "daemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n");
  const QString header = WriteFile(dir_, QStringLiteral("header.csv"), "ID,x\r\n");
  for (const QString& path : {accounts, header}) {
    dialogs_.questions.clear();
    dialogs_.confirmAnswers = {false};
    LoadSurveyFile(dialogs_, path);
    QCOMPARE(dialogs_.questions.size(), 1);
    QVERIFY(dialogs_.questions[0].contains(Shown(path)));
    unchanged(path);
  }
  dialogs_.confirmAnswers = {true};
  LoadSurveyFile(dialogs_, header);
  QCOMPARE(Grid()->rowCount(), 0);
  QCOMPARE(Grid()->columnCount(), 2);
  QCOMPARE(Heading(1), QStringLiteral("2.x"));
  QCOMPARE(EntryTexts(Find<QComboBox>("ComboBoxID1")),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.ID"), QStringLiteral("2.x")}));
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->count(), 2);
}

void SurveyLoadingTest::stoppedLoadLeavesTheWindowAsItWas() {
  const QString survey = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, survey);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QListWidget>("CheckListEiyoso")->item(4)->setCheckState(Qt::Checked);
  std::string big = "a,b,c,d\n";
  for (int i = 0; i < 300000; ++i) big += std::to_string(i) + ",1,2,3\n";
  const QString bigPath = WriteFile(dir_, QStringLiteral("big.csv"), big);

  // Both close boxes ask whether to stop the reading (No: it goes on), then
  // 中止 stops it at once, without a question.
  dialogs_.confirmAnswers = {false, false};
  QTimer::singleShot(0, FormProgress, [] {
    QVERIFY(FormProgress->isVisible());
    QVERIFY(!FormProgress->close());
    QVERIFY(!MainForm->close());
    QVERIFY(FormProgress->isVisible());
    FormProgress->findChild<QPushButton*>("ButtonStop")->click();
  });
  LoadSurveyFile(dialogs_, bigPath);
  QVERIFY(!FormProgress->isVisible());
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(dialogs_.questions,
           QStringList({QStringLiteral("ファイルの読み込み中です。\n\n中止して閉じますか？"),
                        QStringLiteral("ファイルの読み込み中です。\n\n中止して終了しますか？")}));
  QCOMPARE(FileNameBox(), Shown(survey));
  QCOMPARE(Grid()->rowCount(), 12);
  QCOMPARE(Heading(4), QStringLiteral("5.エネルギー"));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui2")->currentIndex(), 3);
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->item(4)->checkState(), Qt::Checked);
}

void SurveyLoadingTest::droppedFileOpensAsIfChosen() {
  const QString survey = WriteFile(dir_, QStringLiteral("dropped.csv"), SmallSurveyBytes());
  MainForm->show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(survey)});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(MainForm, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(MainForm, &drop);
  QTRY_COMPARE(FileNameBox(), Shown(survey));
  QCOMPARE(Grid()->rowCount(), 12);
  QCOMPARE(EntryTexts(Find<QComboBox>("ComboBoxBunrui1")).size(), 7);
}

void SurveyLoadingTest::aClickOnACheckBoxMakesItsItemCurrent() {
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes()));
  MainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(MainForm));
  QListWidget* list = Find<QListWidget>("CheckListEiyoso");
  list->setCurrentRow(0);
  // The box sits at the item's left: its middle is the middle of the
  // indicator the style draws there.
  QStyleOptionViewItem option;
  option.initFrom(list);
  option.rect = list->visualItemRect(list->item(3));
  option.features = QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  QCOMPARE(list->item(3)->checkState(), Qt::Checked);
  QCOMPARE(list->currentRow(), 3);
  // The keys go on from there: Down and Space tick the next item only.
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Space);
  for (int i = 0; i < list->count(); ++i) {
    QCOMPARE(list->item(i)->checkState() == Qt::Checked, i == 3 || i == 4);
  }
  // A click on the label ticks too; with Shift, the range from the item
  // clicked last takes its state. The buttons tick and untick everything.
  const auto label = [&](int row) { return list->visualItemRect(list->item(row)).center(); };
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, label(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, label(2));
  for (int i = 0; i < list->count(); ++i) {
    QCOMPARE(list->item(i)->checkState() == Qt::Checked, i <= 4);
  }
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, label(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, label(4));
  for (int i = 0; i < list->count(); ++i) {
    QCOMPARE(list->item(i)->checkState() == Qt::Checked, i == 0);
  }
  // すべて選択 passes over the columns chosen for a role: sex from its list,
  // the weight typed as its header.
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxWeight")->setEditText(QStringLiteral("重み"));
  Find<QPushButton>("ButtonTickAll")->click();
  for (int i = 0; i < list->count(); ++i) {
    QCOMPARE(list->item(i)->checkState() == Qt::Checked, i != 1 && i != 5);
  }
  Find<QPushButton>("ButtonTickNone")->click();
  for (int i = 0; i < list->count(); ++i) QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
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
  QCOMPARE(Grid()->columnCount(), 256);
  QCOMPARE(Heading(255), QStringLiteral("256.h255"));
  QCOMPARE(Cell(0, 255), QStringLiteral("255"));
  QCOMPARE(Find<QComboBox>("ComboBoxWeight")->count(), 257);
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->count(), 256);
}

void SurveyLoadingTest::cellsAreDecodedForDisplayOnly() {
  // ①, ㎎ and ～ (0x81 0x60) in the header and a cell; a lone lead byte 0x82
  // and a byte 0xA0 that decodes to nothing.
  const std::string bytes =
      "\x87\x40,\x87\x72,\x81\x60\n"
      "\x82,a\xA0"
      "b,\x81\x60\n";
  dialogs_.confirmAnswers = {true};  // no cell holds a number: opened all the same
  LoadSurveyFile(dialogs_, WriteFile(dir_, QStringLiteral("codes.csv"), bytes));
  QCOMPARE(EntryTexts(Find<QComboBox>("ComboBoxBunrui1")),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.①"), QStringLiteral("2.㎎"),
                        QStringLiteral("3.～")}));
  QCOMPARE(Cell(0, 0), QStringLiteral("\uFFFD"));
  QCOMPARE(Cell(0, 1), QStringLiteral("a\uFFFDb"));
  QCOMPARE(Cell(0, 2), QStringLiteral("～"));
  QCOMPARE(Grid()->CellBytes(0, 1), std::string_view("a\xA0" "b"));
}

void SurveyLoadingTest::cancelKeepsTheFileAndResetsTheSelectors() {
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, path);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(6);
  Find<QComboBox>("ComboBoxWeight")->setEditText(QStringLiteral("typed"));
  Find<QListWidget>("CheckListEiyoso")->item(4)->setCheckState(Qt::Checked);

  dialogs_.fileAnswers.push_back(std::nullopt);
  MainForm->Button1Click();
  QCOMPARE(dialogs_.offeredFileNames.last(), path);  // the file loaded last
  QCOMPARE(FileNameBox(), Shown(path));
  QCOMPARE(Grid()->rowCount(), 12);
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->item(4)->checkState(), Qt::Checked);
  for (QComboBox* selector : Selectors()) QCOMPARE(selector->currentIndex(), 0);
  QCOMPARE(Find<QComboBox>("ComboBoxWeight")->currentText(), QStringLiteral("(なし)"));

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
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QListWidget>("CheckListEiyoso")->item(0)->setCheckState(Qt::Checked);
  const QString second = WriteFile(dir_, QStringLiteral("two.csv"), "p,q\n1,2\n");
  LoadSurveyFile(dialogs_, second);
  QCOMPARE(FileNameBox(), Shown(second));
  QCOMPARE(EntryTexts(Find<QComboBox>("ComboBoxBunrui2")),
           QStringList({QStringLiteral("(なし)"), QStringLiteral("1.p"), QStringLiteral("2.q")}));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui2")->currentIndex(), 0);
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->item(0)->checkState(), Qt::Unchecked);
  QCOMPARE(Grid()->rowCount(), 1);
  QCOMPARE(Cell(0, 1), QStringLiteral("2"));
}

void SurveyLoadingTest::fileThatCannotBeOpenedChangesNothing() {
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, path);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  const QString missing = dir_.filePath(QStringLiteral("missing.csv"));
  LoadSurveyFile(dialogs_, missing);
  QCOMPARE(dialogs_.errors,
           QStringList{QStringLiteral("栄養調査データ[") + Shown(missing) +
                       QStringLiteral("]が見つかりません.")});
  QCOMPARE(FileNameBox(), Shown(path));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui1")->currentIndex(), 2);
  QCOMPARE(Grid()->rowCount(), 12);

  // A directory cannot be opened as a file either.
  LoadSurveyFile(dialogs_, dir_.path());
  QCOMPARE(dialogs_.errors.size(), 2);
  QCOMPARE(FileNameBox(), Shown(path));
}

// A file with strata, then one with other headers, then the first again: the
// first gets its own choices back, strata included, also in the next window;
// what the second file lacks is said once, beside the selectors.
void SurveyLoadingTest::choicesComeBackWithTheirFile() {
  QTemporaryDir dir;
  const QString settings = dir.filePath(QStringLiteral("files.ini"));
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  const QString first = WriteFile(dir, QStringLiteral("first.csv"), SmallSurveyBytes());
  // The same headers but the sex column, and no weight column.
  const QString second =
      WriteFile(dir, QStringLiteral("second.csv"), "ID,sex,\x94N\x97\xEE,\x94\x44\x95\x77\r\n1,1,30,0\r\n");
  LoadSurveyFile(dialogs_, first);
  QVERIFY(Find<NoticeBar>("NoticeChoices")->text().isEmpty());
  const QList<int> chosen = {1, 6, 2, 3, 4};
  for (int k = 0; k < 5; ++k) Selectors()[k]->setCurrentIndex(chosen[k]);
  Find<QListWidget>("CheckListEiyoso")->item(4)->setCheckState(Qt::Checked);
  dialogs_.onDialog = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("strataColumn"))->setCurrentIndex(1);  // 1.ID
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  QCOMPARE(Find<QLabel>("LabelDesignOptions")->text(), QStringLiteral("指定中：\n層（1.ID）"));

  LoadSurveyFile(dialogs_, second);
  // Unit, age, pregnant/lactating and strata carry over by header text.
  QCOMPARE(Selectors()[0]->currentIndex(), 1);
  QCOMPARE(Selectors()[2]->currentIndex(), 0);
  QCOMPARE(Selectors()[3]->currentIndex(), 3);
  const QString notice = Find<NoticeBar>("NoticeChoices")->text();
  for (const char* missed : {"重み「重み」", "性別「性別」", "分析変数「エネルギー」"}) {
    QVERIFY2(notice.contains(QString::fromUtf8(missed)), qPrintable(notice));
  }
  QVERIFY(!notice.contains(QStringLiteral("層")));
  QVERIFY(dialogs_.errors.isEmpty());  // no box per column
  // Changed here, and kept for this file alone.
  Selectors()[3]->setCurrentIndex(0);

  for (int window = 0; window < 2; ++window) {
    LoadSurveyFile(dialogs_, first);
    for (int k = 0; k < 5; ++k) QCOMPARE(Selectors()[k]->currentIndex(), chosen[k]);
    QCOMPARE(Find<QListWidget>("CheckListEiyoso")->item(4)->checkState(), Qt::Checked);
    QCOMPARE(Find<QLabel>("LabelDesignOptions")->text(), QStringLiteral("指定中：\n層（1.ID）"));
    QVERIFY(Find<NoticeBar>("NoticeChoices")->text().isEmpty());
    LoadSurveyFile(dialogs_, second);
    QCOMPARE(Selectors()[3]->currentIndex(), 0);
    QVERIFY(MainForm->close());
    windows_.reset();
    windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  }
}

QTEST_MAIN(SurveyLoadingTest)
#include "survey_loading_test.moc"
