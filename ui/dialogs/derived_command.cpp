// The commands of the computed variables: the 計算列 dialog, and the energy
// ratios added in one step.
#include "expression/energy_balance.h"
#include "ui/dialogs/derived_variables_dialog.h"
#include "ui/dialogs/formula_messages.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/handler_guard.h"
#include "ui/window/main_window.h"
#include "ui/window/notice_bar.h"

namespace {

const QString kNoSurvey = QStringLiteral(
    "健康・栄養調査データが開かれていません. "
    "「開く」でファイルを選んでください.");

// Why the computed variables cannot be defined now, or nothing.
QString Refusal(const SettingsTab& settings) {
  if (!settings.hasSurvey()) return kNoSurvey;
  return {};
}

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The header texts a part is known by, for a message: 「エネルギー」「熱量」.
QString Aliases(kelvara::EnergyPart part) {
  QString aliases;
  for (std::string_view alias : kelvara::EnergyPartAliases(part)) {
    aliases += QStringLiteral("「") + Text(alias) + QStringLiteral("」");
  }
  return aliases;
}

}  // namespace

void TMainForm::ChooseDerivedVariables() {
  RunGuarded(dialogs(), [this] {
    if (const QString refusal = Refusal(*TabSheet2); !refusal.isEmpty()) {
      dialogs().ShowError(refusal);
      return;
    }
    DerivedVariablesDialog dialog(TabSheet2->columnLabels(), TabSheet2->headerTexts(),
                                  TabSheet2->derivedVariables(), this);
    if (!dialogs().ExecuteDialog(dialog)) return;
    TabSheet2->setDerivedVariables(dialog.definitions());
    RememberChoices();
  });
}

void TMainForm::AddEnergyBalance() {
  RunGuarded(dialogs(), [this] {
    if (const QString refusal = Refusal(*TabSheet2); !refusal.isEmpty()) {
      dialogs().ShowError(refusal);
      return;
    }
    const kelvara::EnergyBalance plan =
        kelvara::PlanEnergyBalance(Utf8Texts(TabSheet2->headerTexts()), {-1, -1, -1, -1});
    QStringList lacking;
    QString notes;
    for (size_t p = 0; p < kelvara::kEnergyParts; ++p) {
      const auto part = static_cast<kelvara::EnergyPart>(p);
      const kelvara::EnergyColumn& found = plan.columns[p];
      if (found.found == kelvara::EnergyColumn::Found::column) continue;
      const QString why = found.found == kelvara::EnergyColumn::Found::several
                              ? Aliases(part) + QStringLiteral("に当たる列が複数あります")
                              : Aliases(part) + QStringLiteral("の列がありません");
      if (part == kelvara::EnergyPart::saturatedFat) {
        notes += QStringLiteral("飽和脂肪酸エネルギー比率は加えていません（") + why +
                 QStringLiteral("）。");
      } else {
        lacking.append(why);
      }
    }
    if (!lacking.isEmpty()) {
      dialogs().ShowError(
          QStringLiteral("エネルギー産生栄養素バランスには、エネルギー（kcal）・たんぱく質（g）・脂"
                         "質（g）の列が必要ですが、") +
          lacking.join(QStringLiteral("。")) +
          QStringLiteral(".\n\n計算 > 計算列 で、列を選んで式を書くこともできます."));
      return;
    }
    for (const std::string& column : plan.heldByFile) {
      notes += QStringLiteral(
                   "ファイルに「%"
                   "1」の列があるので、その比率は計算列に加えず、その列をそのまま使います。")
                   .arg(Text(column));
    }
    // The ratios take the place of computed variables of their names.
    std::vector<kelvara::DerivedDefinition> derived = TabSheet2->derivedVariables();
    for (const kelvara::DerivedDefinition& ratio : plan.definitions) {
      std::erase_if(derived, [&](const auto& d) { return d.name == ratio.name; });
    }
    derived.insert(derived.end(), plan.definitions.begin(), plan.definitions.end());
    TabSheet2->setDerivedVariables(std::move(derived));
    for (const kelvara::DerivedDefinition& ratio : plan.definitions) {
      TabSheet2->tickVariable(Text(ratio.name));
    }
    TabSheet2->notice().Show(notes);
    RememberChoices();
  });
}
