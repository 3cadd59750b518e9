#include "ui/dialogs/help_page.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/dialogs/help_topics.h"

namespace {

const char* const kIntroduction = R"(
<h2>計算結果の見方</h2>
<p>分析変数ごとに、「【変数名】」の行、列の見出しの行、性・年齢階級ごとの行、層の数の行が並びます。
重みを指定したときは、平均・標準偏差・パーセント点はすべて重み付きです。
計算結果タブで列の見出しや区分の最後の行にマウスを置くと説明が出て、クリックするとこのページのその項目を開きます。</p>
)";

const char* const kClosingSections = R"(
<h3>空欄のわけ</h3>
<ul>
<li>人数が 0 の区分は、人数と欠損値人数だけが書かれます。</li>
<li>人数が 1 の区分は、標準偏差と標準誤差が空欄です（1人ではばらつきを計算できません）。</li>
<li>追加した列（信頼区間、変動係数など）は、人数が 2 人以上の区分にだけ書かれます。n &lt; 2 の区分では空欄です。</li>
<li>計算できない値（負の重みによる負の分散など）も空欄になります。</li>
<li>基準値による判定の割合は、判定した人が 2 人未満の区分では空欄です。判定しなかった人の数と理由は各変数の最後の行にあり、計算結果タブの上にも表示されます。</li>
</ul>

<h3>男総数が年齢階級の合計より多いわけ</h3>
<p>第１表の区分の「男総数」「女総数」は年齢を問わずその性の全員を数えますが、年齢階級（1～6 歳から 70 歳以上まで）は
1 歳以上 199 歳未満だけを数えます。年齢が 0（空欄を含む）、負、199 以上の人は総数にだけ入り、どの年齢階級にも入りません。
そのため総数が年齢階級の合計より多くなることがあります。
(再掲) の区分は他の年齢階級と重なるので、合計には足しません。
計算のあと、どの年齢階級にも入らない人がいれば、計算結果タブの上にその人数が表示されます。
年齢の列と年齢階級区分（カテゴリー番号の列なのに報告書の区分を選んでいないか）を確かめてください。</p>
)";

// The page: the introduction, a paragraph under its anchor for every
// column, then for every kind of block and line, then what puzzles readers.
QString PageHtml() {
  QString html = QString::fromUtf8(kIntroduction);
  bool lines = false;
  html += QStringLiteral("<h3>列</h3>");
  for (const HelpTopic& topic : HelpTopics()) {
    if (!lines && topic.titles.isEmpty() && topic.titlesAfterNumber.isEmpty()) {
      lines = true;
      html += QStringLiteral("<h3>区分と最後の行</h3>");
    }
    html += QStringLiteral("<h4><a name=\"%1\"></a>%2</h4>").arg(topic.anchor, topic.heading.toHtmlEscaped());
    html += topic.html;
  }
  return html + QString::fromUtf8(kClosingSections);
}

}  // namespace

HelpPage::HelpPage(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HelpPage"));
  setWindowTitle(QStringLiteral("計算結果の見方"));
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpText"));
  browser_->setHtml(PageHtml());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addWidget(buttons);
  resize(640, 560);
}

QString HelpPage::text() const { return browser_->toPlainText(); }

void HelpPage::ShowTopic(const QString& anchor) {
  if (anchor.isEmpty()) {
    browser_->moveCursor(QTextCursor::Start);
    return;
  }
  browser_->scrollToAnchor(anchor);
}
