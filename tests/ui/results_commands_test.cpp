// The File menu on the results pane: clear, load, save, print, and the file
// names the dialogs remember.
#include <QFile>
#include <QListWidget>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/ui/ui_test_support.h"
#include "ui/window/main_window.h"
#include "ui/window/display_text.h"
#include "ui/results/results_pane.h"

namespace {

std::vector<std::string> PaneLines() { return Pane()->lines(); }

// Lines in the pane as a results file would leave them: nothing unsaved.
void SetPane(std::vector<std::string> lines) { Pane()->ReplaceLines(std::move(lines)); }

}  // namespace

class ResultsCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dialogs_ = ScriptedDialogs();
    windows_ = std::make_unique<TestWindows>(dialogs_);
    tmp_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() { windows_.reset(); }

  void savedBytesAreTheLinesWithCrLf();
  void saveLoadSaveKeepsEveryByte();
  void loadingDropsCrStopsAtEofMarkAndKeepsLongLines();
  void loadFailureLeavesThePane();
  void overwriteQuestionAnsweredNoLeavesTheFile();
  void unwritablePlaceIsReportedAndNothingChanges();
  void defaultExtensionIsAdded();
  void clearAsksAndForgetsTheFileNames();
  void unsavedResultsAreAskedAboutBeforeTheyAreLost();
  void saveDialogStartsBesideTheSurveyFile();
  void cancelledDialogsChangeNothing();
  void printsTheWholePaneTitledKelvara();
  void surveyFileIsNeverOverwrittenNorOpenedAsResults();
  void utf8ResultsLoadAsTheirCodePage932Bytes();
  void quitQuestionOffersToSaveFirst();

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  std::unique_ptr<QTemporaryDir> tmp_;  // a fresh folder for each test
  QTemporaryDir& dir() { return *tmp_; }
};

void ResultsCommandsTest::savedBytesAreTheLinesWithCrLf() {
  // An empty pane is refused before any dialog, as printing it is.
  const QString empty = dir().filePath(QStringLiteral("empty.csv"));
  dialogs_.fileAnswers.push_back(empty);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("保存する計算結果がありません。")});
  QVERIFY(!QFile::exists(empty));
  dialogs_.errors.clear();
  dialogs_.fileAnswers.clear();

  SetPane({"\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"", "a,1", "", "b"});
  const QString path = dir().filePath(QStringLiteral("out.csv"));
  dialogs_.fileAnswers.push_back(path);
  MainForm->FileSaveAs();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(dialogs_.filters.last(), QStringLiteral("計算結果 (*.csv)"));
  QCOMPARE(ReadBytes(path),
           std::string("\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"\r\na,1\r\n\r\nb\r\n"));
  // Only the temporary file's rename touched the folder: nothing is left.
  QCOMPARE(QDir(dir().path()).entryList(QDir::Files), QStringList{QStringLiteral("out.csv")});
}

void ResultsCommandsTest::saveLoadSaveKeepsEveryByte() {
  // Undecodable bytes, a lone lead byte at a line's end, control bytes, an
  // empty line and an empty last line.
  const std::vector<std::string> lines = {"\"\x81yv\x81z\"", "\x82", "x\xA0y\x7F\x1C", "", "\x81\x60\xFF\xFD",
                                          std::string(3000, 'L') + "\x82\xA0", ""};
  SetPane(lines);
  const QString first = dir().filePath(QStringLiteral("first.csv"));
  dialogs_.fileAnswers.push_back(first);
  MainForm->FileSaveAs();

  Pane()->ClearLines();
  dialogs_.fileAnswers.push_back(first);
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(PaneLines(), lines);
  QVERIFY(Pane()->isVisibleTo(Find<QWidget>("TabSheet3")));

  const QString second = dir().filePath(QStringLiteral("second.csv"));
  dialogs_.fileAnswers.push_back(second);
  MainForm->FileSaveAs();
  QCOMPARE(ReadBytes(second), ReadBytes(first));
}

void ResultsCommandsTest::loadingDropsCrStopsAtEofMarkAndKeepsLongLines() {
  const std::string longLine = std::string(600, 'a') + "\x83G" + std::string(600, 'b');
  const QString path = WriteFile(dir(), QStringLiteral("in.csv"),
                                 "\"\x81yone\x81z\"\r\ntwo\n\r\n" + longLine + "\r\nlast\x1A" + "after\r\n");
  SetPane({"old"});
  dialogs_.fileAnswers.push_back(path);
  MainForm->FileOpen();
  QCOMPARE(PaneLines(), (std::vector<std::string>{"\"\x81yone\x81z\"", "two", "", longLine, "last"}));
  // The settings tab stays in front, and the next save offers the loaded name.
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentWidget(), Find<QWidget>("TabSheet2"));
  dialogs_.fileAnswers.push_back(std::nullopt);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.offeredFileNames.last(), path);

  // A last line without a line end loads whole.
  dialogs_.fileAnswers.push_back(WriteFile(dir(), QStringLiteral("tail.csv"), "\"\x81yx\x81z\"\r\ny"));
  MainForm->FileOpen();
  QCOMPARE(PaneLines(), (std::vector<std::string>{"\"\x81yx\x81z\"", "y"}));
  // An empty file holds no results: refused, the pane kept.
  dialogs_.fileAnswers.push_back(WriteFile(dir(), QStringLiteral("none.csv"), ""));
  MainForm->FileOpen();
  QCOMPARE(dialogs_.errors.size(), 1);
  QCOMPARE(PaneLines().size(), size_t{2});
}

void ResultsCommandsTest::loadFailureLeavesThePane() {
  SetPane({"kept"});
  dialogs_.fileAnswers.push_back(dir().filePath(QStringLiteral("missing.csv")));
  MainForm->FileOpen();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("ファイルを開けませんでした。\n\nファイル: ") +
                                         dir().filePath(QStringLiteral("missing.csv")) +
                                         QStringLiteral("\n原因: ファイルがありません。")});
  QCOMPARE(PaneLines(), std::vector<std::string>{"kept"});
  QVERIFY(Find<TFileDialog>("SaveDialog")->fileName.isEmpty());

  // A folder is no results file either.
  dialogs_.fileAnswers.push_back(dir().path());
  MainForm->FileOpen();
  QCOMPARE(dialogs_.errors.size(), 2);
  QVERIFY(dialogs_.errors[1].endsWith(QStringLiteral("原因: フォルダです。ファイルを選んでください。")));
  QCOMPARE(PaneLines(), std::vector<std::string>{"kept"});
}

void ResultsCommandsTest::overwriteQuestionAnsweredNoLeavesTheFile() {
  const QString path = WriteFile(dir(), QStringLiteral("existing.csv"), "\"\x81yold\x81z\"\r\n");
  SetPane({"new"});
  dialogs_.fileAnswers.push_back(path);
  dialogs_.confirmAnswers.push_back(false);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.questions,
           QStringList{QStringLiteral("ファイル ") + path +
                       QStringLiteral(" が既に存在します。\n\n重ね書きしますか？")});
  QCOMPARE(ReadBytes(path), std::string("\"\x81yold\x81z\"\r\n"));

  dialogs_.fileAnswers.push_back(path);
  dialogs_.confirmAnswers.push_back(true);
  MainForm->FileSaveAs();
  QCOMPARE(ReadBytes(path), std::string("new\r\n"));
}

void ResultsCommandsTest::unwritablePlaceIsReportedAndNothingChanges() {
  const auto failed = [](const QString& path, const QString& cause) {
    return QStringList{QStringLiteral("ファイルを保存できませんでした。\n\nファイル: ") + path +
                       QStringLiteral("\n原因: ") + cause};
  };
  SetPane({"line"});
  const QString nowhere = dir().filePath(QStringLiteral("no/such/folder/out.csv"));
  dialogs_.fileAnswers.push_back(nowhere);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.errors, failed(nowhere, QStringLiteral("保存先のフォルダがありません。")));
  QCOMPARE(PaneLines(), std::vector<std::string>{"line"});

  // A write that fails half-way (the file-size limit stands in for a full
  // disk): reported, and the existing file keeps its bytes.
  const QString existing = WriteFile(dir(), QStringLiteral("kept.csv"), "old\r\n");
  SetPane({std::string(1 << 20, 'x')});
  dialogs_.errors.clear();
  dialogs_.fileAnswers.push_back(existing);
  dialogs_.confirmAnswers.push_back(true);
  {
    rlimit previous{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
    const rlimit small{64 * 1024, previous.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    MainForm->FileSaveAs();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
  }
  QCOMPARE(dialogs_.errors,
           failed(existing, QStringLiteral("書き込みの途中で失敗しました（ディスクの空きが足りないかもしれません）。"
                                           "元のファイルはそのままです。")));
  QCOMPARE(ReadBytes(existing), std::string("old\r\n"));
  QCOMPARE(QDir(dir().path()).entryList(QDir::Files), QStringList{QStringLiteral("kept.csv")});

  // A folder without write permission (not for root, who may write anyway).
  if (geteuid() == 0) return;
  QTemporaryDir locked;
  const QString lockedFile = WriteFile(locked, QStringLiteral("r.csv"), "old\r\n");
  QVERIFY(chmod(locked.path().toLocal8Bit().constData(), 0500) == 0);
  dialogs_.errors.clear();
  dialogs_.fileAnswers.push_back(lockedFile);
  dialogs_.confirmAnswers.push_back(true);
  MainForm->FileSaveAs();
  chmod(locked.path().toLocal8Bit().constData(), 0700);
  QCOMPARE(dialogs_.errors,
           failed(lockedFile, QStringLiteral("保存先のフォルダに書き込む権限がありません。")));
  QCOMPARE(ReadBytes(lockedFile), std::string("old\r\n"));
}

void ResultsCommandsTest::defaultExtensionIsAdded() {
  SetPane({"x"});
  dialogs_.fileAnswers.push_back(dir().filePath(QStringLiteral("named")));
  MainForm->FileSaveAs();
  QVERIFY(QFile::exists(dir().filePath(QStringLiteral("named.csv"))));
  QCOMPARE(Find<TFileDialog>("SaveDialog")->fileName, dir().filePath(QStringLiteral("named.csv")));
}

void ResultsCommandsTest::clearAsksAndForgetsTheFileNames() {
  Pane()->AppendLines({"a", "b"});
  Find<TFileDialog>("OpenDialog")->fileName = QStringLiteral("/tmp/o.csv");
  Find<TFileDialog>("SaveDialog")->fileName = QStringLiteral("/tmp/s.csv");
  dialogs_.confirmAnswers.push_back(false);
  MainForm->FileNew();
  QCOMPARE(dialogs_.questions,
           QStringList{QStringLiteral("計算結果が保存されていません。\n\n計算結果をクリアしますか？")});
  QCOMPARE(PaneLines().size(), size_t{2});
  QCOMPARE(Find<TFileDialog>("SaveDialog")->fileName, QStringLiteral("/tmp/s.csv"));

  dialogs_.confirmAnswers.push_back(true);
  MainForm->FileNew();
  QVERIFY(PaneLines().empty());
  QVERIFY(Pane()->toPlainText().isEmpty());
  QVERIFY(Find<TFileDialog>("OpenDialog")->fileName.isEmpty());
  QVERIFY(Find<TFileDialog>("SaveDialog")->fileName.isEmpty());
}

// Results are unsaved when lines were appended since the last save or open:
// clearing, opening results and quitting (by the menu or the close box) ask
// then, and only then; No keeps everything.
void ResultsCommandsTest::unsavedResultsAreAskedAboutBeforeTheyAreLost() {
  const QString unsaved = QStringLiteral("計算結果が保存されていません。\n\n");
  const QString other = WriteFile(dir(), QStringLiteral("other.csv"), "\"\x81yother\x81z\"\r\n");
  MainForm->show();
  Pane()->AppendLines({"run 1"});
  dialogs_.fileAnswers.push_back(other);
  MainForm->FileNew();
  MainForm->FileOpen();
  MainForm->FileExit();
  QVERIFY(!MainForm->close());
  QCOMPARE(dialogs_.questions,
           QStringList({unsaved + QStringLiteral("計算結果をクリアしますか？"),
                        unsaved + QStringLiteral("計算結果を開くと、今の計算結果は失われます。開きますか？"),
                        unsaved + QStringLiteral("終了しますか？"), unsaved + QStringLiteral("終了しますか？")}));
  QVERIFY(MainForm->isVisible());
  QCOMPARE(PaneLines(), std::vector<std::string>{"run 1"});

  // Saved, then opened: nothing to lose, nothing asked.
  dialogs_.questions.clear();
  dialogs_.fileAnswers = {dir().filePath(QStringLiteral("saved.csv")), other};
  MainForm->FileSaveAs();
  MainForm->FileOpen();
  QCOMPARE(PaneLines(), std::vector<std::string>{"\"\x81yother\x81z\""});
  MainForm->FileNew();
  QVERIFY(dialogs_.questions.isEmpty());

  // Appended again: the close box asks, and Yes closes.
  Pane()->AppendLines({"run 2"});
  dialogs_.confirmAnswers = {true};
  QVERIFY(MainForm->close());
  QCOMPARE(dialogs_.questions, QStringList{unsaved + QStringLiteral("終了しますか？")});
}

void ResultsCommandsTest::saveDialogStartsBesideTheSurveyFile() {
  QDir(dir().path()).mkpath(QStringLiteral("data"));
  const QString survey = WriteFile(dir(), QStringLiteral("data/survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, survey);
  SetPane({"x"});
  MainForm->FileSaveAs();  // cancelled
  QCOMPARE(dialogs_.offeredFileNames.last(), QString());
  QCOMPARE(dialogs_.offeredDirectories.last(), dir().filePath(QStringLiteral("data")));
}

void ResultsCommandsTest::cancelledDialogsChangeNothing() {
  SetPane({"a"});
  Find<TFileDialog>("OpenDialog")->fileName = QStringLiteral("/tmp/o.csv");
  Find<TFileDialog>("SaveDialog")->fileName = QStringLiteral("/tmp/s.csv");
  MainForm->FileOpen();
  MainForm->FileSaveAs();
  MainForm->FilePrint();
  // Results are opened from no file offered: the name the dialog holds may
  // be the survey file's.
  QCOMPARE(dialogs_.offeredFileNames, QStringList({QString(), QStringLiteral("/tmp/s.csv")}));
  QCOMPARE(Find<TFileDialog>("SaveDialog")->fileName, QStringLiteral("/tmp/s.csv"));
  QCOMPARE(PaneLines(), std::vector<std::string>{"a"});
  QVERIFY(dialogs_.errors.isEmpty());
}

void ResultsCommandsTest::printsTheWholePaneTitledKelvara() {
  // An empty pane prints nothing and says so, before any print dialog.
  int printDialogs = 0;
  dialogs_.onPrint = [&printDialogs](QPrinter&) { return ++printDialogs > 0; };
  MainForm->FilePrint();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("印刷する計算結果がありません。")});
  QCOMPARE(printDialogs, 0);
  dialogs_.errors.clear();

  // The printer setup chooses a PDF file on portrait paper, the narrowest
  // a user may choose; the next print uses that choice.
  const QString pdf = dir().filePath(QStringLiteral("results.pdf"));
  dialogs_.onPrintSetup = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Portrait);
    return true;
  };
  MainForm->FilePrintSetup();
  // Margins leave room for the heading, the page number and binding.
  const QMarginsF margins = MainForm->printer().pageLayout().margins(QPageLayout::Millimeter);
  QVERIFY(margins.left() >= 10 && margins.top() >= 10 && margins.right() >= 10 && margins.bottom() >= 10);
  // The widest group lines a report holds: every statistic in exponent form.
  std::vector<std::string> lines;
  lines.push_back("\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"");  // "【エネルギー】"
  std::string widest = "\"\x92j\x8F\x97\x91\x8D\x90\x94\",1234567,1234567";  // "男女総数"
  for (int field = 0; field < 14; ++field) widest += ",-1.23457e+06";
  for (int i = 0; i < 150; ++i) {
    lines.push_back("\"\x92j\x91\x8D\x90\x94\",4,0,2.5," + std::to_string(i));
    if (i % 50 == 0) lines.push_back(widest);
  }
  lines.push_back("\"\x91w\x82\xCC\x90\x94\x81" "F2\"");  // "層の数：2"
  SetPane(lines);
  MainForm->FilePrint();
  QCOMPARE(printDialogs, 1);
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->printer().docName(), QStringLiteral("Kelvara"));
  QVERIFY(QFile::exists(pdf));

  QProcess pdftotext;
  pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!pdftotext.waitForStarted()) QSKIP("pdftotext (poppler-utils) is not installed");
  QVERIFY(pdftotext.waitForFinished(30000));
  const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
  QVERIFY2(text.contains(QStringLiteral("\"【エネルギー】\"")), qPrintable(text.left(300)));
  QVERIFY(text.contains(QStringLiteral("\"男総数\",4,0,2.5,0")));
  QVERIFY(text.contains(QStringLiteral("\"男総数\",4,0,2.5,149")));  // the whole pane, pages on
  QVERIFY(text.contains(QStringLiteral("\"層の数：2\"")));
  // The widest lines would need a print too small to read on portrait
  // paper: their columns wrap into a second band, each band led by the group
  // label, and the bands together give the line, never cut in mid-field.
  const QString widestShown = DisplayText(widest);
  const QString label = widestShown.left(widestShown.indexOf(QLatin1Char(',')) + 1);
  QStringList parts;
  for (const QString& printed : text.split(QLatin1Char('\n'))) {
    if (printed.trimmed().startsWith(label)) parts.append(printed.trimmed());
  }
  QCOMPARE(parts.size(), 6);
  for (int k = 0; k < 3; ++k) {
    QVERIFY(parts[k].size() < widestShown.size());
    QCOMPARE(parts[k] + parts[k + 3].mid(label.size() - 1), widestShown);
  }
  // The second band stands under the heading again, marked as continued.
  QCOMPARE(text.count(QStringLiteral("\"【エネルギー】\"（続き）")), 1);
  // The file at the top of each page and "n / m" at its foot.
  const QRegularExpression foot(QStringLiteral("(?m)^\\s*(\\d+) / (\\d+)\\s*$"));
  QStringList feet;
  for (auto match = foot.globalMatch(text); match.hasNext();) feet.append(match.next().captured(0).trimmed());
  QVERIFY(feet.size() >= 2);
  for (int n = 0; n < feet.size(); ++n) {
    QCOMPARE(feet[n], QStringLiteral("%1 / %2").arg(n + 1).arg(feet.size()));
  }
  QCOMPARE(text.count(QStringLiteral("計算結果")), feet.size());

  QProcess pdfinfo;
  pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
  QVERIFY(pdfinfo.waitForFinished(30000));
  const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
  QVERIFY(info.contains(QStringLiteral("Kelvara")));
}

// The survey file: saving over it is refused, naming it; saving over another
// file that is no results file asks, saying what it is. Opened as results it
// is refused and the pane stays; the open dialog starts in the results
// folder with no file offered.
void ResultsCommandsTest::surveyFileIsNeverOverwrittenNorOpenedAsResults() {
  QDir(dir().path()).mkpath(QStringLiteral("data"));
  QDir(dir().path()).mkpath(QStringLiteral("results"));
  const QString survey = WriteFile(dir(), QStringLiteral("data/survey.csv"), SmallSurveyBytes());
  const QString copy = WriteFile(dir(), QStringLiteral("data/copy.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, survey);
  const std::vector<std::string> results = {"\"\x81y\x83G\x81z\"", "a,1"};
  Pane()->AppendLines(results);

  dialogs_.fileAnswers = {survey, copy, dir().filePath(QStringLiteral("results/r.csv"))};
  dialogs_.confirmAnswers = {false};
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("計算結果を、開いている健康・栄養調査データ[") + survey +
                                        QStringLiteral("]に上書きすることはできません。別の名前をつけて保存してください。")});
  QVERIFY(dialogs_.questions.isEmpty());
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.questions.size(), 1);
  QVERIFY2(dialogs_.questions[0].startsWith(copy + QStringLiteral("は計算結果のファイルではなく、")) &&
               dialogs_.questions[0].contains(QStringLiteral("健康・栄養調査データかもしれません")),
           qPrintable(dialogs_.questions[0]));
  QCOMPARE(ReadBytes(survey), SmallSurveyBytes());
  QCOMPARE(ReadBytes(copy), SmallSurveyBytes());
  QVERIFY(Pane()->hasUnsavedLines());
  MainForm->FileSaveAs();
  QVERIFY(!Pane()->hasUnsavedLines());

  // The open dialog had offered the survey file; now it offers nothing, in
  // the folder the results went to.
  dialogs_.errors.clear();
  dialogs_.fileAnswers = {survey};
  MainForm->FileOpen();
  QCOMPARE(dialogs_.offeredFileNames.last(), QString());
  QCOMPARE(dialogs_.offeredDirectories.last(), dir().filePath(QStringLiteral("results")));
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY2(dialogs_.errors[0].contains(QStringLiteral("計算結果のファイルではありません")),
           qPrintable(dialogs_.errors[0]));
  QCOMPARE(PaneLines(), results);
}

// kelvara-tab --utf8 writes the report in UTF-8 with LF; loaded, with or
// without a byte order mark, it is the report in code page 932, and saved it
// is byte for byte the report kelvara-tab writes without --utf8.
void ResultsCommandsTest::utf8ResultsLoadAsTheirCodePage932Bytes() {
  const QString survey = WriteFile(dir(), QStringLiteral("survey.csv"), SmallSurveyBytes());
  const auto report = [&](const QStringList& extra) {
    QProcess process;
    process.start(QStringLiteral(KELVARA_TAB_PATH),
                  QStringList{"--unit", "1", "--weight", "6", "--sex", "2", "--age", "3",
                              "--pregnancy", "4", "--scheme", "part5", "--ci"} +
                      extra + QStringList{survey, "5", "3"});
    return process.waitForFinished(60000) && process.exitCode() == 0
               ? process.readAllStandardOutput().toStdString()
               : std::string();
  };
  const std::string cp932 = report({});
  const std::string utf8 = report({"--utf8"});
  QVERIFY(!cp932.empty() && cp932 != utf8);
  for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
    const QString loaded = WriteFile(dir(), QStringLiteral("utf8.csv"), prefix + utf8);
    dialogs_.fileAnswers = {loaded, dir().filePath(QStringLiteral("saved.csv"))};
    dialogs_.confirmAnswers = {true};
    MainForm->FileOpen();
    QVERIFY(dialogs_.errors.isEmpty());
    QCOMPARE(Find<QListWidget>("ListChartBlocks")->count(), 2);
    MainForm->FileSaveAs();
    QCOMPARE(ReadBytes(dir().filePath(QStringLiteral("saved.csv"))), cp932);
  }
}

// Quitting with unsaved results: キャンセル keeps the window, 保存 saves
// first and closes only when the results were saved, 保存しない closes.
void ResultsCommandsTest::quitQuestionOffersToSaveFirst() {
  using Answer = DialogService::SaveAnswer;
  MainForm->show();
  Pane()->AppendLines({"\"\x81ya\x81z\"", "b,1"});
  dialogs_.saveAnswers = {Answer::cancel, Answer::save};
  dialogs_.fileAnswers = {std::nullopt};
  QVERIFY(!MainForm->close());
  MainForm->FileExit();  // 保存, then the save dialog cancelled
  QVERIFY(MainForm->isVisible());
  QCOMPARE(dialogs_.questions.size(), 2);

  const QString path = dir().filePath(QStringLiteral("before-quit.csv"));
  dialogs_.saveAnswers = {Answer::save};
  dialogs_.fileAnswers = {path};
  QVERIFY(MainForm->close());
  QCOMPARE(ReadBytes(path), std::string("\"\x81ya\x81z\"\r\nb,1\r\n"));

  MainForm->show();
  Pane()->AppendLines({"c"});
  dialogs_.saveAnswers = {Answer::discard};
  QVERIFY(MainForm->close());
  QVERIFY(dialogs_.errors.isEmpty());
}

QTEST_MAIN(ResultsCommandsTest)
#include "results_commands_test.moc"
