// The chart tab: which groups each chart draws or leaves out, every block of
// every scheme drawn from kelvara-tab's reports, the tab following the pane
// (runs, clearing, a loaded CR LF file), and the saved and printed pictures.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTabWidget>
#include <QtTest>

#include "engine/report/report_reading.h"
#include "fuzz/chart_check.h"
#include "engine/reading/text_blocks.h"
#include "tests/support/report_fields.h"
#include "tests/ui/ui_test_support.h"
#include "ui/window/main_window.h"
#include "ui/chart/chart_data.h"
#include "ui/chart/chart_export.h"
#include "ui/chart/chart_picture.h"
#include "ui/chart/chart_reference.h"
#include "ui/chart/chart_style.h"
#include "ui/chart/reference_marks.h"
#include "ui/chart/value_axis.h"
#include "codec/cp932.h"
#include "ui/chart/chart_tab.h"
#include "ui/window/display_text.h"
#include "ui/settings/radio_group.h"
#include "ui/settings/settings_tab.h"
#include "engine/design_options.h"
#include "ui/results/results_pane.h"
#include "ui/window/display_text.h"

namespace {

const char* const kSchemeNames[] = {"table1", "table2", "part5", "category"};

// kelvara-tab's report (code page 932, CR LF) for `args`.
std::string TabulatorReport(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(KELVARA_TAB_PATH), args);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    qWarning() << process.readAllStandardError();
    return {};
  }
  return process.readAllStandardOutput().toStdString();
}

// The lines as the pane holds them.
std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  kelvara::LineCursor cursor(report);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
  return lines;
}

// The example survey's eight nutrients under a scheme, sampling units and weights.
std::vector<std::string> ExampleLines(int scheme) {
  return Lines(TabulatorReport(
      {"--unit", "1", "--sex", "2", "--age", scheme == 3 ? "14" : "3", "--pregnancy", "4",
       "--weight", "5", "--scheme", kSchemeNames[scheme], KELVARA_EXAMPLE_SURVEY, "6", "7", "8",
       "9", "10", "11", "12", "13"}));
}

ChartTab* Tab() { return MainForm->findChild<ChartTab*>(QStringLiteral("TabSheetChart")); }

void SetPane(std::vector<std::string> lines) {
  Pane()->ClearLines();
  Pane()->AppendLines(std::move(lines));
}

std::vector<int> Positions(const std::vector<ChartMark>& marks) {
  std::vector<int> positions;
  for (const ChartMark& mark : marks) positions.push_back(mark.position);
  return positions;
}

size_t MarkCount(const ChartData& data) {
  size_t count = 0;
  for (const ChartSeriesData& series : data.series) count += series.bands.size() + series.summaries.size();
  return count;
}

QString PdfText(const QString& pdf) {
  QProcess pdftotext;
  pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  if (!pdftotext.waitForStarted() || !pdftotext.waitForFinished(30000)) return {};
  return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

}  // namespace

class ChartTabTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dialogs_ = ScriptedDialogs();
    windows_ = std::make_unique<TestWindows>(dialogs_);
    tmp_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() { windows_.reset(); }

  void groupsDrawnAndLeftOut();
  void everyBlockOfEverySchemeIsDrawn();
  void tabFollowsRunsClearingAndALoadedFile();
  void savedAndPrintedPictures();
  void usualIntakeStandsBesideTheOneDayValues();
  void referenceValuesMarkedPerAgeBand();
  void provenanceLinesAreReadBackByTheChart();
  void fuzzInputsReplayed();

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<TestWindows> windows_;
  std::unique_ptr<QTemporaryDir> tmp_;
};

void ChartTabTest::groupsDrawnAndLeftOut() {
  // Men: three aged 1～6, one aged 7～14, none 15～19, two in each later
  // class, one aged 75 or more. Women: two in every class, but one of the
  // two aged 7～14 has no value.
  std::string survey = "sex,age,preg,value\r\n";
  const int men[] = {2, 3, 4, 8, 25, 26, 31, 32, 41, 42, 51, 52, 61, 62, 71, 72, 80};
  const int women[] = {2, 3, 8, 9, 16, 17, 21, 22, 33, 34, 44, 45, 55, 56, 66, 67, 77, 78};
  for (int age : men) survey += "1," + std::to_string(age) + ",0," + std::to_string(1500 + 13 * age) + "\r\n";
  for (int age : women) {
    survey += "2," + std::to_string(age) + ",0," + (age == 9 ? std::string("NA") : std::to_string(1200 + 7 * age + age % 2 * 90)) + "\r\n";
  }
  const QString path = WriteFile(*tmp_, QStringLiteral("survey.csv"), survey);
  std::vector<std::string> lines = Lines(TabulatorReport({"--sex", "1", "--age", "2", "--pregnancy", "3", path, "4"}));
  std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(lines);
  QCOMPARE(blocks.size(), size_t{1});

  const ChartData mean = BuildChartData(blocks[0], ChartKind::mean, false);
  QCOMPARE(mean.categories, QStringList({"1～6", "7～14", "15～19", "20～29", "30～39", "40～49", "50～59",
                                        "60～69", "70以上", "総数", "(再掲)20以上", "(再掲)65～74",
                                        "(再掲)75以上"}));
  QCOMPARE(mean.bandCount, 9);
  QCOMPARE(mean.series.size(), size_t{2});
  QCOMPARE(mean.series[0].name, QStringLiteral("男"));
  QCOMPARE(Positions(mean.series[0].bands), (std::vector<int>{0, 3, 4, 5, 6, 7, 8}));
  QCOMPARE(Positions(mean.series[0].summaries), (std::vector<int>{9, 10, 11}));
  QCOMPARE(mean.series[1].name, QStringLiteral("女"));
  QCOMPARE(Positions(mean.series[1].bands), (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8}));
  QCOMPARE(Positions(mean.series[1].summaries), (std::vector<int>{9, 10, 11, 12}));
  QVERIFY2(mean.note.contains(QStringLiteral(
               "描かなかった区分：男7～14（人数1）、男15～19（人数0）、男(再掲)75以上（人数1）、女7～14（人数1）")),
           qPrintable(mean.note));
  QVERIFY(mean.note.contains(QStringLiteral("誤差線：平均±1.96×標準誤差")));

  // Error bars: 1.96 standard errors either side of the mean, from the printed fields.
  const std::vector<std::string> fields = kelvara::testing::ReportFields(lines[2]);  // 男総数
  QCOMPARE(fields[0], std::string("\"\x92j\x91\x8D\x90\x94\""));
  const ChartMark& total = mean.series[0].summaries[0];
  // (QByteArray reads numbers in the C locale, whatever the process's.)
  const double printedMean = QByteArray::fromStdString(fields[3]).toDouble();
  const double printedSe = QByteArray::fromStdString(fields[5]).toDouble();
  QVERIFY(printedSe > 0);
  QCOMPARE(total.mean, printedMean);
  QCOMPARE(total.high - total.mean, 1.96 * printedSe);
  QCOMPARE(total.mean - total.low, 1.96 * printedSe);

  // An empty P25 (女30～39) leaves the group out of the distribution chart only.
  std::vector<std::string> cut = kelvara::testing::ReportFields(lines[2 + 18]);
  QCOMPARE(cut[0], std::string("\"\x8F\x97" "30\x81`39\""));
  cut[10].clear();
  std::string line = cut[0];
  for (size_t f = 1; f < cut.size(); ++f) line += "," + cut[f];
  lines[2 + 18] = line;
  blocks = kelvara::ReadReportBlocks(lines);
  const ChartData distribution = BuildChartData(blocks[0], ChartKind::distribution, false);
  QCOMPARE(Positions(distribution.series[1].bands), (std::vector<int>{0, 2, 3, 5, 6, 7, 8}));
  QVERIFY2(distribution.note.contains(QStringLiteral("女30～39（P25が空欄）")), qPrintable(distribution.note));
  QCOMPARE(Positions(BuildChartData(blocks[0], ChartKind::mean, false).series[1].bands),
           (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8}));

  // Both sexes on request: a third series, and its groups under the same axis.
  const ChartData both = BuildChartData(blocks[0], ChartKind::mean, true);
  QCOMPARE(both.series.size(), size_t{3});
  QCOMPARE(both.series[2].name, QStringLiteral("男女"));
  QCOMPARE(Positions(both.series[2].bands), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  QCOMPARE(both.categories, mean.categories);

  // Confidence-interval columns, when the block has them, are the error bars.
  lines[1] += ",\"95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x89\xBA\x8C\xC0\",\"95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x8F\xE3\x8C\xC0\"";
  lines[2] += ",1000.5,3000.25";
  const ChartData interval = BuildChartData(kelvara::ReadReportBlocks(lines)[0], ChartKind::mean, false);
  QCOMPARE(interval.series[0].summaries[0].low, 1000.5);
  QCOMPARE(interval.series[0].summaries[0].high, 3000.25);
  QVERIFY(interval.note.contains(QStringLiteral("誤差線：95%信頼区間")));
  // Groups whose interval fields are empty are left out and named.
  QVERIFY2(interval.note.contains(QStringLiteral("男1～6（95%信頼区間下限が空欄）")), qPrintable(interval.note));
}

void ChartTabTest::everyBlockOfEverySchemeIsDrawn() {
  // Every group of the example survey has two persons or more: nothing is
  // left out, and every group of every shown sex is drawn in one place.
  for (int scheme = 0; scheme < 4; ++scheme) {
    const std::vector<std::string> lines = ExampleLines(scheme);
    const std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(lines);
    QCOMPARE(blocks.size(), size_t{8});
    for (const kelvara::ReportBlock& block : blocks) {
      for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
        const ChartData data = BuildChartData(block, kind, true);
        QVERIFY2(!data.note.contains(QStringLiteral("描かなかった")), qPrintable(data.note));
        QCOMPARE(MarkCount(data), block.groups.size());
        for (const ChartSeriesData& series : data.series) {
          for (const ChartMark& mark : series.bands) {
            QVERIFY(mark.position < data.bandCount);
            QVERIFY(mark.label.endsWith(data.categories[mark.position]));
            QVERIFY(kind == ChartKind::mean ? mark.low < mark.mean && mark.mean < mark.high
                                            : mark.p5 <= mark.p25 && mark.p25 <= mark.median &&
                                                  mark.median <= mark.p75 && mark.p75 <= mark.p95);
          }
          for (const ChartMark& mark : series.summaries) {
            QVERIFY(mark.position >= data.bandCount);
            QVERIFY(mark.label.endsWith(data.categories[mark.position]));
          }
        }
      }
    }
  }
}

void ChartTabTest::tabFollowsRunsClearingAndALoadedFile() {
  ChartTab* tab = Tab();
  QVERIFY(tab != nullptr);
  QCOMPARE(Find<QTabWidget>("PageControl1")->tabText(Find<QTabWidget>("PageControl1")->indexOf(tab)), QStringLiteral("グラフ"));
  QVERIFY(tab->chartData().empty());

  // A run of two variables: both listed, the first drawn at once.
  LoadSurveyFile(dialogs_, QStringLiteral(KELVARA_EXAMPLE_SURVEY));
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(5);
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(2);
  Find<QListWidget>("CheckListEiyoso")->item(5)->setCheckState(Qt::Checked);
  Find<QListWidget>("CheckListEiyoso")->item(6)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(ItemTexts(tab->blockList()), QStringList({"エネルギー\n第5部", "たんぱく質\n第5部"}));
  QCOMPARE(tab->chartData().title, QStringLiteral("エネルギー"));
  QVERIFY(tab->chartData().categories.contains(QStringLiteral("妊婦")));

  tab->blockList()->setCurrentRow(1);
  QCOMPARE(tab->chartData().title, QStringLiteral("たんぱく質"));
  const ChartData protein = tab->chartData();

  // Another run appends: the list grows, the chosen chart stays.
  Find<QListWidget>("CheckListEiyoso")->item(6)->setCheckState(Qt::Unchecked);
  MainForm->ButtonRunClick();
  // The second block of a name says so.
  QCOMPARE(ItemTexts(tab->blockList()),
           QStringList({"エネルギー\n第5部", "たんぱく質\n第5部", "エネルギー\n第5部・2つ目"}));
  QCOMPARE(tab->blockList()->currentRow(), 1);
  QCOMPARE(tab->chartData().note, protein.note);

  // Saved, cleared: the chart is empty and says what went.
  const QString saved = tmp_->filePath(QStringLiteral("results.csv"));
  dialogs_.fileAnswers = {saved};
  MainForm->FileSaveAs();
  dialogs_.confirmAnswers = {true};
  MainForm->FileNew();
  QCOMPARE(tab->blockList()->count(), 0);
  QVERIFY(tab->chartData().empty());
  QVERIFY2(tab->note().contains(QStringLiteral("「たんぱく質」の計算結果は計算結果タブにもうありません")),
           qPrintable(tab->note()));

  // Loaded back from a file with CR LF and no line end after its last line:
  // the same block comes back, drawn as before.
  std::string bytes = ReadBytes(saved);
  QVERIFY(bytes.ends_with("\"\r\n\r\n"));
  bytes.resize(bytes.size() - 4);
  const QString loaded = WriteFile(*tmp_, QStringLiteral("loaded.csv"), bytes);
  dialogs_.fileAnswers = {loaded};
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(tab->blockList()->count(), 3);
  QCOMPARE(tab->blockList()->currentRow(), 1);
  QCOMPARE(tab->chartData().title, QStringLiteral("たんぱく質"));
  QCOMPARE(MarkCount(tab->chartData()), MarkCount(protein));
  QCOMPARE(tab->chartData().series[1].bands.back().mean, protein.series[1].bands.back().mean);
  // The last block, whose strata line ends the file, is read whole.
  const std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(Pane()->lines());
  QVERIFY(blocks.back().strata.has_value());
  QCOMPARE(blocks.back().groups.size(), size_t{29});

  // A hand-edited file: every value 1 or the next double above it, a person
  // count of -1e300 and one of inf. The counts are named, not cast; inf is no
  // number; the axis ticks, though finer than the doubles there, end.
  std::vector<std::string> edited = Pane()->lines();
  const kelvara::ReportBlock& block = blocks[1];
  for (size_t g = 0; g < block.groups.size(); ++g) {
    std::vector<std::string> fields = kelvara::testing::ReportFields(edited[block.headerLine + 2 + g]);
    for (size_t f = 3; f <= 16; ++f) fields[f] = g % 2 ? "1.0000000000000002" : "1";
    if (g < 2) fields[1] = g == 0 ? "-1e300" : "inf";
    std::string line = fields[0];
    for (size_t f = 1; f < fields.size(); ++f) line += "," + fields[f];
    edited[block.headerLine + 2 + g] = line;
  }
  std::string editedBytes;
  for (const std::string& line : edited) editedBytes += line + "\r\n";
  dialogs_.fileAnswers = {WriteFile(*tmp_, QStringLiteral("edited.csv"), editedBytes)};
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());
  tab->blockList()->setCurrentRow(1);
  tab->SetKind(ChartKind::distribution);
  const ChartData hostile = tab->chartData();
  QCOMPARE(MarkCount(hostile),
           MarkCount(BuildChartData(block, ChartKind::distribution, false)) - 2);
  const QString first = DisplayText(block.groups[0].label);
  const QString second = DisplayText(block.groups[1].label);
  QVERIFY2(hostile.note.contains(first + QStringLiteral("（人数-1e+300）")), qPrintable(hostile.note));
  QVERIFY2(hostile.note.contains(second + QStringLiteral("（人数が空欄）")), qPrintable(hostile.note));
  QImage picture(kChartPictureSize.toSize(), QImage::Format_RGB32);
  QPainter painter(&picture);
  PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), hostile, tab->font());
}

void ChartTabTest::savedAndPrintedPictures() {
  SetPane(ExampleLines(0));
  ChartTab* tab = Tab();
  QCOMPARE(tab->chartData().title, QStringLiteral("エネルギー"));
  const QStringList expected = QStringList{"エネルギー", "男", "女"} + tab->chartData().categories;

  for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
    tab->SetKind(kind);
    const QString stem = tmp_->filePath(kind == ChartKind::mean ? QStringLiteral("mean")
                                                                : QStringLiteral("distribution"));
    dialogs_.fileAnswers = {stem + QStringLiteral(".png")};
    tab->SaveAsPng();
    const QImage image(stem + QStringLiteral(".png"));
    QCOMPARE(image.size(), QSize(3000, 1875));               // 10 by 6.25 inches
    QCOMPARE(image.dotsPerMeterX(), qRound(300 / 0.0254));  // at 300 dpi

    dialogs_.fileAnswers = {stem};  // the extension is added
    tab->SaveAsPdf();
    const QString text = PdfText(stem + QStringLiteral(".pdf"));
    if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    for (const QString& label : expected) {
      QVERIFY2(text.contains(label), qPrintable(label + QStringLiteral(" not in:\n") + text));
    }
  }
  QVERIFY(dialogs_.errors.isEmpty());

  // Saving over an existing file asks first; No leaves it as it was.
  const QString png = tmp_->filePath(QStringLiteral("distribution.png"));
  const std::string before = ReadBytes(png);
  dialogs_.fileAnswers = {png};
  dialogs_.confirmAnswers = {false};
  tab->SaveAsPng();
  QCOMPARE(dialogs_.questions.size(), 1);
  QCOMPARE(ReadBytes(png), before);

  // A save that fails says which file and why.
  const QString nowhere = tmp_->filePath(QStringLiteral("missing/chart.pdf"));
  dialogs_.fileAnswers = {nowhere};
  tab->SaveAsPdf();
  QCOMPARE(dialogs_.errors.size(), 1);
  QVERIFY(dialogs_.errors[0].contains(QDir::toNativeSeparators(nowhere)));
  QVERIFY(dialogs_.errors[0].contains(QStringLiteral("保存先のフォルダがありません。")));
  dialogs_.errors.clear();

  // Printing goes through the print dialog, on the window's printer.
  const QString printed = tmp_->filePath(QStringLiteral("printed.pdf"));
  dialogs_.onPrint = [&printed](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    return true;
  };
  tab->SetKind(ChartKind::mean);
  tab->Print();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(MainForm->printer().docName(), QStringLiteral("Kelvara"));
  const QString text = PdfText(printed);
  for (const QString& label : expected) QVERIFY2(text.contains(label), qPrintable(label));
}

// After a run with --usual the distribution chart of a variable sets each
// sex's usual intakes beside its one-day values; the usual-intake block drawn
// on its own stays a chart of its own.
void ChartTabTest::usualIntakeStandsBesideTheOneDayValues() {
  SetPane(Lines(TabulatorReport({"--unit", "1", "--sex", "2", "--age", "3", "--pregnancy", "4",
                                 "--weight", "5", "--usual", "--variance-ratio", "6=2",
                                 KELVARA_EXAMPLE_SURVEY, "6"})));
  ChartTab* tab = Tab();
  tab->SetKind(ChartKind::distribution);
  const std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(Pane()->lines());
  QCOMPARE(blocks.size(), size_t{2});
  QVERIFY(IsUsualIntakeOf(blocks[1], blocks[0]) && !IsUsualIntakeOf(blocks[0], blocks[1]));
  const ChartData& data = tab->chartData();
  QCOMPARE(data.series.size(), size_t{4});
  QCOMPARE(data.series[1].name, QStringLiteral("男（習慣的摂取量）"));
  QVERIFY(!data.series[0].usual && data.series[1].usual && data.series[3].usual);
  // The usual intake's P5-P95 spread is the narrower, group by group.
  for (size_t s : {size_t{0}, size_t{2}}) {
    const ChartSeriesData& oneDay = data.series[s];
    const ChartSeriesData& usual = data.series[s + 1];
    QCOMPARE(Positions(usual.bands), Positions(oneDay.bands));
    for (size_t b = 0; b < oneDay.bands.size(); ++b) {
      QVERIFY(usual.bands[b].p95 - usual.bands[b].p5 < oneDay.bands[b].p95 - oneDay.bands[b].p5);
    }
  }
  QVERIFY(data.note.startsWith(QStringLiteral("淡い箱：1日の値、濃い箱：習慣的摂取量。")));
}

// A block judged against a table of known values: each age band of one sex
// gets the general EAR, total-intake UL and DG of its sex when its ages lie
// in bands of one value, and nothing where they straddle different values,
// where the menstruation choice is missing, or where the group is a summary
// or of both sexes. Without the table, no marks and the note says so.
void ChartTabTest::referenceValuesMarkedPerAgeBand() {
  const std::string table =
      "title,試験用の表\n"
      "name,iron,鉄\n"
      "value,iron,1,1,2,,EAR,3.0,mg,total,t\n"
      "value,iron,1,3,6,,EAR,4.0,mg,total,t\n"  // 1～6 straddles 3.0 and 4.0
      "value,iron,1,7,14,,EAR,6.0,mg,total,t\n"
      "value,iron,1,15,29,,EAR,7.0,mg,total,t\n"
      "value,iron,1,30,49,,EAR,6.5,mg,total,t\n"
      "value,iron,1,50,,,EAR,6.0,mg,total,t\n"
      "value,iron,1,15,29,,UL,40,mg,total,t\n"
      "value,iron,1,30,49,,UL,45,mg,supplements,t\n"  // never a mark
      "value,iron,1,18,64,,DG_min,10,mg,total,t\n"
      "value,iron,1,18,64,,DG_max,30,mg,total,t\n"
      "value,iron,2,20,29,menstruating,EAR,8.0,mg,total,t\n"
      "value,iron,2,20,29,not_menstruating,EAR,5.0,mg,total,t\n"
      "value,iron,2,30,49,,EAR,5.5,mg,total,t\n"
      "value,iron,2,,,pregnant,EAR,+2.0,mg,total,t\n";
  const QString tablePath = WriteFile(*tmp_, QStringLiteral("table.csv"), table);
  std::string survey = "sex,age,preg,鉄\n";
  for (int sex : {1, 2}) {
    for (int age : {2, 5, 8, 12, 16, 18, 21, 27, 33, 37, 44, 46, 52, 58, 61, 68, 71, 80}) {
      survey += std::to_string(sex) + "," + std::to_string(age) + ",0," +
                std::to_string(4 + age % 7) + "\n";
    }
  }
  survey += "2,33,2,9\n";  // lactating: the table has no value for her
  const QString surveyPath = WriteFile(*tmp_, QStringLiteral("survey.csv"), survey);
  const std::vector<std::string> lines = Lines(TabulatorReport(
      {"--sex", "1", "--age", "2", "--pregnancy", "3", "--reference", tablePath, "--nutrient", "4=iron",
       surveyPath, "4"}));
  const std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(lines);
  QCOMPARE(blocks.size(), size_t{1});
  QVERIFY(blocks[0].reference);

  std::string error;
  std::optional<kelvara::ReferenceTable> read = kelvara::ReadReferenceTable(
      std::filesystem::path(tablePath.toStdWString()),
      [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
  QVERIFY2(read, error.c_str());
  kelvara::ReferenceChoice chosen;
  chosen.table = *read;
  ReferenceTableFinder finder(std::filesystem::path(tmp_->path().toStdWString()));  // no shipped tables there

  using Marks = std::vector<std::optional<double>>;
  const auto marksOf = [](const ChartSeriesData& series) {
    std::map<int, Marks> marks;
    for (const ChartMark& mark : series.bands) {
      marks[mark.position] = {mark.ear, mark.ul, mark.dgLow, mark.dgHigh};
    }
    return marks;
  };
  const std::nullopt_t none = std::nullopt;
  for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
    ChartData data = BuildChartData(blocks[0], kind, true);
    const ValueScale onIntakes = ChartScale(data);
    AddReferenceMarks(data, finder.Find(blocks[0], &chosen));
    QCOMPARE(data.series.size(), size_t{3});
    // 1～6, 7～14, 15～19, 20～29, 30～39, 40～49, 50～59, 60～69, 70以上;
    // the mean chart marks the DG alone.
    const bool mean = kind == ChartKind::mean;
    const auto req = [&](double value) { return mean ? std::nullopt : std::optional<double>(value); };
    const std::map<int, Marks> men = {
        {0, {none, none, none, none}},          {1, {req(6.0), none, none, none}},
        {2, {req(7.0), req(40.0), none, none}}, {3, {req(7.0), req(40.0), 10.0, 30.0}},
        {4, {req(6.5), none, 10.0, 30.0}},      {5, {req(6.5), none, 10.0, 30.0}},
        {6, {req(6.0), none, 10.0, 30.0}},      {7, {req(6.0), none, none, none}},
        {8, {req(6.0), none, none, none}}};
    QCOMPARE(marksOf(data.series[0]), men);
    const std::map<int, Marks> women = marksOf(data.series[1]);
    QCOMPARE(women.at(3), (Marks{none, none, none, none}));  // waits for the choice
    QCOMPARE(women.at(4), (Marks{req(5.5), none, none, none}));
    for (const ChartSeriesData& series : data.series) {
      for (const ChartMark& mark : series.summaries) QVERIFY(!mark.ear && !mark.ul && !mark.dgLow);
      if (series.sex != kelvara::SexCondition::any) continue;
      for (const ChartMark& mark : series.bands) QVERIFY(!mark.ear && !mark.ul && !mark.dgLow);
    }
    // The value axis keeps to the intakes (4 to 10), whatever the marks.
    QCOMPARE(ChartScale(data).low, onIntakes.low);
    QCOMPARE(ChartScale(data).high, onIntakes.high);
    QVERIFY(onIntakes.high < 30);
    QCOMPARE(data.note.contains(QStringLiteral("EARは平均ではなく摂取量の分布と比べる")), mean);
    QVERIFY2(data.note.contains(QStringLiteral("基準値：試験用の表")), qPrintable(data.note));
    QVERIFY(data.note.contains(QStringLiteral("集計区分と男女の区分は")));
    QVERIFY2(data.note.contains(QStringLiteral("異なるため印を描かなかった区分：男1～6、男15～19、男60～69\n")),
             qPrintable(data.note));
    QVERIFY2(data.note.contains(QStringLiteral("がないため印を描かなかった区分：女20～29")),
             qPrintable(data.note));
    // The EAR mark beside a share the lactating woman is not in says so, on
    // the chart that draws the EAR.
    QVERIFY2(data.note.contains(QStringLiteral(
                 "一部の人しか判定していない区分（判定人数／人数）：女30～39（EAR 2／3人）\n")) == !mean,
             qPrintable(data.note));

    // The marks are drawn: the EAR's colour shows, and only with them.
    const auto earPixels = [](const ChartData& drawn) {
      QImage image(kChartPictureSize.toSize(), QImage::Format_RGB32);
      QPainter painter(&image);
      PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), drawn, QFont());
      painter.end();
      int count = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == EarPen().color().rgb();
      }
      return count;
    };
    QCOMPARE(earPixels(data) > 0, !mean);
    QCOMPARE(earPixels(BuildChartData(blocks[0], kind, true)), 0);
  }

  // A UL far beyond the intakes (47.5 against at most 10) leaves the axis on
  // them: it is an arrow at the plot's top with its number. An EAR at the
  // axis's very end stands clear of the frame, as every mark does.
  ChartData beyond = BuildChartData(blocks[0], ChartKind::distribution, false);
  const ValueScale scale = ChartScale(beyond);
  for (ChartSeriesData& series : beyond.series) {
    for (ChartMark& mark : series.bands) mark.ul = 47.5;
  }
  beyond.series[0].bands[0].ear = scale.high;
  QCOMPARE(ChartScale(beyond).high, scale.high);
  QVERIFY(scale.high < 47.5);
  const QString pdf = tmp_->filePath(QStringLiteral("beyond.pdf"));
  QVERIFY(SaveChartPdf(pdf, beyond, QFont(), beyond.title));
  const QString pdfText = PdfText(pdf);
  if (pdfText.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
  QVERIFY2(pdfText.contains(QStringLiteral("47.5")), qPrintable(pdfText));
  QImage image(kChartPictureSize.toSize(), QImage::Format_RGB32);
  {
    QPainter painter(&image);
    PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), beyond, QFont());
  }
  // The frame's rows: dark grey across most of the picture.
  std::vector<int> frameRows;
  std::vector<int> earRows;
  for (int y = 0; y < image.height(); ++y) {
    int dark = 0;
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      dark += c.red() < 200 && std::abs(c.red() - c.green()) < 20 && std::abs(c.green() - c.blue()) < 20;
      if (image.pixel(x, y) == EarPen().color().rgb()) earRows.push_back(y);
    }
    if (dark > image.width() / 2) frameRows.push_back(y);
  }
  QVERIFY(frameRows.size() >= 2);
  const int frameTop = frameRows.front();
  // The legend's sample stands well above the plot; the mark is the first
  // EAR row from just above the frame on.
  const auto mark = std::find_if(earRows.begin(), earRows.end(), [&](int y) { return y >= frameTop - 4; });
  QVERIFY(mark != earRows.end());
  QVERIFY2(*mark > frameTop + 1 && *mark < frameTop + 12,
           qPrintable(QStringLiteral("EAR at row %1, frame at %2").arg(*mark).arg(frameTop)));

  // The menstruation choice of the design options marks the women's band.
  chosen.menstruation = kelvara::Menstruation::yes;
  ChartData chosenData = BuildChartData(blocks[0], ChartKind::distribution, false);
  AddReferenceMarks(chosenData, finder.Find(blocks[0], &chosen));
  QCOMPARE(marksOf(chosenData.series[1]).at(3), (Marks{8.0, none, none, none}));

  // The tab takes the table chosen in the design options.
  auto* settings = MainForm->findChild<SettingsTab*>();
  kelvara::DesignOptions design = settings->designOptions();
  design.reference = std::make_shared<const kelvara::ReferenceChoice>(chosen);
  settings->setDesignOptions(design);
  SetPane(lines);
  Tab()->SetKind(ChartKind::distribution);
  QCOMPARE(marksOf(Tab()->chartData().series[1]).at(3), (Marks{8.0, none, none, none}));

  // Under the category scheme the age column holds category numbers: no
  // band of the table can be told, so nothing is marked.
  ChartData categories = BuildChartData(blocks[0], ChartKind::mean, false);
  categories.scheme = kelvara::SchemeId::category;
  AddReferenceMarks(categories, finder.Find(blocks[0], &chosen));
  QVERIFY(!categories.HasReferenceMarks());

  // No such table chosen, none shipped: no marks, and the note says why.
  ChartData lost = BuildChartData(blocks[0], ChartKind::mean, false);
  AddReferenceMarks(lost, finder.Find(blocks[0], nullptr));
  QVERIFY(!lost.HasReferenceMarks());
  QVERIFY2(lost.note.contains(QStringLiteral("基準値の表「試験用の表」が見つからない")), qPrintable(lost.note));
}

// With provenance lines on, each block is preceded by one; the chart reads
// the blocks as before, lists them with their scheme and run time, shows the
// provenance as the item's tip, and offers the variable and scheme as the
// picture's file name. Loaded back from a saved file, the same.
void ChartTabTest::provenanceLinesAreReadBackByTheChart() {
  ChartTab* tab = Tab();
  LoadSurveyFile(dialogs_, QStringLiteral(KELVARA_EXAMPLE_SURVEY));
  Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
  Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
  Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(5);
  Find<QListWidget>("CheckListEiyoso")->item(5)->setCheckState(Qt::Checked);
  MainForm->ButtonRunClick();  // table 1, without provenance
  const ChartData plain = tab->chartData();
  QAction* provenance = Find<QAction>("ProvenanceItem");
  QVERIFY(!provenance->isChecked());
  provenance->setChecked(true);
  for (int scheme : {0, 2}) {
    Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(scheme);
    MainForm->ButtonRunClick();
  }
  QVERIFY(dialogs_.errors.isEmpty());
  const std::vector<std::string> lines = Pane()->lines();
  const std::vector<kelvara::ReportBlock> blocks = kelvara::ReadReportBlocks(lines);
  QCOMPARE(blocks.size(), size_t{3});
  QVERIFY(!blocks[0].provenance);
  for (size_t b = 1; b < 3; ++b) {
    QVERIFY(blocks[b].provenance.has_value());
    QCOMPARE(DisplayText(lines[blocks[b].headerLine - 1]).left(5), QStringLiteral("\"出所\","));
    QCOMPARE(DisplayText(blocks[b].provenance->unit), QStringLiteral("1.地区"));
    QCOMPARE(DisplayText(blocks[b].provenance->weight), QStringLiteral("5.重み"));
    QVERIFY(blocks[b].provenance->strata.empty());
  }
  QCOMPARE(DisplayText(blocks[1].provenance->scheme), QStringLiteral("NHNS報告書　第１表の区分"));
  QCOMPARE(DisplayText(blocks[2].provenance->scheme), QStringLiteral("NHNS報告書　第５部の区分"));
  QCOMPARE(blocks[1].groups, blocks[0].groups);

  const auto check = [&] {
    QCOMPARE(tab->blockList()->count(), 3);
    const QString time = DisplayText(blocks[1].provenance->dateTime);
    QCOMPARE(tab->blockList()->item(1)->text(), QStringLiteral("エネルギー\n第1表・") + time +
                                                    QStringLiteral("・2つ目"));
    QVERIFY(tab->blockList()->item(2)->text().startsWith(QStringLiteral("エネルギー\n第5部・")));
    const QString tip = tab->blockList()->item(1)->toolTip();
    QVERIFY2(tip.contains(QDir::toNativeSeparators(QStringLiteral(KELVARA_EXAMPLE_SURVEY))) &&
                 tip.contains(QStringLiteral("Kelvara 1.6")),
             qPrintable(tip));
    tab->blockList()->setCurrentRow(1);
    QCOMPARE(MarkCount(tab->chartData()), MarkCount(plain));
    QCOMPARE(tab->chartData().series[0].bands.back().mean, plain.series[0].bands.back().mean);
  };
  check();
  dialogs_.fileAnswers = {std::nullopt};
  tab->SaveAsPng();
  // Two blocks would give the same name: the second is told by its place,
  // and a name offered again (the dialog cancelled) stands alone, no "./".
  QCOMPARE(dialogs_.offeredFileNames.last(), QStringLiteral("エネルギー_第1表_2.png"));
  tab->blockList()->setCurrentRow(0);
  dialogs_.fileAnswers = {std::nullopt};
  tab->SaveAsPdf();
  QCOMPARE(dialogs_.offeredFileNames.last(), QStringLiteral("エネルギー_第1表.pdf"));
  tab->blockList()->setCurrentRow(1);

  const QString saved = tmp_->filePath(QStringLiteral("provenance.csv"));
  dialogs_.fileAnswers = {saved, saved};
  MainForm->FileSaveAs();
  Pane()->ClearLines();
  MainForm->FileOpen();
  QVERIFY(dialogs_.errors.isEmpty());
  QCOMPARE(Pane()->lines(), lines);
  check();
}

void ChartTabTest::fuzzInputsReplayed() {
  // Every seed and regression input of the chart fuzz target, through its check.
  int inputs = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const QDir dir(QStringLiteral(KELVARA_FUZZ_DIR "/%1/chart").arg(QLatin1String(kind)));
    for (const QString& name : dir.entryList(QDir::Files)) {
      if (name.endsWith(QStringLiteral(".md"))) continue;
      ++inputs;
      const std::string failure = kelvara::fuzz::CheckChartDrawing(ReadBytes(dir.filePath(name)));
      QVERIFY2(failure.empty(), qPrintable(name + QStringLiteral(": ") + QString::fromStdString(failure)));
    }
  }
  QVERIFY(inputs >= 5);
}

QTEST_MAIN(ChartTabTest)
#include "chart_tab_test.moc"
