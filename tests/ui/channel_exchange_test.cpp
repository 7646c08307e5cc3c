// SPDX-License-Identifier: GPL-3.0-or-later
// The channel exchange as a user meets it: the File menu entries, the import preview (Import takes
// the good rows, Cancel changes nothing), the toolbar's Print button opening the print preview, and
// the PDF channel list read back as text in both languages.
#include "app/frm_main.h"
#include "channels/frm_comm_ch_info.h"
#include "codec/freq.h"
#include "exchange/channel_exchange.h"
#include "exchange/channel_list_print.h"
#include "exchange/frm_csv_import.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "model/channel_table.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace zt;
using zt::test::FakeChooser;
using zt::test::PrepareProgramState;
using zt::test::ScriptedPrompter;

class ChannelExchangeTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    QString path(const char* name) const { return dir->filePath(name); }

    void writeFile(const char* name, const QByteArray& data) {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

    // Runs `check` on the modal dialog that the next call opens.
    template <class Dialog> void onModal(std::function<void(Dialog*)> check, bool* seen) {
        QTimer::singleShot(0, this, [check, seen] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            *seen = d != nullptr;
            if (d != nullptr)
                check(d);
            else if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
        });
    }

    // Channels in several groups, group 7 named ABC, a repeater and tones.
    void fillChannels() {
        for (int no : {281, 290, 320, 401, 402, 440})
            QVERIFY(AppendChannel(*app, doc->work, no, "28.00000"));
        doc->work.settings.GroupNames[7] = std::string("ABC");
        ChannelRecord& r = doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 401))];
        r.TxOffsetDir = 1;
        r.TxOffset = std::string("0010000");
        r.DecodeTone = r.EncodeTone = 9;
    }

    // Rows numbered from 0 as another tool exports them: 0 and 1 take the radio's values, 2 (USB)
    // and 3 (six metres) do not.
    static QByteArray otherToolCsv() {
        return "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,Mode,Power\r\n"
               "0,A,28.400000,,0.000000,,88.5,88.5,FM,5.0W\r\n"
               "1,B,29.620000,-,0.100000,Tone,100.0,88.5,FM,50W\r\n"
               "2,SSB,28.500000,,0.000000,,88.5,88.5,USB,50W\r\n"
               "3,SIX,50.125000,,0.000000,,88.5,88.5,FM,50W\r\n";
    }

    // The preview of `csv` over the main window, shown and active.
    std::unique_ptr<FrmCsvImport> openPreview(const QByteArray& csv) {
        auto d = std::make_unique<FrmCsvImport>(*app, doc->work, csv.toStdString(), "x.csv", w.get());
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d.get()))
            qWarning("preview window not active");
        return d;
    }

    static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
    }

    QString pdfText(const QString& pdf) {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return "(pdftotext failed: " + p.errorString() + ")";
        return QString::fromUtf8(p.readAllStandardOutput());
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
        w = std::make_unique<frmMain>(*app, *doc, *info);
        w->setFileChooser(&chooser);
        w->Form_Load();
        w->show();
        prompter.asked.clear();
    }
    void cleanup() { w.reset(); }

    void fileMenuOffersTheEntriesAndPrintIsEnabled() {
        const QList<QAction*> file = w->menu("mnuFile")->actions();
        for (const char* name : {"mnuImportCsv", "mnuExportCsv", "mnuPrintList", "mnuExportPdf"}) {
            QAction* a = w->action(name);
            QVERIFY2(a != nullptr && file.contains(a) && a->isVisible() && a->isEnabled(), name);
        }
        QCOMPARE(w->action("mnuImportCsv")->text(), QString("&Import Channels from CSV..."));
        QVERIFY(!w->action("mnuFilePrint")->isVisible());
        QVERIFY(w->action("Print")->isEnabled());
        // Running an exchange refuses them, as the other document commands.
        w->SetExchangeRunning(true);
        QVERIFY(!w->action("mnuImportCsv")->isEnabled());
        QVERIFY(!w->action("Print")->isEnabled());
        w->SetExchangeRunning(false);
        QVERIFY(w->action("Print")->isEnabled());
    }

    void importPreviewTakesGoodRowsOnlyWhenConfirmed() {
        writeFile("in.csv", "\xEF\xBB\xBFLocation,Name,Frequency,Duplex,Offset,Mode\r\n"
                            "401,\"Net, one\",28.400000,-,0.100000,FM\r\n"
                            "402,Far,145.500000,,0.000000,FM\r\n");
        const int before = doc->work.count();
        bool seen = false;
        onModal<FrmCsvImport>(
            [](FrmCsvImport* d) {
                QCOMPARE(d->takenTable()->rowCount(), 1);
                QCOMPARE(d->takenTable()->item(0, 1)->text(), QString("401"));
                QCOMPARE(d->takenTable()->item(0, 2)->text(), QString("10 / 1"));
                QCOMPARE(d->takenTable()->item(0, 3)->text(), QString("28.40000"));
                QCOMPARE(d->takenTable()->item(0, 4)->text(), QString("-0.10000"));
                QCOMPARE(d->takenTable()->item(0, 7)->text(), QString("FM"));
                QVERIFY(d->fileNumbersButton()->isChecked());
                // No reason to give: the line says where the rows go.
                QVERIFY2(d->adviceLabel()->isVisible() &&
                             d->adviceLabel()->text().startsWith("Each row goes to the channel its Location"),
                         qPrintable(d->adviceLabel()->text()));
                QCOMPARE(d->findChild<QLabel*>("lblShape")->text(),
                         QString("Read as UTF-8 (with byte-order mark) text, columns separated by commas."));
                QCOMPARE(d->refusedTable()->rowCount(), 1);
                QCOMPARE(d->refusedTable()->item(0, 0)->text(), QString("3"));
                QVERIFY(d->refusedTable()->item(0, 2)->text().contains("outside the radio's band"));
                QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            },
            &seen);
        QVERIFY(!ImportChannelsCsv(*w, *app, *doc, path("in.csv")));
        QVERIFY(seen);
        QCOMPARE(doc->work.count(), before);
        QCOMPARE(FindChannel(doc->work, 401), -1);

        onModal<FrmCsvImport>([](FrmCsvImport* d) { QTest::mouseClick(d->importButton(), Qt::LeftButton); },
                              &seen);
        QVERIFY(ImportChannelsCsv(*w, *app, *doc, path("in.csv")));
        QVERIFY(seen);
        QCOMPARE(doc->work.count(), before + 1);
        const ChannelRecord& r = doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 401))];
        QCOMPARE(r.RxFreq.raw(), std::string("02840000"));
        QCOMPARE(int(r.TxOffsetDir), 1);
        QCOMPARE(int(r.Mode), 1);
        QVERIFY(IsModified(*doc));
        // Both counts, the first refusal, and where the others were listed.
        QCOMPARE(prompter.asked, std::vector<std::string>{
                                     "Imported 1 channel: Group 10 CH 1\n1 imported, 1 refused; first "
                                     "refused: line 3, channel 402: frequency outside the radio's band "
                                     "(145.500000)\nThe preview listed every refused row with its reasons."});
        prompter.asked.clear();

        // A file that is not a channel list is reported; no preview opens.
        writeFile("other.csv", "a,b\r\n1,2\r\n");
        QVERIFY(!ImportChannelsCsv(*w, *app, *doc, path("other.csv")));
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(prompter.asked[0]).contains("Location"));
    }

    // Another tool's export numbered from 0: the preview opens in file order from the first free
    // channel and says why; every change of the choice replans at once; Import takes what is shown.
    void importPreviewPlacesAnotherToolsRowsWhereTheUserChooses() {
        fillChannels(); // 281, 290, 320, 401, 402, 440 in use
        ChannelRecord& inUse = doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 282 - 1))];
        inUse.RogerBeep = 4;
        writeFile("other-tool.csv",
                  "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                  "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
                  "0,A,28.400000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,5.0W,,,,,\r\n"
                  "1,B,29.620000,-,0.100000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
                  "2,SSB,28.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,USB,5.00,,50W,,,,,\r\n"
                  "3,SIX,50.125000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n");
        const DocumentCopy before = doc->work;
        auto channels = [](QTableWidget* t) {
            QStringList list;
            for (int i = 0; i < t->rowCount(); ++i)
                list << t->item(i, 1)->text();
            return list;
        };
        bool seen = false;
        onModal<FrmCsvImport>(
            [&](FrmCsvImport* d) {
                QVERIFY(d->fileOrderButton()->isChecked());
                QVERIFY(d->adviceLabel()->isVisible());
                QVERIFY2(d->adviceLabel()->text().contains("Group 7 CH 2"),
                         qPrintable(d->adviceLabel()->text()));
                QCOMPARE(channels(d->takenTable()), QStringList({"282", "283"}));
                QCOMPARE(d->refusedTable()->rowCount(), 2);
                QVERIFY(d->findChild<QLabel*>("lblWatts")->isVisible());
                // The file's numbers: everything refused, Import disabled.
                d->fileNumbersButton()->setChecked(true);
                QCOMPARE(d->takenTable()->rowCount(), 0);
                QCOMPARE(d->refusedTable()->rowCount(), 4);
                QVERIFY(!d->importButton()->isEnabled());
                // Group 7 CH 1 is in use: skipped, unless channels in use are replaced too.
                d->groupBox()->setCurrentIndex(7);
                d->channelBox()->setValue(1);
                QVERIFY(d->fileOrderButton()->isChecked());
                QCOMPARE(channels(d->takenTable()), QStringList({"282", "283"}));
                d->replaceInUseBox()->setChecked(true);
                QCOMPARE(channels(d->takenTable()), QStringList({"281", "282"}));
                QVERIFY(d->takenTable()->item(0, 8)->text().contains("reset"));
                d->updateColumnsButton()->setChecked(true);
                QVERIFY(d->takenTable()->item(0, 8)->text().contains("only the file's columns"));
                d->resetButton()->setChecked(true);
                QTest::mouseClick(d->importButton(), Qt::LeftButton);
            },
            &seen);
        QVERIFY(ImportChannelsCsv(*w, *app, *doc, path("other-tool.csv")));
        QVERIFY(seen);
        const ChannelRecord& a = doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 281))];
        QCOMPARE(a.RxFreq.raw(), std::string("02840000"));
        QCOMPARE(int(a.RogerBeep), 0);
        const ChannelRecord& b = doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 282))];
        QCOMPARE(int(b.TxOffsetDir), 1);
        QCOMPARE(int(b.FmPower), 1);
        // Every other channel is as it was.
        for (int i = 0; i < UsedSlots(before); ++i) {
            const ChannelRecord& r = before.channels[static_cast<std::size_t>(i)];
            if (r.ChannelNo != 281)
                QVERIFY(doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, r.ChannelNo))] ==
                        r);
        }
        QCOMPARE(doc->work.count(), before.count() + 1);

        // A quote that never closes is reported with its line; no preview opens.
        writeFile("open.csv", "Location,Frequency,Name\n401,28.0,\"oops\n402,28.1,a\n");
        prompter.asked.clear();
        QVERIFY(!ImportChannelsCsv(*w, *app, *doc, path("open.csv")));
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(prompter.asked[0]).contains("line 2"), prompter.asked[0].c_str());
    }

    // Tab and Shift+Tab leave the read-only lists for the next and previous controls; the arrows
    // still move within a list.
    void tabLeavesThePreviewListsArrowsMoveWithin() {
        const auto d = openPreview("Location,Frequency,Mode\n281,28.0,AM\n282,28.1,AM\n283,28.2,AM\n"
                                   "284,145.5,FM\n285,50.1,FM\n");
        QCOMPARE(d->takenTable()->rowCount(), 3);
        QCOMPARE(d->refusedTable()->rowCount(), 2);
        d->takenTable()->setFocus();
        d->takenTable()->setCurrentCell(0, 0);
        press(Qt::Key_Down);
        QCOMPARE(d->takenTable()->currentRow(), 1);
        press(Qt::Key_Right);
        QCOMPARE(d->takenTable()->currentColumn(), 1);
        QCOMPARE(QApplication::focusWidget(), d->takenTable());
        const QList<QWidget*> forward{d->refusedTable(), d->importButton(), d->cancelButton()};
        for (QWidget* next : forward) {
            press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        d->refusedTable()->setFocus();
        press(Qt::Key_Down);
        QCOMPARE(d->refusedTable()->currentRow(), 1);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), d->takenTable());
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY2(d->findChild<QGroupBox*>("fraInUse")->isAncestorOf(QApplication::focusWidget()),
                 qPrintable(QApplication::focusWidget()->objectName()));
        // The dialog's keys reach the buttons: Enter on Import confirms.
        d->importButton()->setFocus();
        press(Qt::Key_Return);
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }

    // The line under the placement says where the rows go with the choice shown; the reason the
    // preview chose file order stays only while that choice is in force.
    void placementLineFollowsEveryChoice() {
        fillChannels(); // 281 in use: file order starts at Group 7 CH 2
        const auto d = openPreview(otherToolCsv());
        const QString reason = d->adviceLabel()->text();
        QVERIFY2(reason.contains("do not fit") && reason.contains("Group 7 CH 2"), qPrintable(reason));
        struct Step {
            const char* what;
            std::function<void()> choose;
            QString line;
        };
        const std::vector<Step> steps{
            {"file numbers", [&] { d->fileNumbersButton()->click(); },
             "Each row goes to the channel its Location number gives; a channel in use there is replaced."},
            {"back to the choice made on opening", [&] { d->fileOrderButton()->click(); }, reason},
            {"another group", [&] { d->groupBox()->setCurrentIndex(8); },
             "The rows go in file order from Group 8 CH 2 onto free channels; channels in use are skipped."},
            {"another channel", [&] { d->channelBox()->setValue(39); },
             "The rows go in file order from Group 8 CH 39 onto free channels; channels in use are skipped."},
            {"replace channels in use", [&] { d->replaceInUseBox()->click(); },
             "The rows go in file order from Group 8 CH 39; channels in use are replaced."},
            {"the opening channel again, replacing",
             [&] {
                 d->groupBox()->setCurrentIndex(7);
                 d->channelBox()->setValue(2);
             },
             "The rows go in file order from Group 7 CH 2; channels in use are replaced."},
            {"file numbers again", [&] { d->fileNumbersButton()->click(); },
             "Each row goes to the channel its Location number gives; a channel in use there is replaced."},
        };
        for (const Step& step : steps) {
            step.choose();
            QVERIFY2(d->adviceLabel()->isVisible(), step.what);
            QCOMPARE(d->adviceLabel()->text(), step.line);
        }

        SelectLanguage(*app, 2);
        const auto zh = openPreview(otherToolCsv());
        zh->groupBox()->setCurrentIndex(8);
        zh->channelBox()->setValue(39);
        QCOMPARE(
            zh->adviceLabel()->text(),
            QString::fromUtf8("各行按文件顺序从 信道组 8 信道 39 开始放到空闲信道上；跳过正在使用的信道。"));
    }

    // With no row taken the preview says why: the placement when another one takes rows, the file
    // when none does.
    void nothingToImportNamesThePlacementWhenAnotherOneTakesRows() {
        for (int no = 470; no <= 480; ++no)
            QVERIFY(AppendChannel(*app, doc->work, no, "28.00000"));
        const QString byNumber = "With the file's channel numbers no row can be placed";
        const QString noFile = "No row of this file can be imported.";
        struct Case {
            const char* what;
            QByteArray csv;
            std::function<void(FrmCsvImport*)> choose;
            QString says;
        } cases[] = {
            {"numbers from 0, on the file's numbers", otherToolCsv(),
             [](FrmCsvImport* d) { d->fileNumbersButton()->setChecked(true); }, byNumber},
            {"band-plan channels with fixed frequencies", "Location,Frequency\n200,28.105\n201,28.115\n",
             [](FrmCsvImport* d) { d->fileNumbersButton()->setChecked(true); }, byNumber},
            {"no free channel from Group 11 CH 30 on", otherToolCsv(),
             [](FrmCsvImport* d) {
                 d->groupBox()->setCurrentIndex(11);
                 d->channelBox()->setValue(30);
             },
             "From Group 11 CH 30 on no channel is free, so no row can be placed."},
            {"no row the radio takes", "Location,Frequency,Mode\n281,145.5,FM\n282,28.0,USB\n",
             [](FrmCsvImport*) {}, noFile},
            {"no row the radio takes, in file order", "Location,Frequency,Mode\n0,145.5,FM\n1,28.0,USB\n",
             [](FrmCsvImport* d) { d->fileOrderButton()->setChecked(true); }, noFile},
        };
        for (const Case& c : cases) {
            const auto d = openPreview(c.csv);
            c.choose(d.get());
            QVERIFY2(d->takenTable()->rowCount() == 0 && !d->importButton()->isEnabled(), c.what);
            QVERIFY2(d->nothingLabel()->isVisible() && d->nothingLabel()->text().startsWith(c.says),
                     qPrintable(QString(c.what) + ": " + d->nothingLabel()->text()));
            if (c.says == noFile)
                continue;
            // The way out the line points to takes the rows.
            if (d->fileNumbersButton()->isChecked())
                d->fileOrderButton()->setChecked(true);
            else
                d->replaceInUseBox()->setChecked(true);
            QVERIFY2(d->takenTable()->rowCount() > 0 && d->importButton()->isEnabled(), c.what);
            QVERIFY2(!d->nothingLabel()->isVisible(), c.what);
        }

        SelectLanguage(*app, 2);
        const auto zh = openPreview("Location,Frequency\n200,28.105\n201,28.115\n");
        zh->fileNumbersButton()->setChecked(true);
        QVERIFY2(zh->nothingLabel()->text().startsWith(QString::fromUtf8("按文件中的信道号无法放置任何行")),
                 qPrintable(zh->nothingLabel()->text()));
    }

    // Whatever the choice, the columns fit their contents and the last one fills the list's width.
    void previewColumnsKeepTheirWidthsAsTheChoiceChanges() {
        const auto d = openPreview(otherToolCsv());
        auto check = [&](const char* when) {
            QApplication::processEvents();
            for (QTableWidget* t : {d->takenTable(), d->refusedTable()}) {
                const QHeaderView* h = t->horizontalHeader();
                const int last = t->columnCount() - 1;
                const QString where = QString("%1, %2").arg(when, t->objectName());
                QVERIFY2(h->sectionViewportPosition(last) + h->sectionSize(last) >=
                             t->viewport()->width() - 1,
                         qPrintable(where));
                for (int c = 0; c < last; ++c) {
                    int widest = h->sectionSizeHint(c);
                    for (int r = 0; r < t->rowCount(); ++r)
                        widest = std::max(widest, t->fontMetrics().horizontalAdvance(t->item(r, c)->text()));
                    QVERIFY2(t->columnWidth(c) >= widest, qPrintable(where + QString(", column %1").arg(c)));
                }
            }
        };
        check("on opening");
        d->fileNumbersButton()->click();
        check("file numbers");
        d->groupBox()->setCurrentIndex(8);
        d->channelBox()->setValue(39);
        check("from Group 8 CH 39");
        d->replaceInUseBox()->click();
        check("replacing channels in use");
    }

    // After Import the channel window shows the group of the lowest channel imported and a
    // message says how many channels were imported and where, in the language chosen.
    void importShowsTheGroupAndSaysWhatWasImported() {
        fillChannels(); // 281 in use
        frmCommChInfo* grid = w->channels().grid;
        QVERIFY(grid != nullptr);
        struct Case {
            const char* what;
            QByteArray csv;
            int language;
            std::string says;
            int group;
            int row; // a row of the group that shows an imported frequency
            QString rx;
        } cases[] = {
            {"file order from the first free channel", otherToolCsv(), 1,
             "Imported 2 channels: Group 7 CH 2 - Group 7 CH 3\n2 imported, 2 refused", 7, 2, "28.40000"},
            {"the file's numbers, highest first", "Location,Frequency\n402,28.3\n330,28.2\n", 1,
             "Imported 2 channels: Group 8 CH 10 - Group 10 CH 2\n2 imported, 0 refused", 8, 10, "28.20000"},
            {"in Chinese", "Location,Frequency\n300,28.1\n", 2,
             "已导入 1 个信道：信道组 7 信道 20\n已导入 1 行，拒绝 0 行", 7, 20, "28.10000"},
        };
        for (const Case& c : cases) {
            SelectLanguage(*app, c.language);
            w->channels().EditGroup() = 3;
            grid->ChangeGroup();
            QCOMPARE(grid->Combo7()->currentIndex(), 3);
            writeFile("in.csv", c.csv);
            prompter.asked.clear();
            bool seen = false;
            onModal<FrmCsvImport>(
                [](FrmCsvImport* d) { QTest::mouseClick(d->importButton(), Qt::LeftButton); }, &seen);
            QVERIFY2(ImportChannelsCsv(*w, *app, *doc, path("in.csv")), c.what);
            QVERIFY(seen);
            QCOMPARE(prompter.asked.size(), std::size_t(1));
            QVERIFY2(prompter.asked[0].rfind(c.says, 0) == 0, prompter.asked[0].c_str());
            QVERIFY2(grid->Combo7()->currentIndex() == c.group, c.what);
            QCOMPARE(int(doc->work.settings.Options.Features.ChannelGroup), c.group);
            QCOMPARE(grid->cellText(c.row, 1), c.rx);
        }
    }

    void toolbarPrintOpensThePrintPreview() {
        bool seen = false;
        QSize size;
        onModal<QPrintPreviewDialog>(
            [&size](QPrintPreviewDialog* d) {
                size = d->size();
                d->reject();
            },
            &seen);
        w->action("Print")->trigger();
        QVERIFY(seen);
        // Big enough for its whole tool bar, small enough for a 1024x768 screen.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(size.width() >= std::min(900, screen.width()) && size.width() <= 1024 &&
                     size.height() <= 768,
                 qPrintable(QString("%1x%2").arg(size.width()).arg(size.height())));
    }

    // Every channel in use: each page that continues a group starts with the group's heading, and
    // no page ends with a heading or the column titles alone.
    void printedGroupsKeepTheirHeadingWithTheirRows() {
        doc->work.settings.Options.Features.FreqEditable = 1;
        for (int no = 1; no <= kMaxChannels; ++no)
            if (FindChannel(doc->work, no) < 0)
                QVERIFY(AppendChannel(*app, doc->work, no, "28.00000"));
        QVERIFY(ExportChannelListPdf(*app, *doc, path("full.pdf")));
        const QStringList pages = pdfText(path("full.pdf")).split('\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() > 3, qPrintable(pages.join("\f")));
        const QRegularExpression heading("^\\s*Group \\d+ --");
        const QRegularExpression titles("^\\s*CH\\s+RX");
        const QRegularExpression row("^\\s*(\\d+)\\s+\\d+\\.\\d{5}\\s");
        int lastChannel = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QStringList lines = pages[p].split('\n');
            // Blank lines and the page number at the foot of the page are not the list's.
            static const QRegularExpression pageNumber("^\\s*\\d+\\s*$");
            lines.removeIf(
                [](const QString& l) { return l.trimmed().isEmpty() || pageNumber.match(l).hasMatch(); });
            if (lines.isEmpty())
                continue;
            // The last line of a page is a channel's row.
            QVERIFY2(row.match(lines.last()).hasMatch(),
                     qPrintable(QString("page %1 ends with: %2").arg(p + 1).arg(lines.last())));
            // A page that continues a group (its first row is not the group's first channel)
            // shows the heading first.
            for (int i = 0; i < lines.size(); ++i) {
                const auto m = row.match(lines[i]);
                if (!m.hasMatch())
                    continue;
                const int no = m.captured(1).toInt();
                if (p > 0 && lastChannel != 0 && (no - 1) / 40 == (lastChannel - 1) / 40) {
                    bool headed = false;
                    for (int k = 0; k < i; ++k)
                        headed = headed || heading.match(lines[k]).hasMatch();
                    QVERIFY2(headed, qPrintable(QString("page %1 continues group %2 without its heading")
                                                    .arg(p + 1)
                                                    .arg((no - 1) / 40)));
                    QVERIFY(titles.match(lines[i - 1]).hasMatch());
                }
                break;
            }
            for (const QString& l : lines)
                if (const auto m = row.match(l); m.hasMatch())
                    lastChannel = m.captured(1).toInt();
        }
        QCOMPARE(lastChannel, kMaxChannels);
    }

    void pdfListsEveryChannelGroupByGroupInBothLanguages() {
        fillChannels();
        app->DocFileName = path("club.dat").toStdString();
        app->IsUntitled = false;
        QVERIFY(ExportChannelListPdf(*app, *doc, path("list.pdf")));
        const QString text = pdfText(path("list.pdf"));
        QVERIFY2(text.contains("Channel List") && text.contains("club.dat") && text.contains("ZT-450E"),
                 qPrintable(text));
        QVERIFY2(text.contains("Group 7 -- ABC") && text.contains("Group 12 -- VFO"), qPrintable(text));
        for (int i = 0; i < UsedSlots(doc->work); ++i) {
            const ChannelRecord& r = doc->work.channels[static_cast<std::size_t>(i)];
            const QString rx = QString::fromStdString(RxText(*app, r.RxFreq.raw()));
            const QRegularExpression row(
                QString("(^|\\n)\\s*%1\\s+%2\\s").arg(r.ChannelNo).arg(QRegularExpression::escape(rx)));
            QVERIFY2(row.match(text).hasMatch(),
                     qPrintable(QString("channel %1 missing:\n%2").arg(r.ChannelNo).arg(text)));
        }
        // Channel 401: the offset (the channel window's default view) and its tones.
        QVERIFY2(QRegularExpression("401\\s+28\\.00000\\s+-0\\.10000\\s+88\\.5\\s+88\\.5\\s+AM\\s+Low")
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));

        SelectLanguage(*app, 2);
        QVERIFY(ExportChannelListPdf(*app, *doc, path("list-zh.pdf")));
        const QString zh = pdfText(path("list-zh.pdf"));
        QVERIFY2(zh.contains(QString::fromUtf8("信道表")) &&
                     zh.contains(QString::fromUtf8("信道组 7 -- ABC")),
                 qPrintable(zh));
        QVERIFY2(QRegularExpression("\\b481\\s+27\\.86000").match(zh).hasMatch(), qPrintable(zh));

        // A receive-only channel is marked so in place of its TX.
        doc->work.channels[static_cast<std::size_t>(FindChannel(doc->work, 402))].TxInhibit = 1;
        QVERIFY(ChannelListHtml(*app, *doc)
                    .contains(QRegularExpression("<td[^>]*>402</td><td[^>]*>28.00000</td><td[^>]*>" +
                                                 QString::fromStdString(app->LangText(34113)) + "</td>")));

        // A folder that cannot be written is reported as a failure.
        QVERIFY(!ExportChannelListPdf(*app, *doc, path("missing/list.pdf")));
    }
};

QTEST_MAIN(ChannelExchangeTest)
#include "channel_exchange_test.moc"
