// SPDX-License-Identifier: GPL-3.0-or-later
// The first-run window with the real serial adapter: against the simulated radio with and
// without an echoing cable, against a port that never answers, and against a port that cannot
// be opened. It proposes a port that exists, keeps a typed path, names the port and the reason of
// every failure, speaks the chosen language, and lets the user go on without a radio.
#include "files/app_settings.h"
#include "link/load_frm_link.h"
#include "sim_radio.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace zt;
using zt::test::ScriptedPrompter;
using zt::test::SimRadio;

// Notes what the window's status line said while each message was up, then lets `next` answer.
class StatusAtMessage : public Prompter {
  public:
    explicit StatusAtMessage(Prompter& next) : next_(next) {}
    std::function<QString()> status;
    QStringList seen;
    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title) override {
        seen << (status ? status() : QString());
        return next_.ask(text, icon, buttons, title);
    }

  private:
    Prompter& next_;
};

class FirstRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppState> app;
    ScriptedPrompter prompter;
    QList<SerialPortEntry> ports;

    std::unique_ptr<LoadFrmLink> open(const QString& device) {
        app->ComPortName = device.toStdString();
        auto w = std::make_unique<LoadFrmLink>(*app, nullptr, [this] { return ports; });
        w->show();
        return w;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        app = std::make_unique<AppState>();
        zt::test::PrepareTestApp(*app, *dir, prompter);
        app->IsFirstRun = true;
        prompter.asked.clear();
        ports = {{"ttyS0", "", false}};
    }

    void instructionsAndTheConfiguredPort() {
        SimRadio sim;
        QVERIFY(sim.started());
        auto w = open(sim.device()); // a link to a pseudo-terminal: present, though not listed
        QVERIFY(w->Text1()->text().startsWith(QString::fromStdString(app->LangText(9054))));
        QVERIFY(w->Text1()->text().contains(QString::fromStdString(app->LangText(9053))));
        QVERIFY(w->Text1()->text().endsWith(QString::fromStdString(app->LangText(34544))));
        QCOMPARE(w->windowTitle(), QString("Initial Setup"));
        QCOMPARE(w->Combo1()->currentText(), sim.device());
        QVERIFY(w->ReCommTimer().isActive());
        // A port plugged in: the list grows, the typed choice stays.
        ports.push_back({"ttyUSB0", "USB serial", true});
        w->RefreshPorts();
        QCOMPARE(w->Combo1()->count(), 2);
        QCOMPARE(w->Combo1()->itemData(0).toString(), QString("ttyUSB0"));
        QCOMPARE(w->Combo1()->currentText(), sim.device());
    }

    // A configured port that is gone (COM1 of a fresh installation, an unplugged adapter) is not
    // proposed: the first listed port is, USB adapters first; a listed one stays.
    void proposesAPortThatExists_data() {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("nothing configured") << ""
                                            << "ttyUSB1";
        QTest::newRow("a path to nothing") << "/tmp/no-such-radio"
                                           << "ttyUSB1";
        QTest::newRow("listed") << "ttyS0"
                                << "ttyS0";
    }
    void proposesAPortThatExists() {
        QFETCH(QString, configured);
        QFETCH(QString, proposed);
        ports = {{"ttyS0", "", false}, {"ttyUSB1", "USB serial", true}};
        app->ComPort = 1;
        auto w = open(configured);
        QCOMPARE(w->chosenPort(), proposed);
        // Nothing is listed: the configured name stays, to be corrected by typing.
        ports.clear();
        auto empty = open("/tmp/no-such-radio");
        QCOMPARE(empty->chosenPort(), QString("/tmp/no-such-radio"));
    }

    // The window speaks the chosen language: its title, its buttons, Qt's own buttons.
    void followsTheLanguage() {
        app->LanguageCode = 2;
        app->lang.load(std::string(ZT_PROGRAM_DIR) + "/language/chinese.ini");
        auto w = open("ttyS0");
        QCOMPARE(w->windowTitle(), QString::fromStdString(app->LangText(34540)));
        QVERIFY(w->windowTitle() != QString("Initial Setup"));
        QCOMPARE(w->Command1()->text(), QString::fromStdString(app->LangText(34541)));
        QCOMPARE(w->Command2()->text(), QString::fromStdString(app->LangText(34542)));
        for (const QPushButton* b : w->findChildren<QPushButton*>())
            QVERIFY2(!b->text().contains(QRegularExpression("[A-Za-z]{2}")), qPrintable(b->text()));
    }

    // The language chosen in the main window and stored speaks in the first-run window of the
    // next start, whatever the system locale.
    void aStoredLanguageSpeaksAfterARestart() {
        QFile setup(QString::fromStdString(MySetupPath(*app)));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write("[language]\nIsFirstRun=1\ncomPort=1\ncomPortName=ttyS0\nCurrentLanguage=2\n");
        setup.close();
        StartupBeforeFirstRun(
            *app, [](const char* name) { return qstrcmp(name, "LANG") ? nullptr : "en_US.UTF-8"; });
        QVERIFY(app->IsFirstRun);
        auto w = open("ttyS0");
        QCOMPARE(w->windowTitle(), QString::fromUtf8("初始设置"));
        QVERIFY(!w->Command2()->text().contains(QRegularExpression("[A-Za-z]{2}")));
        QVERIFY(!w->Text1()->text().contains("Before the first use"));
    }

    // A radio answers: on the first handshake with an echoing cable, on the second (the echo
    // guess flipped) without one. The window closes and the guess that worked is kept.
    void radioAnswers_data() {
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("handshakes");
        QTest::newRow("echoing cable") << true << 1;
        QTest::newRow("plain cable") << false << 2;
    }
    void radioAnswers() {
        QFETCH(bool, echo);
        QFETCH(int, handshakes);
        SimRadio sim(echo ? QStringList{"--echo"} : QStringList{});
        QVERIFY(sim.started());
        auto w = open(sim.device());
        w->Command1()->click();
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(!app->IsFirstRun);
        QCOMPARE(w->noEcho(), !echo);
        QCOMPARE(sim.count("RX handshake"), handshakes);
        QCOMPARE(sim.count("RX ident"), 0); // the radio is left after the handshake
        QVERIFY(!w->port().isOpen());
        QVERIFY(prompter.asked.empty());
    }

    // No answer: four handshakes alternating the echo guess, then "Communication Error!"; the
    // window stays and OK tries again.
    // The status line names the port and the reason while the message is up and after it is
    // closed, on two lines (no "\r" shown).
    void silentPort() {
        SimRadio sim({"--ignore-handshakes", "100"});
        StatusAtMessage watch(prompter);
        app->prompter = &watch;
        auto w = open(sim.device());
        watch.status = [&w] { return w->Status()->text(); };
        w->Command1()->click();
        QCOMPARE(w->Status()->text(), "Testing the link on " + sim.device() + "...");
        QTRY_VERIFY_WITH_TIMEOUT(!w->engine().busy(), 5000);
        QCOMPARE(prompter.asked,
                 std::vector<std::string>{"Communication Error!\r\n" + sim.device().toStdString() +
                                          ": no answer from the radio"});
        const QString reason = "Communication Error!\n" + sim.device() + ": no answer from the radio";
        QCOMPARE(watch.seen, QStringList{reason});
        QCOMPARE(w->Status()->text(), reason);
        QCOMPARE(sim.count("RX handshake"), 4);
        QVERIFY(w->isVisible());
        QVERIFY(app->IsFirstRun);
        QVERIFY(!w->port().isOpen());
        w->Command1()->click();
        QCOMPARE(w->Status()->text(), "Testing the link on " + sim.device() + "...");
        QTRY_VERIFY_WITH_TIMEOUT(!w->engine().busy(), 5000);
        QCOMPARE(sim.count("RX handshake"), 8);
        QCOMPARE(w->Status()->text(), reason);
        // The window lends its status line only while it lives.
        w.reset();
        QCOMPARE(app->prompter, static_cast<Prompter*>(&watch));
    }

    // One message naming the port and why it cannot be opened.
    void portThatCannotBeOpened_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "none"
                                 << "no such device";
        QTest::newRow("a file") << "file"
                                << "it is not a serial port";
        QTest::newRow("a link to nothing") << "dangling"
                                           << "no such device";
    }
    void portThatCannotBeOpened() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QFile file(dir->filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QFile::link(dir->filePath("none"), dir->filePath("dangling"));
        auto w = open(dir->filePath(path));
        w->Combo1()->setEditText(dir->filePath(path));
        w->Command1()->click();
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        const QString shown = QString::fromStdString(prompter.asked.front());
        QVERIFY2(
            shown.startsWith("Cannot Open Communication Port.\r\n" + dir->filePath(path) + ": " + reason),
            qPrintable(shown));
        QVERIFY(w->isVisible());
        QVERIFY(!w->engine().busy());
        const QString status = w->Status()->text();
        QVERIFY2(status.startsWith("Cannot Open Communication Port.\n" + dir->filePath(path) + ": " + reason),
                 qPrintable(status));
        QVERIFY(!status.contains('\r'));
    }

    // Going on without a radio (the button, Esc, closing the window) keeps the flag set, so the
    // test is offered again next time, and keeps the port chosen for the main window.
    void cancelKeepsTheFlag() {
        SimRadio sim({"--ignore-handshakes", "100"});
        auto w = open(sim.device());
        w->Command1()->click();
        w->Command2()->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QVERIFY(app->IsFirstRun);
        QVERIFY(!w->engine().busy());
        QVERIFY(!w->port().isOpen());
        QCOMPARE(app->ComPortName, sim.device().toStdString());

        auto esc = open(sim.device());
        QTest::keyClick(esc.get(), Qt::Key_Escape);
        QVERIFY(!esc->isVisible());
        QVERIFY(app->IsFirstRun);
    }
};

QTEST_MAIN(FirstRunTest)
#include "first_run_test.moc"
