// The run command: its refusals, and report blocks byte for byte equal to
// kelvara-tab's for the same file and choices, under any locale.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QCompleter>
#include <QFile>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QtTest>
#include <algorithm>
#include <clocale>

#include "codec/cp932.h"
#include "expression/formula.h"
#include "tests/ui/ui_test_support.h"
#include "ui/dialogs/derived_variables_dialog.h"
#include "ui/window/main_window.h"
#include "ui/dialogs/design_options_dialog.h"
#include "ui/window/display_text.h"
#include "ui/window/progress_window.h"
#include "ui/settings/radio_group.h"
#include "ui/settings/settings_tab.h"
#include "engine/statistics/reference_judgement.h"
#include "ui/results/results_pane.h"
#include "ui/window/notice_bar.h"
#include "ui/settings/survey_grid_model.h"

namespace {

const char* const kSchemeNames[] = {"table1", "table2", "part5", "category"};

// kelvara-tab's report for the survey file with the test's column choices:
// unit 1, weight 6, sex 2, age 3, pregnant/lactating 4 (1-based numbers).
QByteArray TabulatorOutput(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(KELVARA_TAB_PATH), arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    qWarning() << process.readAllStandardError();
    return {};
  }
  return process.readAllStandardOutput();
}

QByteArray TabulatorReport(const QString& path, int scheme, const QStringList& variables,
                           const QStringList& options = {}) {
  return TabulatorOutput(QStringList{"--unit", "1", "--weight", "6", "--sex", "2", "--age", "3",
                                     "--pregnancy", "4", "--scheme", kSchemeNames[scheme]} +
                         options + QStringList{path} + variables);
}

QByteArray PaneBytes(size_t fromLine = 0) {
  QByteArray bytes;
  const std::vector<std::string>& lines = Pane()->lines();
  for (size_t i = fromLine; i < lines.size(); ++i) {
    bytes.append(lines[i].data(), static_cast<qsizetype>(lines[i].size()));
    bytes.append("\r\n");
  }
  return bytes;
}

void ChooseColumns() {
  Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(6);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
}

void Tick(std::initializer_list<int> items) {
  for (int item : items) Find<QListWidget>("CheckListEiyoso")->item(item)->setCheckState(Qt::Checked);
}

}  // namespace

class RunCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dialogs_ = ScriptedDialogs();
    windows_ = std::make_unique<TestWindows>(dialogs_);
    path_ = WriteFile(dir_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  }
  void cleanup() { windows_.reset(); }

  void refusesMissingClassificationColumnsInOrder();
  void weightFieldTakesAnEntryANumberOrAHeaderAndCompletes();
  void nothingTickedIsSaidAndTheSettingsTabStays();
  void utf8FilesRunAsTheirCodePage932Twin();
  void stoppedRunAppendsNothing();
  void paneLinesEqualTheTabulatorsForEveryScheme();
  void designOptionsAreShownRunAndRemembered();
  void usualIntakeRatiosByVariableAndBootstrapRunAsTheTabulators();
  void judgedRunEqualsTheTabulators();
  void decimalCommaLocaleChangesNothing();
  void fileGoneSinceLoadingIsReportedAndNothingAppended();
  void personsInNoAgeBandAreCountedAndSaid();
  void ownCutOffRunsAsTheTabulatorsAndTheButtonStays();
  void computedVariablesRunAsTheTabulatorsAndStayWithTheFile();

 private:
  void ExpectRefusal(const QString& message);

  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  QTemporaryDir dir_;
  QString path_;
};

// The run refuses with `message` (or, when it is empty, ends silently) and
// leaves the settings tab in front and the pane as it was.
void RunCommandTest::ExpectRefusal(const QString& message) {
  dialogs_.errors.clear();
  const size_t lines = Pane()->lines().size();
  MainForm->ButtonRunClick();
  QCOMPARE(dialogs_.errors, message.isEmpty() ? QStringList() : QStringList{message});
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("TabSheet2"));
  QCOMPARE(Pane()->lines().size(), lines);
}

void RunCommandTest::refusesMissingClassificationColumnsInOrder() {
  // No file loaded: said so, not that sex is missing.
  ExpectRefusal(QStringLiteral("健康・栄養調査データが開かれていません. 「開く」でファイルを選んでください."));
  LoadSurveyFile(dialogs_, path_);
  Tick({4});
  ExpectRefusal(QStringLiteral("性別が指定されていません."));
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  ExpectRefusal(QStringLiteral("年齢が指定されていません."));
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  ExpectRefusal(QStringLiteral("妊婦・授乳婦が指定されていません."));
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
  // Reference values go by age in years, which category numbers are not.
  SettingsTab* settings = Find<SettingsTab>("TabSheet2");
  kelvara::DesignOptions judged = settings->designOptions();
  judged.reference = std::make_shared<kelvara::ReferenceChoice>();
  settings->setDesignOptions(judged);
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(3);
  ExpectRefusal(QStringLiteral("基準値による判定は年齢で行うため、カテゴリー番号の区分ではできません. "
                               "年齢階級の区分を選ぶか、計算法の指定で基準値の表を「なし」にしてください."));
  settings->setDesignOptions({});
  dialogs_.errors.clear();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("TabSheet3"));
  QVERIFY(!Pane()->lines().empty());
}

void RunCommandTest::weightFieldTakesAnEntryANumberOrAHeaderAndCompletes() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4});
  QComboBox* weight = Find<QComboBox>("ComboBoxWeight");
  weight->setEditText(QStringLiteral("重さ"));
  ExpectRefusal(QStringLiteral("重み（サンプリング・ウエイト）の「重さ」という列はありません. "
                               "一覧から選ぶか、列の番号か見出しを入力してください."));

  // The entry, its number and its header text all name column 6, and the
  // field then shows the entry.
  const QByteArray expected = TabulatorReport(path_, 0, {"5"});
  for (const QString& typed : {QStringLiteral("6.重み"), QStringLiteral("6"), QStringLiteral("重み")}) {
    Pane()->ClearLines();
    weight->setEditText(typed);
    dialogs_.errors.clear();
    MainForm->ButtonRunClick();
    QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(typed));
    QCOMPARE(PaneBytes(), expected);
    QCOMPARE(weight->currentText(), QStringLiteral("6.重み"));
  }

  // Typing offers the entries that hold what was typed.
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
  MainForm->show();
  QApplication::setActiveWindow(MainForm);
  QVERIFY(QTest::qWaitForWindowActive(MainForm));
  weight->setFocus();
  weight->lineEdit()->clear();
  QTest::keyClicks(weight->lineEdit(), QStringLiteral("5"));
  QCOMPARE(weight->completer()->completionCount(), 1);
  QCOMPARE(weight->completer()->currentCompletion(), QStringLiteral("5.エネルギー"));
  weight->lineEdit()->clear();
  // Japanese text arrives from the input method, committed.
  QInputMethodEvent typed;
  typed.setCommitString(QStringLiteral("重"));
  QApplication::sendEvent(weight->lineEdit(), &typed);
  QCOMPARE(weight->completer()->currentCompletion(), QStringLiteral("6.重み"));
  QWidget* popup = weight->completer()->popup();
  QVERIFY(popup->isVisible());

  // The list takes the press on 計算実行 that closes it (it holds the mouse
  // while it is up); the press goes on to the button, which runs.
  QInputMethodEvent more;
  more.setCommitString(QStringLiteral("み"));
  QApplication::sendEvent(weight->lineEdit(), &more);
  QVERIFY(popup->isVisible());
  Pane()->ClearLines();
  const QPushButton* run = Find<QPushButton>("ButtonRun");
  QTest::mousePress(popup, Qt::LeftButton, {}, popup->mapFromGlobal(run->mapToGlobal(run->rect().center())));
  QVERIFY(!popup->isVisible());
  QTRY_COMPARE(PaneBytes(), expected);
}

void RunCommandTest::nothingTickedIsSaidAndTheSettingsTabStays() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  ExpectRefusal(QStringLiteral("分析変数（栄養素等）が選ばれていません. "
                               "計算する変数にチェックを付けてください."));
}

void RunCommandTest::paneLinesEqualTheTabulatorsForEveryScheme() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  // ID, age (also the age column) and energy: blocks in list order.
  Tick({0, 2, 4});
  for (int scheme = 0; scheme < 4; ++scheme) {
    const size_t before = Pane()->lines().size();
    Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(scheme);
    MainForm->ButtonRunClick();
    QVERIFY(dialogs_.errors.isEmpty());
    const QByteArray expected = TabulatorReport(path_, scheme, {"1", "3", "5"});
    QVERIFY(!expected.isEmpty());
    QCOMPARE(PaneBytes(before), expected);
  }
  QVERIFY(QApplication::overrideCursor() == nullptr);

  // The view shows the kept lines decoded, one paragraph per line.
  QStringList shown;
  for (const std::string& line : Pane()->lines()) shown.append(DisplayText(line));
  QCOMPARE(Pane()->toPlainText(), shown.join(QLatin1Char('\n')));
  QVERIFY(Pane()->toPlainText().startsWith(QStringLiteral("\"【ID】\"")));

  // Pressing again with the same settings appends the same blocks again.
  const size_t before = Pane()->lines().size();
  MainForm->ButtonRunClick();
  QCOMPARE(PaneBytes(before), TabulatorReport(path_, 3, {"1", "3", "5"}));
}

// The strata, added figures and usual intake chosen in their dialog: the
// note under the run button says what is on, the pane equals kelvara-tab's report with the
// same options, and the next window remembers them, the strata column by its
// header text.
void RunCommandTest::designOptionsAreShownRunAndRemembered() {
  const QString settings = dir_.filePath(QStringLiteral("design.ini"));
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4});
  QVERIFY(!Find<QLabel>("LabelDesignOptions")->isVisibleTo(MainForm));
  dialogs_.onDialog = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("strataColumn"))->setCurrentIndex(2);  // 2.性別
    for (const char* box : {"confidenceInterval", "coefficientOfVariation", "designEffect",
                            "shareBelow"}) {
      dialog.findChild<QCheckBox*>(QString::fromLatin1(box))->setChecked(true);
    }
    dialog.findChild<QLineEdit*>(QStringLiteral("cutOff"))->setText(QStringLiteral("1500.5"));
    dialog.findChild<QCheckBox*>(QStringLiteral("usual"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("varianceRatio"))->setText(QStringLiteral("1.5"));
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  const QLabel* note = Find<QLabel>("LabelDesignOptions");
  QVERIFY(note->isVisibleTo(MainForm));
  QCOMPARE(note->text(), QStringLiteral("指定中：\n層（2.性別）\n95%信頼区間\n変動係数\n"
                                        "デザイン効果\n1500.5未満の割合\n習慣的摂取量"));
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  const QByteArray expected = TabulatorReport(
      path_, 0, {"5"},
      {"--strata", "2", "--ci", "--cv", "--deff", "--below", "1500.5", "--usual",
       "--variance-ratio", "5=1.5"});
  QVERIFY(expected.contains("1500.5"));
  QVERIFY(expected.contains("\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j"));  // （習慣的摂取量）
  QCOMPARE(PaneBytes(), expected);
  const QString shown = note->text();
  dialogs_.confirmAnswers.push_back(true);  // the results are unsaved
  QVERIFY(MainForm->close());

  // The next window: the same note once a file with that header is open.
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  LoadSurveyFile(dialogs_, path_);
  QCOMPARE(Find<QLabel>("LabelDesignOptions")->text(), shown);
}

// Usual intake with ratios of single variables, read from a --variance-ratios
// table (by sex and age band) or typed beside the variable, and the
// bootstrap: the pane holds and saves kelvara-tab's bytes for the same
// choices, shows each method line a band and a statement a line with no text
// lost, and the next window remembers the ratios by header text.
void RunCommandTest::usualIntakeRatiosByVariableAndBootstrapRunAsTheTabulators() {
  const QString settings = dir_.filePath(QStringLiteral("usual.ini"));
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  const QString ratios = WriteFile(dir_, QStringLiteral("ratios.csv"),
                                   "VAR,SEX,AGE,R\n# by sex, and the women in their 30s\n6,1,,2\n"
                                   "\xE3\x82\xA8\xE3\x83\x8D\xE3\x83\xAB\xE3\x82\xAE\xE3\x83\xBC,2,,1.5\n"
                                   "6,2,30,0.8\n6,0,,1.3\n");
  const QString survey = QStringLiteral(KELVARA_EXAMPLE_SURVEY);
  LoadSurveyFile(dialogs_, survey);
  for (const auto& [selector, index] : {std::pair{"ComboBoxID1", 1}, {"ComboBoxWeight", 5},
                                        {"ComboBoxBunrui1", 2}, {"ComboBoxBunrui2", 3},
                                        {"ComboBoxBunrui3", 4}}) {
    Find<QComboBox>(selector)->setCurrentIndex(index);
  }
  Tick({5, 9});  // エネルギー, 食塩相当量
  dialogs_.onDialog = [&ratios](QDialog& dialog) {
    dialog.findChild<QCheckBox*>(QStringLiteral("usual"))->setChecked(true);
    auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("ratioFile"));
    file->setText(ratios);
    emit file->editingFinished();
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("ownRatios"));
    if (table->rowCount() != 2 || table->item(0, 1)->text() != QStringLiteral("1.3") ||
        table->item(0, 2)->text() != QStringLiteral("男 2、女 1.5、女・30歳の階級 0.8")) {
      return false;
    }
    table->item(1, 1)->setText(QStringLiteral("1.2"));
    dialog.findChild<QSpinBox*>(QStringLiteral("bootstrapReplicates"))->setValue(20);
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  QVERIFY(Find<QLabel>("LabelDesignOptions")->text().endsWith(QStringLiteral("習慣的摂取量（ブートストラップ20回）")));
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  const QByteArray expected = TabulatorOutput(
      {"--unit", "1", "--weight", "5", "--sex", "2", "--age", "3", "--pregnancy", "4", "--usual",
       "--variance-ratios", ratios, "--variance-ratio", "10=1.2", "--bootstrap", "20", survey, "6", "10"});
  QVERIFY(DisplayText(expected.toStdString()).contains(QStringLiteral("女30～39 λ=0 比=0.8、")));
  QVERIFY(DisplayText(expected.toStdString()).contains(QStringLiteral("Rao-Wuブートストラップ（20回")));
  QCOMPARE(PaneBytes(), expected);

  // Shown: the title, a band a line (その他 saying who it holds), a statement
  // a line; put back together they are the report's line.
  const QString title = QStringLiteral("\"習慣的摂取量の推定：λ（Box-Cox）と分散比（個人内／個人間）");
  int methodLines = 0;
  for (QTextBlock block = Pane()->document()->firstBlock(); block.isValid(); block = block.next()) {
    if (block.text() != title) continue;
    ++methodLines;
    QStringList bands, statements;
    for (block = block.next(); block.isValid() && block.text().startsWith(QLatin1Char(' ')); block = block.next()) {
      QString text = block.text();
      if (text.startsWith(QStringLiteral("    "))) {
        text.replace(QStringLiteral("その他（年齢階級区分のどの年齢階級にも入らない人） "), QStringLiteral("その他 "));
        bands.append(text.mid(4));
      } else {
        statements.append(text.mid(2));
      }
      if (text.endsWith(QLatin1Char('"'))) break;
    }
    QVERIFY(bands.size() == 19 && statements.size() == 5);
    const QString joined = title + QLatin1Char(' ') + bands.join(QStringLiteral("、")) + QStringLiteral("；") +
                           statements.join(QStringLiteral("；"));
    QVERIFY2(std::any_of(Pane()->lines().begin(), Pane()->lines().end(),
                         [&](const std::string& line) { return DisplayText(line) == joined; }),
             qPrintable(joined));
    if (!block.isValid()) break;
  }
  QCOMPARE(methodLines, 2);
  const QString saved = dir_.filePath(QStringLiteral("usual.csv"));
  dialogs_.fileAnswers.push_back(saved);
  MainForm->FileSaveAs();
  QCOMPARE(QByteArray::fromStdString(ReadBytes(saved)), expected);
  QVERIFY(MainForm->close());

  // The next window, the same file: the same choices give the same bytes.
  windows_.reset();
  windows_ = std::make_unique<TestWindows>(dialogs_, settings);
  LoadSurveyFile(dialogs_, survey);
  Pane()->ClearLines();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(PaneBytes(), expected);
}

// A run judged against one's own table, with the nutrient set by hand and
// both alternatives chosen in the dialog, gives kelvara-tab's bytes for the
// same choices on its command line.
void RunCommandTest::judgedRunEqualsTheTabulators() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({2});
  dialogs_.onDialog = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("referenceTable"))->setCurrentIndex(3);
    auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("referenceFile"));
    file->setText(QString::fromUtf8(KELVARA_TEST_REFERENCE));
    emit file->editingFinished();
    // 3.年齢 judged as if it were iron: the old are above its UL.
    // The nutrient table lists the ticked variable alone.
    auto* mapping = dialog.findChild<QTableWidget*>(QStringLiteral("nutrientMapping"));
    if (mapping->rowCount() != 1 || !mapping->item(0, 0)->text().endsWith(QStringLiteral("年齢"))) {
      return false;
    }
    mapping->item(0, 1)->setText(QStringLiteral("iron"));
    dialog.findChild<QComboBox*>(QStringLiteral("pregnancyStage"))->setCurrentIndex(2);  // 中期
    dialog.findChild<QComboBox*>(QStringLiteral("menstruation"))->setCurrentIndex(1);    // あり
    dialog.findChild<QCheckBox*>(QStringLiteral("medianInterval"))->setChecked(true);
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  const QByteArray expected = TabulatorReport(
      path_, 0, {"3"},
      {"--median-ci", "--reference", QString::fromUtf8(KELVARA_TEST_REFERENCE), "--nutrient",
       "3=iron", "--pregnancy-stage", "mid", "--menstruation", "yes"});
  QVERIFY(expected.contains("iron"));  // the block's reference line names the nutrient
  QCOMPARE(PaneBytes(), expected);
  // The table gives no UL under 18, nor for pregnant and lactating women:
  // the shares above the UL of the groups holding them rest on fewer persons.
  QCOMPARE(Find<NoticeBar>("NoticeRun")->text(),
           QStringLiteral("基準値表に値がないため、8～12歳の男女2人を年齢のULについて判定していません。\n"
                          "基準値表に値がないため、妊婦・授乳婦2人を年齢のULについて判定していません。"));
}

void RunCommandTest::decimalCommaLocaleChangesNothing() {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  // German as POSIX names it, and as Windows does.
  const char* german = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de-DE", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      german = name;
      break;
    }
  }
  if (german == nullptr) {
    QSKIP("no German locale is installed (scripts/run-tests.sh generates de_DE.UTF-8)");
  }
  QCOMPARE(std::localeconv()->decimal_point, ",");
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4, 5});
  MainForm->ButtonRunClick();
  const QByteArray pane = PaneBytes();
  std::setlocale(LC_ALL, previous.c_str());
  QVERIFY(pane.contains(",2100.5,") || pane.contains(".5"));
  QCOMPARE(pane, TabulatorReport(path_, 0, {"5", "6"}));
}

void RunCommandTest::fileGoneSinceLoadingIsReportedAndNothingAppended() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4});
  QVERIFY(QFile::remove(path_));
  // After the error the user stays on the settings tab, where they were.
  ExpectRefusal(QStringLiteral("栄養調査データ[") + QDir::toNativeSeparators(path_) + QStringLiteral("]が見つかりません."));

  // A file that lost its header row: said so.
  WriteFile(dir_, QStringLiteral("survey.csv"), "\r\n");
  ExpectRefusal(QStringLiteral("栄養調査データ[") + QDir::toNativeSeparators(path_) +
                QStringLiteral("]に見出しの行がありません（開いた後でファイルが空になりました）."));
  QVERIFY(QApplication::overrideCursor() == nullptr);
}

// What a spreadsheet's "CSV UTF-8" export gives, with and without its byte
// order mark: the same names on screen and the same report bytes as the code
// page 932 file. A name code page 932 lacks is named at loading and refused,
// by its column, at the run.
void RunCommandTest::utf8FilesRunAsTheirCodePage932Twin() {
  LoadSurveyFile(dialogs_, path_);
  const QStringList labels = EntryTexts(Find<QComboBox>("ComboBoxBunrui1"));
  ChooseColumns();
  Tick({4, 5});
  MainForm->ButtonRunClick();
  const QByteArray twin = PaneBytes();
  QVERIFY(!twin.isEmpty());

  const std::string utf8 = DisplayText(SmallSurveyBytes()).toStdString();
  for (const std::string& mark : {std::string(), std::string("\xEF\xBB\xBF")}) {
    Pane()->ClearLines();
    const QString path = WriteFile(dir_, QStringLiteral("utf8.csv"), mark + utf8);
    LoadSurveyFile(dialogs_, path);
    QCOMPARE(EntryTexts(Find<QComboBox>("ComboBoxBunrui1")), labels);
    QCOMPARE(ItemTexts(Find<QListWidget>("CheckListEiyoso")), labels.mid(1));
    QCOMPARE(Grid()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("5.エネルギー"));
    ChooseColumns();
    Tick({4, 5});
    MainForm->ButtonRunClick();
    QVERIFY(dialogs_.errors.isEmpty());
    QCOMPARE(PaneBytes(), twin);
  }

  // U+2603 has no code page 932 form.
  Pane()->ClearLines();
  const std::string snowman = "\xEF\xBB\xBF" + utf8.substr(0, utf8.find('\r')) + ",\xE2\x98\x83" +
                              utf8.substr(utf8.find('\r'));
  const QString path = WriteFile(dir_, QStringLiteral("snow.csv"), snowman);
  LoadSurveyFile(dialogs_, path);
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY2(dialogs_.errors[0].contains(QStringLiteral("「7.☃」")), qPrintable(dialogs_.errors[0]));
  ChooseColumns();
  Tick({4, 6});
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet2"));
  ExpectRefusal(QStringLiteral("分析変数「7.☃」の名前には、シフトJIS（コードページ932）にない文字があるため、"
                               "計算結果に書けません.\n\n列の名前を変えてから開き直してください."));
}

void RunCommandTest::stoppedRunAppendsNothing() {
  // Enough rows and variables that the run is still going when 中止 comes.
  std::string big = SmallSurveyBytes();
  for (int i = 0; i < 100000; ++i) big += std::to_string(i % 9) + ",2,41,0,1850,1.1\r\n";
  path_ = WriteFile(dir_, QStringLiteral("big.csv"), big);
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({0, 1, 2, 3, 4, 5});
  QTimer::singleShot(0, FormProgress, [] {
    QVERIFY(FormProgress->isVisible());
    QCOMPARE(FormProgress->windowTitle(), QStringLiteral("計算中"));
    FormProgress->findChild<QPushButton*>("ButtonStop")->click();
  });
  ExpectRefusal(QString());
  QVERIFY(!FormProgress->isVisible());

  // The same run, let be, appends every block.
  MainForm->ButtonRunClick();
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("TabSheet3"));
  QCOMPARE(PaneBytes(), TabulatorReport(path_, 0, {"1", "2", "3", "4", "5", "6"}));

  // Closing during a run asks whether to stop it, at either close box. No
  // window is modal meanwhile, so the system's close request reaches the
  // main window, which takes no other input. No lets the run go on; Yes at
  // the progress window stops it and appends nothing.
  MainForm->show();
  const std::vector<std::string> before = Pane()->lines();
  dialogs_.questions.clear();
  dialogs_.confirmAnswers = {false, false, true};
  QTimer::singleShot(0, FormProgress, [] {
    QVERIFY(QGuiApplication::modalWindow() == nullptr);
    QVERIFY(!Find<QWidget>("PageControl1")->isEnabled() && !Find<QWidget>("MainMenu")->isEnabled());
    QVERIFY(!FormProgress->close());
    QVERIFY(!MainForm->close());
    QVERIFY(FormProgress->isVisible() && MainForm->isVisible());
    FormProgress->close();
  });
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QVERIFY(!FormProgress->isVisible() && MainForm->isVisible());
  QCOMPARE(Pane()->lines(), before);
  QCOMPARE(dialogs_.questions, QStringList({QStringLiteral("計算の途中です。\n\n中止して閉じますか？"),
                                            QStringLiteral("計算の途中です。\n\n中止して終了しますか？"),
                                            QStringLiteral("計算の途中です。\n\n中止して閉じますか？")}));
  QVERIFY(Find<QWidget>("PageControl1")->isEnabled() && Find<QWidget>("MainMenu")->isEnabled());

  // Yes at the main window stops the run and closes, after the question on
  // the unsaved results.
  dialogs_.questions.clear();
  dialogs_.confirmAnswers = {true, true};
  QTimer::singleShot(0, FormProgress, [] { MainForm->close(); });
  MainForm->ButtonRunClick();
  QTRY_VERIFY(!MainForm->isVisible());
  QCOMPARE(Pane()->lines(), before);
  QCOMPARE(dialogs_.questions, QStringList({QStringLiteral("計算の途中です。\n\n中止して終了しますか？"),
                                            QStringLiteral("計算結果が保存されていません。\n\n終了しますか？")}));
}


// Ages at and beyond the ends of the bands: table 1's bands run from 1 up to,
// not including, 199, the category scheme's are the whole numbers 1 to 10.
// The window's notice and kelvara-tab's standard error give the same count,
// out of the persons whose classification cells are usable; the report stays
// kelvara-tab's.
void RunCommandTest::personsInNoAgeBandAreCountedAndSaid() {
  // ID,性別,年齢,妊婦,エネルギー,重み
  std::string bytes = SmallSurveyBytes().substr(0, SmallSurveyBytes().find("\r\n") + 2);
  const char* ages[] = {"0", "0.5", "1", "6.99", "198.9", "199", "250", "-3", "35"};
  int row = 0;
  for (const char* age : ages) {
    bytes += std::to_string(1 + row % 2) + "," + std::to_string(1 + row % 2) + "," + age +
             ",0,2000,1\r\n";
    ++row;
  }
  // Unusable classification cells: counted nowhere, whatever the age.
  bytes += "1,1,300,,2000,1\r\n2,2,\x95s\x96\xBE,0,2000,1\r\n";  // 不明
  const QString path = WriteFile(dir_, QStringLiteral("ages.csv"), bytes);
  LoadSurveyFile(dialogs_, path);
  ChooseColumns();
  Tick({4});
  struct Case {
    int scheme;
    int outside;
  };
  // Table 1: 0, 0.5, 199, 250 and -3; category: all but 1.
  for (const Case& c : {Case{0, 5}, Case{3, 8}}) {
    const size_t before = Pane()->lines().size();
    Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(c.scheme);
    MainForm->ButtonRunClick();
    QVERIFY(dialogs_.errors.isEmpty());
    const QString notice = Find<NoticeBar>("NoticeRun")->text();
    QVERIFY2(notice.contains(QStringLiteral("使える 9 人のうち %1 人").arg(c.outside)),
             qPrintable(notice));
    QVERIFY(notice.contains(QStringLiteral("3.年齢")));
    // Table 1's totals take every age; the category numbers' totals take 1
    // to 10, so of 0, 0.5, 6.99, 198.9, 199, 250 and -3 only 6.99 counts.
    QVERIFY2(notice.contains(c.scheme == 3 ? QStringLiteral("うち 7 人はどの行にも数えられず")
                                           : QStringLiteral("集計の行にだけ数えられます")),
             qPrintable(notice));

    QProcess process;
    process.start(QStringLiteral(KELVARA_TAB_PATH),
                  QStringList{"--unit", "1", "--weight", "6", "--sex", "2", "--age", "3",
                              "--pregnancy", "4", "--scheme", kSchemeNames[c.scheme], path, "5"});
    QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
    QCOMPARE(PaneBytes(before), process.readAllStandardOutput());
    const QString said = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("%1 of 9 persons").arg(c.outside)), qPrintable(said));
    QCOMPARE(said.contains(QStringLiteral("7 of them count in no group")), c.scheme == 3);
  }
  // The same persons on two days each, with a person column: persons are
  // counted, each once by their first row, not their rows.
  std::string days = bytes.substr(0, bytes.find("\r\n")) + ",P\r\n";
  int person = 0;
  for (size_t at = bytes.find("\r\n") + 2; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    const std::string row = bytes.substr(at, end - at) + "," + std::to_string(++person) + "\r\n";
    days += row + row;
    at = end + 2;
  }
  const QString daysPath = WriteFile(dir_, QStringLiteral("days.csv"), days);
  LoadSurveyFile(dialogs_, daysPath);
  ChooseColumns();
  Tick({4});
  auto* settings = MainForm->findChild<SettingsTab*>();
  kelvara::DesignOptions design = settings->designOptions();
  design.usual.personColumn = 6;
  settings->setDesignOptions(design);
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(0);
  const size_t before = Pane()->lines().size();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  const QString notice = Find<NoticeBar>("NoticeRun")->text();
  QVERIFY2(notice.contains(QStringLiteral("使える 9 人のうち 5 人")), qPrintable(notice));
  QProcess process;
  process.start(QStringLiteral(KELVARA_TAB_PATH),
                QStringList{"--unit", "1", "--weight", "6", "--sex", "2", "--age", "3", "--pregnancy",
                            "4", "--person", "7", daysPath, "5"});
  QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
  QCOMPARE(PaneBytes(before), process.readAllStandardOutput());
  const QString said = QString::fromUtf8(process.readAllStandardError());
  QVERIFY2(said.contains(QStringLiteral("5 of 9 persons")), qPrintable(said));

  // Every age inside a band: no notice.
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4});
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(1);
  MainForm->ButtonRunClick();
  QVERIFY(Find<NoticeBar>("NoticeRun")->text().isEmpty());
}

// A cut-off for energy alone: the age block has no share columns, energy's
// has them at 2000, as kelvara-tab --below 5=2000 writes. The note that
// appears under 計算実行 does not move the button.
void RunCommandTest::ownCutOffRunsAsTheTabulatorsAndTheButtonStays() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({2, 4});
  MainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(MainForm));
  const QPushButton* run = Find<QPushButton>("ButtonRun");
  const QPoint before = run->mapTo(MainForm, QPoint());
  dialogs_.onDialog = [](QDialog& dialog) {
    dialog.findChild<QCheckBox*>(QStringLiteral("shareBelow"))->setChecked(true);
    auto* own = dialog.findChild<QTableWidget*>(QStringLiteral("ownCutOffs"));
    if (own->rowCount() != 2 || own->item(1, 0)->text() != QStringLiteral("5.エネルギー")) return false;
    own->item(1, 1)->setText(QStringLiteral("2000"));
    return true;
  };
  Find<QAction>("DesignOptionsItem")->trigger();
  QVERIFY(Find<QLabel>("LabelDesignOptions")->isVisible());
  QCOMPARE(Find<QLabel>("LabelDesignOptions")->text(), QStringLiteral("指定中：\nエネルギー 2000未満"));
  QTest::qWait(50);  // the layout settles
  QCOMPARE(run->mapTo(MainForm, QPoint()), before);
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  const QByteArray expected = TabulatorReport(path_, 0, {"3", "5"}, {"--below", "5=2000"});
  QVERIFY(expected.contains("2000"));
  QCOMPARE(PaneBytes(), expected);
}

QTEST_MAIN(RunCommandTest)
#include "run_command_test.moc"

// The energy ratios added in one step and a variable defined in the 計算列
// dialog, checked as it is typed, run as kelvara-tab runs the same; loaded
// again, the file gets them back, ticked as they were, and a file with the
// same headers gets them too.
void RunCommandTest::computedVariablesRunAsTheTabulatorsAndStayWithTheFile() {
  // ID,性別,年齢,妊婦,エネルギー,重み,たんぱく質(g),脂質(g): an energy missing
  // in one row and 0 in another.
  std::string text = "ID,性別,年齢,妊婦,エネルギー,重み,たんぱく質(g),脂質(g)\r\n";
  for (int i = 0; i < 40; ++i) {
    const QString energy = i == 3 ? QString() : i == 9 ? QStringLiteral("0") : QString::number(1600 + 23 * i);
    text += QStringLiteral("%1,%2,%3,0,%4,%5,%6,%7\r\n")
                .arg(i % 5 + 1).arg(i % 2 + 1).arg(18 + 2 * i).arg(energy)
                .arg(1 + (i % 4) * 0.5).arg(55 + i % 17).arg(45.5 + (i * 3) % 29)
                .toStdString();
  }
  const QString energyPath =
      WriteFile(dir_, QStringLiteral("energy.csv"), *kelvara::Utf8ToCp932(text));
  LoadSurveyFile(dialogs_, energyPath);
  ChooseColumns();
  Find<QAction>("EnergyBalanceItem")->trigger();
  const QStringList ratios = {QStringLiteral("たんぱく質エネルギー比率"), QStringLiteral("脂肪エネルギー比率"),
                              QStringLiteral("炭水化物エネルギー比率")};
  auto* list = Find<QListWidget>("CheckListEiyoso");
  QCOMPARE(ItemTexts(list).mid(8), (QStringList{QStringLiteral("（計算）") + ratios[0],
                                               QStringLiteral("（計算）") + ratios[1],
                                               QStringLiteral("（計算）") + ratios[2]}));
  for (int item = 8; item < 11; ++item) QCOMPARE(list->item(item)->checkState(), Qt::Checked);
  QVERIFY(Find<NoticeBar>("NoticeChoices")->text().contains(QStringLiteral("飽和脂肪酸")));

  QStringList checks;
  dialogs_.onDialog = [&checks](QDialog& shown) {
    auto& dialog = static_cast<DerivedVariablesDialog&>(shown);
    dialog.findChild<QPushButton*>(QStringLiteral("ButtonAddDerived"))->click();
    QTest::keyClicks(dialog.nameField(3), QStringLiteral("x"));
    QTest::keyClicks(dialog.expressionField(3), QStringLiteral("{8}/("));
    checks.append(dialog.checkLabel(3)->text());
    checks.append(dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))
                      ->button(QDialogButtonBox::Ok)->isEnabled() ? "OK enabled" : "OK disabled");
    QTest::keyClicks(dialog.expressionField(3), QStringLiteral("{5}-1000)"));
    checks.append(dialog.checkLabel(3)->text());
    return dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))
        ->button(QDialogButtonBox::Ok)->isEnabled();
  };
  Find<QAction>("DerivedVariablesItem")->trigger();
  QCOMPARE(checks, (QStringList{QStringLiteral("式が6文字目で途切れています。"), "OK disabled", "OK"}));
  list->item(11)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();
  QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
  // kelvara-tab numbers x after the file's 8 columns, then the ratios.
  const QByteArray expected =
      TabulatorReport(energyPath, 0, {"10", "11", "12", "9"}, {"--energy-balance", "--derive", "x={8}/({5}-1000)"});
  QVERIFY(expected.contains(kelvara::Utf8ToCp932("\"計算式：{8}/({5}-1000)\"")->c_str()));
  QCOMPARE(PaneBytes(), expected);

  // Another file takes those its headers allow: none for the small survey,
  // all four for a copy with the same headers.
  LoadSurveyFile(dialogs_, path_);
  QCOMPARE(list->count(), 6);
  LoadSurveyFile(dialogs_, energyPath);
  QCOMPARE(ItemTexts(list).mid(8).size(), 4);
  QCOMPARE(list->item(11)->text(), QStringLiteral("（計算）x"));
  for (int item = 8; item < 12; ++item) QCOMPARE(list->item(item)->checkState(), Qt::Checked);
  const QString copy = WriteFile(dir_, QStringLiteral("energy_copy.csv"), ReadBytes(energyPath));
  LoadSurveyFile(dialogs_, copy);
  QCOMPARE(ItemTexts(list).mid(8).size(), 4);
  for (int item = 8; item < 12; ++item) QCOMPARE(list->item(item)->checkState(), Qt::Checked);
}
