// The main window right after start-up, its menu, and how the program starts
// and ends.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <stdexcept>

#include "tests/ui/ui_test_support.h"
#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/program_entry.h"
#include "ui/radio_group.h"
#include "ui/results_pane.h"
#include "ui/survey_grid_model.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startUpState();
  void componentsCarryTheirNamesAndCaptions();
  void menuEntriesAndAccelerators();
  void onlyTheWeightSelectorTakesTypedText();
  void resizingGoesToTheGridAndThePane();
  void exitAsksAndNoKeepsTheWindow();
  void closeBoxEndsWithoutAQuestion();
  void exceptionInACommandIsShownAndTheWindowGoesOn();
  void startUpFailureIsShownAndEndsWithZero();
};

void MainWindowTest::startUpState() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QVERIFY(MainForm && AboutBox && FormProgress);
  QCOMPARE(MainForm->windowTitle(), QStringLiteral("Kelvara"));
  QCOMPARE(MainForm->size(), QSize(738, 653));
  QVERIFY(!AboutBox->isVisible());
  QVERIFY(!FormProgress->isVisible());
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet2);
  QCOMPARE(MainForm->RadioGroupFormat->itemIndex(), 0);
  QVERIFY(MainForm->PanelDietFileName->text().isEmpty());
  for (QComboBox* box : {MainForm->ComboBoxID1, MainForm->ComboBoxWeight, MainForm->ComboBoxBunrui1,
                         MainForm->ComboBoxBunrui2, MainForm->ComboBoxBunrui3}) {
    QCOMPARE(box->count(), 0);
    QVERIFY(box->currentText().isEmpty());
  }
  QCOMPARE(MainForm->CheckListEiyoso->count(), 0);
  QVERIFY(MainForm->RichEditKekka->lines().empty());
  QVERIFY(MainForm->RichEditKekka->toPlainText().isEmpty());
  QVERIFY(MainForm->OpenDialog->fileName.isEmpty());
  QVERIFY(MainForm->SaveDialog->fileName.isEmpty());

  // The grid at its design size, 256 x 256 with the heading row and column,
  // every cell and heading empty and nothing editable.
  SurveyGridModel* grid = MainForm->gridModel();
  QCOMPARE(grid->rowCount(), 255);
  QCOMPARE(grid->columnCount(), 255);
  QVERIFY(!grid->data(grid->index(0, 0)).isValid());
  QVERIFY(!grid->headerData(0, Qt::Horizontal).isValid());
  QVERIFY(!grid->headerData(0, Qt::Vertical).isValid());
  QVERIFY(!(grid->flags(grid->index(3, 3)) & Qt::ItemIsEditable));
  QCOMPARE(MainForm->StringGridDietFile->editTriggers(), QAbstractItemView::NoEditTriggers);
  QCOMPARE(MainForm->StringGridDietFile->verticalHeader()->defaultSectionSize(), 22);
  QCOMPARE(MainForm->StringGridDietFile->toolTip(),
           QStringLiteral("表示するだけです。入力はできません。"));
}

void MainWindowTest::componentsCarryTheirNamesAndCaptions() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  const auto text = [](const char* name) -> QString {
    QObject* object = MainForm->findChild<QObject*>(QString::fromLatin1(name));
    if (object == nullptr) return QStringLiteral("<missing %1>").arg(QLatin1String(name));
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text();
    if (auto* button = qobject_cast<QPushButton*>(object)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(object)) return group->title();
    return QString();
  };
  QCOMPARE(text("Label6"), QStringLiteral("健康・栄養調査データ"));
  QCOMPARE(text("Button1"), QStringLiteral("開く"));
  QCOMPARE(text("GroupBox1"), QStringLiteral("抽出単位（単位区等）"));
  QCOMPARE(text("GroupBox3"), QStringLiteral("分類変数（性/年齢/妊婦・授乳婦）"));
  QCOMPARE(text("GroupBox2"), QStringLiteral("分析変数（栄養素等）"));
  QCOMPARE(text("GroupBox4"), QStringLiteral("重み（サンプリング・ウエイト）"));
  QCOMPARE(text("Label7"), QStringLiteral("性別"));
  QCOMPARE(text("Label8"), QStringLiteral("年齢"));
  QCOMPARE(text("Label9"), QStringLiteral("妊婦1・"));
  QCOMPARE(text("Label2"), QStringLiteral("授乳婦2"));
  QCOMPARE(text("ButtonRun"), QStringLiteral("計算実行"));
  QCOMPARE(text("RadioGroupFormat"), QStringLiteral("年齢階級区分"));
  for (const char* name : {"MainMenu", "OpenDialog", "SaveDialog", "PrintDialog",
                           "PrintSetupDialog", "PageControl1", "TabSheet2", "TabSheet3", "Panel1",
                           "Panel2", "Panel3", "StringGridDietFile", "PanelDietFileName",
                           "ComboBoxID1", "ComboBoxWeight", "ComboBoxBunrui1", "ComboBoxBunrui2",
                           "ComboBoxBunrui3", "CheckListEiyoso", "RichEditKekka"}) {
    QVERIFY2(MainForm->findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
  }
  QCOMPARE(MainForm->PageControl1->tabText(0), QStringLiteral("計算法の指定"));
  QCOMPARE(MainForm->PageControl1->tabText(1), QStringLiteral("計算結果"));

  const QList<QAbstractButton*> items = MainForm->RadioGroupFormat->findChildren<QAbstractButton*>();
  QStringList itemTexts;
  for (QAbstractButton* item : items) itemTexts.append(item->text());
  QCOMPARE(itemTexts, QStringList({QStringLiteral("NHNS報告書　第１表の区分"),
                                   QStringLiteral("NHNS報告書　第２表の区分"),
                                   QStringLiteral("NHNS報告書　第５部の区分"),
                                   QStringLiteral("カテゴリー番号1,2,3,...,10")}));
  QVERIFY(items[0]->isChecked());
  QCOMPARE(MainForm->Panel3->height(), 279);
}

void MainWindowTest::menuEntriesAndAccelerators() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QStringList captions;
  for (QAction* menu : MainForm->MainMenu->actions()) {
    captions.append(menu->text());
    for (QAction* entry : menu->menu()->actions()) {
      captions.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
    }
  }
  QCOMPARE(captions, QStringList({
                         QStringLiteral("ファイル(&F)"),
                         QStringLiteral("計算結果・クリア(&N)"),
                         QStringLiteral("計算結果・開く(&O)..."),
                         QStringLiteral("計算結果・名前をつけて保存(&A)..."),
                         QStringLiteral("-"),
                         QStringLiteral("計算結果・印刷(&P)..."),
                         QStringLiteral("プリンタの設定(&R)..."),
                         QStringLiteral("-"),
                         QStringLiteral("終了(&X)"),
                         QStringLiteral("ヘルプ(&H)"),
                         QStringLiteral("バージョン情報(&A)..."),
                     }));
  // Each entry runs its handler: "clear" asks its question.
  MainForm->FileNewItem->trigger();
  QCOMPARE(dialogs.questions, QStringList{QStringLiteral("計算結果をクリアします")});
  MainForm->FileExitItem->trigger();
  QCOMPARE(dialogs.questions.last(), QStringLiteral("終了します"));
}

void MainWindowTest::onlyTheWeightSelectorTakesTypedText() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QVERIFY(MainForm->ComboBoxWeight->isEditable());
  QCOMPARE(MainForm->ComboBoxWeight->insertPolicy(), QComboBox::NoInsert);
  for (QComboBox* box : {MainForm->ComboBoxID1, MainForm->ComboBoxBunrui1,
                         MainForm->ComboBoxBunrui2, MainForm->ComboBoxBunrui3}) {
    QVERIFY(!box->isEditable());
  }
}

void MainWindowTest::resizingGoesToTheGridAndThePane() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(MainForm));
  const int gridHeight = MainForm->StringGridDietFile->height();
  MainForm->resize(900, 853);
  QTRY_COMPARE(MainForm->StringGridDietFile->height(), gridHeight + 200);
  QCOMPARE(MainForm->Panel3->height(), 279);
  MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet3);
  QCOMPARE(MainForm->RichEditKekka->size(), MainForm->TabSheet3->size());
}

void MainWindowTest::exitAsksAndNoKeepsTheWindow() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();
  dialogs.confirmAnswers = {false};
  MainForm->FileExit();
  QCOMPARE(dialogs.questions, QStringList{QStringLiteral("終了します")});
  QVERIFY(MainForm->isVisible());
  dialogs.confirmAnswers = {true};
  MainForm->FileExit();
  QVERIFY(!MainForm->isVisible());
}

void MainWindowTest::closeBoxEndsWithoutAQuestion() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();
  QVERIFY(MainForm->close());
  QVERIFY(dialogs.questions.isEmpty());
}

// A dialog service whose message boxes fail, as storage exhaustion would.
class FailingDialogs : public ScriptedDialogs {
 public:
  bool Confirm(const QString&) override { throw std::runtime_error("storage exhausted"); }
};

void MainWindowTest::exceptionInACommandIsShownAndTheWindowGoesOn() {
  FailingDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->FileNew();
  MainForm->FileExit();
  QCOMPARE(dialogs.errors,
           QStringList({QStringLiteral("storage exhausted"), QStringLiteral("storage exhausted")}));
  QVERIFY(MainForm != nullptr);
}

void MainWindowTest::startUpFailureIsShownAndEndsWithZero() {
  ScriptedDialogs display;
  const int status = RunKelvara(
      [] {
        CreateWindows();
        throw std::bad_alloc();
      },
      display);
  QCOMPARE(status, 0);
  QCOMPARE(display.errors.size(), 1);
  QVERIFY(display.errors[0].contains(QStringLiteral("メモリ")));
  QVERIFY(MainForm == nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
