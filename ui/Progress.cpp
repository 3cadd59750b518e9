#include "ui/Progress.h"

TFormProgress* FormProgress = nullptr;

TFormProgress::TFormProgress(QWidget* parent) : QDialog(parent) {}
