// The command that chooses the sampling design's strata and the design-based
// figures added to the report.
#include "ui/window/main_window.h"
#include "ui/dialogs/design_options_dialog.h"
#include "ui/window/handler_guard.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/window_settings.h"

void TMainForm::ChooseDesignOptions() {
  RunGuarded(dialogs(), [this] {
    DesignOptionsDialog dialog(TabSheet2->columnLabels(), TabSheet2->designOptions(), this,
                               TabSheet2->headerTexts());
    dialog.SetVariables(TabSheet2->tickedColumns());
    dialog.SetPersons(TabSheet2->personsOfClass());
    if (!dialogs().ExecuteDialog(dialog)) return;
    TabSheet2->setDesignOptions(dialog.options());
    settings_->setDesign(dialog.options());
    RememberChoices();
  });
}
