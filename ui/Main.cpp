#include "ui/Main.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/About.h"
#include "ui/browser_command.h"
#include "ui/handler_guard.h"
#include "ui/radio_group.h"
#include "ui/results_pane.h"
#include "ui/survey_grid_model.h"
#include "ui/window_fonts.h"

TMainForm* MainForm = nullptr;

namespace {

// The grid's size before any file is loaded: 256 columns and rows with the
// heading column and row.
constexpr int kDesignGridSize = 256;
constexpr int kSelectorPanelHeight = 279;
constexpr int kFileStripHeight = 32;

QAction* AddMenuEntry(QMenu* menu, const char* name, const QString& caption,
                      const QString& hint) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  return action;
}

QAction* AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(QString::fromLatin1(name));
  return separator;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* ListOnlySelector(QWidget* parent, const char* name, int x, int y) {
  auto* box = Named(new QComboBox(parent), name);
  box->setGeometry(x, y, 169, 24);
  return box;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      gridModel_(new SurveyGridModel(this)),
      toolkitDialogs_(MakeToolkitDialogs(this)),
      dialogs_(toolkitDialogs_.get()) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Kelvara"));
  QFont windowFont;
  windowFont.setFamilies(WindowFontFamilies());
  windowFont.setPixelSize(13);
  setFont(windowFont);

  CreateMenu();
  OpenDialog = new TFileDialog(TFileDialog::Kind::open, QStringLiteral("OpenDialog"), this);
  SaveDialog = new TFileDialog(TFileDialog::Kind::save, QStringLiteral("SaveDialog"), this);
  PrintDialog = Named(new QObject(this), "PrintDialog");
  PrintSetupDialog = Named(new QObject(this), "PrintSetupDialog");

  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  PageControl1->setFocusPolicy(Qt::NoFocus);
  PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(PageControl1);
  CreateSettingsTab();
  CreateResultsTab();
  PageControl1->setCurrentWidget(TabSheet2);

  resize(738, 653);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateMenu() {
  MainMenu = Named(menuBar(), "MainMenu");
  FileMenu = Named(MainMenu->addMenu(QStringLiteral("ファイル(&F)")), "FileMenu");
  FileNewItem = AddMenuEntry(FileMenu, "FileNewItem", QStringLiteral("計算結果・クリア(&N)"),
                             QStringLiteral("新しいファイルを作成します"));
  FileOpenItem = AddMenuEntry(FileMenu, "FileOpenItem", QStringLiteral("計算結果・開く(&O)..."),
                              QStringLiteral("既存のファイルを開きます"));
  FileSaveAsItem =
      AddMenuEntry(FileMenu, "FileSaveAsItem", QStringLiteral("計算結果・名前をつけて保存(&A)..."),
                   QStringLiteral("ファイルを別の名前をつけて保存します"));
  N1 = AddSeparator(FileMenu, "N1");
  FilePrintItem = AddMenuEntry(FileMenu, "FilePrintItem", QStringLiteral("計算結果・印刷(&P)..."),
                               QStringLiteral("ファイルを印刷します"));
  FilePrintSetupItem =
      AddMenuEntry(FileMenu, "FilePrintSetupItem", QStringLiteral("プリンタの設定(&R)..."),
                   QStringLiteral("プリンタの設定を変更します"));
  N4 = AddSeparator(FileMenu, "N4");
  FileExitItem = AddMenuEntry(FileMenu, "FileExitItem", QStringLiteral("終了(&X)"),
                              QStringLiteral("このアプリケーションを終了します"));
  HelpMenu = Named(MainMenu->addMenu(QStringLiteral("ヘルプ(&H)")), "HelpMenu");
  HelpAboutItem = AddMenuEntry(HelpMenu, "HelpAboutItem", QStringLiteral("バージョン情報(&A)..."),
                               QStringLiteral("プログラムの情報を表示します"));

  connect(FileNewItem, &QAction::triggered, this, &TMainForm::FileNew);
  connect(FileOpenItem, &QAction::triggered, this, &TMainForm::FileOpen);
  connect(FileSaveAsItem, &QAction::triggered, this, &TMainForm::FileSaveAs);
  connect(FilePrintItem, &QAction::triggered, this, &TMainForm::FilePrint);
  connect(FilePrintSetupItem, &QAction::triggered, this, &TMainForm::FilePrintSetup);
  connect(FileExitItem, &QAction::triggered, this, &TMainForm::FileExit);
  connect(HelpAboutItem, &QAction::triggered, this, &TMainForm::HelpAbout);
}

void TMainForm::CreateSettingsTab() {
  TabSheet2 = Named(new QWidget, "TabSheet2");
  PageControl1->addTab(TabSheet2, QStringLiteral("計算法の指定"));
  auto* tabLayout = new QVBoxLayout(TabSheet2);
  tabLayout->setContentsMargins(0, 0, 0, 0);
  tabLayout->setSpacing(0);

  // Upper area: the file strip over the grid; it takes up any change of the
  // window's height.
  Panel2 = Named(new QFrame(TabSheet2), "Panel2");
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* upperLayout = new QVBoxLayout(Panel2);
  upperLayout->setContentsMargins(1, 1, 1, 1);
  upperLayout->setSpacing(0);

  Panel1 = Named(new QFrame(Panel2), "Panel1");
  Panel1->setFixedHeight(kFileStripHeight);
  Label6 = Named(new QLabel(QStringLiteral("健康・栄養調査データ"), Panel1), "Label6");
  Label6->setGeometry(9, 4, 130, 24);
  Button1 = Named(new QPushButton(QStringLiteral("開く"), Panel1), "Button1");
  Button1->setGeometry(142, 4, 49, 25);
  PanelDietFileName = Named(new QLabel(Panel1), "PanelDietFileName");
  PanelDietFileName->setGeometry(207, 5, 474, 22);
  PanelDietFileName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PanelDietFileName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PanelDietFileName->setBackgroundRole(QPalette::Base);
  PanelDietFileName->setAutoFillBackground(true);
  upperLayout->addWidget(Panel1);

  StringGridDietFile = Named(new QTableView(Panel2), "StringGridDietFile");
  StringGridDietFile->setModel(gridModel_);
  gridModel_->Reset(kDesignGridSize - 1, kDesignGridSize - 1, false);
  StringGridDietFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGridDietFile->setShowGrid(true);
  StringGridDietFile->setWordWrap(false);
  StringGridDietFile->setFocusPolicy(Qt::ClickFocus);
  StringGridDietFile->setToolTip(QStringLiteral("表示するだけです。入力はできません。"));
  // Uniform rows keep a million-row file as quick to scroll as a small one.
  QHeaderView* rowHeading = StringGridDietFile->verticalHeader();
  rowHeading->setSectionResizeMode(QHeaderView::Fixed);
  rowHeading->setDefaultSectionSize(22);
  rowHeading->setMinimumSectionSize(22);
  QHeaderView* columnHeading = StringGridDietFile->horizontalHeader();
  columnHeading->setSectionResizeMode(QHeaderView::Interactive);
  columnHeading->setDefaultSectionSize(64);
  upperLayout->addWidget(StringGridDietFile, 1);
  tabLayout->addWidget(Panel2, 1);

  CreateSelectorPanel();
  tabLayout->addWidget(Panel3);

  connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
  connect(ButtonRun, &QPushButton::clicked, this, &TMainForm::ButtonRunClick);
}

void TMainForm::CreateSelectorPanel() {
  Panel3 = Named(new QFrame(TabSheet2), "Panel3");
  Panel3->setFixedHeight(kSelectorPanelHeight);

  GroupBox1 = Named(new QGroupBox(QStringLiteral("抽出単位（単位区等）"), Panel3), "GroupBox1");
  GroupBox1->setGeometry(8, 16, 241, 57);
  GroupBox3 = Named(new QGroupBox(QStringLiteral("分類変数（性/年齢/妊婦・授乳婦）"), Panel3),
                    "GroupBox3");
  GroupBox3->setGeometry(8, 144, 241, 121);
  Label7 = Named(new QLabel(QStringLiteral("性別"), GroupBox3), "Label7");
  Label7->setGeometry(12, 20, 42, 24);
  Label8 = Named(new QLabel(QStringLiteral("年齢"), GroupBox3), "Label8");
  Label8->setGeometry(12, 50, 42, 24);
  Label9 = Named(new QLabel(QStringLiteral("妊婦1・"), GroupBox3), "Label9");
  Label9->setGeometry(8, 76, 48, 16);
  GroupBox2 = Named(new QGroupBox(QStringLiteral("分析変数（栄養素等）"), Panel3), "GroupBox2");
  GroupBox2->setGeometry(264, 16, 209, 257);
  ComboBoxID1 = ListOnlySelector(GroupBox1, "ComboBoxID1", 56, 22);
  ComboBoxBunrui1 = ListOnlySelector(GroupBox3, "ComboBoxBunrui1", 56, 20);
  ComboBoxBunrui2 = ListOnlySelector(GroupBox3, "ComboBoxBunrui2", 56, 50);
  ComboBoxBunrui3 = ListOnlySelector(GroupBox3, "ComboBoxBunrui3", 56, 80);
  ButtonRun = Named(new QPushButton(QStringLiteral("計算実行"), Panel3), "ButtonRun");
  ButtonRun->setGeometry(528, 192, 121, 25);
  CheckListEiyoso = Named(new QListWidget(GroupBox2), "CheckListEiyoso");
  CheckListEiyoso->setGeometry(16, 24, 177, 209);
  Label2 = Named(new QLabel(QStringLiteral("授乳婦2"), GroupBox3), "Label2");
  Label2->setGeometry(8, 92, 48, 16);
  RadioGroupFormat = new TRadioGroup(QStringLiteral("年齢階級区分"),
                                     {QStringLiteral("NHNS報告書　第１表の区分"),
                                      QStringLiteral("NHNS報告書　第２表の区分"),
                                      QStringLiteral("NHNS報告書　第５部の区分"),
                                      QStringLiteral("カテゴリー番号1,2,3,...,10")},
                                     Panel3);
  Named(RadioGroupFormat, "RadioGroupFormat");
  RadioGroupFormat->setGeometry(488, 24, 236, 97);
  RadioGroupFormat->setItemIndex(0);
  GroupBox4 = Named(new QGroupBox(QStringLiteral("重み（サンプリング・ウエイト）"), Panel3),
                    "GroupBox4");
  GroupBox4->setGeometry(8, 80, 241, 57);
  ComboBoxWeight = Named(new QComboBox(GroupBox4), "ComboBoxWeight");
  ComboBoxWeight->setGeometry(56, 24, 169, 24);
  ComboBoxWeight->setEditable(true);
  // Typed text must not become a list entry: the run refuses text that names
  // no column.
  ComboBoxWeight->setInsertPolicy(QComboBox::NoInsert);
  ComboBoxWeight->setCompleter(nullptr);

  // Tab order: sampling unit, classification variables, analysis variables,
  // run button, age groups, weight.
  QWidget::setTabOrder(ComboBoxID1, ComboBoxBunrui1);
  QWidget::setTabOrder(ComboBoxBunrui1, ComboBoxBunrui2);
  QWidget::setTabOrder(ComboBoxBunrui2, ComboBoxBunrui3);
  QWidget::setTabOrder(ComboBoxBunrui3, CheckListEiyoso);
  QWidget::setTabOrder(CheckListEiyoso, ButtonRun);
  QWidget::setTabOrder(ButtonRun, RadioGroupFormat);
  QWidget::setTabOrder(RadioGroupFormat, ComboBoxWeight);
}

void TMainForm::CreateResultsTab() {
  TabSheet3 = Named(new QWidget, "TabSheet3");
  PageControl1->addTab(TabSheet3, QStringLiteral("計算結果"));
  auto* layout = new QVBoxLayout(TabSheet3);
  layout->setContentsMargins(0, 0, 0, 0);
  RichEditKekka = Named(new ResultsPane(TabSheet3), "RichEditKekka");
  layout->addWidget(RichEditKekka);
}

void TMainForm::SetDialogService(DialogService* dialogs) {
  dialogs_ = dialogs != nullptr ? dialogs : toolkitDialogs_.get();
}

QPrinter& TMainForm::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

std::string TMainForm::ReadRegistryDefault(const std::string& key) {
  return ReadRegistryDefaultValue(key);
}

void TMainForm::HelpAbout() {
  RunGuarded(dialogs(), [] {
    if (AboutBox != nullptr) AboutBox->exec();
  });
}

// Template handlers, reached by no menu entry or control. The window holds no
// child windows to arrange, and no help file is configured.
void TMainForm::EditUndo() {}
void TMainForm::EditCut() {}
void TMainForm::EditCopy() {}
void TMainForm::EditPaste() {}
void TMainForm::WindowTile() {}
void TMainForm::WindowCascade() {}
void TMainForm::WindowArrange() {}
void TMainForm::HelpContents() {}
void TMainForm::HelpSearch() {}
void TMainForm::HelpHowToUse() {}
