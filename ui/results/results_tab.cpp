#include "ui/results/results_tab.h"

#include <QVBoxLayout>

#include "ui/results/results_pane.h"

ResultsTab::ResultsTab(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet3"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  RichEditKekka = new ResultsPane(this);
  RichEditKekka->setObjectName(QStringLiteral("RichEditKekka"));
  RichEditKekka->setMinimumHeight(120);
  layout->addWidget(RichEditKekka);
}
