// SPDX-License-Identifier: GPL-3.0-or-later
// The data file named on the command line: opened into the document before the channel window
// shows it, or reported while the new document stays.
#include "app/frm_main.h"
#include "app/startup.h"
#include "channels/frm_comm_ch_info.h"
#include "files/data_files.h"
#include "model/channel_table.h"
#include "model/new_document.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zt;

class StartupTest : public QObject {
    Q_OBJECT

    AppState app;
    RecordingPrompter prompter;
    Document doc;
    RadioInfoRecord info;
    QTemporaryDir dir;

  private slots:
    void init() {
        app = AppState{};
        app.prompter = &prompter;
        prompter.asked.clear();
        QVERIFY(app.lang.load(ZT_PROGRAM_DIR "/language/english.ini"));
        QVERIFY(dir.isValid());
        doc = Document{};
        SetNewDocumentValues(app, doc, info);
    }

    void opensTheNamedFileBeforeTheChannelWindow() {
        // A pair saved by this program with channel 330 and group 8 chosen.
        AppState other = app;
        Document saved = doc;
        QVERIFY(AppendChannel(other, saved.work, 330, "27.12500"));
        saved.work.settings.Options.Features.ChannelGroup = 8;
        other.DocFileName = dir.filePath("radio.dat").toStdString();
        QVERIFY(SaveDocument(other, saved));

        frmMain w(app, doc);
        QVERIFY(OpenStartupDocument(app, doc, info, w, {"ztprog", dir.filePath("radio.dat")}));
        QVERIFY(prompter.asked.empty());
        QVERIFY(!app.IsUntitled);
        QCOMPARE(app.DocFileName, other.DocFileName);
        auto* g = static_cast<frmCommChInfo*>(w.ChildByName(frmCommChInfo::kName));
        QVERIFY(g != nullptr);
        QCOMPARE(g->Combo7()->currentIndex(), 8);
        QCOMPARE(g->cellText(10, 1), QString("27.12500"));
    }

    void refusedFileIsReportedAndTheNewDocumentStays_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<int>("messageId");
        QTest::newRow("missing") << QByteArray() << 9002;
        QTest::newRow("not a data file") << QByteArray("hello, world") << 9065;
    }
    void refusedFileIsReportedAndTheNewDocumentStays() {
        QFETCH(QByteArray, content);
        QFETCH(int, messageId);
        const QString path = dir.filePath("bad.dat");
        QFile::remove(path);
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const Document before = doc;
        frmMain w(app, doc);
        QVERIFY(OpenStartupDocument(app, doc, info, w, {"ztprog", path}));
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        // The message, then the file (and the system's reason when it could not be read).
        const std::string& shown = prompter.asked[0].text;
        QCOMPARE(shown.substr(0, shown.find('\n')), app.LangText(messageId));
        QVERIFY(shown.find("\n" + path.toStdString()) != std::string::npos);
        QVERIFY(app.IsUntitled);
        QCOMPARE(app.DocFileName, std::string("new.dat"));
        QCOMPARE(doc.work.count(), before.work.count());
        QVERIFY(!IsModified(doc));
        QVERIFY(w.FindWindowByName(frmCommChInfo::kName));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
