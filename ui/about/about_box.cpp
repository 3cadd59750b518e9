#include "ui/about/about_box.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "platform/browser_command.h"

namespace {

// The box's fonts, asked for by name. Where they are missing (outside
// Windows) the matching VL Gothic face stands in, for Latin letters too, so
// that a line does not mix two typefaces.
const QStringList kProportionalGothic = {QStringLiteral("ＭＳ Ｐゴシック"),
                                         QStringLiteral("VL PGothic")};
const QStringList kFixedGothic = {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("VL Gothic")};

QFont FontOfPixels(const QStringList& families, int pixels) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixels);
  return font;
}

// A label on the panel at x, y, top-aligned. A width of 0 sizes it to its
// text; otherwise the height grows when the stand-in font needs more room
// than the box was laid out for.
QLabel* AddLabel(QWidget* panel, const char* name, const QString& text, const QFont& font,
                 QRect place, bool wordWrap) {
  auto* label = new QLabel(text, panel);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(wordWrap);
  if (place.width() == 0) {
    label->move(place.topLeft());
    label->adjustSize();
  } else {
    place.setHeight(std::max(place.height(), label->heightForWidth(place.width())));
    label->setGeometry(place);
  }
  return label;
}

// Moves a label sized to its text to the middle of the panel's width.
void CentreAcross(const QWidget* panel, QLabel* label) {
  label->move((panel->width() - label->width()) / 2, label->y());
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent),
      readRegistryDefault_(ReadRegistryDefaultValue),
      launcher_(std::make_shared<DetachedLinkLauncher>()),
      showMessage_([this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        // The address can be selected and copied into a browser by hand.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box.exec();
      }) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(524, 313);
  setFont(FontOfPixels(kProportionalGothic, 12));

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Panel1->setGeometry(9, 8, 505, 241);

  LabelDeveloper = AddLabel(Panel1, "LabelDeveloper", QStringLiteral("開発：Kelvara開発チーム"),
                            FontOfPixels(kProportionalGothic, 15), QRect(121, 64, 0, 0), false);
  CentreAcross(Panel1, LabelDeveloper);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(225, 282, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  // The funding sentence stands whole in one label, the next sentence right
  // under it, so that no blank line splits the paragraph.
  Label1 = AddLabel(Panel1, "Label1",
                    QStringLiteral("本ソフトウェアは、健康・栄養調査の集計手法に関する研究助成の"
                                   "支援を受けて開発されました。"),
                    FontOfPixels(kProportionalGothic, 13), QRect(16, 96, 464, 0), true);
  // Title and version centred one under the other.
  Label2 = AddLabel(Panel1, "Label2", QStringLiteral("Kelvaraソフト"),
                    FontOfPixels(kProportionalGothic, 19), QRect(110, 16, 0, 0), false);
  Label3 = AddLabel(Panel1, "Label3", QStringLiteral("バージョン1.6"),
                    FontOfPixels(kProportionalGothic, 15), QRect(193, 40, 0, 0), false);
  CentreAcross(Panel1, Label2);
  CentreAcross(Panel1, Label3);

  // The address is the label's caption: what it shows is exactly what opens.
  Label4 = AddLabel(Panel1, "Label4", QStringLiteral("https://kelvara.example/download/"),
                    FontOfPixels(kFixedGothic, 13), QRect(12, 213, 469, 13), false);
  QPalette linkColours = Label4->palette();
  linkColours.setColor(QPalette::WindowText, Qt::blue);
  Label4->setPalette(linkColours);
  Label4->setCursor(Qt::PointingHandCursor);
  Label4->installEventFilter(this);

  Label5 = AddLabel(Panel1, "Label5",
                    QStringLiteral("本ソフトウェアは無償で利用・再配布できます。"
                                   "最新版は下記のURLにあります。\n"
                                   "（URLをダブルクリックするとブラウザで開きます）"),
                    font(), QRect(16, 169, 469, 36), true);
  Label6 = AddLabel(Panel1, "Label6",
                    QStringLiteral("重み付き平均、分位点、標準誤差などの集計にご利用ください。"),
                    FontOfPixels(kProportionalGothic, 13),
                    QRect(16, Label1->geometry().bottom() + 1, 460, 0), true);
}

void TAboutBox::SetRegistryReader(RegistryReader reader) {
  readRegistryDefault_ = std::move(reader);
}

void TAboutBox::SetLinkLauncher(std::shared_ptr<LinkLauncher> launcher) {
  launcher_ = std::move(launcher);
}

void TAboutBox::SetMessageDisplay(MessageDisplay display) { showMessage_ = std::move(display); }

void TAboutBox::Label4DblClick() {
  // The whole command is used, however long: cutting it short would start a
  // truncated path.
  const std::string command = readRegistryDefault_(kWebLinkCommandKey);
  const std::string program = BrowserProgram(command);
  const std::string address = Label4->text().toStdString();
  // No browser program known: the desktop may still open the address. When
  // nothing can, the user gets the address to open by hand.
  const bool opened =
      program.empty() ? launcher_->OpenWithDesktop(address) : launcher_->Start(program, address);
  if (!opened) {
    showMessage_(QStringLiteral("ブラウザを起動できませんでした。\n"
                                "次のアドレスをコピーして、ブラウザで開いてください。\n\n") +
                 Label4->text());
  }
}

void TAboutBox::setVisible(bool visible) {
  // Centred on the screen, not over the main window.
  if (visible) {
    const QScreen* shownOn = parentWidget() ? parentWidget()->screen() : screen();
    if (shownOn) move(shownOn->availableGeometry().center() - rect().center());
  }
  QDialog::setVisible(visible);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label4 && event->type() == QEvent::MouseButtonDblClick) {
    Label4DblClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
