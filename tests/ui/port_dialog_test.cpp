// SPDX-License-Identifier: GPL-3.0-or-later
// The port dialog against real devices: pseudo-terminals of the simulated radio (answering,
// silent, vanishing), one that answers garbage, links to them and to nothing. Ports that exist are
// shown as present, and Find Radio goes past every port that is no radio, with its reason, to the
// one that answers, sending nothing but handshakes and one end frame.
#include "files/app_settings.h"
#include "link/frm_set_comm.h"
#include "port_search.h"
#include "sim_radio.h"
#include "ui_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace zt;
using zt::test::ScriptedPrompter;
using zt::test::SimRadio;

namespace {

// A pseudo-terminal whose other end answers everything with a few bytes of noise.
class GarbageDevice {
  public:
    GarbageDevice() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        path_ = QString::fromLocal8Bit(::ptsname(master_));
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buf[256];
            if (::read(master_, buf, sizeof buf) > 0) {
                static const char noise[] = "\x15?ZT\x07garbage\x06";
                (void)!::write(master_, noise, sizeof noise - 1);
            }
        });
    }
    ~GarbageDevice() {
        notifier_.reset();
        if (master_ >= 0)
            ::close(master_);
    }
    QString path() const { return path_; }

  private:
    int master_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// A port as the system lists it.
SystemPort Listed(const QString& name, bool usb) {
    SystemPort p;
    p.name = name;
    p.usb = usb;
    return p;
}

QStringList Names(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& n : names)
        list << QString::fromStdString(n);
    return list;
}

} // namespace

class PortDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppState> app;
    ScriptedPrompter prompter;
    QList<SerialPortEntry> ports;

    std::unique_ptr<FrmSetComm> dialog(const QString& configured) {
        app->ComPortName = configured.toStdString();
        return std::make_unique<FrmSetComm>(*app, nullptr, [this] { return ports; });
    }
    QListWidgetItem* itemFor(FrmSetComm& d, const QString& name) {
        for (int i = 0; i < d.PortList()->count(); ++i)
            if (d.PortList()->item(i)->data(Qt::UserRole).toString() == name)
                return d.PortList()->item(i);
        return nullptr;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        app = std::make_unique<AppState>();
        zt::test::PrepareTestApp(*app, *dir, prompter);
        prompter.asked.clear();
        ports = {{"ttyS0", "", false}};
    }

    // What stands in the way of a port, from its device node, without opening the radio's link.
    void diagnosis() {
        SimRadio sim;
        QVERIFY(sim.started());
        QFile file(dir->filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::link(dir->filePath("none"), dir->filePath("dangling")));
        QVERIFY(QFile::link(sim.device(), dir->filePath("by-id-link")));
        const struct {
            QString path;
            PortFault fault;
            bool present;
        } cases[] = {
            {dir->filePath("none"), PortFault::Missing, false},
            {dir->filePath("dangling"), PortFault::Missing, false},
            {dir->filePath("file"), PortFault::NotSerial, false},
            {dir->path(), PortFault::NotSerial, false},
            {sim.device(), PortFault::None, true},                // a link to a pseudo-terminal
            {dir->filePath("by-id-link"), PortFault::None, true}, // a link to that link
        };
        for (const auto& c : cases) {
            QCOMPARE(DiagnosePort(c.path.toStdString()).fault, c.fault);
            QCOMPARE(PortPresent(c.path.toStdString()), c.present);
        }
        QCOMPARE(ResolvedDevice(dir->filePath("by-id-link").toStdString()),
                 ResolvedDevice(sim.device().toStdString()));
        QVERIFY(QString::fromStdString(ResolvedDevice(sim.device().toStdString())).startsWith("/dev/pts/"));
        // Errors the program cannot provoke as root: the kinds the system's numbers stand for.
        QCOMPARE(ProblemFromErrno(EACCES).fault, PortFault::Permission);
        QCOMPARE(ProblemFromErrno(EPERM).fault, PortFault::Permission);
        QCOMPARE(ProblemFromErrno(EBUSY).fault, PortFault::Busy);
        QCOMPARE(ProblemFromErrno(ENOENT).fault, PortFault::Missing);
        QCOMPARE(ProblemFromErrno(ENODEV).fault, PortFault::Missing);
        QCOMPARE(ProblemFromErrno(EIO).fault, PortFault::Other);
        QVERIFY(!ProblemFromErrno(EIO).detail.empty());
    }

    // The order a search tries the system's ports in (Find Radio, the command line's automatic
    // port): USB adapters, where the radio's cable is, before the built-in ports, each kind by name.
    void systemPortOrder() {
        const struct {
            QList<SystemPort> listed;
            QStringList tried;
        } cases[] = {
            {{Listed("ttyS0", false), Listed("ttyUSB1", true), Listed("ttyS1", false),
              Listed("ttyACM0", true)},
             {"ttyACM0", "ttyUSB1", "ttyS0", "ttyS1"}},
            {{Listed("COM1", false), Listed("COM4", true), Listed("COM3", false)}, {"COM4", "COM1", "COM3"}},
            {{Listed("ttyUSB0", true), Listed("ttyS0", false)}, {"ttyUSB0", "ttyS0"}},
            {{Listed("ttyS4", false), Listed("ttyS0", false)}, {"ttyS0", "ttyS4"}},
        };
        for (auto c : cases) {
            SortSystemPorts(c.listed);
            QCOMPARE(Names(SearchCandidates({}, c.listed)), c.tried);
        }
    }

    // A device reached by two names (a link of /dev/serial/by-id and the device it leads to, two
    // links, a name typed twice) is tried once, by the first name: every silent port costs the
    // search its handshakes. Names that lead nowhere are each tried, to say why.
    void searchTriesEachDeviceOnce() {
        GarbageDevice adapter;
        GarbageDevice other;
        QVERIFY(!adapter.path().isEmpty() && !other.path().isEmpty());
        const QString byId = dir->filePath("usb-radio-if00-port0");
        const QString byPath = dir->filePath("pci-0000:00:14.0-usb-0:2:1.0-port0");
        QVERIFY(QFile::link(adapter.path(), byId));
        QVERIFY(QFile::link(adapter.path(), byPath));
        const QString goneA = dir->filePath("usb-gone-a");
        const QString goneB = dir->filePath("usb-gone-b");
        const auto usb = [](const QString& name) { return Listed(name, true); };
        const struct {
            const char* what;
            QStringList first;
            QList<SystemPort> system;
            QStringList tried;
        } cases[] = {
            {"a link and its device", {byId}, {usb(adapter.path()), usb(other.path())}, {byId, other.path()}},
            {"the device and a link to it", {adapter.path()}, {usb(byId)}, {adapter.path()}},
            {"two links", {byId, byPath}, {}, {byId}},
            {"a name typed twice", {byId, " " + byId + " ", ""}, {usb(byId)}, {byId}},
            {"names that lead nowhere", {goneA, goneB}, {usb(goneA)}, {goneA, goneB}},
        };
        for (const auto& c : cases) {
            const QStringList tried = Names(SearchCandidates(c.first, c.system));
            if (tried != c.tried)
                qWarning("%s", c.what);
            QCOMPARE(tried, c.tried);
        }
    }

    // A typed path or a link that leads to a present device is listed as present; one that leads
    // nowhere is greyed "(not connected)".
    void presentPortsAreShownAsPresent() {
        SimRadio sim;
        QVERIFY(sim.started());
        QVERIFY(QFile::link(sim.device(), dir->filePath("usb-radio-if00-port0")));
        QVERIFY(QFile::link(dir->filePath("none"), dir->filePath("usb-gone-if00-port0")));
        const QString notConnected = QString::fromStdString(app->LangText(22005));
        for (const QString& path : {sim.device(), dir->filePath("usb-radio-if00-port0")}) {
            auto d = dialog(path);
            QListWidgetItem* item = itemFor(*d, path);
            QVERIFY(item != nullptr);
            QVERIFY(item->flags() & Qt::ItemIsEnabled);
            QVERIFY(!item->text().contains(notConnected));
            QVERIFY2(item->text().contains("/dev/pts/"), qPrintable(item->text())); // the device it leads to
            QCOMPARE(d->PortList()->currentItem(), item);
        }
        auto gone = dialog(dir->filePath("usb-gone-if00-port0"));
        QListWidgetItem* item = itemFor(*gone, dir->filePath("usb-gone-if00-port0"));
        QVERIFY(item != nullptr);
        QVERIFY(!(item->flags() & Qt::ItemIsEnabled));
        QVERIFY(item->text().endsWith(notConnected));
    }

    // Find Radio: the typed path first, then the listed ports; each that is no radio is passed over
    // with its reason, and the radio's port becomes the choice with the echo setting found there.
    void findRadio() {
        SimRadio silent({"--ignore-handshakes", "100"});
        SimRadio vanishing({"--vanish-after", "0"});
        SimRadio radio({"--echo"});
        SimRadio later;
        GarbageDevice garbage;
        QVERIFY(silent.started() && vanishing.started() && radio.started() && later.started());
        QVERIFY(!garbage.path().isEmpty());
        ports = {{silent.device(), "", false},
                 {garbage.path(), "", false},
                 {vanishing.device(), "", false},
                 {radio.device(), "", true},
                 {later.device(), "", false}};
        auto d = dialog(dir->filePath("typed-but-missing"));
        d->show();
        d->FindRadio()->click();
        QVERIFY(d->searching());
        QCOMPARE(d->FindRadio()->text(), QString::fromStdString(app->LangText(34524)));
        QTRY_VERIFY_WITH_TIMEOUT(!d->searching(), 20000);

        // USB adapters come first among the listed ports: the radios were tried before the others.
        QCOMPARE(d->chosenPort(), radio.device());
        QVERIFY(d->foundNoEcho() == std::optional<bool>(false));
        QVERIFY(d->SearchStatus()->text().contains(radio.device()));
        QCOMPARE(d->FindRadio()->text(), QString::fromStdString(app->LangText(34520)));
        QCOMPARE(d->SearchLog()->count(), 1);
        QCOMPARE(d->SearchLog()->item(0)->text(), dir->filePath("typed-but-missing") + ": no such device");
        QCOMPARE(radio.count("RX handshake"), 1);
        QTRY_COMPARE(radio.count("RX end"), 1);
        QCOMPARE(radio.count("RX"), 2); // nothing else was sent
        QCOMPARE(later.count("RX"), 0);
        QVERIFY(prompter.asked.empty());

        // The radio gone: the other ports, each with its reason; nothing but handshakes sent.
        ports = {{silent.device(), "", false}, {garbage.path(), "", false}, {vanishing.device(), "", false}};
        d->EnablePortOptions();
        d->DevicePath()->setText(silent.device());
        QElapsedTimer clock;
        clock.start();
        d->FindRadio()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->searching(), 20000);
        qInfo("Find Radio: %lld ms for a silent, a garbage-answering and a vanishing port",
              static_cast<long long>(clock.elapsed()));
        QVERIFY(!d->foundNoEcho());
        QCOMPARE(d->chosenPort(), silent.device());
        QCOMPARE(d->SearchStatus()->text(), QString::fromStdString(app->LangText(34523)));
        QCOMPARE(d->SearchLog()->count(), 3);
        QCOMPARE(d->SearchLog()->item(0)->text(), silent.device() + ": no answer from the radio");
        QCOMPARE(d->SearchLog()->item(1)->text(),
                 garbage.path() + ": something answers, but not as the radio does");
        QVERIFY2(d->SearchLog()->item(2)->text().startsWith(vanishing.device() + ": it went away"),
                 qPrintable(d->SearchLog()->item(2)->text()));
        QCOMPARE(silent.count("RX handshake"), 3);
        QCOMPARE(silent.count("RX"), 3);
    }

    // With the path box emptied, Find Radio still tries every port the list offers: the one
    // selected there first, and a chosen path the system does not list.
    void findRadioWithAnEmptyPathBox_data() {
        QTest::addColumn<bool>("selectRadio");
        QTest::newRow("radio's port selected") << true;
        QTest::newRow("nothing selected") << false;
    }
    void findRadioWithAnEmptyPathBox() {
        QFETCH(bool, selectRadio);
        SimRadio silent({"--ignore-handshakes", "100"});
        SimRadio radio;
        QVERIFY(silent.started() && radio.started());
        ports = {{silent.device(), "", false}};
        auto d = dialog(radio.device()); // a pseudo-terminal: listed as chosen, not by the system
        d->show();
        QVERIFY(itemFor(*d, radio.device()) != nullptr);
        if (selectRadio)
            d->PortList()->setCurrentItem(itemFor(*d, radio.device()));
        d->DevicePath()->setFocus();
        d->DevicePath()->selectAll();
        QTest::keyClick(d->DevicePath(), Qt::Key_Backspace);
        QVERIFY(d->DevicePath()->text().isEmpty());
        if (selectRadio) {
            const QSignalBlocker keepTheBoxEmpty(d->PortList());
            d->PortList()->setCurrentItem(itemFor(*d, radio.device()));
        }
        d->FindRadio()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->searching(), 20000);
        QCOMPARE(d->chosenPort(), radio.device());
        QCOMPARE(radio.count("RX handshake"), 1);
        QCOMPARE(silent.count("RX handshake"), selectRadio ? 0 : 3);
    }

    // Stop ends the search at once: the port being tried gets the end frame, no other is tried;
    // closing the dialog during a search ends it too.
    void stopAndClose() {
        SimRadio silent({"--ignore-handshakes", "100"});
        SimRadio radio;
        QVERIFY(silent.started() && radio.started());
        ports = {{radio.device(), "", true}};
        auto d = dialog(silent.device());
        d->FindRadio()->click();
        QTRY_COMPARE(silent.count("RX handshake"), 1);
        d->FindRadio()->click();
        QVERIFY(!d->searching());
        QTRY_COMPARE(silent.count("RX end"), 1);
        QCOMPARE(radio.count("RX"), 0);
        QCOMPARE(d->chosenPort(), silent.device());

        d->FindRadio()->click();
        QVERIFY(d->searching());
        d->reject();
        QVERIFY(!d->searching());
        d.reset();
        QTest::qWait(RadioSearch::kReplyMs * 2);
        QCOMPARE(radio.count("RX"), 0);
    }
};

QTEST_MAIN(PortDialogTest)
#include "port_dialog_test.moc"
