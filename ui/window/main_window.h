// Main unit: the main window.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

#include "engine/report/summary_table.h"
#include "ui/dialogs/common_dialogs.h"

namespace kelvara {
struct RunRequest;
}

class QAction;
class QMenu;
class QPrinter;
class QTabWidget;
class HelpPage;
class ResultsPane;
class ResultsTab;
class SettingsTab;
class StoppedWork;
class TAboutBox;
class TFormProgress;
class WindowSettings;
struct SurveyContents;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // Remembers its settings in `settingsFile` (an INI file), or where the
  // system keeps a user's program settings when it is empty.
  explicit TMainForm(const QString& settingsFile = QString(), QWidget* parent = nullptr);
  ~TMainForm() override;

  // The commands of the menu and of the two buttons.
  void FileNew();
  void FileOpen();
  void FileSaveAs();
  void FilePrint();
  void FilePrintSetup();
  void FileExit();
  // The 計算結果 menu: the results as an Excel workbook, the summary 一覧
  // printed or saved as PDF, and the decimals it shows.
  void ResultsSaveWorkbook();
  void ResultsPrintSummary();
  void ResultsSaveSummaryPdf();
  void ResultsChooseDecimals();
  void HelpAbout();
  // The page that explains the report's columns (F1): shown beside the
  // window, which stays usable.
  void HelpContents();
  // The help page opened at the paragraph under `anchor` (a HelpTopic's).
  void ShowHelpTopic(const QString& anchor);
  // Chooses the sampling design's strata and the figures added to the report.
  void ChooseDesignOptions();
  // Defines the computed variables of the file shown (計算列), and adds the
  // energy ratios among them in one step.
  void ChooseDerivedVariables();
  void AddEnergyBalance();
  void Button1Click();
  void ButtonRunClick();

  // Opens a survey data file as if it had been chosen with 開く.
  void OpenSurveyFile(const QString& path);

  // The default value of a key below HKEY_CLASSES_ROOT (or what stands for
  // it on this system).
  std::string ReadRegistryDefault(const std::string& key);

  // The about box that HelpAbout shows and the progress window of long
  // commands; the program entry creates both after the main window.
  void SetAboutBox(TAboutBox* aboutBox) { aboutBox_ = aboutBox; }
  void SetProgressWindow(TFormProgress* progress);

  // The dialogs and message boxes the commands show; the toolkit's own
  // unless replaced (tests answer them). nullptr restores the toolkit's.
  void SetDialogService(DialogService* dialogs);
  DialogService& dialogs() { return *dialogs_; }

  // The printer settings of the program: landscape unless the page set-up
  // says otherwise, and remembered from one run of the program to the next.
  QPrinter& printer();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenu();
  void PlaceOnScreen();
  void RememberWindow();
  // Keeps the choices made for the file shown, for it by its path and for
  // files with the same headers.
  void RememberChoices();

  void ChooseSurveyFile();
  void LoadSurvey(const QString& path);
  // Whether a file read for the grid is to be shown: not when it is empty,
  // and when it has no data row or no number, only if the user says so.
  bool LooksLikeSurveyData(const QString& path, const SurveyContents& contents);
  void RunTabulation();
  // Compiles the ticked computed variables into the request; false, having
  // said why, when one cannot be computed.
  bool AddDerivedVariables(kelvara::RunRequest& request);
  // Whether unsaved results may be lost: true when there are none, or when
  // the user answers Yes to `question` after being told they are unsaved.
  bool MayLoseResults(const QString& question);
  // Whether the window may close: no unsaved results, or the user saved
  // them or chose to go without them.
  bool MayQuit();
  // The save command; true when the results were saved.
  bool SaveResults();
  // Closes once the work under way has ended (it was asked to stop).
  void CloseWhenIdle();
  ResultsPane& pane() const;
  // The folder results dialogs start in.
  QString ResultsFolder() const;
  // What a printed page of results says at its top.
  QString PrintHeading() const;
  // Whether the pane holds a block to save or print: else says `refusal`
  // (nothing in the pane) or that it holds no block.
  bool HaveBlocks(const QString& refusal);
  // The summary 一覧 of the pane's blocks, in the decimals set; empty, and
  // said, when no block has the groups of a scheme.
  std::vector<kelvara::SummarySection> Summary();
  // Asks where the workbook or the summary's PDF goes; empty when cancelled
  // or refused.
  QString AskSummaryPath(const QString& filter, const QString& extension);
  // The progress window, for a load or a run.
  TFormProgress& progressWindow();

  // Work in the background: a file read (survey data or results) or a run.
  enum class Work { none, loading, running };
  // Marks work under way for its lifetime. Meanwhile the menu and the tabs
  // take no input and no file is taken by a drop, but both close boxes are
  // heard: each asks whether to stop the work.
  class WorkUnderWay {
   public:
    WorkUnderWay(TMainForm& window, Work work);
    ~WorkUnderWay();
    WorkUnderWay(const WorkUnderWay&) = delete;
    WorkUnderWay& operator=(const WorkUnderWay&) = delete;

   private:
    TMainForm& window_;
    QPointer<QWidget> focus_;  // where the keys went before
  };
  // What the work under way is, as the questions name it.
  QString WorkUnderWayText() const;
  // The progress window's close box: stops the work if the user says so.
  void AskToStopWork();

  // Handlers that no menu entry or control reaches: the window holds no
  // child windows to arrange.
  void EditUndo() {}
  void EditCut() {}
  void EditCopy() {}
  void EditPaste() {}
  void WindowTile() {}
  void WindowCascade() {}
  void WindowArrange() {}
  void HelpSearch() {}
  void HelpHowToUse() {}

  QMenuBar* MainMenu;
  QMenu* FileMenu;
  QAction* FileNewItem;
  QAction* FileOpenItem;
  QAction* FileSaveAsItem;
  QAction* N1;
  QAction* FilePrintItem;
  QAction* FilePrintSetupItem;
  QAction* N4;
  QAction* FileExitItem;
  QMenu* ResultsMenu;
  QAction* WorkbookSaveItem;
  QAction* SummaryPrintItem;
  QAction* SummaryPdfItem;
  QAction* SummaryDecimalsItem;
  QMenu* CalculationMenu;
  QAction* DesignOptionsItem;
  QAction* ProvenanceItem;  // a provenance line before each block
  QAction* DerivedVariablesItem;
  QAction* EnergyBalanceItem;
  QMenu* HelpMenu;
  QAction* HelpContentsItem;
  QAction* HelpAboutItem;
  TFileDialog* OpenDialog;
  TFileDialog* SaveDialog;
  TFileDialog* WorkbookDialog;  // the workbook's and the summary PDF's
  QObject* PrintDialog;
  QObject* PrintSetupDialog;
  QTabWidget* PageControl1;
  SettingsTab* TabSheet2;
  ResultsTab* TabSheet3;

  std::unique_ptr<WindowSettings> settings_;
  std::unique_ptr<DialogService> toolkitDialogs_;
  DialogService* dialogs_;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<StoppedWork> stoppedWork_;  // loads and runs still ending after 中止
  TAboutBox* aboutBox_ = nullptr;
  HelpPage* helpPage_ = nullptr;
  TFormProgress* progress_ = nullptr;
  bool exitConfirmed_ = false;
  bool closingAfterWork_ = false;  // the user chose to stop the work and close
  Work work_ = Work::none;  // a load or a run under way in the background
};
