#include "ui/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <cassert>

#include "ui/about/about_box.h"
#include "ui/dialogs/help_page.h"
#include "ui/window/progress_window.h"
#include "ui/window/background_work.h"
#include "platform/browser_command.h"
#include "ui/chart/chart_tab.h"
#include "ui/window/handler_guard.h"
#include "ui/results/results_pane.h"
#include "ui/results/results_tab.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/window_settings.h"
#include "ui/window/window_fonts.h"

namespace {

// The window's size at 96 dpi when nothing is remembered.
constexpr QSize kStartSize(738, 653);

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

template <typename Object>
Object* Named(Object* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

// The one local file a drag carries, or nothing.
QString DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().constFirst();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

TMainForm::TMainForm(const QString& settingsFile, QWidget* parent)
    : QMainWindow(parent),
      settings_(std::make_unique<WindowSettings>(settingsFile)),
      toolkitDialogs_(MakeToolkitDialogs(this)),
      dialogs_(toolkitDialogs_.get()),
      stoppedWork_(std::make_unique<StoppedWork>()) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Kelvara"));
  QFont windowFont;
  windowFont.setFamilies(WindowFontFamilies());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setAcceptDrops(true);

  CreateMenu();
  OpenDialog = new TFileDialog(TFileDialog::Kind::open, QStringLiteral("OpenDialog"), this);
  SaveDialog = new TFileDialog(TFileDialog::Kind::save, QStringLiteral("SaveDialog"), this);
  WorkbookDialog = new TFileDialog(TFileDialog::Kind::save, QStringLiteral("WorkbookDialog"), this);
  PrintDialog = Named(new QObject(this), "PrintDialog");
  PrintSetupDialog = Named(new QObject(this), "PrintSetupDialog");

  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  PageControl1->setFocusPolicy(Qt::NoFocus);
  PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(PageControl1);
  TabSheet2 = new SettingsTab(PageControl1);
  PageControl1->addTab(TabSheet2, QStringLiteral("計算法の指定"));
  TabSheet3 = new ResultsTab(PageControl1);
  PageControl1->addTab(TabSheet3, QStringLiteral("計算結果"));
  auto* chartTab = Named(new ChartTab(
      TabSheet3->pane(), [this]() -> DialogService& { return dialogs(); },
      [this]() -> QPrinter& { return printer(); },
      [this] { return TabSheet2->designOptions().reference; }), "TabSheetChart");
  PageControl1->addTab(chartTab, QStringLiteral("グラフ"));
  PageControl1->setCurrentWidget(TabSheet2);
  connect(TabSheet2, &SettingsTab::openClicked, this, &TMainForm::Button1Click);
  connect(TabSheet2, &SettingsTab::runClicked, this, &TMainForm::ButtonRunClick);
  connect(&TabSheet3->pane(), &ResultsPane::helpRequested, this, &TMainForm::ShowHelpTopic);

  TabSheet2->setScheme(settings_->scheme());
  TabSheet2->setDesignOptions(settings_->design());
  ProvenanceItem->setChecked(settings_->provenance());
  connect(ProvenanceItem, &QAction::toggled, this, [this](bool on) { settings_->setProvenance(on); });
  PlaceOnScreen();
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
  ResultsMenu = Named(MainMenu->addMenu(QStringLiteral("計算結果(&R)")), "ResultsMenu");
  WorkbookSaveItem =
      AddMenuEntry(ResultsMenu, "WorkbookSaveItem", QStringLiteral("Excel形式で保存(&E)..."),
                   QStringLiteral("一覧、変数ごとのシート、条件を Excel のブック（.xlsx）に保存します"));
  ResultsMenu->addSeparator();
  SummaryPrintItem = AddMenuEntry(ResultsMenu, "SummaryPrintItem", QStringLiteral("一覧表を印刷(&L)..."),
                                  QStringLiteral("性・年齢階級別の一覧表を A4 横で印刷します"));
  SummaryPdfItem = AddMenuEntry(ResultsMenu, "SummaryPdfItem", QStringLiteral("一覧表をPDFで保存(&F)..."),
                                QStringLiteral("性・年齢階級別の一覧表を A4 横の PDF に保存します"));
  SummaryDecimalsItem =
      AddMenuEntry(ResultsMenu, "SummaryDecimalsItem", QStringLiteral("一覧表の小数桁数(&D)..."),
                   QStringLiteral("一覧表に見せる小数の桁数を変数ごとに選びます"));
  CalculationMenu = Named(MainMenu->addMenu(QStringLiteral("計算(&C)")), "CalculationMenu");
  DesignOptionsItem =
      AddMenuEntry(CalculationMenu, "DesignOptionsItem", QStringLiteral("標本設計と追加の列(&D)..."),
                   QStringLiteral("層、信頼区間、変動係数、デザイン効果、基準値未満の割合を指定します"));
  ProvenanceItem =
      AddMenuEntry(CalculationMenu, "ProvenanceItem", QStringLiteral("出所の行を付ける(&P)"),
                   QStringLiteral("各変数の前に、データファイル、区分、標本設計、追加の列、日時、版を書いた行を入れます"));
  ProvenanceItem->setCheckable(true);
  AddSeparator(CalculationMenu, "N5");
  DerivedVariablesItem =
      AddMenuEntry(CalculationMenu, "DerivedVariablesItem", QStringLiteral("計算列(&F)..."),
                   QStringLiteral("ファイルの列から式で計算する変数を定義します"));
  EnergyBalanceItem = AddMenuEntry(
      CalculationMenu, "EnergyBalanceItem", QStringLiteral("エネルギー産生栄養素バランスを加える(&E)"),
      QStringLiteral("たんぱく質・脂肪・飽和脂肪酸・炭水化物のエネルギー比率を計算列として加えます"));
  HelpMenu = Named(MainMenu->addMenu(QStringLiteral("ヘルプ(&H)")), "HelpMenu");
  HelpContentsItem = AddMenuEntry(HelpMenu, "HelpContentsItem", QStringLiteral("計算結果の見方(&H)"),
                                  QStringLiteral("計算結果の各列の意味と、空欄や総数のわけを説明します"));
  HelpContentsItem->setShortcut(QKeySequence::HelpContents);
  HelpAboutItem = AddMenuEntry(HelpMenu, "HelpAboutItem", QStringLiteral("バージョン情報(&A)..."),
                               QStringLiteral("プログラムの情報を表示します"));

  connect(FileNewItem, &QAction::triggered, this, &TMainForm::FileNew);
  connect(FileOpenItem, &QAction::triggered, this, &TMainForm::FileOpen);
  connect(FileSaveAsItem, &QAction::triggered, this, &TMainForm::FileSaveAs);
  connect(FilePrintItem, &QAction::triggered, this, &TMainForm::FilePrint);
  connect(FilePrintSetupItem, &QAction::triggered, this, &TMainForm::FilePrintSetup);
  connect(FileExitItem, &QAction::triggered, this, &TMainForm::FileExit);
  connect(WorkbookSaveItem, &QAction::triggered, this, &TMainForm::ResultsSaveWorkbook);
  connect(SummaryPrintItem, &QAction::triggered, this, &TMainForm::ResultsPrintSummary);
  connect(SummaryPdfItem, &QAction::triggered, this, &TMainForm::ResultsSaveSummaryPdf);
  connect(SummaryDecimalsItem, &QAction::triggered, this, &TMainForm::ResultsChooseDecimals);
  connect(DesignOptionsItem, &QAction::triggered, this, &TMainForm::ChooseDesignOptions);
  connect(DerivedVariablesItem, &QAction::triggered, this, &TMainForm::ChooseDerivedVariables);
  connect(EnergyBalanceItem, &QAction::triggered, this, &TMainForm::AddEnergyBalance);
  connect(HelpContentsItem, &QAction::triggered, this, &TMainForm::HelpContents);
  connect(HelpAboutItem, &QAction::triggered, this, &TMainForm::HelpAbout);
}

void TMainForm::PlaceOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QByteArray remembered = settings_->geometry();
  if (!remembered.isEmpty() && restoreGeometry(remembered)) {
    if (const QScreen* shownOn = QGuiApplication::screenAt(geometry().center())) screen = shownOn;
  } else {
    resize(kStartSize);
  }
  if (screen == nullptr) return;
  // Never larger than the screen's free area (the window's frame included,
  // which is known only roughly before the window is shown), and on it.
  const QRect area = screen->availableGeometry();
  QSize frame = frameGeometry().size() - geometry().size();
  if (frame.isNull()) {
    // Not shown yet: the title bar and borders the system will add.
    frame = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
  }
  const QSize fits = (area.size() - frame).expandedTo(minimumSizeHint());
  resize(size().boundedTo(fits));
  if (remembered.isEmpty() || !area.intersects(geometry())) {
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void TMainForm::RememberWindow() {
  settings_->setGeometry(saveGeometry());
  settings_->setScheme(TabSheet2->scheme());
  RememberChoices();
  settings_->sync();
}

void TMainForm::RememberChoices() {
  if (!TabSheet2->hasSurvey()) return;
  const ColumnChoices choices = TabSheet2->choices();
  settings_->setColumns(choices);
  settings_->setColumnsForFile(TabSheet2->surveyPath(), choices);
  settings_->setDerivedForFile(TabSheet2->surveyPath(), TabSheet2->derivedVariables());
}

void TMainForm::SetDialogService(DialogService* dialogs) {
  dialogs_ = dialogs != nullptr ? dialogs : toolkitDialogs_.get();
}

ResultsPane& TMainForm::pane() const { return TabSheet3->pane(); }

TFormProgress& TMainForm::progressWindow() {
  if (progress_ == nullptr) SetProgressWindow(new TFormProgress(this));
  return *progress_;
}

void TMainForm::SetProgressWindow(TFormProgress* progress) {
  progress_ = progress;
  connect(progress_, &TFormProgress::closeRequested, this, &TMainForm::AskToStopWork);
}

TMainForm::WorkUnderWay::WorkUnderWay(TMainForm& window, Work work)
    : window_(window), focus_(QApplication::focusWidget()) {
  assert(window.work_ == Work::none && "one piece of work at a time");
  window_.work_ = work;
  window_.centralWidget()->setEnabled(false);
  window_.menuBar()->setEnabled(false);
}

TMainForm::WorkUnderWay::~WorkUnderWay() {
  window_.menuBar()->setEnabled(true);
  window_.centralWidget()->setEnabled(true);
  window_.work_ = Work::none;
  if (focus_ && focus_->isVisible() && focus_->isEnabled()) focus_->setFocus();
}

QString TMainForm::WorkUnderWayText() const {
  return work_ == Work::loading ? QStringLiteral("ファイルの読み込み中です。")
                                : QStringLiteral("計算の途中です。");
}

void TMainForm::AskToStopWork() {
  if (work_ == Work::none) return;
  if (dialogs().Confirm(WorkUnderWayText() + QStringLiteral("\n\n中止して閉じますか？"))) {
    emit progressWindow().stopRequested();  // as 中止
  }
}

QPrinter& TMainForm::printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // A report line is long: across the page it prints whole. Margins leave
    // room for the page's heading and number, and for binding.
    printer_->setPageOrientation(QPageLayout::Landscape);
    printer_->setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    settings_->loadPageSetup(*printer_);
  }
  return *printer_;
}

std::string TMainForm::ReadRegistryDefault(const std::string& key) {
  return ReadRegistryDefaultValue(key);
}

void TMainForm::HelpAbout() {
  RunGuarded(dialogs(), [this] {
    if (aboutBox_ != nullptr) aboutBox_->exec();
  });
}

void TMainForm::HelpContents() {
  RunGuarded(dialogs(), [this] {
    if (helpPage_ == nullptr) helpPage_ = new HelpPage(this);
    helpPage_->show();
    helpPage_->raise();
    helpPage_->activateWindow();
  });
}

void TMainForm::ShowHelpTopic(const QString& anchor) {
  HelpContents();
  if (helpPage_ != nullptr) helpPage_->ShowTopic(anchor);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Work under way is stopped first, if the user wants that.
  if (work_ != Work::none) {
    event->ignore();
    if (closingAfterWork_) return;
    if (dialogs().Confirm(WorkUnderWayText() + QStringLiteral("\n\n中止して終了しますか？"))) {
      closingAfterWork_ = true;
      emit progressWindow().stopRequested();  // as 中止
      CloseWhenIdle();
    }
    return;
  }
  closingAfterWork_ = false;
  // The close box, the system menu and 終了 all end here; 終了 has asked.
  const bool mayClose = exitConfirmed_ || MayQuit();
  exitConfirmed_ = false;
  if (!mayClose) {
    event->ignore();
    return;
  }
  RememberWindow();
  event->accept();
}

void TMainForm::CloseWhenIdle() {
  // The stopped work gives the window back from its own event loop, which
  // must be left before the window can close.
  if (work_ != Work::none) {
    QTimer::singleShot(50, this, [this] { CloseWhenIdle(); });
    return;
  }
  close();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (work_ == Work::none && !DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (work_ != Work::none || path.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop is over: the drag's source is not kept waiting
  // while the file is read.
  QTimer::singleShot(0, this, [this, path] { OpenSurveyFile(path); });
}
