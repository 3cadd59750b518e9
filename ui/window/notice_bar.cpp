#include "ui/window/notice_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
  // The colour of a note on paper: noticed, but no alarm.
  setStyleSheet(QStringLiteral("NoticeBar { background: #fff4c2; border: 1px solid #d9b64c; }"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 4, 4, 4);
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("NoticeText"));
  text_->setWordWrap(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  close_ = new QToolButton(this);
  close_->setText(QStringLiteral("×"));
  close_->setToolTip(QStringLiteral("このお知らせを閉じます"));
  close_->setAutoRaise(true);
  layout->addWidget(text_, 1);
  layout->addWidget(close_, 0, Qt::AlignTop);
  connect(close_, &QToolButton::clicked, this, &NoticeBar::Clear);
  hide();
}

void NoticeBar::Show(const QString& text) {
  text_->setText(text);
  setVisible(!text.isEmpty());
}

QString NoticeBar::text() const { return isHidden() ? QString() : text_->text(); }
