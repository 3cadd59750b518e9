// kelvara_chart_screenshots: for the example survey under each age-group
// scheme, runs energy in the window and saves both charts of the chart tab:
// the tab as shown (window grab) and the saved 300 dpi PNG and PDF, for
// looking at by eye (scripts/chart_screenshots.sh). Then iron judged against
// the shipped 2025 table, with its EAR, UL and DG marked, for women as
// menstruating, and again against the 2020 table, both blocks in the list.
//
//   kelvara_chart_screenshots SURVEY.csv OUT_DIR [TABLE]
// TABLE: the reference table iron is judged against, a shipped table's name
// or a file (dri2025 when not given).
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>

#include "codec/cp932.h"
#include "engine/design_options.h"
#include "engine/reading/reference_location.h"
#include "platform/program_directory.h"
#include "tests/ui/ui_test_support.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/main_window.h"
#include "ui/chart/chart_tab.h"
#include "ui/window/kelvara_application.h"
#include "ui/settings/radio_group.h"
#include "ui/results/results_pane.h"

namespace {

const char* const kSchemeNames[] = {"table1", "table2", "part5", "category"};

bool Report(bool done, const QString& path) {
  std::printf("%s %s\n", done ? "wrote" : "could not write", qPrintable(path));
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kelvara_chart_screenshots SURVEY.csv OUT_DIR\n");
    return 2;
  }
  KelvaraApplication application(argc, argv);
  const QString survey = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  const QDir out(QString::fromLocal8Bit(argv[2]));
  ScriptedDialogs dialogs;
  TestWindows windows(dialogs);
  MainForm->resize(900, 700);
  MainForm->show();
  auto* tab = MainForm->findChild<ChartTab*>(QStringLiteral("TabSheetChart"));
  if (tab == nullptr) return 1;

  LoadSurveyFile(dialogs, survey);
  bool ok = true;
  for (int scheme = 0; scheme < 4; ++scheme) {
    // The example file: 1 地区, 2 性別, 3 年齢, 4 妊婦授乳婦, 5 重み, 6 エネルギー,
    // 14 年齢区分 (the category numbers).
    Find<QComboBox>("ComboBoxID1")->setCurrentIndex(1);
    Find<QComboBox>("ComboBoxBunrui1")->setCurrentIndex(2);
    Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(scheme == 3 ? 14 : 3);
    Find<QComboBox>("ComboBoxBunrui3")->setCurrentIndex(4);
    Find<QComboBox>("ComboBoxWeight")->setCurrentIndex(5);
    Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(scheme);
    for (int item = 0; item < Find<QListWidget>("CheckListEiyoso")->count(); ++item) {
      Find<QListWidget>("CheckListEiyoso")->item(item)->setCheckState(item == 5 ? Qt::Checked : Qt::Unchecked);
    }
    Pane()->ClearLines();
    MainForm->ButtonRunClick();
    if (!dialogs.errors.isEmpty()) {
      std::fprintf(stderr, "%s\n", qPrintable(dialogs.errors.join(QLatin1Char('\n'))));
      return 1;
    }
    Find<QTabWidget>("PageControl1")->setCurrentWidget(tab);
    tab->blockList()->setCurrentRow(0);
    for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
      tab->SetKind(kind);
      const QString stem = QStringLiteral("chart-%1-%2")
                               .arg(QLatin1String(kSchemeNames[scheme]),
                                    kind == ChartKind::mean ? QStringLiteral("mean")
                                                            : QStringLiteral("distribution"));
      QApplication::processEvents();
      const QString shown = out.filePath(stem + QStringLiteral("-tab.png"));
      ok = Report(MainForm->grab().save(shown), shown) && ok;
      for (const char* extension : {"png", "pdf"}) {
        const QString path = out.filePath(stem + QLatin1Char('.') + QLatin1String(extension));
        QFile::remove(path);
        dialogs.fileAnswers = {path};
        if (extension == QLatin1String("png")) {
          tab->SaveAsPng();
        } else {
          tab->SaveAsPdf();
        }
        ok = Report(QFileInfo(path).size() > 0, path) && ok;
      }
    }
    tab->SetKind(ChartKind::mean);
  }

  // The last scheme's block again with the both-sexes groups drawn too.
  tab->SetBothSexesShown(true);
  for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
    tab->SetKind(kind);
    QApplication::processEvents();
    const QString shown = out.filePath(kind == ChartKind::mean
                                           ? QStringLiteral("chart-category-mean-both-tab.png")
                                           : QStringLiteral("chart-category-distribution-both-tab.png"));
    ok = Report(MainForm->grab().save(shown), shown) && ok;
  }

  // Iron (column 12) under the first scheme, judged against the table: the
  // shipped ones lie beside the program as installed, and two folders up
  // from it in the build.
  const std::string reference = argc > 3 ? argv[3] : "dri2025";
  std::filesystem::path tables = kelvara::ProgramDirectory();
  if (!std::filesystem::is_directory(tables / "reference")) tables = tables.parent_path().parent_path();
  std::string error;
  std::optional<kelvara::ReferenceTable> table = kelvara::ReadNamedReferenceTable(
      reference, tables,
      [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
  if (!table) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  auto settings = MainForm->findChild<SettingsTab*>();
  kelvara::DesignOptions design = settings->designOptions();
  auto choice = std::make_shared<kelvara::ReferenceChoice>();
  choice->origin = reference;
  choice->table = std::move(*table);
  choice->menstruation = kelvara::Menstruation::yes;
  design.reference = choice;
  settings->setDesignOptions(design);
  tab->SetBothSexesShown(false);
  Find<QComboBox>("ComboBoxBunrui2")->setCurrentIndex(3);
  Find<TRadioGroup>("RadioGroupFormat")->setItemIndex(0);
  for (int item = 0; item < Find<QListWidget>("CheckListEiyoso")->count(); ++item) {
    Find<QListWidget>("CheckListEiyoso")->item(item)->setCheckState(item == 11 ? Qt::Checked : Qt::Unchecked);
  }
  Pane()->ClearLines();
  MainForm->ButtonRunClick();
  Find<QTabWidget>("PageControl1")->setCurrentWidget(tab);
  tab->blockList()->setCurrentRow(0);
  for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
    tab->SetKind(kind);
    QApplication::processEvents();
    const QString stem = QStringLiteral("chart-iron-%1-%2")
                             .arg(QFileInfo(QString::fromStdString(reference)).baseName(),
                                  kind == ChartKind::mean ? QStringLiteral("mean")
                                                          : QStringLiteral("distribution"));
    const QString shown = out.filePath(stem + QStringLiteral("-tab.png"));
    ok = Report(MainForm->grab().save(shown), shown) && ok;
    for (const char* extension : {"png", "pdf"}) {
      const QString path = out.filePath(stem + QLatin1Char('.') + QLatin1String(extension));
      QFile::remove(path);
      dialogs.fileAnswers = {path};
      if (extension == QLatin1String("png")) {
        tab->SaveAsPng();
      } else {
        tab->SaveAsPdf();
      }
      ok = Report(QFileInfo(path).size() > 0, path) && ok;
    }
  }
  // Iron again against the other edition, its block after the first: the
  // list tells the two apart.
  const std::string other = reference == "dri2020" ? "dri2025" : "dri2020";
  std::optional<kelvara::ReferenceTable> otherTable = kelvara::ReadNamedReferenceTable(
      other, tables, [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
  if (!otherTable) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  auto otherChoice = std::make_shared<kelvara::ReferenceChoice>(*choice);
  otherChoice->origin = other;
  otherChoice->table = std::move(*otherTable);
  design.reference = otherChoice;
  settings->setDesignOptions(design);
  MainForm->ButtonRunClick();
  Find<QTabWidget>("PageControl1")->setCurrentWidget(tab);
  tab->blockList()->setCurrentRow(1);
  QApplication::processEvents();
  const QString both = out.filePath(QStringLiteral("chart-iron-two-editions-tab.png"));
  ok = Report(MainForm->grab().save(both), both) && ok;
  tab->blockList()->setCurrentRow(0);

  // The same at the window's smallest size, where the legends must still fit.
  MainForm->resize(MainForm->minimumSizeHint());
  QApplication::processEvents();
  const QString narrow = out.filePath(QStringLiteral("chart-iron-%1-distribution-narrow-tab.png")
                                          .arg(QFileInfo(QString::fromStdString(reference)).baseName()));
  ok = Report(MainForm->grab().save(narrow), narrow) && ok;
  std::printf("%s\n", qPrintable(tab->note()));
  return ok && dialogs.errors.isEmpty() ? 0 : 1;
}
