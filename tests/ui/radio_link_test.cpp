// SPDX-License-Identifier: GPL-3.0-or-later
// The radio commands of the main window with the real serial adapter against the simulated
// radio on a pseudo-terminal: read and write with their questions and progress window, the
// password step, the radio information read, a radio that stops answering, the paths that end
// before an exchange starts, the backups every read and write keeps, verify after write and the
// restoring of a backup.
#include "app/frm_main.h"
#include "channels/frm_comm_ch_info.h"
#include "common/twips.h"
#include "files/app_settings.h"
#include "files/backup_store.h"
#include "files/data_files.h"
#include "files/ini_file.h"
#include "link/batch_write.h"
#include "link/frm_backups.h"
#include "link/frm_batch_write.h"
#include "link/frm_pass_word.h"
#include "link/frm_progress.h"
#include "link/frm_radio_info.h"
#include "link/frm_set_comm.h"
#include "link/image_verify.h"
#include "link/radio_link.h"
#include "model/channel_table.h"
#include "sim_radio.h"
#include "ui_test_support.h"
#include <QListWidget>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace zt;
using zt::test::ScriptedPrompter;
using zt::test::SimRadio;

Q_DECLARE_METATYPE(zt::LinkMode)
Q_DECLARE_METATYPE(zt::VerifyStatus)

namespace {

// The captions the progress windows show, in order.
class CaptionLog : public QObject {
  public:
    QStringList seen;
    CaptionLog() { qApp->installEventFilter(this); }
    ~CaptionLog() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::WindowTitleChange && o->objectName() == FrmProgress::kName)
            seen << static_cast<QWidget*>(o)->windowTitle();
        return false;
    }
};

QByteArray BackupFile(const BackupEntry& e, const char* name) {
    QFile f(QString::fromStdString(e.folder) + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Bytes(const RadioImage& im) {
    return QByteArray(reinterpret_cast<const char*>(im.data()), static_cast<int>(im.size()));
}

} // namespace

class RadioLinkTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    RadioLink* link = nullptr;

    bool asked(int id) const { return askedText(app->LangText(id)); }
    bool askedText(const std::string& t) const {
        return std::find(prompter.asked.begin(), prompter.asked.end(), t) != prompter.asked.end();
    }
    int askedCount(int id) const {
        return static_cast<int>(std::count(prompter.asked.begin(), prompter.asked.end(), app->LangText(id)));
    }
    std::vector<QString> openWindows() const {
        std::vector<QString> names;
        for (QMdiSubWindow* s : w->mdiArea()->subWindowList())
            names.push_back(s->widget()->objectName());
        return names;
    }
    void usePort(const SimRadio& sim) { app->ComPortName = sim.device().toStdString(); }
    // Runs a command and waits for its exchange to end; returns whether it succeeded.
    bool run(const char* command, QSignalSpy& spy, int timeoutMs = 30000) {
        w->action(command)->trigger();
        if (spy.isEmpty() && !spy.wait(timeoutMs))
            return false;
        return spy.takeFirst().at(1).toBool();
    }
    // Block reads of the memory (the password block read is not one of them).
    static int memoryReads(const SimRadio& sim) { return sim.count("RX read") - sim.count("RX read 3F"); }
    // The document that the radio's memory decodes to.
    static DocumentCopy decoded(const QByteArray& memory) {
        RadioImage im{};
        std::copy_n(memory.constData(), std::min<qsizetype>(memory.size(), qsizetype(im.size())), im.begin());
        DocumentCopy d;
        DecodeRadioImage(im, d);
        return d;
    }
    QByteArray image() const { return Bytes(link->engine().image()); }
    static std::vector<BackupEntry> backups() { return BackupStore(RadioLink::BackupsFolder()).list(); }
    void newMainWindow() {
        w.reset();
        w = std::make_unique<frmMain>(*app, *doc, *info);
        w->Form_Load();
        w->show();
        link = w->findChild<RadioLink*>(RadioLink::kName);
        QVERIFY(link != nullptr);
    }
    // Runs File > Restore from Backup... with `inDialog` acting on the open dialog.
    void restore(std::function<void(FrmBackups&)> inDialog) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<FrmBackups*>(QApplication::activeModalWidget());
            QVERIFY(d != nullptr);
            shown = true;
            inDialog(*d);
            if (d->isVisible())
                d->reject();
        });
        w->action("MnuRestoreBackup")->trigger();
        QVERIFY(shown);
    }

  private slots:
    void initTestCase() {
        qRegisterMetaType<zt::LinkMode>();
        // Backups and settings go to the test folders, not to the user's own.
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setOrganizationName("ztprog-test");
        QApplication::setApplicationName("ztprog-test");
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QSettings().clear();
        QFile::remove(QString::fromStdString(RadioLink::BackupsFolder()));
        QDir(QString::fromStdString(RadioLink::BackupsFolder())).removeRecursively();
        app = std::make_unique<AppState>();
        zt::test::PrepareTestApp(*app, *dir, prompter);
        app->versions = LoadVersionTable(std::string(ZT_PROGRAM_DIR) + "/../Version.ini");
        doc = std::make_unique<Document>();
        info = std::make_unique<RadioInfoRecord>();
        InitDocument(*app, *doc, *info);
        prompter.script.clear();
        prompter.asked.clear();
        newMainWindow();
    }
    void cleanup() { w.reset(); }

    void commandsAreOffered() {
        for (const char* c : {"mnuReadFromRadio", "mnuWriteToRadio", "MnuProPassWord", "MnuLocalInfo",
                              "ReadRadio", "WriteRadio", "mnuComm", "CommSet"})
            QVERIFY2(w->action(c)->isEnabled(), c);
    }

    // A full read: confirmation, a progress window that Esc and a close request do not end,
    // the success message, and half a second later the radio's data in a reopened channel
    // window of the untitled document.
    void readReplacesTheDocumentAfterTheProgressWindow() {
        SimRadio sim;
        QVERIFY(sim.started());
        usePort(sim);
        QSignalSpy spy(link, &RadioLink::ended);
        w->action("mnuReadFromRadio")->trigger();
        QPointer<FrmProgress> progress = link->progressWindow();
        QVERIFY(progress != nullptr);
        QVERIFY(progress->isVisible());
        QVERIFY(progress->isModal());
        QVERIFY(!(progress->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(w->CommandsBlocked());
        QTest::keyClick(progress, Qt::Key_Escape);
        progress->close();
        QVERIFY(progress->isVisible());
        QVERIFY(spy.wait(30000));
        QCOMPARE(spy.first().at(1).toBool(), true);
        QVERIFY(progress.isNull() || !progress->isVisible());
        QVERIFY(asked(9004));
        QVERIFY(asked(9009));
        QCOMPARE(memoryReads(sim), 580);
        QCOMPARE(image(), sim.dumped().left(0x2440));
        // The windows close at once; the document arrives with the timer.
        QVERIFY(openWindows().empty());
        QVERIFY(link->ReadOKTimer().isActive());
        QVERIFY(w->CommandsBlocked());
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        QCOMPARE(app->DocFileName, std::string("new.dat"));
        QVERIFY(w->windowTitle().contains("new.dat"));
        const DocumentCopy radio = decoded(sim.dumped());
        QVERIFY(radio.count() > 0);
        QCOMPARE(doc->work.count(), radio.count());
        for (int i = 0; i < radio.count(); ++i) {
            const ChannelRecord& r = radio.channels[static_cast<std::size_t>(i)];
            const int at = FindChannel(doc->work, r.ChannelNo);
            QVERIFY(at >= 0);
            const ChannelRecord& got = doc->work.channels[static_cast<std::size_t>(at)];
            QCOMPARE(got.RxFreq.trimmed(), r.RxFreq.trimmed());
            QCOMPARE(got.Mode, r.Mode);
        }
        QVERIFY(!w->CommandsBlocked());
        QVERIFY(!link->port().isOpen());
    }

    // A window opened between the end of a read and the decoding shows the old document: it
    // is closed again before the new one arrives. The document read starts a new undo history.
    void windowOpenedBeforeTheDecodeIsClosed() {
        SimRadio sim;
        usePort(sim);
        QVERIFY(AppendChannel(*app, doc->work, 333, "27.33300"));
        w->Checkpoint();
        QVERIFY(w->undoHistory().CanUndo());
        prompter.script = {Answer::No};
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("mnuReadFromRadio", spy));
        w->ShowChildWindow(FrmRadioInfo::kName);
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        QVERIFY(!w->undoHistory().CanUndo());
    }

    // Before a read replaces a changed document it is offered for saving; Cancel stops.
    void readOfAChangedDocumentAsksFirst() {
        SimRadio sim;
        usePort(sim);
        QVERIFY(AppendChannel(*app, doc->work, 333, "27.33300"));
        const DocumentCopy before = doc->work;
        prompter.script = {Answer::Cancel};
        w->action("mnuReadFromRadio")->trigger();
        QCOMPARE(prompter.asked, std::vector<std::string>{app->LangText(9006)});
        QVERIFY(!link->engine().busy());
        QCOMPARE(doc->work.count(), before.count());
        QCOMPARE(sim.count("RX handshake"), 0);
    }

    // Cancel at the confirmation, and a port that cannot be opened: no exchange, the port
    // closed, the commands free again.
    void exchangesThatNeverStart_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("portExists");
        QTest::addColumn<int>("message");
        QTest::newRow("read cancelled") << "mnuReadFromRadio" << true << 9004;
        QTest::newRow("write cancelled") << "mnuWriteToRadio" << true << 9005;
        QTest::newRow("read, no port") << "mnuReadFromRadio" << false << 9003;
        QTest::newRow("write, no port") << "mnuWriteToRadio" << false << 9003;
        QTest::newRow("information, no port") << "MnuLocalInfo" << false << 9003;
    }
    void exchangesThatNeverStart() {
        QFETCH(QString, command);
        QFETCH(bool, portExists);
        QFETCH(int, message);
        SimRadio sim;
        app->ComPortName = portExists ? sim.device().toStdString() : dir->filePath("none").toStdString();
        app->IsFirstRun = true;
        prompter.script = {Answer::Cancel};
        w->action(command)->trigger();
        QTRY_VERIFY(!link->WaitSaveDataTimer().isActive());
        QTRY_COMPARE(prompter.asked.size(), std::size_t(1));
        // A port that cannot be opened is one message, naming the port and why.
        QCOMPARE(prompter.asked.back(),
                 app->LangText(message) + (portExists ? "" : "\r\n" + app->ComPortName + ": no such device"));
        QVERIFY(!link->engine().busy());
        QVERIFY(!link->port().isOpen());
        QVERIFY(link->progressWindow() == nullptr);
        QVERIFY(!w->CommandsBlocked());
        QCOMPARE(sim.count("RX handshake"), 0);
        QVERIFY(app->IsFirstRun); // no radio answered
    }

    // The port vanishes while the confirmation is open (an adapter unplugged): the progress
    // window's opening of the port fails, 9003 ends the exchange, no handshake goes anywhere and
    // nothing waits for ever.
    void portThatFailsToReopen() {
        SimRadio sim;
        const QString path = dir->filePath("radio-link");
        QVERIFY(QFile::link(sim.device(), path));
        app->ComPortName = path.toStdString();
        struct Unplugging : ScriptedPrompter {
            QString link;
            std::string question;
            Answer ask(const std::string& text, Icon icon, Buttons buttons,
                       const std::string& title) override {
                if (text == question)
                    QFile::remove(link);
                return ScriptedPrompter::ask(text, icon, buttons, title);
            }
        } unplugging;
        unplugging.link = path;
        unplugging.question = app->LangText(9004);
        app->prompter = &unplugging;
        const int before = doc->work.count();
        w->action("mnuReadFromRadio")->trigger();
        app->prompter = &prompter;
        QCOMPARE(unplugging.asked, (std::vector<std::string>{app->LangText(9004),
                                                             app->LangText(9003) + "\r\n" +
                                                                 path.toStdString() + ": no such device"}));
        QVERIFY(!link->engine().busy());
        QVERIFY(!link->port().isOpen());
        QVERIFY(link->progressWindow() == nullptr);
        QVERIFY(!w->CommandsBlocked());
        QTest::qWait(300);
        QCOMPARE(sim.count("RX handshake"), 0);
        QCOMPARE(doc->work.count(), before);
    }

    // A write sends the edited document: the radio's memory afterwards is the encoded image
    // with the radio's own identification bytes.
    void writeSendsTheEditedDocument() {
        SimRadio sim;
        usePort(sim);
        QVERIFY(AppendChannel(*app, doc->work, 12, "27.18500"));
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("mnuWriteToRadio", spy));
        QVERIFY(asked(9005));
        QVERIFY(asked(9010));
        QCOMPARE(sim.count("RX write"), 580);
        QCOMPARE(sim.dumped().left(0x2440), image());
        RadioImage expected{};
        ClearRadioImage(expected);
        EncodeRadioImage(*app, doc->work, expected);
        // Only the identification area (0x21F0..0x21FD) may differ: it is the radio's own.
        const QByteArray dumped = sim.dumped();
        for (int a = 0; a < 0x2440; ++a)
            if (a < 0x21F0 || a > 0x21FD)
                QCOMPARE(static_cast<std::uint8_t>(dumped[a]), expected[static_cast<std::size_t>(a)]);
        QVERIFY(!link->port().isOpen());
        QVERIFY(!w->CommandsBlocked());
    }

    // The radio's password: the dialog's answer decides; a refusal ends with the port closed
    // and the document as it was.
    void passwordStep_data() {
        QTest::addColumn<QString>("typed"); // "<cancel>": the dialog is cancelled
        QTest::addColumn<bool>("ok");
        QTest::newRow("right") << "12" << true;
        QTest::newRow("wrong") << "21" << false;
        QTest::newRow("cancelled") << "<cancel>" << false;
    }
    void passwordStep() {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        SimRadio sim({"--password", "12"});
        usePort(sim);
        int shown = 0;
        link->passwordDialog = [&](std::string& password) {
            ++shown;
            if (typed != "<cancel>")
                password = typed.toStdString();
            return true;
        };
        const int before = doc->work.count();
        QSignalSpy spy(link, &RadioLink::ended);
        QCOMPARE(run("mnuReadFromRadio", spy), ok);
        QCOMPARE(shown, 1);
        QCOMPARE(askedText("PassWord Failure!"), !ok);
        QVERIFY(!link->port().isOpen());
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        QCOMPARE(doc->work.count(), ok ? decoded(sim.dumped()).count() : before);
        QCOMPARE(memoryReads(sim), ok ? 580 : 0);
    }

    // The real dialog over the progress window: typed there, the exchange goes on.
    void passwordDialogDuringARead() {
        SimRadio sim({"--password", "12"});
        usePort(sim);
        QTimer poll;
        int shown = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<FrmPassWord*>(QApplication::activeModalWidget());
            if (d == nullptr)
                return;
            ++shown;
            QVERIFY(d->parentWidget() == link->progressWindow());
            QTest::keyClicks(d->Text1(), "12  x");
            QCOMPARE(d->Text1()->text(), QString("12  "));
            d->CommandOK()->click();
        });
        poll.start(20);
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("mnuReadFromRadio", spy));
        QCOMPARE(shown, 1);
        QCOMPARE(link->engine().programmingPassword(), std::string("12"));
        QCOMPARE(memoryReads(sim), 580);
    }

    // The dialog: at most four characters, trailing blanks dropped on OK, Cancel keeps the
    // previous password; the menu command sets the password of the next exchanges.
    void passwordDialog() {
        FrmPassWord dlg(*app, "ab", w.get());
        QCOMPARE(dlg.Text1()->text(), QString("ab"));
        // Hidden as typed, shown on request; what it holds does not change either way.
        QCOMPARE(dlg.Text1()->echoMode(), QLineEdit::Password);
        QVERIFY(!dlg.ShowPassword()->isChecked());
        QCOMPARE(dlg.ShowPassword()->text(), QString::fromStdString(app->LangText(34204)));
        dlg.ShowPassword()->click();
        QCOMPARE(dlg.Text1()->echoMode(), QLineEdit::Normal);
        dlg.ShowPassword()->click();
        QCOMPARE(dlg.Text1()->echoMode(), QLineEdit::Password);
        QCOMPARE(dlg.Text1()->text(), QString("ab"));
        QCOMPARE(dlg.Text1()->maxLength(), 4);
        dlg.Text1()->setText("xy  ");
        dlg.CommandOK()->click();
        QCOMPARE(dlg.password(), std::string("xy"));
        FrmPassWord cancelled(*app, "ab", w.get());
        cancelled.Text1()->setText("zz");
        cancelled.CommandCancel()->click();
        QCOMPARE(cancelled.password(), std::string("ab"));
        QCOMPARE(FrmPassWord::Trimmed(std::string("1\0 2", 4)), std::string("1"));

        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<FrmPassWord*>(QApplication::activeModalWidget());
            QVERIFY(d != nullptr);
            d->Text1()->setText("1234");
            d->CommandOK()->click();
        });
        w->action("MnuProPassWord")->trigger();
        QCOMPARE(link->engine().programmingPassword(), std::string("1234"));
    }

    // The information read: no question, no progress window; the window shows the radio's
    // texts with every control disabled.
    void informationReadOpensItsWindow() {
        QByteArray area(256, char(0xFF));
        area.replace(0x00, 4, "0123");
        area.replace(0x30, 10, "SN-7788990");
        area.replace(0xC0, 6, "DLR-01");
        QFile f(dir->filePath("info.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(area);
        f.close();
        SimRadio radio({"--info", dir->filePath("info.bin")});
        QVERIFY(radio.started());
        usePort(radio);
        // Started without the first-run window having met a radio: this exchange ends the first
        // run, also for the next start.
        app->IsFirstRun = true;
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("MnuLocalInfo", spy));
        QVERIFY(prompter.asked.empty());
        QVERIFY(!app->IsFirstRun);
        QCOMPARE(ReadIniString(MySetupPath(*app), "language", "IsFirstRun"), std::string("0"));
        QCOMPARE(radio.count("RX read 3F"), 16);
        auto* win = qobject_cast<FrmRadioInfo*>(w->ChildByName(FrmRadioInfo::kName));
        QVERIFY(win != nullptr);
        QCOMPARE(win->text(0), QString("0123"));
        QCOMPARE(win->text(1), QString("SN-7788990"));
        QCOMPARE(win->text(8), QString("DLR-01"));
        QCOMPARE(win->text(5), QString("V3.00"));
        QCOMPARE(win->Combo1(0)->currentText(), QString("ZT-450E"));
        for (int i = 0; i < 12; ++i)
            QVERIFY(!win->Text1(i)->isEnabled());
        QVERIFY(!win->Combo1(0)->isEnabled() && !win->Combo1(1)->isEnabled());
        QCOMPARE(win->windowTitle(), QString::fromStdString(app->LangText(21000)));
        // Each label ends 50 twips left of its control.
        const QLabel* l = win->label(21007);
        QCOMPARE(win->Text1(1)->x() - (l->x() + l->width()), Tw(50, win));
        QCOMPARE(w->radioInfo().SerialNumber.trimmed(), std::string("SN-7788990"));
    }

    // A radio of another firmware version: the version question; Yes starts the program
    // version that handles it, after the port has been closed, and this one ends; without such
    // a version installed, message 9063 and the program stays.
    void radioOfAnotherVersionIsHandedOver_data() {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed") << true;
        QTest::newRow("not installed") << false;
    }
    void radioOfAnotherVersionIsHandedOver() {
        QFETCH(bool, installed);
        QFile table(dir->filePath("Version.ini"));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("[Version]\nSoftVersionCount=2\nFirmVersionCount=2\n[Firm]\nVersion0=V300V300\n"
                    "Version1=V310V301\n");
        table.close();
        app->versions = LoadVersionTable(dir->filePath("Version.ini").toStdString());
        if (installed) {
            QDir(dir->path()).mkpath("V310");
            QFile program(dir->filePath("V310/ztprog"));
            QVERIFY(program.open(QIODevice::WriteOnly));
        }
        std::vector<std::pair<std::string, bool>> started; // program, port open then
        app->startProcess = [&](const std::string& program) {
            started.emplace_back(program, link->port().isOpen());
            return true;
        };
        SimRadio sim({"--version", "V301"});
        usePort(sim);
        prompter.script = {Answer::Ok, Answer::Yes};
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(!run("mnuReadFromRadio", spy));
        QCOMPARE(prompter.asked.at(1), VersionMessage(*app, "V300", "V301", 0));
        QCOMPARE(memoryReads(sim), 0);
        QCOMPARE(started.size(), std::size_t(installed ? 1 : 0));
        if (installed) {
            QCOMPARE(started[0].first, dir->filePath("V310/ztprog").toStdString());
            QVERIFY(!started[0].second);
        }
        QCOMPARE(w->HandedOver(), installed);
        QCOMPARE(asked(9063), !installed);
        QVERIFY(!link->port().isOpen());
    }

    // A simulated radio whose information area holds `serial`.
    QString infoArea(const QString& serial) {
        QByteArray area(256, char(0xFF));
        area.replace(0x30, serial.size() + 1, serial.toLatin1() + '\0');
        QFile f(dir->filePath(serial + ".info"));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(area);
        return f.fileName();
    }

    // Every complete read keeps the radio's memory as read, every write what it sends and, before
    // it, the memory the radio held; each names the radio on the cable, read in the same exchange,
    // even after Radio Information showed another radio.
    void backupsNameTheRadioOnTheCable() {
        SimRadio other({"--info", infoArea("SN-0001")});
        usePort(other);
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("MnuLocalInfo", spy));
        QCOMPARE(w->radioInfo().SerialNumber.trimmed(), std::string("SN-0001"));

        SimRadio sim({"--info", infoArea("SN-4711")});
        QVERIFY(sim.started());
        usePort(sim);
        QVERIFY(run("mnuReadFromRadio", spy));
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        std::vector<BackupEntry> kept = backups();
        QString listed;
        for (const BackupEntry& e : kept)
            listed += QString::fromStdString(e.folder) + " ";
        QVERIFY2(kept.size() == 1, qPrintable(listed));
        QCOMPARE(kept[0].kind, BackupKind::Read);
        QCOMPARE(kept[0].serial, std::string("SN-4711"));
        QCOMPARE(kept[0].model, std::string("ZT-450E"));
        const QByteArray held = sim.dumped().left(0x2440);
        QCOMPARE(BackupFile(kept[0], backup_file::kImage), held);
        QCOMPARE(BackupFile(kept[0], backup_file::kInfoBlock).mid(0x30, 7), QByteArray("SN-4711"));

        // The radio's memory changes behind the program's back, then the document is written.
        QVERIFY(AppendChannel(*app, doc->work, 200, "28.20000"));
        QVERIFY(run("mnuWriteToRadio", spy));
        kept = backups();
        QCOMPARE(kept.size(), std::size_t(3));
        QCOMPARE(kept[0].kind, BackupKind::Write);
        QCOMPARE(kept[1].kind, BackupKind::BeforeWrite);
        for (const BackupEntry& e : kept)
            QCOMPARE(e.serial, std::string("SN-4711"));
        QCOMPARE(BackupFile(kept[1], backup_file::kImage), held);
        // What was sent; the bytes the radio owns are learnt from it after the listing was kept.
        const QByteArray sent = BackupFile(kept[0], backup_file::kImage), now = sim.dumped().left(0x2440);
        for (int a = 0; a < now.size(); ++a)
            if (!IsRadioOwnedAddress(a))
                QCOMPARE(sent[a], now[a]);
        QCOMPARE(kept[0].check, BackupCheck::NotChecked);
        QCOMPARE(kept[0].document, std::filesystem::path(app->DocFileName).filename().string());
    }

    // Restore writes the backup's memory back byte for byte (stale bytes in unused channel slots
    // and all), after the radio's information is read; another radio is asked about.
    void restoreWritesTheBackupsMemory_data() {
        QTest::addColumn<bool>("otherRadio");
        QTest::addColumn<bool>("agree");
        QTest::newRow("same radio") << false << false;
        QTest::newRow("other radio, declined") << true << false;
        QTest::newRow("other radio, agreed") << true << true;
    }
    void restoreWritesTheBackupsMemory() {
        QFETCH(bool, otherRadio);
        QFETCH(bool, agree);
        // A memory with bytes a document never holds: noise over unused channel slots.
        RadioImage im{};
        ClearRadioImage(im);
        DocumentCopy pair = doc->work;
        QVERIFY(AppendChannel(*app, pair, 5, "27.05500"));
        EncodeRadioImage(*app, pair, im);
        for (int a = 0x1000; a < 0x1400; a += 7)
            im[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a * 13);
        BackupStore store(RadioLink::BackupsFolder());
        RadioInfoBlock block;
        block.fill(0xFF);
        const std::string serial = "SN-4711";
        std::copy(serial.begin(), serial.end(), block.begin() + 0x30);
        block[0x30 + serial.size()] = 0;
        const auto folder =
            store.keep(BackupKind::Read, im, pair, BackupRadio{&block, "ZT-450E", "V300"}, 1'600'000'000);
        QVERIFY(folder);

        SimRadio sim({"--info", infoArea(otherRadio ? "SN-0002" : "SN-4711")});
        usePort(sim);
        QSignalSpy spy(link, &RadioLink::ended);
        prompter.script = {Answer::Ok, agree ? Answer::Yes : Answer::No};
        const DocumentCopy before = doc->work;
        restore([&](FrmBackups& d) {
            QCOMPARE(d.BackupList()->item(0, 4)->text(), QString("ZT-450E"));
            QTest::keyClick(d.BackupList(), Qt::Key_Return); // Restore to Radio, the default
        });
        QVERIFY(spy.wait(30000));
        const bool ok = spy.takeFirst().at(1).toBool();
        QCOMPARE(prompter.asked.front(), app->LangText(34700));
        QCOMPARE(doc->work.settings, before.settings); // the document is not touched
        QCOMPARE(doc->work.count(), before.count());
        if (otherRadio && !agree) {
            QVERIFY(!ok);
            QVERIFY2(prompter.asked.back().find("SN-0002") != std::string::npos,
                     prompter.asked.back().c_str());
            QCOMPARE(sim.count("RX write"), 0);
            QCOMPARE(link->engine().lastResult().outcome, LinkOutcome::OtherRadio);
            return;
        }
        QVERIFY(ok);
        const QByteArray after = sim.dumped().left(0x2440);
        for (int a = 0; a < 0x2440; ++a)
            if (!IsRadioOwnedAddress(a))
                QCOMPARE(after[a], char(im[static_cast<std::size_t>(a)]));
        const auto kept = backups();
        QCOMPARE(kept[0].kind, BackupKind::Restore);
        QCOMPARE(kept[0].serial, otherRadio ? std::string("SN-0002") : serial);
        QCOMPARE(kept[0].document, std::filesystem::path(*folder).filename().string());
        QCOMPARE(kept[1].kind, BackupKind::BeforeWrite);
    }

    // A backup that cannot be kept is reported once; the exchange goes on and succeeds.
    void backupThatCannotBeKeptIsReported() {
        QFile blocker(QString::fromStdString(RadioLink::BackupsFolder()));
        QVERIFY(QDir().mkpath(QFileInfo(blocker).path()));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        SimRadio sim;
        usePort(sim);
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("mnuReadFromRadio", spy));
        const std::string warning = app->LangText(33232) + "\r\n";
        QCOMPARE(std::count_if(prompter.asked.begin(), prompter.asked.end(),
                               [&](const std::string& t) { return t.starts_with(warning); }),
                 1);
        QVERIFY(asked(9009));
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        QCOMPARE(doc->work.count(), decoded(sim.dumped()).count());
    }

    // Before a write its backups must be kept: when they cannot be, the user is asked once, and
    // the write starts only on Yes.
    void writeWithoutItsBackupOnlyWhenChosen() {
        QFile blocker(QString::fromStdString(RadioLink::BackupsFolder()));
        QVERIFY(QDir().mkpath(QFileInfo(blocker).path()));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        SimRadio sim;
        usePort(sim);
        const std::string question = app->LangText(34705) + "\r\n";
        auto questions = [&] {
            return std::count_if(prompter.asked.begin(), prompter.asked.end(),
                                 [&](const std::string& t) { return t.starts_with(question); });
        };
        prompter.script = {Answer::Ok, Answer::No};
        w->action("mnuWriteToRadio")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(questions(), 1, 30000); // after the radio's memory was read
        QTRY_VERIFY(!w->CommandsBlocked());
        QVERIFY(!link->engine().busy());
        QCOMPARE(link->engine().lastResult().outcome, LinkOutcome::BackupNotKept);
        QCOMPARE(sim.count("RX write"), 0);

        prompter.script = {Answer::Ok, Answer::Yes};
        QSignalSpy spy(link, &RadioLink::ended);
        QVERIFY(run("mnuWriteToRadio", spy));
        QCOMPARE(questions(), 2);
        QCOMPARE(sim.count("RX write"), 580);
    }

    // A write cut short after its first block says what the radio may hold and names what
    // restores it: its memory kept before the write (which is what the radio held), else the
    // newest backup of that radio's memory, else that none was kept. Never the document sent.
    void writeCutShortNamesTheBackup_data() {
        QTest::addColumn<bool>("keepBefore");
        QTest::addColumn<bool>("readFirst");
        QTest::addColumn<int>("text");
        QTest::newRow("memory kept before the write") << true << false << 34701;
        QTest::newRow("not kept, an earlier read") << false << true << 34702;
        QTest::newRow("not kept, nothing") << false << false << 34703;
    }
    void writeCutShortNamesTheBackup() {
        QFETCH(bool, keepBefore);
        QFETCH(bool, readFirst);
        QFETCH(int, text);
        if (!keepBefore)
            w->action("MnuKeepBeforeWrite")->trigger();
        QVERIFY(link->engine().keepBeforeWrite() == keepBefore);
        // Frames: the information area 19, a whole read 584, then 300 of the write.
        const int silentAfter = 19 + (keepBefore ? 584 : 0) + (readFirst ? 19 + 584 : 0) + 300;
        SimRadio sim({"--silent-after", QString::number(silentAfter), "--info", infoArea("SN-77")});
        usePort(sim);
        QSignalSpy spy(link, &RadioLink::ended);
        if (readFirst) {
            QVERIFY(run("mnuReadFromRadio", spy));
            QTRY_VERIFY(!link->ReadOKTimer().isActive());
        }
        const QByteArray held = sim.dumped().left(0x2440);
        prompter.asked.clear();
        prompter.script = {Answer::Ok, Answer::Cancel}; // confirm, then give up at the retry question
        QVERIFY(!run("mnuWriteToRadio", spy));
        QVERIFY(asked(9008));
        QVERIFY(sim.count("RX write") > 200);
        const std::string& last = prompter.asked.back();
        // The message says how far the radio acknowledged the write before it fell silent.
        QVERIFY2(
            last.starts_with(app->LangText(34202) + "\r\n" +
                             "The radio acknowledged the channels up to Group 7 CH 15 (channel 295).\r\n" +
                             app->LangText(text)),
            last.c_str());
        const std::vector<BackupEntry> kept = backups();
        QCOMPARE(kept[0].kind, BackupKind::Write);
        QCOMPARE(kept[0].check, BackupCheck::Failed);
        QVERIFY(last.find(kept[0].folder) == std::string::npos);
        if (text == 34703)
            return;
        QCOMPARE(kept[1].kind, keepBefore ? BackupKind::BeforeWrite : BackupKind::Read);
        QCOMPARE(kept[1].serial, std::string("SN-77"));
        QVERIFY2(last.ends_with(kept[1].folder), last.c_str());
        if (!keepBefore)
            QVERIFY(last.find(kept[1].date + " " + kept[1].time) != std::string::npos);
        QCOMPARE(BackupFile(kept[1], backup_file::kImage), held.isEmpty() ? sim.dumped().left(0x2440) : held);
    }

    // Verify after write: the progress window goes on into a second phase, and the message at the
    // end says the write was verified, or names the channel the radio holds differently.
    void verifyAfterWrite_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<zt::VerifyStatus>("status");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("writeAgain"); // the answer to the question whether to write again
        QTest::newRow("stored") << QStringList{} << VerifyStatus::Verified << 33212 << "" << false;
        QTest::newRow("channel 12 lost") << QStringList{"--lose", "write:0x00C0"} << VerifyStatus::Differs
                                         << 33213 << "\r\nGroup 0 CH 12 (channel 12): frequency" << false;
        // Lost once: written again on the user's word, the second write is verified.
        QTest::newRow("lost once, written again")
            << QStringList{"--lose", "write:0x00C0:1"} << VerifyStatus::Verified << 33212 << "" << true;
    }
    void verifyAfterWrite() {
        QFETCH(QStringList, faults);
        QFETCH(zt::VerifyStatus, status);
        QFETCH(int, message);
        QFETCH(QString, names);
        QFETCH(bool, writeAgain);
        SimRadio sim(faults);
        usePort(sim);
        QVERIFY(AppendChannel(*app, doc->work, 12, "27.18500"));
        w->action("MnuVerifyWrite")->trigger();
        QVERIFY(link->engine().verifyAfterWrite());
        CaptionLog captions;
        QSignalSpy spy(link, &RadioLink::ended);
        // The write's confirmation, then the answer to the question whether to write again.
        prompter.script = {Answer::Ok, writeAgain ? Answer::Yes : Answer::No};
        QVERIFY(run("mnuWriteToRadio", spy));
        if (writeAgain) {
            QVERIFY(prompter.asked.back().ends_with(app->LangText(34626)));
            QVERIFY(spy.wait(30000)); // the second write, started by itself
            QTRY_COMPARE(link->engine().busy(), false);
            QCOMPARE(sim.count("RX write 00C0"), 2);
        } else if (status == VerifyStatus::Differs) {
            QVERIFY(prompter.asked.back().ends_with(app->LangText(34626)));
        }
        QCOMPARE(captions.seen.mid(0, 4), (QStringList{QString::fromStdString(app->LangText(9028)),
                                                       QString::fromStdString(app->LangText(34715)),
                                                       QString::fromStdString(app->LangText(34716)),
                                                       QString::fromStdString(app->LangText(33211))}));
        QCOMPARE(link->engine().lastResult().verify, status);
        const std::string& end = prompter.asked.back();
        QVERIFY2(end.find(app->LangText(message)) != std::string::npos, end.c_str());
        QVERIFY2(end.find(names.toStdString()) != std::string::npos, end.c_str());
        QCOMPARE(memoryReads(sim), (writeAgain ? 2 : 1) * 2 * 580); // the memory before, then the read-back
        // The backup of the write names the document and what the read-back found.
        const auto backups = BackupStore(RadioLink::BackupsFolder()).list();
        QVERIFY(!backups.empty());
        QCOMPARE(backups[0].kind, BackupKind::Write);
        QCOMPARE(backups[0].document, std::filesystem::path(app->DocFileName).filename().string());
        QCOMPARE(backups[0].check,
                 status == VerifyStatus::Verified ? BackupCheck::Verified : BackupCheck::Differs);
        QVERIFY(!w->CommandsBlocked());
    }

    // The option is off at first, remembered for the next run, refused while an exchange runs,
    // and the new entries follow the language.
    void verifyOptionIsRemembered() {
        QVERIFY(!w->action("MnuVerifyWrite")->isChecked());
        QVERIFY(!link->engine().verifyAfterWrite());
        w->action("MnuVerifyWrite")->trigger();
        newMainWindow();
        QVERIFY(w->action("MnuVerifyWrite")->isChecked());
        QVERIFY(link->engine().verifyAfterWrite());
        w->SetExchangeRunning(true);
        QVERIFY(!w->action("MnuVerifyWrite")->isEnabled());
        QVERIFY(!w->action("MnuRestoreBackup")->isEnabled());
        w->SetExchangeRunning(false);
        SelectLanguage(*app, 2);
        w->Change_Language();
        QCOMPARE(w->action("MnuVerifyWrite")->text(), QString("写入后校验(&V)"));
        QCOMPARE(w->action("MnuRestoreBackup")->text(), QString("从备份恢复(&R)..."));
    }

    // Restoring: the backups newest first; the chosen one, after the save question, becomes the
    // untitled document in the channel window; a damaged one is refused and changes nothing.
    void restoreOpensTheChosenBackup_data() {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("sound") << false;
        QTest::newRow("damaged") << true;
    }
    void restoreOpensTheChosenBackup() {
        QFETCH(bool, damaged);
        BackupStore store(RadioLink::BackupsFolder());
        auto keep = [&](BackupKind kind, int channel, std::time_t when) {
            DocumentCopy pair = doc->work;
            QVERIFY(AppendChannel(*app, pair, channel, "27.18500"));
            RadioImage im{};
            ClearRadioImage(im);
            EncodeRadioImage(*app, pair, im);
            QVERIFY(store.keep(kind, im, pair, BackupRadio{}, when));
        };
        keep(BackupKind::Read, 7, 1'700'000'000);
        keep(BackupKind::Write, 9, 1'800'000'000);
        const std::vector<BackupEntry> kept = store.list();
        QVERIFY(NoteBackupWrite(kept[0].folder, "club.dat", BackupCheck::Verified));
        if (damaged)
            QFile(QString::fromStdString(kept[1].folder) + "/" + backup_file::kPair).resize(10);
        QVERIFY(AppendChannel(*app, doc->work, 333, "27.33300"));
        const DocumentCopy before = doc->work;
        prompter.script = {Answer::No};
        restore([&](FrmBackups& d) {
            QTableWidget* list = d.BackupList();
            QVERIFY(list != nullptr);
            QCOMPARE(list->rowCount(), 2);
            QCOMPARE(list->item(0, 2)->text(), QString("write"));
            QCOMPARE(list->item(1, 2)->text(), QString("read"));
            QCOMPARE(list->item(1, 0)->text(), QString::fromStdString(kept[1].date));
            // A write names its document and whether it was verified; a read has neither.
            QCOMPARE(list->item(0, 6)->text(), QString("club.dat"));
            QCOMPARE(list->item(0, 7)->text(), QString::fromStdString(app->LangText(34646)));
            QCOMPARE(list->item(1, 6)->text(), QString());
            QCOMPARE(list->item(1, 7)->text(), QString());
            QCOMPARE(list->currentRow(), 0);
            list->setCurrentCell(1, 0);
            d.CommandOpen()->click();
        });
        QCOMPARE(prompter.asked.front(), app->LangText(9006));
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        if (damaged) {
            QVERIFY(prompter.asked.back().starts_with(app->LangText(33231) + "\r\n"));
            QVERIFY(FindChannel(doc->work, 333) >= 0);
            QCOMPARE(doc->work.count(), before.count());
            return;
        }
        QCOMPARE(app->DocFileName, std::string("new.dat"));
        QVERIFY(app->IsUntitled);
        QVERIFY(w->windowTitle().contains("new.dat"));
        QVERIFY(FindChannel(doc->work, 7) >= 0);
        QVERIFY(FindChannel(doc->work, 9) < 0);
        QVERIFY(FindChannel(doc->work, 333) < 0);
        QVERIFY(!w->undoHistory().CanUndo());
    }

    // Write to Several Radios: radios put one after another on one port path, as a dealer swaps
    // them on the cable; each gets the document and a line in the window and the log, a failed one
    // waits for the user's word, and Stop ends the batch.
    void writeToSeveralRadios() {
        QTemporaryDir portDir;
        const QString port = portDir.filePath("radio");
        app->ComPortName = port.toStdString();
        QVERIFY(AppendChannel(*app, doc->work, 321, "27.18500"));
        w->action("MnuVerifyWrite")->trigger();
        const QString logPath = dir->filePath("batch.csv");
        link->batchLogDialog = [&] { return logPath; };
        int passwords = 0;
        link->passwordDialog = [&](std::string& pw) {
            ++passwords;
            pw = "12";
            return true;
        };
        const std::vector<QStringList> radios = {
            {"--serial", "ZT45000001"},
            {"--serial", "ZT45000002", "--password", "12"},
            {"--serial", "ZT45000003", "--lose", "write:0x1410"},
            {"--serial", "ZT45000004", "--echo"},
        };
        prompter.script = {Answer::Ok, Answer::Yes}; // the document confirmed; go on after the failed radio
        std::vector<QByteArray> dumps;
        QString countText;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<FrmBatchWrite*>(QApplication::activeModalWidget());
            QVERIFY(d != nullptr);
            shown = true;
            // No radio on the path yet: the window says why the port cannot be opened.
            QTRY_COMPARE(d->StatusLabel()->text().split('\n').size(), 2);
            QVERIFY2(d->StatusLabel()->text().split('\n').back().startsWith(port),
                     qPrintable(d->StatusLabel()->text()));
            for (int i = 0; i < static_cast<int>(radios.size()); ++i) {
                SimRadio sim(radios[static_cast<std::size_t>(i)], port);
                QVERIFY(sim.started());
                QTRY_COMPARE_WITH_TIMEOUT(d->RadioList()->rowCount(), i + 1, 60000);
                dumps.push_back(sim.dumped());
            }
            countText = d->CountLabel()->text();
            d->CommandStop()->click();
            QTRY_COMPARE(d->CommandStop()->text(), QString::fromStdString(app->LangText(34608)));
            QCOMPARE(d->StatusLabel()->text(), QString("The batch has ended."));
            d->CommandStop()->click();
        });
        w->action("MnuWriteSeveral")->trigger();
        QVERIFY(shown);
        QVERIFY(!w->CommandsBlocked());
        QCOMPARE(passwords, 1);
        QCOMPARE(countText, QString("Written: 3 (verified: 3)   Failed: 1"));

        RadioImage expected{};
        ClearRadioImage(expected);
        EncodeRadioImage(*app, doc->work, expected);
        QFile logFile(logPath);
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(logFile.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QString::fromStdString(BatchLogHeader()));
        for (int i = 0; i < 4; ++i) {
            const QStringList cells = lines[i + 1].split(',');
            QCOMPARE(cells[1], QString("ZT4500000%1").arg(i + 1));
            QCOMPARE(cells[6], QFileInfo(QString::fromStdString(app->DocFileName)).fileName());
            QCOMPARE(cells[7], QString(i == 2 ? "failed" : "verified"));
            if (i == 2) {
                QVERIFY2(lines[i + 1].contains("Group 8 CH 1 (channel 321)"), qPrintable(lines[i + 1]));
                continue;
            }
            const QByteArray& held = dumps[static_cast<std::size_t>(i)];
            QCOMPARE(held.size(), qsizetype(expected.size()));
            for (int a = 0; a < static_cast<int>(expected.size()); ++a)
                if (!IsRadioOwnedAddress(a) &&
                    static_cast<std::uint8_t>(held[a]) != expected[static_cast<std::size_t>(a)])
                    QFAIL(qPrintable(QString("radio %1 differs at 0x%2").arg(i + 1).arg(a, 4, 16)));
        }
        // Every radio's memory before the write is kept, and every write listed with its outcome,
        // named by the radio's serial number.
        const auto kept = BackupStore(RadioLink::BackupsFolder()).list();
        QCOMPARE(kept.size(), std::size_t(8));
        QCOMPARE(kept.back().serial, std::string("ZT45000001"));
        QCOMPARE(kept.back().kind, BackupKind::BatchRead);
        for (int i = 0; i < 4; ++i) {
            const BackupEntry& write = kept[static_cast<std::size_t>(2 * (3 - i))];
            QCOMPARE(write.kind, BackupKind::BatchWrite);
            QCOMPARE(write.serial, QString("ZT4500000%1").arg(i + 1).toStdString());
            QCOMPARE(write.check, i == 2 ? BackupCheck::Differs : BackupCheck::Verified);
        }
        // The engine's messages were the batch's: the user saw the confirmation and the failed radio.
        QCOMPARE(prompter.asked.size(), std::size_t(2));
        QVERIFY(prompter.asked[1].find("ZT45000003") != std::string::npos);

        // A log that cannot be written: said so, nothing started.
        prompter.asked.clear();
        link->batchLogDialog = [&] { return dir->path(); };
        w->action("MnuWriteSeveral")->trigger();
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        QVERIFY(prompter.asked[0].starts_with(app->LangText(34612) + "\r\n" + dir->path().toStdString()));
    }

    // With no backup kept the dialog says so and offers nothing to open.
    void restoreWithNoBackups() {
        restore([&](FrmBackups& d) {
            QVERIFY(d.BackupList() == nullptr);
            QCOMPARE(d.EmptyLabel()->text(), QString::fromStdString(app->LangText(33230)));
            QVERIFY(!d.CommandOK()->isEnabled());
            QCOMPARE(d.findChild<QLineEdit*>("TextFolder")->text(),
                     QDir::toNativeSeparators(QString::fromStdString(RadioLink::BackupsFolder())));
        });
        QVERIFY(prompter.asked.empty());
    }

    // The port dialog: USB adapters first; the configured port stays chosen and listed (greyed)
    // while absent; the list is refilled only when the ports change, keeping the user's choice;
    // OK stores the port (also a typed path) and shows it in the status bar.
    void portDialogKeepsTheChoice() {
        app->ComPortName = "ttyUSB3";
        QList<SerialPortEntry> ports = {{"ttyS0", "", false}, {"ttyUSB0", "FT232R USB UART", true}};
        FrmSetComm dlg(*app, w.get(), [&] { return ports; });
        QVERIFY(dlg.ReCommTimer().isActive());
        QListWidget* list = dlg.PortList();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toString(), QString("ttyUSB0"));
        QVERIFY(list->item(0)->text().contains("FT232R USB UART"));
        QCOMPARE(list->item(2)->data(Qt::UserRole).toString(), QString("ttyUSB3"));
        QVERIFY(!(list->item(2)->flags() & Qt::ItemIsEnabled));
        QCOMPARE(list->currentItem(), list->item(2));
        QCOMPARE(dlg.chosenPort(), QString("ttyUSB3"));

        // The user picks ttyS0; an unchanged set of ports refills nothing.
        list->setCurrentItem(list->item(1));
        QCOMPARE(dlg.chosenPort(), QString("ttyS0"));
        const int refills = dlg.refills();
        dlg.EnablePortOptions();
        QCOMPARE(dlg.refills(), refills);
        // An adapter plugged in: refilled, the choice kept, the absent port no longer listed.
        ports.push_back({"ttyACM0", "", true});
        dlg.EnablePortOptions();
        QCOMPARE(dlg.refills(), refills + 1);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentItem()->data(Qt::UserRole).toString(), QString("ttyS0"));
        QCOMPARE(dlg.chosenPort(), QString("ttyS0"));

        // A typed path wins; OK stores it.
        dlg.DevicePath()->clear();
        QTest::keyClicks(dlg.DevicePath(), "/tmp/radio");
        QVERIFY(list->currentItem() == nullptr || !list->currentItem()->isSelected());
        dlg.CommandOK()->click();
        QCOMPARE(app->ComPortName, std::string("/tmp/radio"));
        IniFile setup;
        QVERIFY(setup.loadFile(MySetupPath(*app)));
        QCOMPARE(setup.text("language", "comPortName"), std::string("/tmp/radio"));
        QVERIFY(!dlg.ReCommTimer().isActive());

        w->ShowMainTxt();
        QVERIFY(w->StatusPanel(3)->text().endsWith("/tmp/radio"));
    }

    // A radio that stops answering: the retry question restarts the whole exchange from the
    // handshake (and then succeeds), or Cancel ends it with the document as it was.
    void radioThatStopsAnswering_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("retry");
        QTest::newRow("read, retried")
            << "mnuReadFromRadio" << QStringList{"--drop", "read:0x0100:4"} << true;
        QTest::newRow("read, cancelled")
            << "mnuReadFromRadio" << QStringList{"--silent-after", "100"} << false;
        QTest::newRow("write, retried")
            << "mnuWriteToRadio" << QStringList{"--drop", "write:0x0200:4"} << true;
        QTest::newRow("write, cancelled")
            << "mnuWriteToRadio" << QStringList{"--silent-after", "300"} << false;
    }
    void radioThatStopsAnswering() {
        QFETCH(QString, command);
        QFETCH(QStringList, faults);
        QFETCH(bool, retry);
        SimRadio sim(faults);
        usePort(sim);
        const DocumentCopy before = doc->work;
        prompter.script = {Answer::Ok, retry ? Answer::Ok : Answer::Cancel};
        QSignalSpy spy(link, &RadioLink::ended);
        QCOMPARE(run(command.toLatin1().constData(), spy), retry);
        QCOMPARE(askedCount(9008), 1);
        QCOMPARE(asked(9009) || asked(9010), retry);
        QVERIFY(!link->port().isOpen());
        QVERIFY(link->progressWindow() == nullptr);
        QTRY_VERIFY(!link->ReadOKTimer().isActive());
        if (!retry)
            QCOMPARE(doc->work.count(), before.count());
        QVERIFY(!w->CommandsBlocked());
    }
};

QTEST_MAIN(RadioLinkTest)
#include "radio_link_test.moc"
