#include "ui/Progress.h"

#include <QApplication>
#include <QProgressBar>

TFormProgress* FormProgress = nullptr;

namespace {
constexpr int kPaintIntervalMs = 50;
}

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("FormProgress"));
  setFixedSize(389, 76);
  // While it is up, the main window takes no input: the reading command runs
  // to its end before anything else happens.
  setWindowModality(Qt::ApplicationModal);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setGeometry(24, 12, 337, 17);
  ProgressBar->setRange(0, 100);
  ProgressBar->setTextVisible(false);
}

void TFormProgress::ShowCentredOn(const QWidget* owner) {
  if (owner != nullptr) {
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
  }
  show();
  paintTimer_.start();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void TFormProgress::SetPosition(int position) {
  ProgressBar->setValue(position);
  if (paintTimer_.elapsed() >= kPaintIntervalMs) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    paintTimer_.restart();
  }
}
