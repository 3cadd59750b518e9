// The run command: its refusals, and report blocks byte for byte equal to
// kelvara-tab's for the same file and choices, under any locale.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTabWidget>
#include <QtTest>
#include <clocale>

#include "tests/ui/ui_test_support.h"
#include "ui/Main.h"
#include "ui/display_text.h"
#include "ui/radio_group.h"
#include "ui/results_pane.h"

namespace {

const char* const kSchemeNames[] = {"table1", "table2", "part5", "category"};

// kelvara-tab's report for the survey file with the test's column choices:
// unit 1, weight 6, sex 2, age 3, pregnant/lactating 4 (1-based numbers).
QByteArray TabulatorReport(const QString& path, int scheme, const QStringList& variables) {
  QProcess process;
  process.start(QStringLiteral(KELVARA_TAB_PATH),
                QStringList{"--unit", "1", "--weight", "6", "--sex", "2", "--age", "3",
                            "--pregnancy", "4", "--scheme", kSchemeNames[scheme], path} +
                    variables);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    qWarning() << process.readAllStandardError();
    return {};
  }
  return process.readAllStandardOutput();
}

QByteArray PaneBytes(size_t fromLine = 0) {
  QByteArray bytes;
  const std::vector<std::string>& lines = MainForm->RichEditKekka->lines();
  for (size_t i = fromLine; i < lines.size(); ++i) {
    bytes.append(lines[i].data(), static_cast<qsizetype>(lines[i].size()));
    bytes.append("\r\n");
  }
  return bytes;
}

void ChooseColumns() {
  MainForm->ComboBoxID1->setCurrentIndex(1);
  MainForm->ComboBoxWeight->setCurrentIndex(6);
  MainForm->ComboBoxBunrui1->setCurrentIndex(2);
  MainForm->ComboBoxBunrui2->setCurrentIndex(3);
  MainForm->ComboBoxBunrui3->setCurrentIndex(4);
}

void Tick(std::initializer_list<int> items) {
  for (int item : items) MainForm->CheckListEiyoso->item(item)->setCheckState(Qt::Checked);
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
  void refusesTypedWeightTextThatNamesNoColumn();
  void nothingTickedBringsTheResultsTabAndAppendsNothing();
  void paneLinesEqualTheTabulatorsForEveryScheme();
  void decimalCommaLocaleChangesNothing();
  void fileGoneSinceLoadingIsReportedAndNothingAppended();

 private:
  void ExpectRefusal(const QString& message);

  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  QTemporaryDir dir_;
  QString path_;
};

void RunCommandTest::ExpectRefusal(const QString& message) {
  dialogs_.errors.clear();
  MainForm->ButtonRunClick();
  QCOMPARE(dialogs_.errors, QStringList{message});
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet2);
  QVERIFY(MainForm->RichEditKekka->lines().empty());
}

void RunCommandTest::refusesMissingClassificationColumnsInOrder() {
  // No file loaded: the selectors are empty.
  ExpectRefusal(QStringLiteral("性別が指定されていません."));
  LoadSurveyFile(dialogs_, path_);
  Tick({4});
  ExpectRefusal(QStringLiteral("性別が指定されていません."));
  MainForm->ComboBoxBunrui1->setCurrentIndex(2);
  ExpectRefusal(QStringLiteral("年齢が指定されていません."));
  MainForm->ComboBoxBunrui2->setCurrentIndex(3);
  ExpectRefusal(QStringLiteral("妊婦・授乳婦が指定されていません."));
  MainForm->ComboBoxBunrui3->setCurrentIndex(4);
  dialogs_.errors.clear();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet3);
  QVERIFY(!MainForm->RichEditKekka->lines().empty());
}

void RunCommandTest::refusesTypedWeightTextThatNamesNoColumn() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  Tick({4});
  MainForm->ComboBoxWeight->setEditText(QStringLiteral("重さ"));
  dialogs_.errors.clear();
  MainForm->ButtonRunClick();
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY(dialogs_.errors[0].contains(QStringLiteral("「重さ」")));
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet2);
  QVERIFY(MainForm->RichEditKekka->lines().empty());

  // Typed text that is an entry's label names that entry.
  MainForm->ComboBoxWeight->setEditText(QStringLiteral("6.重み"));
  dialogs_.errors.clear();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(PaneBytes(), TabulatorReport(path_, 0, {"5"}));
}

void RunCommandTest::nothingTickedBringsTheResultsTabAndAppendsNothing() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet3);
  QVERIFY(MainForm->RichEditKekka->lines().empty());
}

void RunCommandTest::paneLinesEqualTheTabulatorsForEveryScheme() {
  LoadSurveyFile(dialogs_, path_);
  ChooseColumns();
  // ID, age (also the age column) and energy: blocks in list order.
  Tick({0, 2, 4});
  for (int scheme = 0; scheme < 4; ++scheme) {
    const size_t before = MainForm->RichEditKekka->lines().size();
    MainForm->RadioGroupFormat->setItemIndex(scheme);
    MainForm->ButtonRunClick();
    QVERIFY(dialogs_.errors.isEmpty());
    const QByteArray expected = TabulatorReport(path_, scheme, {"1", "3", "5"});
    QVERIFY(!expected.isEmpty());
    QCOMPARE(PaneBytes(before), expected);
  }
  QVERIFY(QApplication::overrideCursor() == nullptr);

  // The view shows the kept lines decoded, one paragraph per line.
  QStringList shown;
  for (const std::string& line : MainForm->RichEditKekka->lines()) shown.append(DisplayText(line));
  QCOMPARE(MainForm->RichEditKekka->toPlainText(), shown.join(QLatin1Char('\n')));
  QVERIFY(MainForm->RichEditKekka->toPlainText().startsWith(QStringLiteral("\"【ID】\"")));

  // Pressing again with the same settings appends the same blocks again.
  const size_t before = MainForm->RichEditKekka->lines().size();
  MainForm->ButtonRunClick();
  QCOMPARE(PaneBytes(before), TabulatorReport(path_, 3, {"1", "3", "5"}));
}

void RunCommandTest::decimalCommaLocaleChangesNothing() {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    QSKIP("the de_DE.UTF-8 locale is not installed (scripts/run-tests.sh generates it)");
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
  MainForm->ButtonRunClick();
  const QString notFound =
      QStringLiteral("栄養調査データ[") + path_ + QStringLiteral("]が見つかりません.");
  QCOMPARE(dialogs_.errors, QStringList{notFound});
  QVERIFY(MainForm->RichEditKekka->lines().empty());

  // A file that lost its header row: the same message.
  WriteFile(dir_, QStringLiteral("survey.csv"), "\r\n");
  MainForm->ButtonRunClick();
  QCOMPARE(dialogs_.errors, QStringList({notFound, notFound}));
  QVERIFY(MainForm->RichEditKekka->lines().empty());
  QVERIFY(QApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(RunCommandTest)
#include "run_command_test.moc"
