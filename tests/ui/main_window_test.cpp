// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user meets it: menus, toolbar and tree, the document commands with their
// questions and dialogs, the language and model changes, the splash window.
#include "app/frm_main.h"
#include "app/frm_model_info.h"
#include "app/frm_splash.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "common/bound_list.h"
#include "common/text_guard.h"
#include "common/twips.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/ini_file.h"
#include "lang/frm_set_language.h"
#include "model/channel_table.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>
#include <cerrno>
#include <cstring>

#include <QPointer>

#include <algorithm>
#include <memory>

using namespace zt;
using zt::test::FakeChooser;
using zt::test::PrepareProgramState;
using zt::test::ScriptedPrompter;

class MainWindowTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    QString path(const char* name) const { return dir->filePath(name); }
    std::string spath(const char* name) const { return path(name).toStdString(); }

    // A pair on disk holding channel `no` at `rx`.
    void writePair(const char* name, int no, const char* rx) {
        AppState other = *app;
        Document d;
        RadioInfoRecord i;
        InitDocument(other, d, i);
        QVERIFY(AppendChannel(other, d.work, no, rx));
        other.DocFileName = spath(name);
        QVERIFY(SaveDocument(other, d));
    }
    // An unsaved change: channel 333 added (then 334, ...).
    void modify() {
        int no = 333;
        while (FindChannel(doc->work, no) >= 0)
            ++no;
        QVERIFY(AppendChannel(*app, doc->work, no, "27.33300"));
        QVERIFY(IsModified(*doc));
    }
    std::vector<QString> openWindows() const {
        std::vector<QString> names;
        for (QMdiSubWindow* s : w->mdiArea()->subWindowList())
            names.push_back(s->widget()->objectName());
        return names;
    }
    void waitForNewDocument() {
        QVERIFY(w->NewDocTimer().isActive());
        QTRY_VERIFY(!w->NewDocTimer().isActive());
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

    // In every menu, in both languages, each shown entry has a letter of its own: pressing it
    // runs that entry instead of only moving between the entries that share it.
    void shownMenuEntriesHaveLettersOfTheirOwn() {
        for (const int language : {1, 2}) {
            SelectLanguage(*app, language);
            w->Change_Language();
            for (QAction* top : w->menuBar()->actions()) {
                if (top->menu() == nullptr || !top->isVisible())
                    continue;
                QMap<QChar, QString> taken;
                for (QAction* a : top->menu()->actions()) {
                    if (a->isSeparator() || !a->isVisible())
                        continue;
                    const qsizetype amp = a->text().indexOf('&');
                    if (amp < 0 || amp + 1 >= a->text().size())
                        continue;
                    const QChar letter = a->text().at(amp + 1).toLower();
                    QVERIFY2(!taken.contains(letter),
                             qPrintable(top->text() + ": " + taken.value(letter) + " / " + a->text()));
                    taken.insert(letter, a->text());
                }
            }
        }
    }

    void menusToolbarAndTreeAreLabelledAndHiddenItemsStayHidden() {
        QCOMPARE(w->menu("mnuFile")->title(), QString("&File"));
        QCOMPARE(w->action("mnuFileSaveAs")->text(), QString("Save &As..."));
        QCOMPARE(w->action("OpenFile")->toolTip(), QString("Open a data file"));
        for (const char* hidden :
             {"mnuFilePrint", "MnuRadioFre", "MnuTestFre", "MnuKey", "MnuScan", "MnuAlert", "mnuGroupName",
              "mnuHelpTopic", "MnuCHHabits", "mnuWindowTileHorizontal", "mnuWindowTileVertical",
              "mnuWindowArrangeIcons", "BtnCHCut", "BtnCHMoveDown", "tbSeparator14", "tbSeparator19"})
            QVERIFY2(!w->action(hidden)->isVisible(), hidden);
        QVERIFY(!w->menu("MnuCHEdit")->menuAction()->isVisible());
        // The channel window losing activation hides them again: never offered.
        w->ShowCHInfo(false);
        QVERIFY(!w->action("BtnCHPaste")->isVisible());
        for (const char* shown : {"NewFile", "OpenFile", "SaveFile", "ReadRadio", "About", "tbSeparator10"})
            QVERIFY2(w->action(shown)->isVisible(), shown);

        // Title, status panels, tree.
        QCOMPARE(w->windowTitle(),
                 QString("ZT-450E Programming Software[ZT-450E:25.615 - 30.105 MHz][File:new.dat]"));
        QCOMPARE(w->StatusPanel(2)->text(), QString("ZT-450E[25.615 - 30.105 MHz]"));
        QCOMPARE(w->StatusPanel(3)->text(), QString("Port:1"));
        QTreeWidgetItem* root = w->TreeView1()->topLevelItem(0);
        QCOMPARE(root->text(0), QString("ZT-450E"));
        QVERIFY(root->isExpanded());
        QStringList keys;
        for (int i = 0; i < root->childCount(); ++i)
            keys << root->child(i)->data(0, Qt::UserRole).toString();
        QCOMPARE(keys, QStringList({"N1", "N2", "N4", "N13", "N12", "N6", "N7"}));
        QCOMPARE(root->child(0)->text(0), QString("Channels"));
    }

    void treeMenuAndToolbarOpenOneWindowOnly() {
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        w->NodeClick("N1");
        w->action("mnuChannelInfo")->trigger();
        w->NodeClick("N1");
        QCOMPARE(openWindows().size(), std::size_t(1));
        // Closing the grid and choosing the node reopens it.
        w->CloseCurAllWindows();
        QVERIFY(openWindows().empty());
        w->NodeClick("N1");
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        // The DTMF node also offers the DTMF entry of the Edit menu.
        w->action("MnuDTMF")->setVisible(false);
        w->NodeClick("N4");
        QVERIFY(w->action("MnuDTMF")->isVisible());
    }

    // The Window menu lists the open windows, the active one ticked, and brings the one chosen
    // to the front; Ctrl+F6 and Ctrl+Shift+F6 go round them in the order they were opened.
    void windowMenuListsAndCyclesTheOpenWindows() {
        w->ShowChildWindow("FrmDTMF");
        w->ShowChildWindow("FrmOptFeatures");
        QCOMPARE(openWindows().size(), std::size_t(3));
        QMenu* menu = w->menu("mnuWindow");
        auto listed = [&] {
            emit menu->aboutToShow();
            QStringList out;
            for (QAction* a : menu->actions())
                if (a->objectName().startsWith("mnuWindowList_"))
                    out << (a->isChecked() ? "*" : "") + a->text();
            return out;
        };
        const QString grid = w->ChildByName(frmCommChInfo::kName)->windowTitle();
        const QString dtmf = w->ChildByName("FrmDTMF")->windowTitle();
        const QString options = w->ChildByName("FrmOptFeatures")->windowTitle();
        QCOMPARE(listed(), QStringList({"&1 " + grid, "&2 " + dtmf, "*&3 " + options}));
        emit menu->aboutToShow();
        menu->findChild<QAction*>("mnuWindowList_1")->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->objectName(), QString("FrmDTMF"));
        QCOMPARE(listed(), QStringList({"&1 " + grid, "*&2 " + dtmf, "&3 " + options}));

        auto* next = menu->findChild<QAction*>("mnuWindowNext");
        auto* previous = menu->findChild<QAction*>("mnuWindowPrevious");
        QVERIFY(next != nullptr && previous != nullptr);
        QCOMPARE(next->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
        QCOMPARE(previous->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
        QVERIFY(!next->text().isEmpty() && !previous->text().isEmpty());
        const QStringList order = {frmCommChInfo::kName, "FrmDTMF", "FrmOptFeatures"};
        for (int step : {2, 0, 1}) {
            next->trigger();
            QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->objectName(), order[step]);
        }
        previous->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->objectName(), order[0]);
        previous->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->objectName(), order[2]);
    }

    void viewMenuTogglesPaneToolbarAndStatusBar() {
        QAction* tree = w->action("mnuTreeView");
        QVERIFY(tree->isChecked() && w->Picture1()->isVisible());
        tree->trigger();
        QVERIFY(!tree->isChecked() && !w->Picture1()->isVisible());
        w->action("mnuViewToolbar")->trigger();
        QVERIFY(!w->tbToolBar()->isVisible());
        w->action("mnuViewStatusBar")->trigger();
        QVERIFY(!w->statusBar()->isVisible());
        tree->trigger();
        QVERIFY(w->Picture1()->isVisible());
    }

    // New: the save question does not stop the command; the new-document question does.
    void newAsksBothQuestionsAndBuildsAfterItsTimer_data() {
        QTest::addColumn<int>("saveAnswer");
        QTest::addColumn<int>("newAnswer");
        QTest::addColumn<bool>("built");
        QTest::newRow("cancel save question, confirm") << int(Answer::Cancel) << int(Answer::Ok) << true;
        QTest::newRow("no, then cancel") << int(Answer::No) << int(Answer::Cancel) << false;
    }
    void newAsksBothQuestionsAndBuildsAfterItsTimer() {
        QFETCH(int, saveAnswer);
        QFETCH(int, newAnswer);
        QFETCH(bool, built);
        modify();
        prompter.script = {Answer(saveAnswer), Answer(newAnswer)};
        w->action("mnuFileNew")->trigger();
        QCOMPARE(askedText(0), app->LangText(9006));
        QCOMPARE(askedText(1), app->LangText(9026));
        if (!built) {
            QVERIFY(!w->NewDocTimer().isActive());
            QVERIFY(IsModified(*doc));
            QVERIFY(w->FindWindowByName(frmCommChInfo::kName));
            return;
        }
        QVERIFY(openWindows().empty());
        // While the new document is being built, the document commands wait.
        QVERIFY(!w->action("mnuFileOpen")->isEnabled());
        QVERIFY(!w->action("mnuFileExit")->isEnabled());
        waitForNewDocument();
        QVERIFY(!IsModified(*doc));
        QVERIFY(FindChannel(doc->work, 333) < 0);
        QVERIFY(w->action("mnuFileOpen")->isEnabled());
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
    }

    void newWithYesSavesUntitledThroughSaveAs() {
        modify();
        chooser.saves << path("kept.dat");
        prompter.script = {Answer::Yes, Answer::Ok};
        w->action("mnuFileNew")->trigger();
        QCOMPARE(chooser.saveCalls, 1);
        QVERIFY(QFile::exists(path("kept.dat")) && QFile::exists(path("kept.fre")));
        // Nothing is written silently as "new.dat" in the current folder.
        QVERIFY(!QFile::exists("new.dat"));
        waitForNewDocument();
        Document reopened;
        AppState other = *app;
        QCOMPARE(OpenDocument(other, reopened, spath("kept.dat")), OpenResult::Opened);
        QVERIFY(FindChannel(reopened.work, 333) >= 0);
    }

    void toolbarNewDiscardsWithoutAsking() {
        modify();
        w->action("NewFile")->trigger();
        QVERIFY(prompter.asked.empty());
        waitForNewDocument();
        QVERIFY(!IsModified(*doc));
    }

    void initialiseCancelledForgetsTheFactoryRequest() {
        prompter.script = {Answer::Cancel};
        w->action("MnuInit")->trigger();
        QCOMPARE(askedText(0), app->LangText(9026));
        QVERIFY(!app->InitFromFactory);
        // Confirmed, the factory template is what the new document is built from; then the
        // request is cleared.
        prompter.script = {Answer::Ok};
        w->action("MnuInit")->trigger();
        QVERIFY(app->InitFromFactory);
        waitForNewDocument();
        QVERIFY(!app->InitFromFactory);
    }

    void openReplacesTheDocumentAndShowsItsChannels() {
        writePair("radio.dat", 290, "27.29000");
        chooser.opens << path("radio.dat");
        QVERIFY(w->mnuFileOpen_Click());
        QVERIFY(prompter.asked.empty());
        QVERIFY(!app->IsUntitled);
        QCOMPARE(app->DocFileName, spath("radio.dat"));
        QVERIFY(FindChannel(doc->work, 290) >= 0);
        QVERIFY(w->windowTitle().endsWith("[File:radio.dat]"));
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
    }

    void refusedOpenKeepsTheDocumentAndReopensTheChannelWindow() {
        QFile bad(path("bad.dat"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("X300 is not a version");
        bad.close();
        modify();
        prompter.script = {Answer::No};
        chooser.opens << path("bad.dat");
        QVERIFY(!w->mnuFileOpen_Click());
        QCOMPARE(askedText(1), app->LangText(9065) + "\n" + spath("bad.dat"));
        QVERIFY(app->IsUntitled);
        QVERIFY(FindChannel(doc->work, 333) >= 0);
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
    }

    // Open and Exit stop when the save that the user asked for did not happen.
    void cancelledOrFailedSaveStopsOpenAndExit_data() {
        QTest::addColumn<QString>("saveTo"); // "" dismisses the save dialog
        QTest::newRow("save dialog dismissed") << QString();
        QTest::newRow("save fails") << QString("/nonexistent-folder/x.dat");
    }
    void cancelledOrFailedSaveStopsOpenAndExit() {
        QFETCH(QString, saveTo);
        modify();
        writePair("other.dat", 5, "27.00500");
        chooser.opens << path("other.dat");
        chooser.saves << saveTo << saveTo; // every question is answered Yes (or OK)
        QVERIFY(!w->mnuFileOpen_Click());
        QCOMPARE(chooser.openCalls, 0);
        QVERIFY(FindChannel(doc->work, 333) >= 0);
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QVERIFY(IsModified(*doc));
        QVERIFY(app->IsUntitled);
        QCOMPARE(app->DocFileName, std::string("new.dat"));
    }

    void saveAsksBeforeOverwritingAndSaveAsKeepsTheNameOnlyWhenSaved() {
        writePair("radio.dat", 290, "27.29000");
        chooser.opens << path("radio.dat");
        QVERIFY(w->mnuFileOpen_Click());
        modify();
        prompter.script = {Answer::Cancel};
        QVERIFY(!w->mnuFileSave_Click());
        QCOMPARE(askedText(0), "\"radio.dat\"" + app->LangText(9007));
        QVERIFY(IsModified(*doc));
        prompter.script = {Answer::Ok};
        QVERIFY(w->mnuFileSave_Click());
        QVERIFY(!IsModified(*doc));

        modify();
        chooser.saves << "/nonexistent-folder/y.dat";
        QVERIFY(!w->mnuFileSaveAs_Click());
        QCOMPARE(chooser.saveStarts.last(), path("radio.dat"));
        QCOMPARE(app->DocFileName, spath("radio.dat"));
        QVERIFY(IsModified(*doc));
        chooser.saves << path("copy.dat");
        QVERIFY(w->mnuFileSaveAs_Click());
        QCOMPARE(app->DocFileName, spath("copy.dat"));
        QVERIFY(w->windowTitle().endsWith("[File:copy.dat]"));
    }

    // After a read (or for a new document) the name has no folder: Save As proposes it in the
    // documents folder, made when missing, or in the home folder when that cannot be made. A
    // failed save names the file and the system's reason.
    void saveAsStartsInAFolderThatExistsAndFailuresSayWhy() {
        const QByteArray home = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
        qputenv("HOME", QFile::encodeName(dir->path()));
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(documents.startsWith(dir->path()));
        QVERIFY(!QDir(documents).exists());
        QCOMPARE(app->DocFileName, std::string("new.dat"));
        chooser.saves << "/nonexistent-folder/y.dat";
        QVERIFY(!w->mnuFileSaveAs_Click());
        QCOMPARE(chooser.saveStarts.last(), QDir(documents).filePath("new.dat"));
        QVERIFY(QDir(documents).exists());
        QCOMPARE(QString::fromStdString(askedText(0)),
                 QString::fromStdString(app->LangText(9002)) +
                     "\n/nonexistent-folder/y.dat: " + QString::fromLocal8Bit(std::strerror(ENOENT)));

        // A file where the documents folder should be: the home folder.
        QDir(documents).removeRecursively();
        QFile blocker(documents);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!w->mnuFileSaveAs_Click());
        QCOMPARE(chooser.saveStarts.last(), QDir(dir->path()).filePath("new.dat"));

        // A name without ".dat" is refused with its own message, and nothing is written.
        chooser.saves << path("radio.bak");
        QVERIFY(!w->mnuFileSaveAs_Click());
        QCOMPARE(askedText(1), app->LangText(kNotASettingsFileName) + "\n" + spath("radio.bak"));
        QVERIFY(!QFile::exists(path("radio.bak")));
        QVERIFY(!QFile::exists(path("radio.fre")));
        QCOMPARE(app->DocFileName, std::string("new.dat"));
    }

    // A file name's control characters are shown escaped in the title and the status bar.
    void fileNamesAreShownWithControlCharactersEscaped() {
        app->DocFileName = "/tmp/x\x1b[31m\r\nfake.dat";
        app->IsUntitled = false;
        w->ShowMainTxt();
        QVERIFY(w->windowTitle().endsWith("[File:x\\e[31m\\r\\nfake.dat]"));
        QCOMPARE(w->StatusPanel(1)->text(), QDir::toNativeSeparators("/tmp/x\\e[31m\\r\\nfake.dat"));
    }

    void exitAsksAndCommitsTheHalfTypedEntry() {
        // A frequency typed into the grid but not yet stored counts as a change.
        auto* g = static_cast<frmCommChInfo*>(w->ChildByName(frmCommChInfo::kName));
        g->Combo7()->setCurrentIndex(8);
        g->setGridCell(3, 1);
        g->EnterGridEdit();
        QTest::keyClicks(g->Text1(), "27.1");
        prompter.script = {Answer::No};
        QVERIFY(w->close());
        QCOMPARE(askedText(0), app->LangText(9006));
        QVERIFY(FindChannel(doc->work, 323) >= 0);
    }

    // Every command id has its action and every window id opens the window of that name.
    void everyCommandAndWindowIdIsKnown() {
        QCOMPARE(w->RegistryProblems(), QStringList());
        for (const char* name : kCommandNames)
            QVERIFY2(w->action(QString(name)) != nullptr, name);
        for (std::size_t i = 0; i < kWindowNames.size(); ++i) {
            const QWidget* opened = w->ShowChildWindow(static_cast<Win>(i));
            QVERIFY2(opened != nullptr && opened->objectName() == kWindowNames[i], kWindowNames[i]);
        }
    }

    void commandsWaitWhileAnExchangeRuns() {
        w->SetExchangeRunning(true);
        for (const char* a : {"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuFileSaveAs", "mnuFileExit",
                              "mnuModelInfo", "mnuLanguage", "MnuInit", "NewFile", "OpenFile", "SaveFile"})
            QVERIFY2(!w->action(a)->isEnabled(), a);
        QVERIFY(w->action("mnuChannelInfo")->isEnabled());
        QVERIFY(!w->close());
        QVERIFY(prompter.asked.empty());
        w->SetExchangeRunning(false);
        QVERIFY(w->action("mnuFileOpen")->isEnabled());
    }

    void languageSwitchRelabelsAndReopensOnlyTheChannelWindow() {
        w->ShowChildWindow(FrmCHInfoEdit::kName);
        {
            // The same language: written again, nothing closes.
            FrmSetLanguage dlg(*app);
            QCOMPARE(dlg.Combo1()->currentIndex(), 0);
            dlg.CommandOK_Click();
            w->CheckLanguage();
        }
        QCOMPARE(ReadIniString(MySetupPathFor(), "language", "CurrentLanguage"), std::string("1"));
        QCOMPARE(openWindows().size(), std::size_t(2));
        {
            FrmSetLanguage dlg(*app);
            dlg.Combo1()->setCurrentIndex(1);
            dlg.CommandOK_Click();
        }
        QCOMPARE(app->LanguageCode, std::int16_t(2));
        QCOMPARE(app->LanguageFile, std::string("chinese.ini"));
        QCOMPARE(ReadIniString(MySetupPathFor(), "language", "CurrentLanguage"), std::string("2"));
        w->CheckLanguage();
        QCOMPARE(w->menu("mnuFile")->title(), QString::fromUtf8("文件(&F)"));
        QCOMPARE(w->StatusPanel(3)->text(), QString::fromUtf8("端口：1"));
        QCOMPARE(w->TreeView1()->topLevelItem(0)->child(0)->text(0), QString::fromUtf8("信道"));
        QCOMPARE(openWindows(), std::vector<QString>{frmCommChInfo::kName});
        QCOMPARE(w->FileFilter(), QString::fromUtf8("数据文件 (*.dat)"));
        // Qt's own buttons follow.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
        SelectLanguage(*app, 1);
        w->CheckLanguage();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    }
    std::string MySetupPathFor() const { return MySetupPath(*app); }

    void modelWindowAsksOnlyForAChangeAndSavesOldDataFirst() {
        {
            FrmModelInfo dlg(*app);
            QCOMPARE(dlg.Combo1()->currentText(), QString("ZT-450E"));
            QCOMPARE(dlg.Combo2()->currentText(), QString("25.615 - 30.105 MHz"));
            dlg.CommandOK_Click();
            QVERIFY(!dlg.changeConfirmed());
            QVERIFY(prompter.asked.empty());
        }
        // Data of a band this program does not name: choosing the model's band is a change.
        app->BandText = "";
        modify();
        chooser.saves << path("old-band.dat");
        prompter.script = {Answer::Ok, Answer::Yes};
        QTimer::singleShot(0, this, [] {
            if (auto* d = qobject_cast<FrmModelInfo*>(QApplication::activeModalWidget()))
                d->CommandOK()->click();
        });
        w->mnuModelInfo_Click();
        QCOMPARE(askedText(0), app->LangText(9016));
        QCOMPARE(askedText(1), app->LangText(9006));
        // The old data was saved before the new band was applied.
        LoadedPair saved;
        QCOMPARE(ReadPair(spath("old-band.dat"), true, saved), 0);
        QVERIFY(std::any_of(saved.channels.begin(), saved.channels.end(),
                            [](const ChannelRecord& r) { return r.ChannelNo == 333; }));
        QCOMPARE(app->BandText, std::string("25.615 - 30.105 MHz"));
        QCOMPARE(app->BandHigh, 30.105);
        waitForNewDocument();
        QVERIFY(!IsModified(*doc));
    }

    void splashOpensOneMainWindowWhenClickAndTimerMeet() {
        int opened = 0;
        QPointer<frmSplash> splash = new frmSplash(*app, [&] { ++opened; });
        QCOMPARE(splash->Timer1().interval(), 2000);
        QVERIFY(splash->Timer1().isActive());
        QVERIFY(!splash->picLogo()->pixmap().isNull());
        QTest::mouseClick(splash->picLogo(), Qt::LeftButton);
        QCOMPARE(opened, 1);
        QVERIFY(!splash->Timer1().isActive());
        splash->Finish(); // a time-out already on its way
        QCOMPARE(opened, 1);
        QTRY_VERIFY(splash.isNull());

        // Unclicked, the timer opens the main window.
        int byTimer = 0;
        auto* second = new frmSplash(*app, [&] { ++byTimer; });
        second->Timer1().start(10);
        QTRY_COMPARE(byTimer, 1);
    }

    void boundListShowsStoredPositionAndNormalisesOutOfRangeValues() {
        BoundList list;
        list.setEntries({"a", "b", "c"});
        std::vector<int> stored;
        list.onPick([&](int i) { stored.push_back(i); });
        list.showValue(2);
        list.showValue(7);
        list.showValue(-1);
        QCOMPARE(stored, (std::vector<int>{2, 0, 0}));
        QCOMPARE(list.currentIndex(), 0);
        list.setCurrentIndex(1); // as the user picks
        QCOMPARE(stored.back(), 1);
        // The wheel does nothing to a list without the focus.
        list.show();
        QWheelEvent wheel(QPointF(5, 5), list.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&list, &wheel);
        QCOMPARE(list.currentIndex(), 1);
    }

    void guardedTextBoxFiltersEveryWayTextArrives() {
        QLineEdit box;
        bool sign = false;
        GuardTextBox(&box, FrequencyChars([&] { return sign; }));
        QCOMPARE(box.contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!box.acceptDrops());
        box.insert("2a7.-1x5"); // as a paste or an input method delivers it
        QCOMPARE(box.text(), QString("27.15"));
        sign = true;
        box.insert("+");
        QCOMPARE(box.text(), QString("27.15+"));
    }

    void rectangleIsRestoredAndFallsBackWhenOffScreen() {
        w->move(120, 90);
        w->resize(900, 640);
        prompter.script = {Answer::No};
        QVERIFY(w->close());
        frmMain again(*app, *doc, *info);
        again.Form_Load();
        QCOMPARE(again.size(), QSize(900, 640));
        QSettings s;
        s.setValue("Settings/MainLeft", 900000);
        frmMain off(*app, *doc, *info);
        off.Form_Load();
        QCOMPARE(off.size(), QSize(Tw(12500, &off), Tw(9500, &off)));
    }

    void handOverKeepsTheProgramWhenCancelledOrImpossible() {
        modify();
        prompter.script = {Answer::Cancel};
        QVERIFY(!w->HandOverAndQuit("V301", true));
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        prompter.script = {Answer::No};
        QVERIFY(!w->HandOverAndQuit("V301", true));
        QCOMPARE(askedText(2), app->LangText(9063));
        QVERIFY(w->isVisible() && !w->HandedOver());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
