// The 計算結果 menu: the workbook of loaded results and of a run, read back
// with openpyxl against kelvara-tab's; the summary printed on A4 across with
// its headings on every page; and what is refused.
#include <QBuffer>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QTableWidget>
#include <QtTest>
#include <map>
#include <set>
#include <tuple>

#include "engine/report/report_reading.h"
#include "engine/report/summary_table.h"
#include "tests/ui/ui_test_support.h"
#include "ui/results/results_pane.h"
#include "ui/results/summary_printing.h"
#include "ui/window/main_window.h"

namespace {

// A program's standard output; the test fails on a failed run.
QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    qWarning() << program << arguments << process.readAllStandardError() << process.readAllStandardOutput();
    return QStringLiteral("FAILED");
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

QString Tab(const QStringList& arguments) { return Run(QStringLiteral(KELVARA_TAB_PATH), arguments); }

// openpyxl's Python on a script given as text.
QString Python(const QString& script, const QStringList& arguments) {
  return Run(QStringLiteral(KELVARA_OPENPYXL_PYTHON), QStringList{QStringLiteral("-c"), script} + arguments);
}

bool SameCells(const QString& a, const QString& b) {
  return !Run(QStringLiteral(KELVARA_OPENPYXL_PYTHON),
              {QStringLiteral(KELVARA_SAME_CELLS), a, b, QStringLiteral("--skip-sheet"), QStringLiteral("条件")})
              .startsWith(QStringLiteral("FAILED"));
}

// The number formats of the summary's rows, as "variable statistic format"
// lines, and the first row of 条件 after its titles, as "item=value" lines.
const QString kFormats = QStringLiteral(R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
formats, variable = set(), None
for row in book["一覧"].iter_rows():
    if row[1].value is None:
        variable = None
        continue
    variable = row[0].value or variable
    for cell in row[2:]:
        if isinstance(cell.value, (int, float)):
            formats.add(f"{variable} {row[1].value} {cell.number_format}")
print("\n".join(sorted(formats)))
titles, first = list(book["条件"].iter_rows(values_only=True))[:2]
print("\n".join(f"{t}={v}" for t, v in zip(titles, first)))
)");

const QStringList kDesign = {"--unit", "1", "--weight", "5", "--sex", "2", "--age", "3", "--pregnancy", "4"};

// Sets the decimals dialog: `variable` to `places`, the shares to `shares`.
std::function<bool(QDialog&)> SetDecimals(const QString& variable, int places, int shares) {
  return [=](QDialog& dialog) {
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("decimals"));
    if (table == nullptr) return false;
    for (int row = 0; row < table->rowCount(); ++row) {
      auto* box = qobject_cast<QComboBox*>(table->cellWidget(row, 1));
      if (table->item(row, 0)->text() == variable) box->setCurrentIndex(box->findData(places));
      if (row == table->rowCount() - 1) box->setCurrentIndex(box->findData(shares));
    }
    return true;
  };
}

}  // namespace

class WorkbookCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dialogs_ = ScriptedDialogs();
    windows_ = std::make_unique<TestWindows>(dialogs_);
    tmp_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() { windows_.reset(); }

  void loadedResultsGiveKelvaraTabsWorkbookInTheDecimalsChosen();
  void aRunsWorkbookIsKelvaraTabsAndNamesTheRun();
  void summaryPrintsOnA4AcrossWithItsHeadingsOnEveryPage();
  void emptyResultsAndTheSurveyFileAreRefused();

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  std::unique_ptr<QTemporaryDir> tmp_;
  QString Path(const char* name) const { return tmp_->filePath(QString::fromLatin1(name)); }
};

void WorkbookCommandsTest::loadedResultsGiveKelvaraTabsWorkbookInTheDecimalsChosen() {
  // A judged run with its usual-intake block, saved; kelvara-tab's workbook of it.
  const QString report = Path("report.csv"), tabBook = Path("tab.xlsx"), book = Path("window.xlsx");
  QCOMPARE(Tab(kDesign + QStringList{"--median-ci", "--reference", KELVARA_TEST_REFERENCE,
                                     "--menstruation", "yes", "--usual", "--variance-ratio", "12=1.5",
                                     "--variance-ratio", "11=2", KELVARA_EXAMPLE_SURVEY, "12", "11",
                                     "-o", report}),
           QString());
  QCOMPARE(Tab({"--xlsx-from", report, tabBook}), QString());
  dialogs_.fileAnswers.push_back(report);
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());

  // 鉄 (and so its usual-intake block) to one decimal, the shares to none.
  dialogs_.onDialog = SetDecimals(QStringLiteral("鉄"), 1, 0);
  MainForm->ResultsChooseDecimals();
  dialogs_.fileAnswers.push_back(book);
  MainForm->ResultsSaveWorkbook();
  QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
  QCOMPARE(dialogs_.filters.last(), QStringLiteral("Excel ブック (*.xlsx)"));
  QCOMPARE(dialogs_.offeredFileNames.last(), Path("report.xlsx"));  // the results file's name

  // The same cells as kelvara-tab's workbook; only the formats differ.
  QVERIFY(SameCells(tabBook, book));
  const QStringList read = Python(kFormats, {book}).split('\n');
  // 鉄's usual-intake block follows 鉄; calcium stays as printed.
  for (const QString& line :
       {QStringLiteral("鉄 平均値 0.0"), QStringLiteral("鉄 中央値 0.0"),
        QStringLiteral("鉄（習慣的摂取量） 標準偏差 0.0"), QStringLiteral("鉄 EAR未満の割合(%) 0"),
        QStringLiteral("カルシウム 平均値 General"), QStringLiteral("カルシウム EAR未満の割合(%) 0"),
        QStringLiteral("調査データファイル=不明"), QStringLiteral("日時=不明")}) {
    QVERIFY2(read.contains(line), qPrintable(line + QStringLiteral(" not in ") + read.join(' ')));
  }
  for (const QString& line : read) {
    QVERIFY2(!line.contains(QStringLiteral(" 人数 ")) || line.endsWith(QStringLiteral(" General")),
             qPrintable(line));
  }
  QVERIFY(!read.contains(QStringLiteral("鉄 平均値 General")));

  // The choice is remembered: the dialog shows it again.
  std::map<QString, int> shown;
  dialogs_.onDialog = [&shown](QDialog& dialog) {
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("decimals"));
    for (int row = 0; row < table->rowCount(); ++row) {
      shown[table->item(row, 0)->text()] =
          qobject_cast<QComboBox*>(table->cellWidget(row, 1))->currentData().toInt();
    }
    return false;
  };
  MainForm->ResultsChooseDecimals();
  QCOMPARE(shown.size(), 3u);  // 鉄, カルシウム and the share row
  QCOMPARE(shown[QStringLiteral("鉄")], 1);
  QCOMPARE(shown[QStringLiteral("カルシウム")], -1);
}

void WorkbookCommandsTest::aRunsWorkbookIsKelvaraTabsAndNamesTheRun() {
  LoadSurveyFile(dialogs_, QStringLiteral(KELVARA_EXAMPLE_SURVEY));
  Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(5);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
  for (int item : {5, 6}) Find<QListWidget>("CheckListEiyoso")->item(item)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();
  QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
  const QString book = Path("run.xlsx"), tabBook = Path("tab.xlsx");
  dialogs_.fileAnswers.push_back(book);
  MainForm->ResultsSaveWorkbook();
  QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
  QCOMPARE(Tab(kDesign + QStringList{KELVARA_EXAMPLE_SURVEY, "6", "7", "-o", Path("tab.csv"), "--xlsx", tabBook}),
           QString());
  QVERIFY(SameCells(tabBook, book));
  // 条件 names the run as the window showed it.
  const QStringList read = Python(kFormats, {book}).split('\n');
  for (const QString& line : {QStringLiteral("調査データファイル=") + QDir::toNativeSeparators(KELVARA_EXAMPLE_SURVEY),
                              QStringLiteral("重み=5.重み"), QStringLiteral("層=なし"),
                              QStringLiteral("変数=エネルギー、たんぱく質")}) {
    QVERIFY2(read.contains(line), qPrintable(line + QStringLiteral(" not in ") + read.join(' ')));
  }
  QVERIFY(!read.contains(QStringLiteral("日時=不明")));
}

void WorkbookCommandsTest::summaryPrintsOnA4AcrossWithItsHeadingsOnEveryPage() {
  // Every nutrient, judged: a summary of several pages.
  const QString report = Path("all.csv");
  QCOMPARE(Tab(kDesign + QStringList{"--reference", KELVARA_TEST_REFERENCE, "--below", "8",
                                     KELVARA_EXAMPLE_SURVEY, "6", "7", "8", "9", "10", "11", "12", "13",
                                     "-o", report}),
           QString());
  dialogs_.fileAnswers.push_back(report);
  MainForm->FileOpen();
  const QString pdf = Path("summary.pdf");
  dialogs_.fileAnswers.push_back(pdf);
  MainForm->ResultsSaveSummaryPdf();
  QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
  const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
  QVERIFY2(info.contains(QStringLiteral("(A4)")) && info.contains(QStringLiteral("842 x 595 pts")),
           qPrintable(info));
  const int pages = info.section(QStringLiteral("Pages:"), 1).trimmed().section('\n', 0, 0).toInt();
  QVERIFY(pages >= 3);
  for (int page = 1; page <= pages; ++page) {
    const QString text = Run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                              QString::number(page), pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("変数")) && text.contains(QStringLiteral("統計量")) &&
                 text.contains(QStringLiteral("一覧表")) &&
                 text.contains(QRegularExpression(QStringLiteral("%1\\s*/\\s*%2").arg(page).arg(pages))),
             qPrintable(QStringLiteral("page %1: ").arg(page) + text.left(300)));
  }

  // The layout: each page opens with its section's title and headings, each
  // band fits across, and every field is printed once, on A4 across and on a
  // narrow page that wraps the columns into bands at the legible size.
  const std::vector<std::string>& lines = Pane()->lines();
  const std::vector<kelvara::SummarySection> sections =
      kelvara::SummarySections(kelvara::ReadReportBlocks(lines), lines, {});
  for (const auto& [size, orientation] : {std::pair(QPageSize::A4, QPageLayout::Landscape),
                                          std::pair(QPageSize::A5, QPageLayout::Portrait)}) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(QPageLayout(QPageSize(size), orientation, QMarginsF(12, 12, 12, 12)));
    const SummaryPrintLayout layout = LayOutSummary(sections, writer);
    QVERIFY(layout.pointSize >= kSummaryLegiblePointSize && layout.pointSize <= kSummaryNormalPointSize);
    std::set<std::tuple<size_t, size_t, size_t>> printed;  // section, row, column
    for (const std::vector<SummaryPrintRow>& page : layout.pages) {
      QVERIFY(page.size() >= 3);
      QCOMPARE(page[0].kind, SummaryPrintRow::Kind::title);
      QCOMPARE(page[1].kind, SummaryPrintRow::Kind::header);
      for (const SummaryPrintRow& row : page) {
        if (row.kind != SummaryPrintRow::Kind::values) continue;
        const auto [first, end] = layout.bands[row.section][row.band];
        for (size_t c = first; c < end; ++c) QVERIFY(printed.emplace(row.section, row.row, c).second);
      }
    }
    size_t fields = 0;
    for (size_t s = 0; s < sections.size(); ++s) {
      fields += sections[s].rows.size() * sections[s].columns.size();
      for (const auto& [first, end] : layout.bands[s]) {
        double across = layout.labelWidths[0] + layout.labelWidths[1];
        for (size_t c = first; c < end; ++c) across += layout.columnWidths[s][c];
        QVERIFY(across <= layout.pageWidth || end == first + 1);
      }
    }
    QCOMPARE(printed.size(), fields);
    // Bands only where even the legible size is too wide.
    const bool banded = std::any_of(layout.bands.begin(), layout.bands.end(),
                                    [](const auto& bands) { return bands.size() > 1; });
    QCOMPARE(banded, size == QPageSize::A5);
    if (banded) QCOMPARE(layout.pointSize, kSummaryLegiblePointSize);
  }
}

void WorkbookCommandsTest::emptyResultsAndTheSurveyFileAreRefused() {
  dialogs_.fileAnswers.push_back(Path("nothing.xlsx"));
  MainForm->ResultsSaveWorkbook();
  MainForm->ResultsPrintSummary();
  QCOMPARE(dialogs_.errors, (QStringList{QStringLiteral("保存する計算結果がありません。"),
                                         QStringLiteral("印刷する計算結果がありません。")}));
  QVERIFY(dialogs_.filters.isEmpty());  // refused before any dialog
  dialogs_.fileAnswers.clear();

  // Lines without a block: nothing to lay out.
  dialogs_.errors.clear();
  Pane()->ReplaceLines({"no block here", ""});
  MainForm->ResultsSaveSummaryPdf();
  QCOMPARE(dialogs_.errors, QStringList{QStringLiteral("計算結果に変数の見出し「【…】」の行がありません。")});
  // A block whose groups are of no scheme: no summary to print.
  dialogs_.errors.clear();
  Pane()->ReplaceLines({"\"\x81y" "a\x81z\"", "\"\x90\xAB\x94N\x97\xEE\",\"\x90l\x90\x94\"", "\"x\",1,0", ""});
  MainForm->ResultsSaveSummaryPdf();
  MainForm->ResultsPrintSummary();
  QCOMPARE(dialogs_.errors.size(), 2);
  QVERIFY(dialogs_.errors[1].startsWith(QStringLiteral("一覧表にできる区分の行がありません")));
  QVERIFY(dialogs_.filters.isEmpty());

  // The open survey data are never replaced by a workbook.
  const QString survey = WriteFile(*tmp_, QStringLiteral("survey.csv"), SmallSurveyBytes());
  LoadSurveyFile(dialogs_, survey);
  // 【a】, 性年齢 and 人数, and 男総数 with one person.
  Pane()->ReplaceLines({"\"\x81y" "a\x81z\"", "\"\x90\xAB\x94N\x97\xEE\",\"\x90l\x90\x94\"",
                        "\"\x92j\x91\x8D\x90\x94\",1,0", ""});
  dialogs_.errors.clear();
  dialogs_.fileAnswers.push_back(survey);
  MainForm->ResultsSaveWorkbook();
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY(dialogs_.errors[0].contains(QStringLiteral("別の名前をつけて保存してください")));
  QCOMPARE(ReadBytes(survey), SmallSurveyBytes());
}

QTEST_MAIN(WorkbookCommandsTest)
#include "workbook_commands_test.moc"
