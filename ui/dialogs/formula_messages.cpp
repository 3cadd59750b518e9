#include "ui/dialogs/formula_messages.h"

#include "codec/cp932.h"

namespace {

using Kind = kelvara::FormulaProblem::Kind;

std::optional<std::string> Cp932(const QString& text) {
  return kelvara::Utf8ToCp932(text.toUtf8().toStdString());
}

}  // namespace

QString FormulaProblemText(const kelvara::FormulaProblem& problem) {
  const QString at = QStringLiteral("%1文字目").arg(problem.position + 1);
  const QString text = QString::fromStdString(problem.text);
  switch (problem.kind) {
    case Kind::empty: return QStringLiteral("式が空です。");
    case Kind::tooLong:
      return QStringLiteral("式が長すぎます（%1文字まで）。").arg(kelvara::kFormulaCharacterLimit);
    case Kind::unclosedBrace: return at + QStringLiteral("の「{」に対応する「}」がありません。");
    case Kind::strayBrace: return at + QStringLiteral("の「}」に対応する「{」がありません。");
    case Kind::emptyBrace: return at + QStringLiteral("の「{}」に列の見出しか番号がありません。");
    case Kind::unknownColumn:
      return at +
             QStringLiteral("の「{%1}」という列はありません。列は {見出し} か {番号} で書きます。")
                 .arg(text);
    case Kind::ambiguousColumn:
      return at +
             QStringLiteral("の「{%1}」という見出しの列が複数あります。列の番号で書いてください。")
                 .arg(text);
    case Kind::character: return at + QStringLiteral("の「%1」は式に使えません。").arg(text);
    case Kind::unknownName:
      return at + QStringLiteral(
                      "の「%1」という関数はありません（使えるのは min max abs sqrt log exp）。"
                      "列は {見出し} と書きます。")
                      .arg(text);
    case Kind::comma:
      return at +
             QStringLiteral(
                 "のカンマは関数のかっこの外では使えません（小数点はピリオドで 2.5 と書きます）。");
    case Kind::incomplete: return QStringLiteral("式が%1で途切れています。").arg(at);
    case Kind::unbalanced: return QStringLiteral("かっこの数が合いません（%1）。").arg(at);
    case Kind::arguments:
      return text.isEmpty() ? at + QStringLiteral("で、関数に渡す値の数が違います。")
                            : at + QStringLiteral("の関数「%1」に渡す値の数が違います。").arg(text);
    case Kind::syntax:
      return text.isEmpty() ? at + QStringLiteral("から先が式として読めません。")
                            : at + QStringLiteral("の「%1」はここには書けません。").arg(text);
  }
  return {};
}

QString DerivedDefinitionProblem(const QString& name, const QString& expression,
                                 const QStringList& headerTexts, int othersNamed) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return QStringLiteral("名前を入れてください。");
  if (!Cp932(trimmed)) {
    return QStringLiteral("名前に、シフトJIS（コードページ932）にない文字があります。");
  }
  for (const QChar c : trimmed) {
    if (c == QLatin1Char('"') || c.category() == QChar::Other_Control) {
      return QStringLiteral("名前に「\"」や制御文字は使えません。");
    }
  }
  if (headerTexts.contains(trimmed)) return QStringLiteral("ファイルに同じ名前の列があります。");
  if (othersNamed > 0) return QStringLiteral("同じ名前の計算列がほかにもあります。");
  const std::vector<std::string> header = Utf8Texts(headerTexts);
  const kelvara::CompiledFormula compiled =
      kelvara::CompileFormula(expression.toUtf8().toStdString(), header);
  if (compiled.problem) return FormulaProblemText(*compiled.problem);
  if (!Cp932(expression)) {
    return QStringLiteral("式に、シフトJIS（コードページ932）にない文字があります。");
  }
  return {};
}

std::vector<std::string> Utf8Texts(const QStringList& texts) {
  std::vector<std::string> utf8;
  utf8.reserve(static_cast<size_t>(texts.size()));
  for (const QString& text : texts) utf8.push_back(text.toUtf8().toStdString());
  return utf8;
}
