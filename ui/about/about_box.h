// About unit: the about box (program title, version, terms, download page).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/link_launcher.h"

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  // Opens the download page (the caption of Label4) in the web browser that
  // the desktop registers for web links; the box stays open. When no browser
  // can be started, a message shows the address, ready to be copied.
  void Label4DblClick();

  // Where the link launch reads the registered command: the registry (or
  // what stands for it on this system) unless replaced (tests replace it).
  using RegistryReader = std::function<std::string(const std::string& key)>;
  void SetRegistryReader(RegistryReader reader);
  // How the link launch starts the browser: a detached process unless replaced.
  void SetLinkLauncher(std::shared_ptr<LinkLauncher> launcher);
  // How the message about a browser that did not start is shown: a message
  // box whose text can be selected, unless replaced.
  using MessageDisplay = std::function<void(const QString& text)>;
  void SetMessageDisplay(MessageDisplay display);

  QFrame* Panel1;
  QLabel* LabelDeveloper;
  QPushButton* OKButton;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;

  void setVisible(bool visible) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  RegistryReader readRegistryDefault_;
  std::shared_ptr<LinkLauncher> launcher_;
  MessageDisplay showMessage_;
};
