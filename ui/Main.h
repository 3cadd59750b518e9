// Main unit: the main window.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "ui/common_dialogs.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTableView;
class ResultsPane;
class SurveyGridModel;
class TRadioGroup;
namespace kelvara {
class CsvTable;
}

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Components, in declaration order.
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
  QMenu* HelpMenu;
  QAction* HelpAboutItem;
  TFileDialog* OpenDialog;
  TFileDialog* SaveDialog;
  QObject* PrintDialog;
  QObject* PrintSetupDialog;
  QTabWidget* PageControl1;
  QWidget* TabSheet2;
  QWidget* TabSheet3;
  QFrame* Panel2;
  QTableView* StringGridDietFile;
  QFrame* Panel1;
  QLabel* Label6;
  QPushButton* Button1;
  QLabel* PanelDietFileName;
  QFrame* Panel3;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox3;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QGroupBox* GroupBox2;
  QComboBox* ComboBoxID1;
  QComboBox* ComboBoxBunrui1;
  QComboBox* ComboBoxBunrui2;
  QComboBox* ComboBoxBunrui3;
  QPushButton* ButtonRun;
  ResultsPane* RichEditKekka;
  QListWidget* CheckListEiyoso;
  QLabel* Label2;
  TRadioGroup* RadioGroupFormat;
  QGroupBox* GroupBox4;
  QComboBox* ComboBoxWeight;

  // The model behind StringGridDietFile.
  SurveyGridModel* gridModel() const { return gridModel_; }

  // Event handlers.
  void FileNew();
  void FileOpen();
  void FileSaveAs();
  void FilePrint();
  void FilePrintSetup();
  void FileExit();
  void EditUndo();
  void EditCut();
  void EditCopy();
  void EditPaste();
  void WindowTile();
  void WindowCascade();
  void WindowArrange();
  void HelpContents();
  void HelpSearch();
  void HelpHowToUse();
  void HelpAbout();
  void Button1Click();
  void ButtonRunClick();

  // The default value of a key below HKEY_CLASSES_ROOT (or what stands for
  // it on this system); used by the about box to find the web browser.
  std::string ReadRegistryDefault(const std::string& key);

  // The dialogs and message boxes the commands show; the toolkit's own
  // unless replaced (tests answer them). nullptr restores the toolkit's.
  void SetDialogService(DialogService* dialogs);
  DialogService& dialogs() { return *dialogs_; }

  // The printer settings of the program, chosen in the printer setup and
  // used by the next print.
  QPrinter& printer();

 private:
  void CreateMenu();
  void CreateSettingsTab();
  void CreateSelectorPanel();
  void CreateResultsTab();

  void LoadSurveyData();
  void FillFromTable(kelvara::CsvTable& table);
  void FitColumnsToHeadings();
  void SelectNoColumn();
  void RunTabulation();
  int WeightPosition() const;

  SurveyGridModel* gridModel_;
  std::unique_ptr<DialogService> toolkitDialogs_;
  DialogService* dialogs_;
  std::unique_ptr<QPrinter> printer_;
};

extern TMainForm* MainForm;
