#include "ui/results/results_tab.h"

#include <QVBoxLayout>

#include "ui/results/results_pane.h"
#include "ui/window/notice_bar.h"

ResultsTab::ResultsTab(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet3"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  notice_ = new NoticeBar(this);
  notice_->setObjectName(QStringLiteral("NoticeRun"));
  layout->addWidget(notice_);
  RichEditKekka = new ResultsPane(this);
  RichEditKekka->setObjectName(QStringLiteral("RichEditKekka"));
  RichEditKekka->setMinimumHeight(120);
  layout->addWidget(RichEditKekka);
}
