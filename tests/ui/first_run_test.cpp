// The first-run window with the real serial adapter: against the simulated radio with and
// without an echoing cable, against a port that never answers, and against a port that cannot
// be opened. Its port list keeps the configured port and a typed path.
#include "files/app_settings.h"
#include "link/load_frm_link.h"
#include "sim_radio.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace zt;
using zt::test::ScriptedPrompter;
using zt::test::SimRadio;

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
        auto w = open("/tmp/no-such-radio");
        QVERIFY(w->Text1()->text().startsWith(QString::fromStdString(app->LangText(9054))));
        QVERIFY(w->Text1()->text().endsWith(QString::fromStdString(app->LangText(9053))));
        QCOMPARE(w->windowTitle(), QString("Initial Setup"));
        QCOMPARE(w->Combo1()->currentText(), QString("/tmp/no-such-radio"));
        QVERIFY(w->ReCommTimer().isActive());
        // A port plugged in: the list grows, the typed choice stays.
        ports.push_back({"ttyUSB0", "USB serial", true});
        w->RefreshPorts();
        QCOMPARE(w->Combo1()->count(), 2);
        QCOMPARE(w->Combo1()->itemData(0).toString(), QString("ttyUSB0"));
        QCOMPARE(w->Combo1()->currentText(), QString("/tmp/no-such-radio"));
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
    void silentPort() {
        SimRadio sim({"--ignore-handshakes", "100"});
        auto w = open(sim.device());
        w->Command1()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->engine().busy(), 5000);
        QCOMPARE(prompter.asked, std::vector<std::string>{"Communication Error!"});
        QCOMPARE(sim.count("RX handshake"), 4);
        QVERIFY(w->isVisible());
        QVERIFY(app->IsFirstRun);
        QVERIFY(!w->port().isOpen());
        w->Command1()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->engine().busy(), 5000);
        QCOMPARE(sim.count("RX handshake"), 8);
    }

    void portThatCannotBeOpened() {
        auto w = open(dir->filePath("none"));
        w->Command1()->click();
        QCOMPARE(prompter.asked, std::vector<std::string>{"Cannot Open Communication Port."});
        QVERIFY(w->isVisible());
        QVERIFY(!w->engine().busy());
    }

    // Cancel ends the window with the flag still set (the program then ends).
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
    }
};

QTEST_MAIN(FirstRunTest)
#include "first_run_test.moc"
