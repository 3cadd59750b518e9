#include "ui/dialogs/help_page.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char* const kHelpHtml = R"(
<h2>計算結果の見方</h2>
<p>分析変数ごとに、「【変数名】」の行、列の見出しの行、性・年齢階級ごとの行、層の数の行が並びます。
重みを指定したときは、平均・標準偏差・パーセント点はすべて重み付きです。</p>

<h3>列</h3>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>列</th><th>意味</th></tr>
<tr><td>性年齢</td><td>性と年齢階級（男、女、男女）。(再掲) は他の階級と重なる区分です。</td></tr>
<tr><td>人数</td><td>その区分で計算に使えた人の数（分析変数と分類の値がすべて数値の人）。</td></tr>
<tr><td>欠損値人数</td><td>その区分に入るが、分析変数・性・年齢・妊婦授乳婦・抽出単位・重み・層のどれかが数値でない人の数。</td></tr>
<tr><td>平均</td><td>重み付き平均。</td></tr>
<tr><td>標準偏差</td><td>重み付き標準偏差（個人のばらつき）。</td></tr>
<tr><td>標準誤差</td><td>平均の標準誤差。抽出単位を指定すると抽出単位（単位区等）ごとのまとまりを考えた推定、層を指定すると層別の推定です。</td></tr>
<tr><td>最小値、P1～P99、中央値、最大値</td><td>重み付きパーセント点（P50 が中央値）。</td></tr>
<tr><td>95%信頼区間下限・上限</td><td>平均 ∓ t(0.975, 自由度) × 標準誤差（追加した場合）。</td></tr>
<tr><td>変動係数(%)</td><td>100 × 標準誤差 ÷ |平均|。大きいほど平均が不安定です（追加した場合）。</td></tr>
<tr><td>デザイン効果</td><td>標準誤差² × 人数 ÷ 標準偏差²。同じ人数の単純無作為抽出と比べた分散の倍率（追加した場合）。</td></tr>
<tr><td>X未満の割合(%)と標準誤差</td><td>値が基準値 X 未満の人の重み付き割合（カットポイント法）とその標準誤差。基準値は変数ごとに指定できます（追加した場合）。</td></tr>
</table>

<h3>層の数の行</h3>
<p>層の列を指定しないとき、この行の「層の数」は<b>抽出単位の数</b>です（層ではありません）。
抽出単位の列だけを指定した場合、単位区等の一つ一つを層のように数えた数が「層の数：15」のように書かれます。
抽出単位が1つか、指定されていないときは「単純無作為抽出を仮定」と書かれます。
層の列を指定すると、層の数、抽出単位の数、自由度（抽出単位の数 − 層の数）が書かれます。</p>

<h3>空欄のわけ</h3>
<ul>
<li>人数が 0 の区分は、人数と欠損値人数だけが書かれます。</li>
<li>人数が 1 の区分は、標準偏差と標準誤差が空欄です（1人ではばらつきを計算できません）。</li>
<li>追加した列（信頼区間、変動係数など）は、人数が 2 人以上の区分にだけ書かれます。n &lt; 2 の区分では空欄です。</li>
<li>計算できない値（負の重みによる負の分散など）も空欄になります。</li>
</ul>

<h3>男総数が年齢階級の合計より多いわけ</h3>
<p>第１表の区分の「男総数」「女総数」は年齢を問わずその性の全員を数えますが、年齢階級（1～6 歳から 70 歳以上まで）は
1 歳以上 199 歳未満だけを数えます。年齢が 0（空欄を含む）、負、199 以上の人は総数にだけ入り、どの年齢階級にも入りません。
そのため総数が年齢階級の合計より多くなることがあります。
(再掲) の区分は他の年齢階級と重なるので、合計には足しません。
計算のあと、どの年齢階級にも入らない人がいれば、計算結果タブの上にその人数が表示されます。
年齢の列と年齢階級区分（カテゴリー番号の列なのに報告書の区分を選んでいないか）を確かめてください。</p>

<h3>エネルギー調整と比の推定の区分</h3>
<p>「【変数名（エネルギー調整：残差法）】」の区分は、性別ごとにエネルギーへの重み付き回帰の残差に
その性の平均エネルギーでの予測値を加えた値、「【変数名（エネルギー密度：1000kcal当たり）】」の区分は
摂取量 ÷ エネルギー × 1000 を、通常の区分と同じ列で集計したものです。最後の行に方法（残差法では
性別ごとの傾き・切片・平均エネルギー・人数）と調整値のない人数が書かれます。標準誤差は調整値の
線形化によるもので、回帰の当てはめの不確かさを含みません。</p>
<p>「【分子/分母（比の推定）】」の区分（kelvara-tab の --ratio）の「比」は、分子と分母の両方がある人の
重み付き合計の比 Σ重み×分子 ÷ Σ重み×分母 で、標準誤差は線形化によるものです。各人の比の平均とは
別の値です。</p>

<h3>出所の行</h3>
<p>「計算 &gt; 出所の行を付ける」をオンにすると、各変数の前に、データファイル、年齢階級区分、抽出単位、重み、層、
追加した列、日時、プログラムの版を書いた行が入ります。既定ではオフで、計算結果は従来と同じです。</p>
)";

}  // namespace

HelpPage::HelpPage(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HelpPage"));
  setWindowTitle(QStringLiteral("計算結果の見方"));
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpText"));
  browser_->setHtml(QString::fromUtf8(kHelpHtml));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addWidget(buttons);
  resize(640, 560);
}

QString HelpPage::text() const { return browser_->toPlainText(); }
