#include "ui/window/progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormProgress"));
  // Not modal: a modal window would leave the main window's close box
  // unheard. The main window takes no other input while the work runs.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 12, 24, 12);
  LabelStatus = new QLabel(this);
  LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
  layout->addWidget(LabelStatus);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setTextVisible(false);
  ProgressBar->setFixedHeight(17);
  layout->addWidget(ProgressBar);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ButtonStop = new QPushButton(QStringLiteral("中止"), this);
  ButtonStop->setObjectName(QStringLiteral("ButtonStop"));
  buttons->addWidget(ButtonStop);
  buttons->addStretch();
  layout->addLayout(buttons);
  setFixedWidth(389);
  connect(ButtonStop, &QPushButton::clicked, this, &TFormProgress::stopRequested);
}

void TFormProgress::Begin(const QString& caption, const QWidget* owner) {
  setWindowTitle(caption);
  LabelStatus->clear();
  ProgressBar->setRange(0, 0);
  adjustSize();
  if (owner != nullptr) {
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
  }
  show();
}

void TFormProgress::ShowStatus(const QString& text, int value, int maximum) {
  LabelStatus->setText(text);
  ProgressBar->setRange(0, maximum);
  ProgressBar->setValue(value);
}

void TFormProgress::reject() { emit stopRequested(); }

void TFormProgress::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closeRequested();
}
