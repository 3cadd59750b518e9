// The File menu on the results pane: clear, load, save, print, and the file
// names the dialogs remember.
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTabWidget>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/ui/ui_test_support.h"
#include "ui/Main.h"
#include "ui/results_pane.h"

namespace {

std::vector<std::string> PaneLines() { return MainForm->RichEditKekka->lines(); }

void SetPane(std::vector<std::string> lines) {
  MainForm->RichEditKekka->ClearLines();
  MainForm->RichEditKekka->AppendLines(std::move(lines));
}

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
  void cancelledDialogsChangeNothing();
  void printsTheWholePaneTitledKelvara();

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  std::unique_ptr<QTemporaryDir> tmp_;  // a fresh folder for each test
  QTemporaryDir& dir() { return *tmp_; }
};

void ResultsCommandsTest::savedBytesAreTheLinesWithCrLf() {
  const QString empty = dir().filePath(QStringLiteral("empty.csv"));
  dialogs_.fileAnswers.push_back(empty);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.filters.last(), QStringLiteral("計算結果 (*.csv)"));
  QVERIFY(QFile::exists(empty));
  QCOMPARE(QFileInfo(empty).size(), 0);

  SetPane({"\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"", "a,1", "", "b"});
  const QString path = dir().filePath(QStringLiteral("out.csv"));
  dialogs_.fileAnswers.push_back(path);
  MainForm->FileSaveAs();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(ReadBytes(path),
           std::string("\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"\r\na,1\r\n\r\nb\r\n"));
  // Only the temporary file's rename touched the folder: nothing is left.
  QCOMPARE(QDir(dir().path()).entryList(QDir::Files).size(), 2);
}

void ResultsCommandsTest::saveLoadSaveKeepsEveryByte() {
  // Undecodable bytes, a lone lead byte at a line's end, control bytes, an
  // empty line and an empty last line.
  const std::vector<std::string> lines = {"\x82", "x\xA0y\x7F\x1C", "", "\x81\x60\xFF\xFD",
                                          std::string(3000, 'L') + "\x82\xA0", ""};
  SetPane(lines);
  const QString first = dir().filePath(QStringLiteral("first.csv"));
  dialogs_.fileAnswers.push_back(first);
  MainForm->FileSaveAs();

  MainForm->RichEditKekka->ClearLines();
  dialogs_.fileAnswers.push_back(first);
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(PaneLines(), lines);
  QVERIFY(MainForm->RichEditKekka->isVisibleTo(MainForm->TabSheet3));

  const QString second = dir().filePath(QStringLiteral("second.csv"));
  dialogs_.fileAnswers.push_back(second);
  MainForm->FileSaveAs();
  QCOMPARE(ReadBytes(second), ReadBytes(first));
}

void ResultsCommandsTest::loadingDropsCrStopsAtEofMarkAndKeepsLongLines() {
  const std::string longLine = std::string(600, 'a') + "\x83G" + std::string(600, 'b');
  const QString path = WriteFile(dir(), QStringLiteral("in.csv"),
                                 "one\r\ntwo\n\r\n" + longLine + "\r\nlast\x1A" + "after\r\n");
  SetPane({"old"});
  dialogs_.fileAnswers.push_back(path);
  MainForm->FileOpen();
  QCOMPARE(PaneLines(), (std::vector<std::string>{"one", "two", "", longLine, "last"}));
  // The settings tab stays in front, and the next save offers the loaded name.
  QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet2);
  dialogs_.fileAnswers.push_back(std::nullopt);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.offeredFileNames.last(), path);

  // A last line without a line end loads whole.
  dialogs_.fileAnswers.push_back(WriteFile(dir(), QStringLiteral("tail.csv"), "x\r\ny"));
  MainForm->FileOpen();
  QCOMPARE(PaneLines(), (std::vector<std::string>{"x", "y"}));
  // An empty file gives an empty pane.
  dialogs_.fileAnswers.push_back(WriteFile(dir(), QStringLiteral("none.csv"), ""));
  MainForm->FileOpen();
  QVERIFY(PaneLines().empty());
}

void ResultsCommandsTest::loadFailureLeavesThePane() {
  SetPane({"kept"});
  dialogs_.fileAnswers.push_back(dir().filePath(QStringLiteral("missing.csv")));
  MainForm->FileOpen();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("ファイルを開けませんでした。")});
  QCOMPARE(PaneLines(), std::vector<std::string>{"kept"});
  QVERIFY(MainForm->SaveDialog->fileName.isEmpty());

  // A folder is no results file either.
  dialogs_.fileAnswers.push_back(dir().path());
  MainForm->FileOpen();
  QCOMPARE(dialogs_.errors.size(), 2);
  QCOMPARE(PaneLines(), std::vector<std::string>{"kept"});
}

void ResultsCommandsTest::overwriteQuestionAnsweredNoLeavesTheFile() {
  const QString path = WriteFile(dir(), QStringLiteral("existing.csv"), "precious\r\n");
  SetPane({"new"});
  dialogs_.fileAnswers.push_back(path);
  dialogs_.confirmAnswers.push_back(false);
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.questions,
           QStringList{QStringLiteral("ファイル ") + path +
                       QStringLiteral(" が既に存在します。\n\n重ね書きしますか？")});
  QCOMPARE(ReadBytes(path), std::string("precious\r\n"));

  dialogs_.fileAnswers.push_back(path);
  dialogs_.confirmAnswers.push_back(true);
  MainForm->FileSaveAs();
  QCOMPARE(ReadBytes(path), std::string("new\r\n"));
}

void ResultsCommandsTest::unwritablePlaceIsReportedAndNothingChanges() {
  SetPane({"line"});
  dialogs_.fileAnswers.push_back(dir().filePath(QStringLiteral("no/such/folder/out.csv")));
  MainForm->FileSaveAs();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("ファイルを保存できませんでした。")});
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
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("ファイルを保存できませんでした。")});
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
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("ファイルを保存できませんでした。")});
  QCOMPARE(ReadBytes(lockedFile), std::string("old\r\n"));
}

void ResultsCommandsTest::defaultExtensionIsAdded() {
  SetPane({"x"});
  dialogs_.fileAnswers.push_back(dir().filePath(QStringLiteral("named")));
  MainForm->FileSaveAs();
  QVERIFY(QFile::exists(dir().filePath(QStringLiteral("named.csv"))));
  QCOMPARE(MainForm->SaveDialog->fileName, dir().filePath(QStringLiteral("named.csv")));
}

void ResultsCommandsTest::clearAsksAndForgetsTheFileNames() {
  SetPane({"a", "b"});
  MainForm->OpenDialog->fileName = QStringLiteral("/tmp/o.csv");
  MainForm->SaveDialog->fileName = QStringLiteral("/tmp/s.csv");
  dialogs_.confirmAnswers.push_back(false);
  MainForm->FileNew();
  QCOMPARE(dialogs_.questions, QStringList{QStringLiteral("計算結果をクリアします")});
  QCOMPARE(PaneLines().size(), size_t{2});
  QCOMPARE(MainForm->SaveDialog->fileName, QStringLiteral("/tmp/s.csv"));

  dialogs_.confirmAnswers.push_back(true);
  MainForm->FileNew();
  QVERIFY(PaneLines().empty());
  QVERIFY(MainForm->RichEditKekka->toPlainText().isEmpty());
  QVERIFY(MainForm->OpenDialog->fileName.isEmpty());
  QVERIFY(MainForm->SaveDialog->fileName.isEmpty());
}

void ResultsCommandsTest::cancelledDialogsChangeNothing() {
  SetPane({"a"});
  MainForm->OpenDialog->fileName = QStringLiteral("/tmp/o.csv");
  MainForm->SaveDialog->fileName = QStringLiteral("/tmp/s.csv");
  MainForm->FileOpen();
  MainForm->FileSaveAs();
  MainForm->FilePrint();
  QCOMPARE(dialogs_.offeredFileNames,
           QStringList({QStringLiteral("/tmp/o.csv"), QStringLiteral("/tmp/s.csv")}));
  QCOMPARE(MainForm->OpenDialog->fileName, QStringLiteral("/tmp/o.csv"));
  QCOMPARE(MainForm->SaveDialog->fileName, QStringLiteral("/tmp/s.csv"));
  QCOMPARE(PaneLines(), std::vector<std::string>{"a"});
  QVERIFY(dialogs_.errors.isEmpty());
}

void ResultsCommandsTest::printsTheWholePaneTitledKelvara() {
  // The printer setup chooses a PDF file; the next print uses that choice.
  const QString pdf = dir().filePath(QStringLiteral("results.pdf"));
  dialogs_.onPrintSetup = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return true;
  };
  QString jobTitle;
  dialogs_.onPrint = [](QPrinter&) { return true; };
  MainForm->FilePrintSetup();
  std::vector<std::string> lines;
  lines.push_back("\"\x81y\x83G\x83l\x83\x8B\x83M\x81[\x81z\"");  // "【エネルギー】"
  for (int i = 0; i < 150; ++i) lines.push_back("\"\x92j\x91\x8D\x90\x94\",4,0,2.5," + std::to_string(i));
  lines.push_back("\"\x91w\x82\xCC\x90\x94\x81" "F2\"");  // "層の数：2"
  SetPane(lines);
  MainForm->FilePrint();
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

  QProcess pdfinfo;
  pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
  QVERIFY(pdfinfo.waitForFinished(30000));
  QVERIFY(QString::fromUtf8(pdfinfo.readAllStandardOutput()).contains(QStringLiteral("Kelvara")));
}

QTEST_MAIN(ResultsCommandsTest)
#include "results_commands_test.moc"
