#include "ui/About.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {}

void TAboutBox::Label4DblClick() {}
