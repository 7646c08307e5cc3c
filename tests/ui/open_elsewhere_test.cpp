// SPDX-License-Identifier: GPL-3.0-or-later
// A document that another instance of the program has open: the window's warning, the read-only
// opening it offers and what Save and Save As do with such a document.
#include "app/frm_main.h"
#include "files/data_files.h"
#include "files/pair_commit.h"
#include "model/channel_table.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zt;
using zt::test::FakeChooser;
using zt::test::PrepareProgramState;
using zt::test::ScriptedPrompter;

class OpenElsewhereTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    QString path(const char* name) const { return dir->filePath(name); }
    std::string spath(const char* name) const { return path(name).toStdString(); }
    void writePair(const char* name, int no, const char* rx) {
        AppState other = *app;
        Document d;
        RadioInfoRecord i;
        InitDocument(other, d, i);
        QVERIFY(AppendChannel(other, d.work, no, rx));
        other.DocFileName = spath(name);
        QVERIFY(SaveDocument(other, d));
    }
    void modify() {
        QVERIFY(AppendChannel(*app, doc->work, 333, "27.33300"));
        QVERIFY(IsModified(*doc));
    }
    std::string askedText(std::size_t i) const {
        return i < prompter.asked.size() ? prompter.asked[i] : "(none)";
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setOrganizationName("ztprog-test");
        QApplication::setApplicationName("ztprog-test");
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        app = std::make_unique<AppState>();
        doc = std::make_unique<Document>();
        info = std::make_unique<RadioInfoRecord>();
        PrepareProgramState(*dir, *app, *doc, *info, prompter);
        prompter.script.clear();
        prompter.asked.clear();
        chooser = FakeChooser{};
        w = std::make_unique<frmMain>(*app, *doc, *info);
        w->setFileChooser(&chooser);
        w->Form_Load();
        w->show();
    }
    void cleanup() { w.reset(); }

    // A document another instance has open: the window says which program and offers to open it
    // read-only; read-only, Save goes to Save As, which does not go over the document's files.
    void aDocumentOpenElsewhereIsOfferedReadOnly_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("read-only") << int(Answer::Yes);
        QTest::newRow("for editing") << int(Answer::No);
        QTest::newRow("not opened") << int(Answer::Cancel);
    }
    void aDocumentOpenElsewhereIsOfferedReadOnly() {
        QFETCH(int, answer);
        writePair("shared.dat", 290, "27.29000");
        PairLock other; // the other instance
        FileError error;
        QVERIFY(other.acquire(spath("shared.dat"), error) == LockStatus::Held);
        QCOMPARE(other.holdOpen(), 0L);
        prompter.script = {Answer(answer)};
        chooser.opens << path("shared.dat");
        QCOMPARE(w->mnuFileOpen_Click(), Answer(answer) != Answer::Cancel);
        QVERIFY2(askedText(0).find(spath("shared.dat") + " is open in another program (pid " +
                                   std::to_string(QCoreApplication::applicationPid()) + ")") == 0,
                 askedText(0).c_str());
        if (Answer(answer) == Answer::Cancel) {
            QVERIFY(app->IsUntitled);
            return;
        }
        QCOMPARE(w->documentReadOnly(), Answer(answer) == Answer::Yes);
        QCOMPARE(w->windowTitle().endsWith("(read-only)"), Answer(answer) == Answer::Yes);
        QFile fre(path("shared.fre"));
        QVERIFY(fre.open(QIODevice::ReadOnly));
        const QByteArray oldChannels = fre.readAll();
        fre.close();
        modify();
        prompter.asked.clear();
        prompter.script = {Answer::Ok, Answer::Ok};
        if (Answer(answer) == Answer::No) {
            QVERIFY(w->mnuFileSave_Click()); // saved over its files, as asked for
            return;
        }
        chooser.saves << path("shared.dat");
        QVERIFY(!w->mnuFileSave_Click());
        QVERIFY2(askedText(0).find("was opened read-only") != std::string::npos, askedText(0).c_str());
        QVERIFY2(askedText(1).find("choose another name") != std::string::npos, askedText(1).c_str());
        QVERIFY(fre.open(QIODevice::ReadOnly));
        QCOMPARE(fre.readAll(), oldChannels);
        fre.close();
        QVERIFY(IsModified(*doc));
        chooser.saves << path("mine.dat");
        QVERIFY(w->mnuFileSaveAs_Click());
        QVERIFY(!w->documentReadOnly());
        QCOMPARE(app->DocFileName, spath("mine.dat"));
    }
};

QTEST_MAIN(OpenElsewhereTest)
#include "open_elsewhere_test.moc"
