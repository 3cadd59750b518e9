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
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "engine/report/report_texts.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about/about_box.h"
#include "ui/dialogs/help_page.h"
#include "ui/dialogs/help_topics.h"
#include "ui/window/display_text.h"
#include "ui/window/main_window.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/progress_window.h"
#include "ui/window/program_entry.h"
#include "ui/settings/radio_group.h"
#include "ui/results/results_pane.h"
#include "ui/settings/settings_tab.h"
#include "ui/settings/survey_grid_model.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startUpState();
  void componentsCarryTheirNamesAndCaptions();
  void menuEntriesAndAccelerators();
  void helpExplainsEveryTitleAndLineTheWriterCanWrite();
  void onlyTheWeightSelectorTakesTypedText();
  void resizingGoesToTheGridAndThePane();
  void everyControlIsWholeAtTheMinimumAndKeepsItsPlaceWhenLarge();
  void tabOrderFollowsTheScreen();
  void settingsAreRememberedByTheNextWindow();
  void exceptionInACommandIsShownAndTheWindowGoesOn();
  void startUpFailureIsShownAndEndsWithZero();
  void surveyFileNamedOnTheCommandLineIsOpenedAtStart();

 private:
  QTemporaryDir dir_;
};

void MainWindowTest::startUpState() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QVERIFY(MainForm && AboutBox && FormProgress);
  QCOMPARE(MainForm->windowTitle(), QStringLiteral("Kelvara"));
  // 738 x 653 where the screen has room for it, and never more than the
  // screen's free area.
  const QRect area = MainForm->screen()->availableGeometry();
  QVERIFY(area.contains(MainForm->geometry()));
  QCOMPARE(MainForm->width(), std::min(738, area.width()));
  QVERIFY(MainForm->height() <= 653);
  if (area.height() >= 720) QCOMPARE(MainForm->height(), 653);
  QVERIFY(!AboutBox->isVisible());
  QVERIFY(!FormProgress->isVisible());
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("TabSheet2"));
  QCOMPARE(Find<TRadioGroup>("RadioGroupFormat")->itemIndex(), 0);
  QVERIFY(Find<QLabel>("PanelDietFileName")->text().isEmpty());
  for (QComboBox* box : {Find<QComboBox>("ComboBoxID1"), Find<QComboBox>("ComboBoxWeight"), Find<QComboBox>("ComboBoxBunrui1"),
                         Find<QComboBox>("ComboBoxBunrui2"), Find<QComboBox>("ComboBoxBunrui3")}) {
    QCOMPARE(box->count(), 0);
    QVERIFY(box->currentText().isEmpty());
  }
  QCOMPARE(Find<QListWidget>("CheckListEiyoso")->count(), 0);
  QVERIFY(Pane()->lines().empty());
  QVERIFY(Pane()->toPlainText().isEmpty());
  QVERIFY(Find<TFileDialog>("OpenDialog")->fileName.isEmpty());
  QVERIFY(Find<TFileDialog>("SaveDialog")->fileName.isEmpty());

  // The grid at its design size, 256 x 256 with the heading row and column,
  // every cell and heading empty and nothing editable.
  SurveyGridModel* grid = Grid();
  QCOMPARE(grid->rowCount(), 255);
  QCOMPARE(grid->columnCount(), 255);
  QVERIFY(!grid->data(grid->index(0, 0)).isValid());
  QVERIFY(!grid->headerData(0, Qt::Horizontal).isValid());
  QVERIFY(!grid->headerData(0, Qt::Vertical).isValid());
  QVERIFY(!(grid->flags(grid->index(3, 3)) & Qt::ItemIsEditable));
  QCOMPARE(Find<QTableView>("StringGridDietFile")->editTriggers(), QAbstractItemView::NoEditTriggers);
  QCOMPARE(Find<QTableView>("StringGridDietFile")->verticalHeader()->defaultSectionSize(), 22);
  QCOMPARE(Find<QTableView>("StringGridDietFile")->toolTip(),
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
  QCOMPARE(Find<QTabWidget>("PageControl1")->tabText(0), QStringLiteral("計算法の指定"));
  QCOMPARE(Find<QTabWidget>("PageControl1")->tabText(1), QStringLiteral("計算結果"));

  const QList<QAbstractButton*> items = Find<TRadioGroup>("RadioGroupFormat")->findChildren<QAbstractButton*>();
  QStringList itemTexts;
  for (QAbstractButton* item : items) itemTexts.append(item->text());
  QCOMPARE(itemTexts, QStringList({QStringLiteral("NHNS報告書　第１表の区分"),
                                   QStringLiteral("NHNS報告書　第２表の区分"),
                                   QStringLiteral("NHNS報告書　第５部の区分"),
                                   QStringLiteral("カテゴリー番号1,2,3,...,10")}));
  QVERIFY(items[0]->isChecked());
  QCOMPARE(Find<QFrame>("Panel3")->height(), 279);
}

void MainWindowTest::menuEntriesAndAccelerators() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QStringList captions;
  for (QAction* menu : Find<QMenuBar>("MainMenu")->actions()) {
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
                         QStringLiteral("計算結果(&R)"),
                         QStringLiteral("Excel形式で保存(&E)..."),
                         QStringLiteral("-"),
                         QStringLiteral("一覧表を印刷(&L)..."),
                         QStringLiteral("一覧表をPDFで保存(&F)..."),
                         QStringLiteral("一覧表の小数桁数(&D)..."),
                         QStringLiteral("計算(&C)"),
                         QStringLiteral("標本設計と追加の列(&D)..."),
                         QStringLiteral("出所の行を付ける(&P)"),
                         QStringLiteral("-"),
                         QStringLiteral("計算列(&F)..."),
                         QStringLiteral("エネルギー産生栄養素バランスを加える(&E)"),
                         QStringLiteral("ヘルプ(&H)"),
                         QStringLiteral("計算結果の見方(&H)"),
                         QStringLiteral("バージョン情報(&A)..."),
                     }));
  // F1 shows the help page beside the window, explaining what puzzles
  // readers of the report.
  QCOMPARE(Find<QAction>("HelpContentsItem")->shortcut(), QKeySequence(QKeySequence::HelpContents));
  Find<QAction>("HelpContentsItem")->trigger();
  const HelpPage* help = MainForm->findChild<HelpPage*>();
  QVERIFY(help != nullptr && help->isVisible() && !help->isModal());
  for (const char* topic : {"欠損値人数", "層の数", "抽出単位の数", "n < 2", "男総数", "変数ごとに"}) {
    QVERIFY2(help->text().contains(QString::fromUtf8(topic)), topic);
  }
  // Each entry runs its handler: with unsaved results, "clear" and "exit"
  // ask their questions.
  Pane()->AppendLines({"unsaved"});
  Find<QAction>("FileNewItem")->trigger();
  QCOMPARE(dialogs.questions.size(), 1);
  QVERIFY(dialogs.questions[0].endsWith(QStringLiteral("計算結果をクリアしますか？")));
  Find<QAction>("FileExitItem")->trigger();
  QVERIFY(dialogs.questions.last().endsWith(QStringLiteral("終了しますか？")));
}

// Every column title, added block and kind of closing line the report writer
// can write (its own list) has a paragraph of its own on the help page, under
// an anchor; in the results pane a title or such a line shows that paragraph
// as its tooltip and a click on it opens the page there.
void MainWindowTest::helpExplainsEveryTitleAndLineTheWriterCanWrite() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  Find<QAction>("HelpContentsItem")->trigger();
  const HelpPage* help = MainForm->findChild<HelpPage*>();
  QVERIFY(help != nullptr);
  const QString page = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"))->document()->toHtml();
  const auto explained = [&](const HelpTopic* topic, const QString& what) {
    QVERIFY2(topic != nullptr, qPrintable(what));
    QVERIFY2(page.contains(QStringLiteral("name=\"%1\"").arg(topic->anchor)), qPrintable(what));
    QVERIFY2(help->text().contains(topic->heading), qPrintable(what));
  };
  const kelvara::ReportTexts texts = kelvara::EveryReportText();
  QVERIFY(texts.columnTitles.size() > 17 && texts.headingSuffixes.size() >= 4 && texts.lineStarts.size() >= 10);
  std::string titleLine;  // the block's title line with every title, in code page 932
  for (const std::string& title : texts.columnTitles) {
    explained(HelpTopicForTitle(DisplayText(title)), DisplayText(title));
    if (titleLine.empty() || DisplayText(title) != QStringLiteral("性年齢")) {
      titleLine.append(titleLine.empty() ? "\"" : ",\"").append(title).append("\"");
    }
  }
  for (const std::string& suffix : texts.headingSuffixes) {
    const QString heading = QStringLiteral("\"【エネルギー") + DisplayText(suffix) + QStringLiteral("】\"");
    explained(HelpTopicForLine(heading), heading);
  }
  for (const std::string& start : texts.lineStarts) {
    const QString line = QLatin1Char('"') + DisplayText(start) + QStringLiteral("…\"");
    explained(HelpTopicForLine(line), line);
  }
  // The ordinary heading and a group line have no paragraph of their own.
  QVERIFY(HelpTopicForLine(QStringLiteral("\"【エネルギー】\"")) == nullptr);
  QVERIFY(HelpTopicForLine(QStringLiteral("\"男総数\",3,0")) == nullptr);

  // In the pane: the tooltip over 欠損値人数 is its paragraph, and a click
  // asks for it; an added block's heading is explained, but not past its end.
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet3"));
  Pane()->AppendLines({"\"\x81y\x83G\x83l\x83\x8B\x83M\x81[" + texts.headingSuffixes[0] + "\x81z\"", titleLine});
  const QTextBlock block = Pane()->document()->findBlockByNumber(1);
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + int(block.text().indexOf(QStringLiteral("欠損値人数"))) + 2);
  const QPoint onMissing = Pane()->cursorRect(cursor).center();
  const HelpTopic* missing = Pane()->TopicAt(onMissing);
  QVERIFY(missing != nullptr && missing == HelpTopicForTitle(QStringLiteral("欠損値人数")));
  const QPoint onHeading = Pane()->cursorRect(QTextCursor(Pane()->document()->firstBlock())).center();
  QCOMPARE(Pane()->TopicAt(onHeading), HelpTopicForLine(QStringLiteral("【エネルギー（習慣的摂取量）】")));
  QVERIFY(Pane()->TopicAt(onHeading) != nullptr);
  const int headingWidth = Pane()->fontMetrics().horizontalAdvance(Pane()->document()->firstBlock().text());
  QVERIFY(Pane()->TopicAt(onHeading + QPoint(headingWidth + 20, 0)) == nullptr);
  QSignalSpy asked(Pane(), &ResultsPane::helpRequested);
  QTest::mouseClick(Pane()->viewport(), Qt::LeftButton, {}, onMissing);
  QCOMPARE(asked.size(), 1);
  QCOMPARE(asked[0][0].toString(), missing->anchor);
}

void MainWindowTest::onlyTheWeightSelectorTakesTypedText() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  QVERIFY(Find<QComboBox>("ComboBoxWeight")->isEditable());
  QCOMPARE(Find<QComboBox>("ComboBoxWeight")->insertPolicy(), QComboBox::NoInsert);
  for (QComboBox* box : {Find<QComboBox>("ComboBoxID1"), Find<QComboBox>("ComboBoxBunrui1"),
                         Find<QComboBox>("ComboBoxBunrui2"), Find<QComboBox>("ComboBoxBunrui3")}) {
    QVERIFY(!box->isEditable());
  }
}

void MainWindowTest::resizingGoesToTheGridAndThePane() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(MainForm));
  const int gridHeight = Find<QTableView>("StringGridDietFile")->height();
  MainForm->resize(MainForm->size() + QSize(162, 200));
  QTRY_COMPARE(Find<QTableView>("StringGridDietFile")->height(), gridHeight + 200);
  QCOMPARE(Find<QFrame>("Panel3")->height(), 279);
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet3"));
  QCOMPARE(Pane()->size(), Find<QWidget>("TabSheet3")->size());
}

// The window's controls that must show whole: labels, buttons, selectors,
// group boxes, the lists.
QList<QWidget*> Controls(QWidget* tab) {
  QList<QWidget*> controls;
  for (QWidget* w : tab->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(tab) || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
    controls.append(w);
  }
  return controls;
}

// Every named control lies inside its parent and gets at least the room it
// asks for; no two of the lower panel's blocks overlap.
void ExpectWholeControls(const char* where) {
  QWidget* tab = Find<QWidget>("TabSheet2");
  for (QWidget* w : Controls(tab)) {
    const QString name = QString::fromLatin1(where) + u' ' + w->objectName();
    QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(name));
    if (w->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored) {
      QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(name));
    }
    QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(name));
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
      QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
               qPrintable(name));
    }
  }
  QWidget* panel = Find<QFrame>("Panel3");
  const QList<QWidget*> blocks = {Find<QGroupBox>("GroupBox1"), Find<QGroupBox>("GroupBox4"),
                                  Find<QGroupBox>("GroupBox3"), Find<QGroupBox>("GroupBox2"),
                                  Find<TRadioGroup>("RadioGroupFormat"), Find<QPushButton>("ButtonRun")};
  for (int i = 0; i < blocks.size(); ++i) {
    QVERIFY2(panel->rect().contains(blocks[i]->geometry()), qPrintable(blocks[i]->objectName()));
    for (int j = i + 1; j < blocks.size(); ++j) {
      QVERIFY2(!blocks[i]->geometry().intersects(blocks[j]->geometry()),
               qPrintable(blocks[i]->objectName() + u' ' + blocks[j]->objectName()));
    }
  }
}

void MainWindowTest::everyControlIsWholeAtTheMinimumAndKeepsItsPlaceWhenLarge() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  const QString path = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs, path);
  MainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(MainForm));
  const QSize minimum = MainForm->minimumSize();
  QVERIFY(minimum.width() > 300 && minimum.height() > 300);
  MainForm->resize(minimum);
  QTRY_COMPARE(MainForm->size(), minimum);
  QTRY_VERIFY(Find<QPushButton>("ButtonRun")->isVisible());
  ExpectWholeControls("minimum");
  const int listWidth = Find<QGroupBox>("GroupBox2")->width();
  const int gridHeight = Find<QTableView>("StringGridDietFile")->height();

  MainForm->resize(minimum + QSize(600, 400));
  QTRY_COMPARE(Find<QTableView>("StringGridDietFile")->height(), gridHeight + 400);
  ExpectWholeControls("large");
  // The lower controls keep their order across the width, and the variable
  // list takes the room the window gained.
  const auto x = [](QWidget* w) { return w->mapTo(MainForm, QPoint()).x(); };
  QVERIFY(x(Find<QGroupBox>("GroupBox1")) < x(Find<QGroupBox>("GroupBox2")));
  QVERIFY(x(Find<QGroupBox>("GroupBox2")) < x(Find<TRadioGroup>("RadioGroupFormat")));
  QCOMPARE(Find<QGroupBox>("GroupBox2")->width(), listWidth + 600);
  QVERIFY(Find<QPushButton>("ButtonRun")->y() > Find<TRadioGroup>("RadioGroupFormat")->geometry().bottom());
  // The file name's box reaches the window's right edge, border and all.
  QLabel* name = Find<QLabel>("PanelDietFileName");
  QVERIFY(name->mapTo(MainForm, QPoint(name->width(), 0)).x() <= MainForm->width());
  QVERIFY(name->mapTo(MainForm, QPoint(name->width(), 0)).x() > MainForm->width() - 20);
}

void MainWindowTest::tabOrderFollowsTheScreen() {
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  LoadSurveyFile(dialogs, WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes()));
  MainForm->show();
  QApplication::setActiveWindow(MainForm);
  QVERIFY(QTest::qWaitForWindowActive(MainForm));
  Find<QPushButton>("Button1")->setFocus();
  QStringList order;
  for (int i = 0; i < 9; ++i) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    // A selector's text field and a radio button stand for their owners.
    while (focus->objectName().isEmpty() || qobject_cast<QRadioButton*>(focus)) {
      focus = focus->parentWidget();
    }
    order.append(focus->objectName());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(order, QStringList({"Button1", "ComboBoxID1", "ComboBoxWeight", "ComboBoxBunrui1",
                               "ComboBoxBunrui2", "ComboBoxBunrui3", "CheckListEiyoso",
                               "RadioGroupFormat", "ButtonRun"}));
}

void MainWindowTest::settingsAreRememberedByTheNextWindow() {
  const QString settings = dir_.filePath(QStringLiteral("remembered.ini"));
  const QString first = WriteFile(dir_, QStringLiteral("first.csv"), SmallSurveyBytes());
  QDir().mkpath(dir_.filePath(QStringLiteral("results")));
  const QString saved = dir_.filePath(QStringLiteral("results/out.csv"));
  ScriptedDialogs dialogs;
  QRect place;
  {
    TestWindows windows(dialogs, settings);
    MainForm->show();
    place = QRect(QPoint(10, 60), MainForm->minimumSize() + QSize(20, 10));
    MainForm->setGeometry(place);
    LoadSurveyFile(dialogs, first);
    Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
    Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(6);
    Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
    Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
    Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
    Find<QListWidget>("CheckListEiyoso")->item(4)->setCheckState(Qt::Checked);
    Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(2);
    dialogs.onPrintSetup = [](QPrinter& printer) {
      printer.setPageOrientation(QPageLayout::Portrait);
      printer.setPageSize(QPageSize(QPageSize::A5));
      return true;
    };
    MainForm->FilePrintSetup();
    Pane()->AppendLines({"\"\x81yx\x81z\""});  // 【x】
    dialogs.fileAnswers.push_back(saved);
    MainForm->FileSaveAs();
    QVERIFY(MainForm->close());
  }
  QVERIFY(dialogs.errors.isEmpty());
  QVERIFY(ReadBytes(settings).find("scheme=part5") != std::string::npos);

  // A settings file of an earlier version: the scheme as the radio item's
  // number, read as that scheme and written back by its name; a cut-off of
  // inf, which cuts off nothing, is not taken.
  const QString old = WriteFile(dir_, QStringLiteral("old.ini"),
                                "[run]\nscheme=3\n[design]\nshareBelow=inf\n");
  {
    TestWindows oldWindows(dialogs, old);
    QCOMPARE(Find<TRadioGroup>("RadioGroupFormat")->itemIndex(), 3);
    QVERIFY(!MainForm->findChild<SettingsTab*>()->designOptions().shareBelow.has_value());
    QVERIFY(MainForm->close());
  }
  QVERIFY(ReadBytes(old).find("scheme=category") != std::string::npos);

  // Another file with the same headers in another order: the same columns
  // are chosen again by their header texts.
  const QString second = WriteFile(dir_, QStringLiteral("second.csv"),
                                   "\x8F\x64\x82\xDD,\x94\x44\x95\x77,ID,\x83G\x83l\x83\x8B\x83M\x81[,"
                                   "\x94N\x97\xEE,\x90\xAB\x95\xCA\r\n1,0,1,2000,40,2\r\n");
  TestWindows windows(dialogs, settings);
  QCOMPARE(MainForm->geometry(), place);
  QCOMPARE(Find<TRadioGroup>("RadioGroupFormat")->itemIndex(), 2);
  QCOMPARE(MainForm->printer().pageLayout().orientation(), QPageLayout::Portrait);
  QCOMPARE(MainForm->printer().pageLayout().pageSize().id(), QPageSize::A5);
  dialogs.fileAnswers.push_back(second);
  MainForm->Button1Click();
  QCOMPARE(dialogs.offeredDirectories.last(), dir_.path());  // the survey file's folder
  QCOMPARE(Find<QComboBox>("ComboBoxWeight")->currentText(), QStringLiteral("1.重み"));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui3")->currentText(), QStringLiteral("2.妊婦"));
  QCOMPARE(Find<QComboBox>("ComboBoxID1")->currentText(), QStringLiteral("3.ID"));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui2")->currentText(), QStringLiteral("5.年齢"));
  QCOMPARE(Find<QComboBox>("ComboBoxBunrui1")->currentText(), QStringLiteral("6.性別"));
  QListWidget* list = Find<QListWidget>("CheckListEiyoso");
  for (int i = 0; i < list->count(); ++i) QCOMPARE(list->item(i)->checkState() == Qt::Checked, i == 3);
  Pane()->AppendLines({"\"\x81yx\x81z\""});
  dialogs.fileAnswers.push_back(std::nullopt);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs.offeredDirectories.last(), dir_.filePath(QStringLiteral("results")));
}

// A dialog service whose message boxes fail, as storage exhaustion would.
class FailingDialogs : public ScriptedDialogs {
 public:
  bool Confirm(const QString&) override { throw std::runtime_error("storage exhausted"); }
};

void MainWindowTest::exceptionInACommandIsShownAndTheWindowGoesOn() {
  FailingDialogs dialogs;
  TestWindows windows(dialogs);
  Pane()->AppendLines({"unsaved"});  // so that both commands ask
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

// Runs the program as its entry does with `arguments` as the command line,
// until the window holds a survey or has shown an error (or 20 s have gone).
// Returns the survey's path, as the window shows it, and `dialogs` the errors.
QString RunUntilOpened(ScriptedDialogs& dialogs, const QString& settingsFile,
                       const QStringList& arguments, int* rows) {
  QString opened;
  const int status = RunKelvara(
      [&] {
        CreateWindows(settingsFile);
        MainForm->SetDialogService(&dialogs);
        auto* poll = new QTimer(MainForm);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(poll, &QTimer::timeout, [&, clock] {
          auto* tab = Find<SettingsTab>("TabSheet2");
          if (!tab->hasSurvey() && dialogs.errors.isEmpty() && clock.elapsed() < 20000) return;
          opened = tab->surveyPath();
          *rows = Grid()->rowCount();
          // A window that will not close must not hold the test up.
          if (!MainForm->close()) QApplication::exit(1);
        });
        poll->start(20);
      },
      dialogs, arguments);
  if (status != 0) qFatal("the program ended with %d", status);
  return opened;
}

void MainWindowTest::surveyFileNamedOnTheCommandLineIsOpenedAtStart() {
  // A Japanese name with a blank, given relative to the folder the program
  // starts in, as Explorer's "Open with" and a drop on the icon give it.
  QTemporaryDir dir;
  const QString path = WriteFile(dir, QStringLiteral("調査 データ.csv"), SmallSurveyBytes());
  const QString started = QDir::currentPath();
  QDir::setCurrent(dir.path());
  ScriptedDialogs dialogs;
  int rows = 0;
  const QString opened = RunUntilOpened(dialogs, dir.filePath(QStringLiteral("kelvara.ini")),
      {QStringLiteral("kelvara"), QStringLiteral("調査 データ.csv"), QStringLiteral("other.csv")},
      &rows);
  QDir::setCurrent(started);
  QVERIFY2(dialogs.errors.isEmpty(), qPrintable(dialogs.errors.join(QLatin1Char('\n'))));
  QCOMPARE(QFileInfo(opened), QFileInfo(path));
  QCOMPARE(rows, 12);  // the file's data rows, where the empty grid has 256
  QVERIFY(MainForm == nullptr);

  // A file that is not there is said so, and the window still comes up empty.
  ScriptedDialogs missing;
  const QString gone = dir.filePath(QStringLiteral("無い.csv"));
  QVERIFY(RunUntilOpened(missing, dir.filePath(QStringLiteral("kelvara.ini")),
                         {QStringLiteral("kelvara"), gone}, &rows)
              .isEmpty());
  QCOMPARE(missing.errors.size(), 1);
  QVERIFY2(missing.errors[0].contains(QDir::toNativeSeparators(gone)), qPrintable(missing.errors[0]));
  QVERIFY(missing.errors[0].contains(QStringLiteral("見つかりません")));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
