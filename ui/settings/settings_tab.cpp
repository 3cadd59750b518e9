#include "ui/settings/settings_tab.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "engine/cut_off.h"
#include "engine/report/report_format.h"
#include "engine/statistics/reference_judgement.h"
#include "ui/settings/scheme_choice.h"
#include "ui/window/display_text.h"
#include "ui/window/file_path.h"
#include "ui/window/notice_bar.h"
#include "ui/settings/radio_group.h"
#include "ui/settings/survey_contents.h"
#include "ui/settings/survey_grid_model.h"
#include "ui/settings/variable_check_list.h"

namespace {

const QString kNoColumn = QStringLiteral("(なし)");

// The grid's size before any file is loaded: 256 columns and rows with the
// heading column and row.
constexpr int kDesignGridSize = 256;
constexpr int kSelectorPanelHeight = 279;
constexpr int kFileStripHeight = 32;
constexpr int kSelectorWidth = 169;
constexpr int kLabelColumnWidth = 44;
// The grid keeps room for its heading and a few rows however small the
// window is made.
constexpr int kGridMinimumHeight = 22 * 4;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* Selector(const char* name) {
  auto* box = Named(new QComboBox, name);
  box->setMinimumWidth(kSelectorWidth);
  // The box keeps its width however long the labels of a file are.
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return box;
}

// A group box holding one selector, indented as the classification rows are.
QGroupBox* SelectorBox(const char* name, const QString& title, QComboBox* selector,
                       int labelColumnWidth) {
  auto* box = Named(new QGroupBox(title), name);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(labelColumnWidth + 12, 6, 14, 8);
  layout->addWidget(selector);
  return box;
}

// The column a selector names: its position minus one ("(なし)" gives -1,
// nothing chosen -2).
int PositionToColumn(int position) { return position < 0 ? -2 : position - 1; }

QString ColumnLabel(int column, const QString& header) {
  return QString::number(column + 1) + QLatin1Char('.') + header;
}

const QString kComputedMark = QStringLiteral("（計算）");

// A completion list closes on a click outside it and keeps the click, so
// the first press on 計算実行 after typing a weight did nothing. The click
// goes on to the button it was meant for.
class ClickThroughPopup : public QObject {
 public:
  // `field` is the box whose completion list this watches.
  explicit ClickThroughPopup(QWidget* field) : QObject(field), field_(field) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* popup = qobject_cast<QWidget*>(watched);
    if (popup == nullptr || event->type() != QEvent::MouseButtonPress) return false;
    const auto* press = static_cast<QMouseEvent*>(event);
    const QPoint at = press->globalPosition().toPoint();
    if (popup->rect().contains(popup->mapFromGlobal(at))) return false;
    popup->hide();
    // The button under the press in the field's own window.
    QWidget* window = field_->window();
    auto* button = qobject_cast<QAbstractButton*>(window->childAt(window->mapFromGlobal(at)));
    if (button != nullptr && button->isEnabled()) {
      QTimer::singleShot(0, button, [button] { button->click(); });
    }
    return true;
  }

 private:
  QWidget* field_;
};

}  // namespace

SettingsTab::SettingsTab(QWidget* parent) : QWidget(parent), gridModel_(new SurveyGridModel(this)) {
  setObjectName(QStringLiteral("TabSheet2"));
  auto* tabLayout = new QVBoxLayout(this);
  tabLayout->setContentsMargins(0, 0, 0, 0);
  tabLayout->setSpacing(0);

  // Upper area: the file strip over the grid; it takes up any change of the
  // window's size.
  Panel2 = Named(new QFrame, "Panel2");
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* upperLayout = new QVBoxLayout(Panel2);
  upperLayout->setContentsMargins(1, 1, 1, 1);
  upperLayout->setSpacing(0);
  CreateFileStrip(Panel2);

  StringGridDietFile = Named(new QTableView, "StringGridDietFile");
  StringGridDietFile->setModel(gridModel_);
  gridModel_->Reset(kDesignGridSize - 1, kDesignGridSize - 1, false);
  StringGridDietFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGridDietFile->setShowGrid(true);
  StringGridDietFile->setWordWrap(false);
  StringGridDietFile->setFocusPolicy(Qt::ClickFocus);
  StringGridDietFile->setMinimumHeight(kGridMinimumHeight);
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

  notice_ = Named(new NoticeBar, "NoticeChoices");
  tabLayout->addWidget(notice_);
  CreateSelectorPanel();
  tabLayout->addWidget(Panel3);

  connect(Button1, &QPushButton::clicked, this, &SettingsTab::openClicked);
  connect(ButtonRun, &QPushButton::clicked, this, &SettingsTab::runClicked);
}

void SettingsTab::CreateFileStrip(QFrame* upper) {
  Panel1 = Named(new QFrame, "Panel1");
  Panel1->setFixedHeight(kFileStripHeight);
  auto* strip = new QHBoxLayout(Panel1);
  strip->setContentsMargins(9, 3, 6, 3);
  strip->setSpacing(0);
  Label6 = Named(new QLabel(QStringLiteral("健康・栄養調査データ")), "Label6");
  strip->addWidget(Label6);
  strip->addSpacing(12);
  Button1 = Named(new QPushButton(QStringLiteral("開く")), "Button1");
  Button1->setMinimumSize(49, 25);
  strip->addWidget(Button1);
  strip->addSpacing(16);
  // The box reaches the window's right edge; a path longer than that is cut
  // inside the box, whose border stays drawn, and shows whole as its tooltip.
  PanelDietFileName = Named(new QLabel, "PanelDietFileName");
  PanelDietFileName->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  PanelDietFileName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PanelDietFileName->setBackgroundRole(QPalette::Base);
  PanelDietFileName->setAutoFillBackground(true);
  PanelDietFileName->setFixedHeight(22);
  PanelDietFileName->setMinimumWidth(120);
  PanelDietFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  strip->addWidget(PanelDietFileName, 1);
  upper->layout()->addWidget(Panel1);
}

void SettingsTab::CreateSelectorPanel() {
  Panel3 = Named(new QFrame(this), "Panel3");
  auto* panel = new QHBoxLayout(Panel3);
  panel->setContentsMargins(8, 10, 8, 8);
  panel->setSpacing(15);

  // Left: sampling unit, weight, classification variables. The labels'
  // column is wide enough for 妊婦1・授乳婦2 on one line.
  const int labelColumnWidth =
      std::max(kLabelColumnWidth,
               fontMetrics().horizontalAdvance(QStringLiteral("妊婦1・授乳婦2")) + 10);
  ComboBoxID1 = Selector("ComboBoxID1");
  GroupBox1 = SelectorBox("GroupBox1", QStringLiteral("抽出単位（単位区等）"), ComboBoxID1,
                          labelColumnWidth);
  ComboBoxWeight = Selector("ComboBoxWeight");
  ComboBoxWeight->setEditable(true);
  // Typed text never becomes a list entry: it names a column or is refused.
  ComboBoxWeight->setInsertPolicy(QComboBox::NoInsert);
  // Completion offers every entry holding what was typed: "5" offers
  // 5.エネルギー, "重" offers 6.重み.
  auto* completer = new QCompleter(ComboBoxWeight->model(), ComboBoxWeight);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);
  completer->setCompletionMode(QCompleter::PopupCompletion);
  ComboBoxWeight->setCompleter(completer);
  completer->popup()->installEventFilter(new ClickThroughPopup(ComboBoxWeight));
  GroupBox4 = SelectorBox("GroupBox4", QStringLiteral("重み（サンプリング・ウエイト）"), ComboBoxWeight,
                         labelColumnWidth);

  GroupBox3 = Named(new QGroupBox(QStringLiteral("分類変数（性/年齢/妊婦・授乳婦）")), "GroupBox3");
  auto* classification = new QGridLayout(GroupBox3);
  classification->setContentsMargins(12, 6, 14, 8);
  classification->setHorizontalSpacing(0);
  classification->setVerticalSpacing(6);
  classification->setColumnMinimumWidth(0, labelColumnWidth);
  Label7 = Named(new QLabel(QStringLiteral("性別")), "Label7");
  Label8 = Named(new QLabel(QStringLiteral("年齢")), "Label8");
  Label9 = Named(new QLabel(QStringLiteral("妊婦1・")), "Label9");
  Label2 = Named(new QLabel(QStringLiteral("授乳婦2")), "Label2");
  ComboBoxBunrui1 = Selector("ComboBoxBunrui1");
  ComboBoxBunrui2 = Selector("ComboBoxBunrui2");
  ComboBoxBunrui3 = Selector("ComboBoxBunrui3");
  Label7->setBuddy(ComboBoxBunrui1);
  Label8->setBuddy(ComboBoxBunrui2);
  Label9->setBuddy(ComboBoxBunrui3);
  auto* pregnancyLabel = new QHBoxLayout;
  pregnancyLabel->setSpacing(0);
  pregnancyLabel->addWidget(Label9);
  pregnancyLabel->addWidget(Label2);
  classification->addWidget(Label7, 0, 0);
  classification->addWidget(ComboBoxBunrui1, 0, 1);
  classification->addWidget(Label8, 1, 0);
  classification->addWidget(ComboBoxBunrui2, 1, 1);
  classification->addLayout(pregnancyLabel, 2, 0);
  classification->addWidget(ComboBoxBunrui3, 2, 1);
  // The selectors give up what the labels' column gained, so that the panel
  // is no wider than before.
  for (QComboBox* selector :
       {ComboBoxID1, ComboBoxWeight, ComboBoxBunrui1, ComboBoxBunrui2, ComboBoxBunrui3}) {
    selector->setMinimumWidth(kSelectorWidth - (labelColumnWidth - kLabelColumnWidth));
  }

  auto* left = new QVBoxLayout;
  left->setSpacing(7);
  left->addWidget(GroupBox1);
  left->addWidget(GroupBox4);
  left->addWidget(GroupBox3);
  left->addStretch(1);
  panel->addLayout(left);

  // Middle: the analysis variables, which take any width the window gains,
  // so that long names read whole.
  GroupBox2 = Named(new QGroupBox(QStringLiteral("分析変数（栄養素等）")), "GroupBox2");
  auto* variables = new QVBoxLayout(GroupBox2);
  variables->setContentsMargins(16, 6, 16, 12);
  CheckListEiyoso = Named(new VariableCheckList, "CheckListEiyoso");
  CheckListEiyoso->setMinimumSize(177, 96);
  CheckListEiyoso->setToolTip(QStringLiteral("Shift を押しながらクリックすると、前にクリックした変数からここまでをまとめて選べます。"));
  variables->addWidget(CheckListEiyoso);
  auto* tickAll = Named(new QPushButton(QStringLiteral("すべて選択")), "ButtonTickAll");
  auto* tickNone = Named(new QPushButton(QStringLiteral("すべて解除")), "ButtonTickNone");
  auto* tickButtons = new QHBoxLayout;
  tickButtons->addWidget(tickAll);
  tickButtons->addWidget(tickNone);
  tickButtons->addStretch(1);
  variables->addLayout(tickButtons);
  tickAll->setToolTip(QStringLiteral("抽出単位・重み・性別・年齢・妊婦授乳婦・層・個人IDに選んだ列を除く、すべての変数を選びます。"));
  connect(tickAll, &QPushButton::clicked, this, &SettingsTab::TickEveryVariable);
  connect(tickNone, &QPushButton::clicked, this, [this] { CheckListEiyoso->SetAllChecked(false); });
  panel->addWidget(GroupBox2, 1);

  // Right: the age-group scheme, then the run button.
  RadioGroupFormat = new TRadioGroup(QStringLiteral("年齢階級区分"),
                                     {QStringLiteral("NHNS報告書　第１表の区分"),
                                      QStringLiteral("NHNS報告書　第２表の区分"),
                                      QStringLiteral("NHNS報告書　第５部の区分"),
                                      QStringLiteral("カテゴリー番号1,2,3,...,10")});
  Named(RadioGroupFormat, "RadioGroupFormat");
  RadioGroupFormat->setItemIndex(0);
  ButtonRun = Named(new QPushButton(QStringLiteral("計算実行")), "ButtonRun");
  ButtonRun->setMinimumSize(121, 25);
  auto* right = new QVBoxLayout;
  right->setSpacing(7);
  right->addWidget(RadioGroupFormat);
  // The button stands at a fixed distance under the schemes: the note that
  // appears under it does not move it.
  right->addSpacing(12);
  LabelDesignOptions = Named(new QLabel, "LabelDesignOptions");
  LabelDesignOptions->setWordWrap(true);
  LabelDesignOptions->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QFont noteFont = LabelDesignOptions->font();
  noteFont.setBold(true);
  LabelDesignOptions->setFont(noteFont);
  LabelDesignOptions->setMaximumWidth(RadioGroupFormat->sizeHint().width());
  LabelDesignOptions->hide();
  auto* runArea = new QVBoxLayout;
  runArea->addWidget(ButtonRun, 0, Qt::AlignHCenter);
  runArea->addWidget(LabelDesignOptions);
  right->addLayout(runArea);
  right->addStretch(1);
  panel->addLayout(right);

  // As high as its controls need in the window's font, and never lower than
  // the panel was laid out at 96 dpi; the grid above takes the rest.
  Panel3->setMinimumHeight(kSelectorPanelHeight);
  Panel3->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  // Tab order as the panel reads: the left column top to bottom, the
  // variables, the age groups, then the run button.
  QWidget::setTabOrder(Button1, ComboBoxID1);
  QWidget::setTabOrder(ComboBoxID1, ComboBoxWeight);
  QWidget::setTabOrder(ComboBoxWeight, ComboBoxBunrui1);
  QWidget::setTabOrder(ComboBoxBunrui1, ComboBoxBunrui2);
  QWidget::setTabOrder(ComboBoxBunrui2, ComboBoxBunrui3);
  QWidget::setTabOrder(ComboBoxBunrui3, CheckListEiyoso);
  QWidget* previous = CheckListEiyoso;
  for (QWidget* item : RadioGroupFormat->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (item->focusPolicy() == Qt::NoFocus) continue;
    QWidget::setTabOrder(previous, item);
    previous = item;
  }
  QWidget::setTabOrder(previous, ButtonRun);
}

void SettingsTab::ShowSurvey(const QString& path, SurveyContents contents) {
  header_ = std::move(contents.header);
  headerTexts_.clear();
  QStringList labels;
  for (size_t c = 0; c < header_.size(); ++c) {
    headerTexts_.append(DisplayText(header_[c], contents.encoding));
    labels.append(ColumnLabel(static_cast<int>(c), headerTexts_.back()));
  }
  surveyPath_ = path;
  PanelDietFileName->setText(ShownPath(path));
  PanelDietFileName->setToolTip(ShownPath(path));
  gridModel_->Show(labels, contents.columnCount, std::move(contents.cells), contents.cellEncoding);
  FitColumnsToHeadings();

  for (QComboBox* selector :
       {ComboBoxID1, ComboBoxWeight, ComboBoxBunrui1, ComboBoxBunrui2, ComboBoxBunrui3}) {
    selector->clear();
    selector->addItem(kNoColumn);
    selector->addItems(labels);
  }
  ComboBoxWeight->clearEditText();
  CheckListEiyoso->SetItems(labels);
  derived_.clear();
  SelectNoColumn();
  // Like the selectors, the strata column and the variables' own cut-offs
  // name columns of the file shown.
  design_.strataColumn = -1;
  design_.usual.personColumn = -1;
  design_.energyAdjustment.energyColumn = -1;
  design_.shareBelowByColumn.clear();
  std::erase_if(design_.usual.ratios, [](const kelvara::VarianceRatio& given) { return given.column >= 0; });
  ShowDesignOptions();
}

void SettingsTab::FitColumnsToHeadings() {
  // Columns start wide enough for their heading, so that a label such as
  // "6.エネルギー" reads whole; the user can still change every width.
  constexpr int kNarrowest = 64;
  constexpr int kWidest = 240;
  QHeaderView* heading = StringGridDietFile->horizontalHeader();
  for (int c = 0; c < gridModel_->columnCount(); ++c) {
    heading->resizeSection(c, std::clamp(heading->sectionSizeHint(c), kNarrowest, kWidest));
  }
}

void SettingsTab::SelectNoColumn() {
  for (QComboBox* selector :
       {ComboBoxID1, ComboBoxWeight, ComboBoxBunrui1, ComboBoxBunrui2, ComboBoxBunrui3}) {
    selector->setCurrentIndex(selector->count() > 0 ? 0 : -1);
  }
}

int SettingsTab::ColumnOf(const QComboBox* selector) {
  return PositionToColumn(selector->currentIndex());
}

int SettingsTab::unitColumn() const { return ColumnOf(ComboBoxID1); }
int SettingsTab::sexColumn() const { return ColumnOf(ComboBoxBunrui1); }
int SettingsTab::ageColumn() const { return ColumnOf(ComboBoxBunrui2); }
int SettingsTab::pregnancyColumn() const { return ColumnOf(ComboBoxBunrui3); }

QString SettingsTab::weightText() const { return ComboBoxWeight->currentText(); }

std::optional<int> SettingsTab::WeightPosition() const {
  const QString text = ComboBoxWeight->currentText().trimmed();
  bool isNumber = false;
  const int number = text.toInt(&isNumber);
  if (text.isEmpty()) return 0;  // a cleared field: no weight
  if (const int entry = ComboBoxWeight->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
      entry >= 0) {
    return entry;
  }
  if (isNumber && number >= 1 && number < ComboBoxWeight->count()) return number;
  if (const int column = ColumnOfHeader(text); column >= 0) return column + 1;
  return std::nullopt;
}

std::optional<int> SettingsTab::weightColumn() {
  const std::optional<int> position = WeightPosition();
  if (!position) return std::nullopt;
  if (ComboBoxWeight->count() > 0) ComboBoxWeight->setCurrentIndex(*position);
  return *position - 1;
}

void SettingsTab::TickEveryVariable() {
  // The columns that classify or weight the persons are no analysis variables.
  std::vector<int> roles = {unitColumn(), sexColumn(), ageColumn(), pregnancyColumn(),
                            design_.strataColumn, design_.usual.personColumn};
  if (const std::optional<int> weight = WeightPosition()) roles.push_back(*weight - 1);
  CheckListEiyoso->SetAllChecked(true, roles);
}

std::vector<int> SettingsTab::tickedColumns() const {
  std::vector<int> columns;
  for (int k = 0; k < CheckListEiyoso->count(); ++k) {
    if (CheckListEiyoso->item(k)->checkState() == Qt::Checked) columns.push_back(k);
  }
  return columns;
}

std::vector<int64_t> SettingsTab::personsOfClass() const {
  const int sex = sexColumn(), age = ageColumn(), pregnancy = pregnancyColumn();
  if (sex < 0 || age < 0 || pregnancy < 0) return {};
  std::vector<int64_t> persons(kelvara::kPersonClasses, 0);
  for (int row = 0; row < gridModel_->rowCount(); ++row) {
    const std::optional<uint16_t> personClass = kelvara::PersonClassOfCells(
        gridModel_->CellBytes(row, sex), gridModel_->CellBytes(row, age),
        gridModel_->CellBytes(row, pregnancy));
    if (personClass) ++persons[*personClass];
  }
  return persons;
}

kelvara::SchemeId SettingsTab::scheme() const {
  return SchemeForItemIndex(RadioGroupFormat->itemIndex());
}

void SettingsTab::setScheme(kelvara::SchemeId scheme) {
  for (int item = 0; item < RadioGroupFormat->itemCount(); ++item) {
    if (SchemeForItemIndex(item) == scheme) RadioGroupFormat->setItemIndex(item);
  }
}

QString SettingsTab::schemeCaption() const {
  const auto buttons = RadioGroupFormat->findChildren<QRadioButton*>();
  for (const QRadioButton* button : buttons) {
    if (button->isChecked()) return button->text();
  }
  return {};
}

QString SettingsTab::columnLabel(int column) const {
  if (column >= columnCount()) return kComputedMark + headerText(column);
  return ColumnLabel(column, headerText(column));
}

QString SettingsTab::headerText(int column) const {
  if (column >= columnCount() && column - columnCount() < static_cast<int>(derived_.size())) {
    return QString::fromStdString(derived_[static_cast<size_t>(column - columnCount())].name);
  }
  return column >= 0 && column < headerTexts_.size() ? headerTexts_[column] : QString();
}

void SettingsTab::setDerivedVariables(std::vector<kelvara::DerivedDefinition> derived) {
  QStringList ticked;
  for (int column = columnCount(); column < CheckListEiyoso->count(); ++column) {
    if (CheckListEiyoso->item(column)->checkState() == Qt::Checked) ticked.append(headerText(column));
  }
  while (CheckListEiyoso->count() > columnCount()) {
    delete CheckListEiyoso->takeItem(CheckListEiyoso->count() - 1);
  }
  derived_ = std::move(derived);
  for (const kelvara::DerivedDefinition& definition : derived_) {
    const QString name = QString::fromStdString(definition.name);
    auto* item = new QListWidgetItem(kComputedMark + name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked.contains(name) ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(QStringLiteral("計算式：") + QString::fromStdString(definition.expression));
    CheckListEiyoso->addItem(item);
  }
}

void SettingsTab::tickVariable(const QString& name) {
  for (int column = 0; column < CheckListEiyoso->count(); ++column) {
    if (headerText(column) == name) CheckListEiyoso->item(column)->setCheckState(Qt::Checked);
  }
}

const std::string& SettingsTab::headerBytes(int column) const {
  static const std::string kNone;
  return column >= 0 && static_cast<size_t>(column) < header_.size()
             ? header_[static_cast<size_t>(column)]
             : kNone;
}

int SettingsTab::ColumnOfHeader(const QString& text) const {
  if (text.isEmpty()) return -1;
  const int first = static_cast<int>(headerTexts_.indexOf(text));
  if (first < 0 || headerTexts_.indexOf(text, first + 1) >= 0) return -1;  // none, or not one
  return first;
}

ColumnChoices SettingsTab::choices() const {
  ColumnChoices choices;
  choices.unit = headerText(unitColumn());
  choices.sex = headerText(sexColumn());
  choices.age = headerText(ageColumn());
  choices.pregnancy = headerText(pregnancyColumn());
  choices.weight = headerText(ColumnOf(ComboBoxWeight));
  choices.strata = headerText(design_.strataColumn);
  choices.person = headerText(design_.usual.personColumn);
  choices.energy = headerText(design_.energyAdjustment.energyColumn);
  for (int column : tickedColumns()) choices.variables.append(headerText(column));
  for (const auto& [column, cutOff] : design_.shareBelowByColumn) {
    choices.cutOffs.append(QString::number(cutOff, 'g', 17) + QLatin1Char('=') + headerText(column));
  }
  for (const kelvara::VarianceRatio& given : design_.usual.ratios) {
    if (given.column < 0) continue;
    const QString age = std::isnan(given.age) ? QString() : QString::number(given.age, 'g', 17);
    choices.varianceRatios.append(QStringLiteral("%1,%2,%3=%4").arg(QString::number(given.ratio, 'g', 17))
                                      .arg(given.sex).arg(age, headerText(given.column)));
  }
  return choices;
}

QStringList SettingsTab::applyChoices(const ColumnChoices& choices) {
  QStringList missed;
  const auto find = [&](const QString& role, const QString& text) {
    if (text.isEmpty()) return -1;
    const int column = ColumnOfHeader(text);
    if (column < 0) missed.append(role + QStringLiteral("「") + text + QStringLiteral("」"));
    return column;
  };
  const auto choose = [&](QComboBox* selector, const QString& role, const QString& text) {
    const int column = find(role, text);
    if (column >= 0) selector->setCurrentIndex(column + 1);
  };
  choose(ComboBoxID1, QStringLiteral("抽出単位"), choices.unit);
  choose(ComboBoxWeight, QStringLiteral("重み"), choices.weight);
  choose(ComboBoxBunrui1, QStringLiteral("性別"), choices.sex);
  choose(ComboBoxBunrui2, QStringLiteral("年齢"), choices.age);
  choose(ComboBoxBunrui3, QStringLiteral("妊婦・授乳婦"), choices.pregnancy);
  if (const int person = find(QStringLiteral("個人ID"), choices.person); person >= 0) {
    design_.usual.personColumn = person;
    ShowDesignOptions();
  }
  if (const int energy = find(QStringLiteral("エネルギー"), choices.energy); energy >= 0) {
    design_.energyAdjustment.energyColumn = energy;
  }
  if (const int strata = find(QStringLiteral("層"), choices.strata); strata >= 0) {
    design_.strataColumn = strata;
    ShowDesignOptions();
  }
  for (const QString& text : choices.variables) {
    // A computed variable of the file is ticked by its name.
    const auto computed = std::find_if(derived_.begin(), derived_.end(), [&](const auto& d) {
      return QString::fromStdString(d.name) == text;
    });
    if (computed != derived_.end()) {
      CheckListEiyoso->item(columnCount() + static_cast<int>(computed - derived_.begin()))
          ->setCheckState(Qt::Checked);
      continue;
    }
    const int column = find(QStringLiteral("分析変数"), text);
    if (column >= 0) CheckListEiyoso->item(column)->setCheckState(Qt::Checked);
  }
  for (const QString& entry : choices.cutOffs) {
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    bool number = false;
    const double cutOff = entry.left(equals).toDouble(&number);
    if (equals < 0 || !number) continue;
    const int column = find(QStringLiteral("基準値の変数"), entry.mid(equals + 1));
    if (column >= 0) design_.shareBelowByColumn[column] = cutOff;
  }
  for (const QString& entry : choices.varianceRatios) {
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    const QStringList fields = entry.left(equals).split(QLatin1Char(','));
    if (equals < 0 || fields.size() != 3) continue;
    const std::optional<double> ratio = kelvara::ParseCutOff(fields[0].toStdString());
    const std::optional<double> age = kelvara::ParseCutOff(fields[2].toStdString());
    const int sex = fields[1].toInt();
    if (!ratio || *ratio < 0 || sex < 0 || sex > 2 || (!age && !fields[2].isEmpty())) continue;
    const int column = find(QStringLiteral("分散比の変数"), entry.mid(equals + 1));
    if (column < 0) continue;
    kelvara::VarianceRatio given{column, *ratio, sex};
    if (age) given.age = *age;
    design_.usual.ratios.push_back(given);
  }
  ShowDesignOptions();
  return missed;
}

QStringList SettingsTab::columnLabels() const {
  QStringList labels;
  for (int column = 0; column < headerTexts_.size(); ++column) labels.append(columnLabel(column));
  return labels;
}

void SettingsTab::setDesignOptions(const kelvara::DesignOptions& design) {
  design_ = design;
  ShowDesignOptions();
}

void SettingsTab::ShowDesignOptions() {
  QStringList chosen;
  if (design_.strataColumn >= 0) {
    chosen.append(QStringLiteral("層（%1）").arg(columnLabel(design_.strataColumn)));
  }
  if (design_.confidenceInterval) chosen.append(QStringLiteral("95%信頼区間"));
  if (design_.coefficientOfVariation) chosen.append(QStringLiteral("変動係数"));
  if (design_.designEffect) chosen.append(QStringLiteral("デザイン効果"));
  if (design_.shareBelow) {
    chosen.append(QString::fromStdString(kelvara::FormatNumber(*design_.shareBelow)) +
                  QStringLiteral("未満の割合"));
  }
  for (const auto& [column, cutOff] : design_.shareBelowByColumn) {
    chosen.append(headerText(column) + QLatin1Char(' ') +
                  QString::fromStdString(kelvara::FormatNumber(cutOff)) + QStringLiteral("未満"));
  }
  if (design_.usual.personColumn >= 0) {
    chosen.append(QStringLiteral("個人ID（%1）").arg(columnLabel(design_.usual.personColumn)));
  }
  if (design_.usual.enabled) {
    const int replicates = design_.usual.bootstrapReplicates;
    chosen.append(replicates >= 2 ? QStringLiteral("習慣的摂取量（ブートストラップ%1回）").arg(replicates)
                                  : QStringLiteral("習慣的摂取量"));
  }
  if (design_.medianInterval) chosen.append(QStringLiteral("中央値の95%信頼区間"));
  if (design_.energyAdjustment.enabled() && design_.energyAdjustment.energyColumn >= 0) {
    chosen.append(QStringLiteral("%1（%2）")
                      .arg(design_.energyAdjustment.method == kelvara::EnergyAdjustmentMethod::residual
                               ? QStringLiteral("エネルギー調整：残差法")
                               : QStringLiteral("エネルギー密度"),
                           columnLabel(design_.energyAdjustment.energyColumn)));
  }
  if (design_.reference) {
    chosen.append(QStringLiteral("基準値（%1）")
                      .arg(DisplayText(design_.reference->table.title)));
  }
  // One line a figure, so that none is broken across lines.
  LabelDesignOptions->setText(QStringLiteral("指定中：\n") + chosen.join(QLatin1Char('\n')));
  LabelDesignOptions->setVisible(!chosen.isEmpty());
}
