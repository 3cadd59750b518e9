// The about box: its texts and layout, the link launch from a registered
// command, the registry layer, and the real detached start of a browser.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "ui/about/about_box.h"
#include "platform/browser_command.h"
#include "platform/link_launcher.h"
#include "platform/program_path.h"

namespace {

const QString kAddress = QStringLiteral("https://kelvara.example/download/");

// Records every start instead of starting anything; each start succeeds
// unless told otherwise.
class RecordingLauncher : public LinkLauncher {
 public:
  bool Start(const std::string& program, const std::string& address) override {
    starts.emplace_back(program, address);
    return succeeds;
  }
  std::vector<std::pair<std::string, std::string>> starts;
  bool succeeds = true;
};

// The processes whose parent is this one, as "pid state" texts (from /proc).
QStringList ChildProcesses() {
  QStringList children;
  const QString self = QString::number(getpid());
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // "pid (name) state ppid ...": the name may hold blanks, so read after ')'.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 1 && fields[1] == self.toLatin1())
      children << pid + u' ' + QString::fromLatin1(fields[0]);
  }
  return children;
}

// Writes an executable shell script that records its arguments, one a line
// after their count, into `output` (renamed into place when complete).
bool WriteRecordingScript(const QString& path, const QString& output) {
  QFile script(path);
  if (!script.open(QIODevice::WriteOnly)) return false;
  script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1.part' && "
                              "mv '%1.part' '%1'\n")
                   .arg(output)
                   .toUtf8());
  script.close();
  return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Restores the working directory and PATH when a test that changed them ends.
class ProcessSettingsGuard {
 public:
  ProcessSettingsGuard() : directory_(QDir::currentPath()), path_(qgetenv("PATH")) {}
  ~ProcessSettingsGuard() {
    QDir::setCurrent(directory_);
    qputenv("PATH", path_);
  }

 private:
  QString directory_;
  QByteArray path_;
};

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void launchTakesTheProgramPathFromTheCommand_data();
  void launchTakesTheProgramPathFromTheCommand();
  void doubleClickTwiceStartsTwiceAndTheBoxStaysOpen();
  void enterClosesTheBoxWithResultOk();
  void launchReadsTheRegisteredCommandWithoutTheMainWindow();
  void failedStartShowsTheAddressToCopy();
  void registryLayerAnswersXdgOpenForWebLinksOnly();
  void realLauncherStartsDetachedAndLeavesNoZombie();
  void realLauncherStartsNoBareName();
  void boxShowsItsTextsUnclippedAndCentred();
};

void AboutBoxTest::launchTakesTheProgramPathFromTheCommand_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("program");  // empty: nothing is started

  QTest::newRow("quoted path with arguments")
      << QStringLiteral(R"("/opt/Web Browser/browser" --new-window "%1")")
      << QStringLiteral("/opt/Web Browser/browser");
  QTest::newRow("unquoted path with arguments")
      << QStringLiteral("/usr/bin/browser -url %1") << QStringLiteral("/usr/bin/browser");
  QTest::newRow("unquoted path alone") << QStringLiteral("/usr/bin/browser")
                                       << QStringLiteral("/usr/bin/browser");
  QTest::newRow("unclosed quote runs to the end")
      << QStringLiteral(R"("/opt/Web Browser/browser -url %1)")
      << QStringLiteral("/opt/Web Browser/browser -url %1");
  QTest::newRow("Japanese path") << QStringLiteral(R"("/opt/閲覧ソフト/起動" "%1")")
                                 << QStringLiteral("/opt/閲覧ソフト/起動");
  QTest::newRow("empty command") << QString() << QString();
  QTest::newRow("command starting with a blank")
      << QStringLiteral(" /usr/bin/browser %1") << QString();
  QTest::newRow("empty quotes") << QStringLiteral(R"("" %1)") << QString();

  // Far beyond 255 bytes, path and arguments alike: read whole, never cut.
  const QString longPath = QStringLiteral("/opt/") + QString(300, u'd') + QStringLiteral("/ブラウザ");
  QTest::newRow("very long quoted command")
      << u'"' + longPath + QStringLiteral("\" ") + QString(400, u'a') << longPath;
  QTest::newRow("very long unquoted command")
      << longPath + QStringLiteral(" ") + QString(400, u'a') << longPath;
}

void AboutBoxTest::launchTakesTheProgramPathFromTheCommand() {
  QFETCH(QString, command);
  QFETCH(QString, program);

  TAboutBox box;
  QStringList keysRead;
  box.SetRegistryReader([&](const std::string& key) {
    keysRead << QString::fromStdString(key);
    return command.toStdString();
  });
  auto launcher = std::make_shared<RecordingLauncher>();
  box.SetLinkLauncher(launcher);
  QStringList messages;
  box.SetMessageDisplay([&](const QString& text) { messages << text; });

  box.Label4DblClick();

  QCOMPARE(keysRead, QStringList{QStringLiteral("http\\shell\\open\\command")});
  if (program.isEmpty()) {
    // No browser to start: the address is shown for opening by hand.
    QVERIFY(launcher->starts.empty());
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].endsWith(kAddress));
  } else {
    QVERIFY(messages.isEmpty());
    QCOMPARE(launcher->starts.size(), size_t{1});
    QCOMPARE(QString::fromStdString(launcher->starts[0].first), program);
    QCOMPARE(QString::fromStdString(launcher->starts[0].second), box.Label4->text());
  }
}

void AboutBoxTest::doubleClickTwiceStartsTwiceAndTheBoxStaysOpen() {
  TAboutBox box;
  box.SetRegistryReader([](const std::string&) { return std::string("/usr/bin/browser %1"); });
  auto launcher = std::make_shared<RecordingLauncher>();
  box.SetLinkLauncher(launcher);

  bool checkedWhileOpen = false;
  QTimer::singleShot(0, &box, [&] {
    QTest::mouseClick(box.Label4, Qt::LeftButton);  // a single click does nothing
    QCOMPARE(launcher->starts.size(), size_t{0});
    QTest::mouseDClick(box.Label4, Qt::LeftButton);
    QTest::mouseDClick(box.Label4, Qt::LeftButton);
    QCOMPARE(launcher->starts.size(), size_t{2});
    QVERIFY(box.isVisible());
    checkedWhileOpen = true;
    QTest::mouseClick(box.OKButton, Qt::LeftButton);
  });
  QTimer::singleShot(5000, &box, &QDialog::reject);  // never hang the suite

  QCOMPARE(box.exec(), 1);
  QVERIFY(checkedWhileOpen);
  QCOMPARE(QString::fromStdString(launcher->starts[1].first), QStringLiteral("/usr/bin/browser"));
  QCOMPARE(QString::fromStdString(launcher->starts[1].second), kAddress);
}

void AboutBoxTest::enterClosesTheBoxWithResultOk() {
  TAboutBox box;
  QTimer::singleShot(0, &box, [&] {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &box, Qt::Key_Return);
  });
  QTimer::singleShot(5000, &box, &QDialog::reject);

  QCOMPARE(box.exec(), 1);
  QVERIFY(!box.isVisible());
}

void AboutBoxTest::launchReadsTheRegisteredCommandWithoutTheMainWindow() {
  TAboutBox box;  // no main window exists in this program
  auto launcher = std::make_shared<RecordingLauncher>();
  box.SetLinkLauncher(launcher);

  box.Label4DblClick();

  QCOMPARE(launcher->starts.size(), size_t{1});
  const QFileInfo program(QString::fromStdString(launcher->starts[0].first));
  QVERIFY2(program.isAbsolute(), qPrintable(program.filePath()));
  QCOMPARE(program.fileName(), QStringLiteral("xdg-open"));
}

void AboutBoxTest::failedStartShowsTheAddressToCopy() {
  TAboutBox box;
  box.SetRegistryReader([](const std::string&) { return std::string("/usr/bin/browser %1"); });
  auto launcher = std::make_shared<RecordingLauncher>();
  launcher->succeeds = false;
  box.SetLinkLauncher(launcher);

  QString shown;
  Qt::TextInteractionFlags flags;
  QTimer::singleShot(0, &box, [&] {
    auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(message != nullptr);
    shown = message->text();
    flags = message->textInteractionFlags();
    message->accept();
  });
  box.Label4DblClick();

  QCOMPARE(launcher->starts.size(), size_t{1});
  QVERIFY2(shown.endsWith(kAddress), qPrintable(shown));
  QVERIFY(flags & Qt::TextSelectableByMouse);  // the address can be copied
}

void AboutBoxTest::registryLayerAnswersXdgOpenForWebLinksOnly() {
  const QFileInfo xdgOpen(QString::fromStdString(ReadRegistryDefaultValue(kWebLinkCommandKey)));
  QVERIFY2(xdgOpen.isAbsolute(), qPrintable(xdgOpen.filePath()));
  QVERIFY(xdgOpen.isFile() && xdgOpen.isExecutable());
  QCOMPARE(xdgOpen.fileName(), QStringLiteral("xdg-open"));

  for (const char* key : {"", "https\\shell\\open\\command", "http\\shell\\open", "mailto"})
    QVERIFY2(ReadRegistryDefaultValue(key).empty(), key);

  // An xdg-open under a directory with a blank is quoted, so the program path
  // is read back whole; a relative PATH entry such as "." is never searched.
  QTemporaryDir scratch;
  QVERIFY(scratch.isValid());
  const QString blankDirectory = scratch.filePath(QStringLiteral("desktop tools"));
  QVERIFY(QDir().mkpath(blankDirectory));
  QVERIFY(WriteRecordingScript(blankDirectory + QStringLiteral("/xdg-open"),
                               scratch.filePath(QStringLiteral("unused"))));
  QVERIFY(WriteRecordingScript(scratch.filePath(QStringLiteral("xdg-open")),
                               scratch.filePath(QStringLiteral("unused"))));
  ProcessSettingsGuard guard;
  QDir::setCurrent(scratch.path());

  qputenv("PATH", ".:" + qgetenv("PATH"));
  QCOMPARE(QString::fromStdString(ReadRegistryDefaultValue(kWebLinkCommandKey)),
           xdgOpen.filePath());

  qputenv("PATH", blankDirectory.toUtf8() + ':' + qgetenv("PATH"));
  const std::string command = ReadRegistryDefaultValue(kWebLinkCommandKey);
  QCOMPARE(QString::fromStdString(command), u'"' + blankDirectory + QStringLiteral("/xdg-open\""));
  QCOMPARE(QString::fromStdString(ProgramPathFromCommand(command)),
           blankDirectory + QStringLiteral("/xdg-open"));
}

void AboutBoxTest::realLauncherStartsDetachedAndLeavesNoZombie() {
  QTemporaryDir scratch;
  QVERIFY(scratch.isValid());
  const QString directory = scratch.filePath(QStringLiteral("Web Browser"));
  QVERIFY(QDir().mkpath(directory));
  const QString program = directory + QStringLiteral("/browser");
  const QString output = scratch.filePath(QStringLiteral("arguments.txt"));
  QVERIFY(WriteRecordingScript(program, output));
  QVERIFY(ChildProcesses().isEmpty());

  // Blanks and shell syntax in the address reach the program as one argument.
  const std::string address = "https://kelvara.example/download/?q=a b&x=$(id);`true` ダウンロード";
  DetachedLinkLauncher launcher;
  QVERIFY(launcher.Start(program.toStdString(), address));
  // Nothing of ours is left to reap: the start did not make a child to wait for.
  QCOMPARE(ChildProcesses(), QStringList());

  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(output), 10000);
  QFile recorded(output);
  QVERIFY(recorded.open(QIODevice::ReadOnly));
  QCOMPARE(recorded.readAll(), QByteArray("1\n") + QByteArray::fromStdString(address) + '\n');
  QCOMPARE(ChildProcesses(), QStringList());
}

void AboutBoxTest::realLauncherStartsNoBareName() {
  // A program named "browser" both in the working directory and on PATH: a
  // bare name is neither searched along PATH nor taken from the working
  // directory, and a relative path is not started either.
  QTemporaryDir scratch;
  QVERIFY(scratch.isValid());
  const QString output = scratch.filePath(QStringLiteral("arguments.txt"));
  QVERIFY(WriteRecordingScript(scratch.filePath(QStringLiteral("browser")), output));
  ProcessSettingsGuard guard;
  QDir::setCurrent(scratch.path());
  qputenv("PATH", scratch.path().toUtf8() + ':' + qgetenv("PATH"));

  DetachedLinkLauncher launcher;
  QVERIFY(!launcher.Start("browser", kAddress.toStdString()));
  QVERIFY(!launcher.Start("./browser", kAddress.toStdString()));
  QTest::qWait(500);
  QVERIFY(!QFile::exists(output));
}

void AboutBoxTest::boxShowsItsTextsUnclippedAndCentred() {
  QWidget mainWindow;  // small and in a corner: the box centres on the screen, not on it
  mainWindow.setGeometry(0, 0, 200, 150);
  TAboutBox box(&mainWindow);
  QCOMPARE(box.windowTitle(), QStringLiteral("バージョン情報"));
  QCOMPARE(box.minimumSize(), QSize(524, 313));
  QCOMPARE(box.maximumSize(), QSize(524, 313));
  QCOMPARE(box.Label2->text(), QStringLiteral("Kelvaraソフト"));
  QCOMPARE(box.Label3->text(), QStringLiteral("バージョン1.6"));
  QVERIFY(box.LabelDeveloper->text().startsWith(QStringLiteral("開発：")));
  QVERIFY(box.Label5->text().endsWith(QStringLiteral("（URLをダブルクリックするとブラウザで開きます）")));
  QCOMPARE(box.Label4->text(), kAddress);
  QCOMPARE(box.Label4->palette().color(QPalette::WindowText), QColor(Qt::blue));
  QVERIFY(box.OKButton->isDefault());

  // Every text fits its label in the font actually used, and no two texts
  // touch each other or the panel's edge.
  std::vector<std::pair<QString, QRect>> texts;
  for (QLabel* label : box.Panel1->findChildren<QLabel*>()) {
    const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed =
        label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1000), flags, label->text());
    QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
             qPrintable(label->objectName()));
    texts.emplace_back(label->objectName(), needed.translated(label->pos()));
  }
  QCOMPARE(texts.size(), size_t{7});
  for (size_t i = 0; i < texts.size(); ++i) {
    QVERIFY2(box.Panel1->contentsRect().contains(texts[i].second), qPrintable(texts[i].first));
    for (size_t j = i + 1; j < texts.size(); ++j)
      QVERIFY2(!texts[i].second.intersects(texts[j].second),
               qPrintable(texts[i].first + u' ' + texts[j].first));
  }
  QVERIFY(!box.OKButton->geometry().intersects(box.Panel1->geometry()));
  QVERIFY(box.rect().contains(box.OKButton->geometry()));

  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  const QPoint screenCentre = box.screen()->availableGeometry().center();
  QVERIFY2((box.geometry().center() - screenCentre).manhattanLength() < 40,
           qPrintable(QStringLiteral("box centre %1,%2").arg(box.geometry().center().x())
                          .arg(box.geometry().center().y())));

  // For a look at the rendering: KELVARA_SCREENSHOT_DIR=<dir> ctest -R about
  const QString screenshots = qEnvironmentVariable("KELVARA_SCREENSHOT_DIR");
  if (!screenshots.isEmpty())
    QVERIFY(box.grab().save(QDir(screenshots).filePath(QStringLiteral("about_box.png"))));
}

QTEST_MAIN(AboutBoxTest)
#include "about_test.moc"
