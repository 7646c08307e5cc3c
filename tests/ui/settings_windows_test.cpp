// SPDX-License-Identifier: GPL-3.0-or-later
// The radio-wide settings windows as a user meets them: the DTMF, optional features and tone tips
// windows, what each control stores, the key filters, the values they normalise on opening, and
// the refreshes they pass to each other and to the channel edit window; the tone preview with a
// recording sound output.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "model/channel_table.h"
#include "model/tone_tips.h"
#include "settings/frm_dtmf.h"
#include "settings/frm_opt_features.h"
#include "settings/frm_tone_tips.h"
#include "tone_output.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QAudioFormat>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zt;
using zt::test::ScriptedPrompter;

namespace {

DtmfCodeEntry Code(int len, const char* code) {
    DtmfCodeEntry e;
    e.Len = static_cast<i16>(len);
    e.Code = code;
    return e;
}

QStringList Entries(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// A sound output that writes down what it is asked, in a log that outlives the window.
struct LoggingOutput : ToneOutput {
    std::shared_ptr<QStringList> log;
    explicit LoggingOutput(std::shared_ptr<QStringList> l) : log(std::move(l)) {}
    void Tone(int hz, int ms) override { *log << QString("tone %1 %2").arg(hz).arg(ms); }
    void Silence(int ms) override { *log << QString("silence %1").arg(ms); }
    void Halt() override { *log << "halt"; }
};

// A clock that moves only when the test says so.
struct ManualClock : StepClock {
    std::function<void()> pending;
    void After(int, std::function<void()> fn) override { pending = std::move(fn); }
    void Cancel() override { pending = nullptr; }
    bool Fire() {
        if (!pending)
            return false;
        auto fn = std::move(pending);
        pending = nullptr;
        fn();
        return true;
    }
};

} // namespace

class SettingsWindowsTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    FeatureBlock& features() { return doc->work.settings.Options.Features; }
    ChannelRecord& vfo() { return features().VfoChannel; }
    DtmfBlock& dtmf() { return doc->work.settings.Options.Dtmf; }
    ChannelRecord& channel(int no) {
        int slot = FindChannel(doc->work, no);
        if (slot < 0) {
            AppendChannel(*app, doc->work, no, "27.00500");
            slot = FindChannel(doc->work, no);
        }
        return doc->work.channels[static_cast<std::size_t>(slot)];
    }
    template <class W> W* open() { return qobject_cast<W*>(w->ShowChildWindow(W::kName)); }
    FrmCHInfoEdit* openEditOn(int no) {
        channel(no);
        w->channels().EditGroup() = no / 40;
        w->channels().EditCell = {1, no % 40};
        w->ShowEditWindow();
        return w->channels().edit;
    }
    void pick(QComboBox* c, const QString& text) {
        const int i = c->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        c->setCurrentIndex(i);
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setOrganizationName("ztprog-test");
        QApplication::setApplicationName("ztprog-test");
    }

    void init() { start(1); }
    void start(int language) {
        w.reset();
        dir = std::make_unique<QTemporaryDir>();
        QSettings().clear();
        app = std::make_unique<AppState>();
        app->ProgramDir = ZT_PROGRAM_DIR;
        app->ParentDir = dir->path().toStdString();
        QDir(dir->path()).mkpath("language");
        app->prompter = &prompter;
        SelectLanguage(*app, language);
        doc = std::make_unique<Document>();
        info = std::make_unique<RadioInfoRecord>();
        InitDocument(*app, *doc, *info);
        prompter.script.clear();
        prompter.asked.clear();
        w = std::make_unique<frmMain>(*app, *doc, *info);
        w->Form_Load();
        w->show();
        // Focus moves (leaving a box, the power-on boxes moving on) need an active window.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    // ---- DTMF window ------------------------------------------------------------------------

    void dtmfShowsNormalisesAndStoresEachControl() {
        dtmf().DtmfRate = 0;       // no entry "0": shows "10" and becomes 1
        dtmf().FirstDigitTime = 3; // 150 ms has no entry: shows "0" and becomes 0
        dtmf().StarHashTime = 10;  // "500"
        dtmf().IdCode = "1234567890";
        dtmf().IdCodeLen = 12; // shows three characters, stays 12 until the box is saved
        dtmf().CodeList[2] = Code(16, "12A             ");
        dtmf().SideTone = 2;
        auto* f = open<FrmDTMF>();
        QVERIFY(f != nullptr);
        QCOMPARE(f->windowTitle(), QString::fromStdString(app->LangText(18000)));
        QCOMPARE(f->Combo1(0)->currentText(), QString("10"));
        QCOMPARE(dtmf().DtmfRate, i16(1));
        QCOMPARE(f->Combo1(1)->currentText(), QString("0"));
        QCOMPARE(dtmf().FirstDigitTime, i16(0));
        QCOMPARE(f->Combo1(3)->currentText(), QString("500"));
        QCOMPARE(f->Text3()->text(), QString("123"));
        QCOMPARE(dtmf().IdCodeLen, i16(12));
        QCOMPARE(f->Text2(2)->text(), QString("12A"));
        QCOMPARE(dtmf().CodeList[2].Len, i16(3));
        QVERIFY(!f->Check1()->isChecked());
        QCOMPARE(Entries(f->Combo2(4)), QStringList({"OFF", "A", "B", "C", "D", "*", "#"}));

        pick(f->Combo1(0), "500");
        pick(f->Combo1(1), "1000");
        pick(f->Combo1(2), "2500");
        pick(f->Combo1(3), "1000");
        pick(f->Combo1(4), "16s");
        pick(f->Combo1(16), "75");
        pick(f->Combo2(1), f->Combo2(1)->itemText(2));
        pick(f->Combo2(4), "#");
        pick(f->Combo2(5), "15s");
        f->Check1()->click();
        const DtmfBlock& d = dtmf();
        QCOMPARE(d.DtmfRate, i16(50));
        QCOMPARE(d.FirstDigitTime, i16(20));
        QCOMPARE(d.FirstDigitDelay, i16(50));
        QCOMPARE(d.StarHashTime, i16(20));
        QCOMPARE(d.DKeySetting, i16(16));
        QCOMPARE(features().PttIdPauseTime, i16(15));
        QCOMPARE(d.DtmfOpt, (std::array<i16, 3>{2, 6, 15}));
        QCOMPARE(d.SideTone, i16(1));
        // The PTT-ID codes of the block are kept but never shown.
        QVERIFY(!f->Text1(0)->isVisibleTo(f) && !f->Text1(1)->isVisibleTo(f));
    }

    void dtmfCodeBoxesTakeDtmfCharactersOnly() {
        auto* f = open<FrmDTMF>();
        f->SSTab1()->setCurrentIndex(2);
        QLineEdit* box = f->Text2(0);
        box->setFocus();
        QTest::keyClicks(box, "1be -*#dcxa9");
        QCOMPARE(box->text(), QString("1B*#DCA9"));
        QCOMPARE(dtmf().CodeList[0].Len, i16(8));
        QCOMPARE(dtmf().CodeList[0].Code.raw(), std::string("1B*#DCA9        "));
        // Pasted text goes through the same filter; sixteen characters at most.
        box->clear();
        box->insert("12345678901234567890");
        QCOMPARE(dtmf().CodeList[0].Len, i16(16));
        f->SSTab1()->setCurrentIndex(1);
        f->Text1(2)->setFocus();
        QTest::keyClicks(f->Text1(2), "a#?");
        QCOMPARE(dtmf().StunCode.Code.trimmed(), std::string("A#"));
        QCOMPARE(dtmf().StunCode.Len, i16(2));
    }

    void dtmfIdCodeIsCheckedWhenLeftOrClosed() {
        auto* f = open<FrmDTMF>();
        f->SSTab1()->setCurrentIndex(1);
        QLineEdit* id = f->Text3();
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, "12x");
        QCOMPARE(id->text(), QString("12"));
        QTest::keyClick(id, Qt::Key_Return); // leaves the box
        QCOMPARE(id->text(), QString("000"));
        QCOMPARE(dtmf().IdCodeLen, i16(3));
        QVERIFY(!id->hasFocus());
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, "4567");
        QTest::keyClick(id, Qt::Key_Tab);
        QCOMPARE(dtmf().IdCode.raw(), std::string("4567      "));
        QCOMPARE(dtmf().IdCodeLen, i16(4));

        // Typed but not left: New stores it (as "000") before asking to save.
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, "12");
        prompter.script = {Answer::No, Answer::Cancel};
        w->action("mnuFileNew")->trigger();
        QCOMPARE(dtmf().IdCodeLen, i16(3));
        QCOMPARE(dtmf().IdCode.trimmed(), std::string("000"));
        QCOMPARE(prompter.asked.front(), app->LangText(9006));

        // Closing the window stores what is typed, also when the main window closes it.
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, "98765");
        w->CloseCurAllWindows();
        QCOMPARE(dtmf().IdCode.trimmed(), std::string("98765"));
    }

    // A code as stored is shown as it is (lower-case a to d too). A key the box refuses, typed
    // over a selection, changes nothing: the code and every reference to it stay. The paste key
    // does nothing either.
    void dtmfRefusedKeyOverASelectionChangesNothing() {
        dtmf().CodeList[6] = Code(2, "ab");
        channel(1).CallCode = 7;
        vfo().PttIdBot = 7;
        auto* f = open<FrmDTMF>();
        QLineEdit* m7 = f->Text2(6);
        QCOMPARE(m7->text(), QString("ab"));
        QCOMPARE(dtmf().CodeList[6].Code.trimmed(), std::string("ab"));
        f->SSTab1()->setCurrentIndex(2);
        m7->setFocus();
        for (const char* refused : {"e", "x", " "}) {
            QTest::keyClick(m7, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(m7, refused);
            QCOMPARE(m7->text(), QString("ab"));
            QCOMPARE(m7->selectedText(), QString("ab"));
        }
        QCOMPARE(dtmf().CodeList[6].Len, i16(2));
        QCOMPARE(channel(1).CallCode, i16(7));
        QCOMPARE(vfo().PttIdBot, i16(7));

        QApplication::clipboard()->setText("1x2 e#");
        QTest::keyClick(m7, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m7, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m7->text(), QString("ab"));
        QCOMPARE(dtmf().CodeList[6].Code.trimmed(), std::string("ab"));
        QCOMPARE(channel(1).CallCode, i16(7));

        // The ID code box takes digits only, in the same way.
        f->SSTab1()->setCurrentIndex(1);
        QLineEdit* id = f->Text3();
        const QString shown = id->text();
        QVERIFY(!shown.isEmpty());
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, "a");
        QCOMPARE(id->text(), shown);
        QVERIFY(!id->isModified());
    }

    // The side-tone check box shows ticked for 1 only, and opening stores what it shows.
    void dtmfSideToneIsNormalisedOnOpening_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("2") << 2 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("0") << 0 << false;
    }
    void dtmfSideToneIsNormalisedOnOpening() {
        QFETCH(int, stored);
        QFETCH(bool, ticked);
        dtmf().SideTone = static_cast<i16>(stored);
        auto* f = open<FrmDTMF>();
        QCOMPARE(f->Check1()->isChecked(), ticked);
        QCOMPARE(dtmf().SideTone, i16(ticked ? 1 : 0));
    }

    // A stored code is shown as its first Len characters, a blank inside it too, and opening the
    // window leaves it as it is (only trailing blanks are no part of a code).
    void dtmfCodesAreShownAsStored_data() {
        QTest::addColumn<int>("len");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("lenAfter");
        QTest::newRow("blank inside") << 4 << "12 4"
                                      << "12 4" << 4;
        QTest::newRow("leading blank") << 3 << " 12"
                                       << " 12" << 3;
        QTest::newRow("longer than Len") << 2 << "1234"
                                         << "12" << 2;
        QTest::newRow("trailing blanks") << 16 << "12A"
                                         << "12A" << 3;
    }
    void dtmfCodesAreShownAsStored() {
        QFETCH(int, len);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(int, lenAfter);
        const std::string code = stored.toStdString();
        dtmf().CodeList[4] = Code(len, code.c_str());
        dtmf().StunCode = Code(len, code.c_str());
        vfo().PttIdBot = 5;
        auto* f = open<FrmDTMF>();
        QCOMPARE(f->Text2(4)->text(), shown);
        QCOMPARE(f->Text1(2)->text(), shown);
        for (const DtmfCodeEntry* e : {&dtmf().CodeList[4], &dtmf().StunCode}) {
            QCOMPARE(e->Len, i16(lenAfter));
            QCOMPARE(QString::fromStdString(e->Code.raw()).left(lenAfter), shown.left(lenAfter));
        }
        QCOMPARE(vfo().PttIdBot, i16(5));
    }

    // Cut, copy and paste keys do nothing in the code boxes and the ID box: the code, its length
    // and the references to it stay as they were.
    void dtmfClipboardKeysDoNothing_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys"); // x: Ctrl+X, c: Ctrl+C, v: Ctrl+V, a: Ctrl+A
        QTest::newRow("cut a code") << "M3"
                                    << "ax";
        QTest::newRow("paste into an empty code") << "M16"
                                                  << "v";
        QTest::newRow("cut then paste a code") << "M3"
                                               << "axv";
        QTest::newRow("cut the ID") << "ID"
                                    << "ax";
        QTest::newRow("paste over the ID") << "ID"
                                           << "av";
    }
    void dtmfClipboardKeysDoNothing() {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        dtmf().CodeList[2] = Code(3, "123");
        dtmf().CodeList[15] = Code(0, "");
        dtmf().IdCode = "12345";
        dtmf().IdCodeLen = 5;
        vfo().PttIdBot = 3;
        channel(1).CallCode = 3;
        QApplication::clipboard()->setText("9A#5");
        auto* f = open<FrmDTMF>();
        const DtmfBlock before = dtmf();
        const bool id = box == "ID";
        f->SSTab1()->setCurrentIndex(id ? 1 : 2);
        QLineEdit* t = id ? f->Text3() : f->Text2(box.mid(1).toInt() - 1);
        const QString shown = t->text();
        t->setFocus();
        for (QChar k : keys) {
            const Qt::Key key = k == u'x'   ? Qt::Key_X
                                : k == u'c' ? Qt::Key_C
                                : k == u'v' ? Qt::Key_V
                                            : Qt::Key_A;
            QTest::keyClick(t, key, Qt::ControlModifier);
        }
        QCOMPARE(t->text(), shown);
        QTest::keyClick(t, Qt::Key_Tab); // leaving the box stores nothing either
        QCOMPARE(dtmf().CodeList[2].Code.raw(), before.CodeList[2].Code.raw());
        QCOMPARE(dtmf().CodeList[2].Len, i16(3));
        QCOMPARE(dtmf().CodeList[15].Len, i16(0));
        QCOMPARE(dtmf().IdCode.raw(), before.IdCode.raw());
        QCOMPARE(dtmf().IdCodeLen, i16(5));
        QCOMPARE(vfo().PttIdBot, i16(3));
        QCOMPARE(channel(1).CallCode, i16(3));
    }

    // Entering the ID code box and leaving it without typing stores nothing, however it is left:
    // a code longer than the box shows keeps its stored length.
    void dtmfIdCodeLeftUntouchedStoresNothing() {
        dtmf().IdCode = "123456789012";
        dtmf().IdCodeLen = 12;
        const DtmfBlock before = dtmf();
        auto* f = open<FrmDTMF>();
        f->SSTab1()->setCurrentIndex(1);
        QLineEdit* id = f->Text3();
        QCOMPARE(id->text(), QString("123"));
        for (const Qt::Key leave : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Backtab}) {
            id->setFocus();
            QVERIFY(id->hasFocus());
            QTest::keyClick(id, leave);
            QCOMPARE(dtmf().IdCodeLen, i16(12));
        }
        // A click elsewhere, then closing the window.
        id->setFocus();
        f->Text1(2)->setFocus(Qt::MouseFocusReason);
        f->closeWindow();
        QApplication::processEvents();
        QCOMPARE(dtmf().IdCodeLen, i16(12));
        QCOMPARE(dtmf().IdCode.raw(), before.IdCode.raw());
    }

    void emptyingACodeClearsItsReferencesAndRebuildsTheOpenLists() {
        dtmf().CodeList[2] = Code(3, "123");
        dtmf().CodeList[4] = Code(5, "55555");
        channel(1).PttIdBot = 5;
        channel(1).CallCode = 5;
        channel(2).PttIdBot = 3;
        vfo().PttIdEot = 5;
        vfo().PttIdBot = 3;
        features().PublicData = 1;
        FrmCHInfoEdit* edit = openEditOn(1);
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->Combo2(8)->currentText(), QString("5"));
        auto* opt = open<FrmOptFeatures>();
        QCOMPARE(opt->Combo1(33)->currentText(), QString("5"));
        QCOMPARE(opt->Combo1(32)->currentText(), QString("3"));
        auto* f = open<FrmDTMF>();
        f->SSTab1()->setCurrentIndex(2);
        f->Text2(4)->setFocus();
        f->Text2(4)->selectAll();
        QTest::keyClick(f->Text2(4), Qt::Key_Delete);
        QCOMPARE(dtmf().CodeList[4].Len, i16(0));
        QCOMPARE(channel(1).PttIdBot, i16(0));
        QCOMPARE(channel(1).CallCode, i16(0));
        QCOMPARE(channel(2).PttIdBot, i16(3));
        QCOMPARE(vfo().PttIdEot, i16(0));
        QCOMPARE(vfo().PttIdBot, i16(3));
        const QStringList left{"OFF", "3"};
        for (int i : {32, 33, 34})
            QCOMPARE(Entries(opt->Combo1(i)), left);
        QCOMPARE(opt->Combo1(33)->currentIndex(), 0);
        QCOMPARE(opt->Combo1(32)->currentText(), QString("3"));
        for (int k : {8, 10, 16})
            QCOMPARE(Entries(edit->Combo2(k)), left);
        QCOMPARE(edit->Combo2(8)->currentIndex(), 0);
        // A code typed again is offered again.
        QTest::keyClicks(f->Text2(4), "7");
        QCOMPARE(Entries(opt->Combo1(32)), QStringList({"OFF", "3", "5"}));
        QCOMPARE(opt->Combo1(32)->currentText(), QString("3"));
    }

    // ---- optional features window -------------------------------------------------------------

    void optionsOpenNormalisesTheRecordAndMarksANewDocumentModified() {
        QVERIFY(!IsModified(*doc));
        // The new document holds a time-out of 4 s (no entry) and a voice volume of 0 (no entry).
        auto* f = open<FrmOptFeatures>();
        QVERIFY(f != nullptr);
        QCOMPARE(features().TotTime, i16(0));
        QCOMPARE(features().VoiceVolume, i16(1));
        QVERIFY(IsModified(*doc));
        QCOMPARE(f->Combo1(4)->currentText(), QString("OFF"));
        // The default power-on text: eight blanks, "rv2180", a blank and a NUL.
        QStringList shown;
        for (int i = 8; i < 16; ++i)
            shown << f->Text1(i)->text();
        QCOMPARE(shown, QStringList({"r", "v", "2", "1", "8", "0", "", ""}));
        QCOMPARE(features().PowerOnText.raw(), std::string("        rv2180  "));
    }

    void optionsTimeOutShowsTheNearestEntry_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("after");
        QTest::newRow("22") << 22 << "15" << 15;
        QTest::newRow("600") << 600 << "600" << 600;
        QTest::newRow("615") << 615 << "OFF" << 0;
        QTest::newRow("-15") << -15 << "OFF" << 0;
    }
    void optionsTimeOutShowsTheNearestEntry() {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, after);
        features().TotTime = static_cast<i16>(stored);
        auto* f = open<FrmOptFeatures>();
        QCOMPARE(f->Combo1(4)->currentText(), shown);
        QCOMPARE(features().TotTime, i16(after));
    }

    void optionsStoreEveryShownControl() {
        features().PublicData = 1;
        auto* f = open<FrmOptFeatures>();
        pick(f->Combo1(4), "600");
        f->Combo1(12)->setCurrentIndex(2);
        f->Combo1(13)->setCurrentIndex(7);
        f->Combo1(14)->setCurrentIndex(1);
        pick(f->Combo1(15), "60");
        f->Combo1(38)->setCurrentIndex(0);
        f->Combo1(30)->setCurrentIndex(282);
        f->Combo1(37)->setCurrentIndex(2);
        f->Combo1(40)->setCurrentIndex(1);
        for (int i : {8, 9, 10, 11, 12, 14})
            f->Check1(i)->click();
        const FeatureBlock& x = features();
        QCOMPARE(x.TotTime, i16(600));
        QCOMPARE(x.DisplayMode, i16(2));
        QCOMPARE(x.BacklightColor, i16(7));
        QCOMPARE(x.ScanMode, i16(1));
        QCOMPARE(x.ScanResumeTime, i16(11));
        QCOMPARE(x.Beep, i16(0));
        QCOMPARE(f->Combo1(30)->currentText(), QString("765I"));
        QCOMPARE(x.VfoChannel.EncodeTone, i16(282));
        QCOMPARE(x.VfoChannel.Rep, i16(2));
        QCOMPARE(x.VfoChannel.Tsq, i16(1));
        QCOMPARE((std::array<i16, 6>{x.VfoChannel.RxExpander, x.VfoChannel.TxCompressor, x.VfoChannel.NbAnl,
                                     x.VfoChannel.Att, x.VfoChannel.HiCut, x.VfoChannel.RepLock}),
                 (std::array<i16, 6>{1, 1, 1, 1, 1, 1}));
        // Locking the repeater offset locks its list.
        QVERIFY(!f->Combo1(37)->isEnabled());
        QVERIFY(!f->Label1(37)->isEnabled());
        QCOMPARE(f->Check1(14)->text(), QString("Rep Lock"));
        QCOMPARE(f->Combo1(29)->count(), 283);
        QCOMPARE(f->Combo1(29)->itemText(51), QString("017N"));
    }

    void optionsDecodeToneControlsSquelchAndBusyLock() {
        features().PublicData = 1;
        vfo().DecodeTone = 0;
        vfo().SquelchMode = 1;
        vfo().BusyLock = 2; // lock on a wrong tone, but there is no tone
        auto* f = open<FrmOptFeatures>();
        QCOMPARE(vfo().SquelchMode, i16(0));
        QVERIFY(!f->Combo1(36)->isEnabled());
        QCOMPARE(f->Combo1(31)->count(), 2);
        QCOMPARE(vfo().BusyLock, i16(1));
        QCOMPARE(f->Combo1(31)->currentIndex(), 1);

        f->Combo1(29)->setCurrentIndex(5); // 77.0
        QCOMPARE(vfo().DecodeTone, i16(5));
        QVERIFY(f->Combo1(36)->isEnabled());
        QCOMPARE(Entries(f->Combo1(31)).last(), QString::fromStdString(app->LangText(15032)));
        f->Combo1(31)->setCurrentIndex(2);
        f->Combo1(36)->setCurrentIndex(1);
        QCOMPARE(vfo().BusyLock, i16(2));
        QCOMPARE(vfo().SquelchMode, i16(1));

        f->Combo1(29)->setCurrentIndex(0);
        QCOMPARE(f->Combo1(31)->count(), 2);
        QCOMPARE(f->Combo1(31)->currentIndex(), 1);
        QCOMPARE(vfo().BusyLock, i16(1));
        QCOMPARE(vfo().SquelchMode, i16(0));
        QVERIFY(!f->Combo1(36)->isEnabled());
    }

    // The VFO tone lists store a typed tone once left; the matches on the way are not stored.
    void optionsVfoToneTypedIsStoredWhenLeft() {
        features().PublicData = 1;
        vfo().DecodeTone = 0;
        vfo().SquelchMode = 0;
        auto* f = open<FrmOptFeatures>();
        QComboBox* decode = f->Combo1(29);
        QVERIFY(decode->isEnabled());
        const int interval = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(60000);
        const auto restore = qScopeGuard([interval] { QApplication::setKeyboardInputInterval(interval); });
        decode->setFocus();
        QTest::keyClicks(decode, "88.5");
        QCOMPARE(decode->currentText(), QString("88.5"));
        QCOMPARE(vfo().DecodeTone, i16(0));
        QVERIFY(!f->Combo1(36)->isEnabled()); // the squelch list follows stored tones only
        QTest::keyClick(decode, Qt::Key_Tab);
        QCOMPARE(vfo().DecodeTone, i16(decode->findText("88.5")));
        QVERIFY(f->Combo1(36)->isEnabled());
    }

    void optionsCommonSettingsSwitchEnablesTheVfoGroup() {
        features().PublicData = 0;
        vfo().RepLock = 1;
        vfo().DecodeTone = 3;
        auto* f = open<FrmOptFeatures>();
        const QList<QWidget*> inFrame = f->Frame3()->findChildren<QWidget*>();
        QVERIFY(!inFrame.isEmpty());
        for (QWidget* c : inFrame)
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        f->Check1(7)->click();
        QCOMPARE(features().PublicData, i16(1));
        for (QWidget* c : inFrame)
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        // The next save applies the repeater lock again.
        f->Check1(8)->click();
        QVERIFY(!f->Combo1(37)->isEnabled());
        f->Check1(7)->click();
        QCOMPARE(features().PublicData, i16(0));
        QVERIFY(!f->Combo1(29)->isEnabled());
    }

    // Opened with the common settings in use, each of their controls is enabled, the repeater
    // offset also while it is locked (the squelch list still needs a decode tone); the next
    // change applies the lock.
    void optionsOpenEnablesTheLockedRepeaterOffset() {
        features().PublicData = 1;
        vfo().RepLock = 1;
        vfo().DecodeTone = 0;
        auto* f = open<FrmOptFeatures>();
        QVERIFY(f->Combo1(37)->isEnabled());
        QVERIFY(f->Label1(37)->isEnabled());
        QVERIFY(!f->Combo1(36)->isEnabled());
        f->Check1(8)->click();
        QVERIFY(!f->Combo1(37)->isEnabled());
        QCOMPARE(vfo().RepLock, i16(1));
    }

    void optionsPowerOnTextTakesLettersAndDigitsAndMovesOn() {
        auto* f = open<FrmOptFeatures>();
        QLineEdit* box = f->Text1(14);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        QTest::keyClick(box, Qt::Key_Minus);
        QCOMPARE(box->text(), QString());
        QTest::keyClick(box, Qt::Key_X, Qt::NoModifier); // lower case stays lower case
        QCOMPARE(box->text(), QString("x"));
        QVERIFY(f->Text1(15)->hasFocus());
        QTest::keyClicks(f->Text1(15), "Q");
        QVERIFY(f->Combo1(4)->hasFocus());
        QCOMPARE(features().PowerOnText.raw(), std::string("        rv2180xQ"));
        // Entering a box selects its character, so typing replaces it.
        f->Text1(8)->setFocus();
        QTRY_VERIFY(f->Text1(8)->hasSelectedText());
        QTest::keyClicks(f->Text1(8), "Z");
        QCOMPARE(features().PowerOnText.raw(), std::string("        Zv2180xQ"));
        // A refused key over the selected character changes nothing and stays in the box.
        f->Text1(9)->setFocus();
        QTRY_VERIFY(f->Text1(9)->hasSelectedText());
        QTest::keyClicks(f->Text1(9), "-");
        QCOMPARE(f->Text1(9)->text(), QString("v"));
        QVERIFY(f->Text1(9)->hasFocus());
        QCOMPARE(features().PowerOnText.raw(), std::string("        Zv2180xQ"));
        // Cut, copy and paste keys do nothing there.
        QApplication::clipboard()->setText("r9");
        for (const Qt::Key k : {Qt::Key_V, Qt::Key_X, Qt::Key_C, Qt::Key_V}) {
            QTest::keyClick(f->Text1(9), k, Qt::ControlModifier);
            QCOMPARE(f->Text1(9)->text(), QString("v"));
            QVERIFY(f->Text1(9)->hasFocus());
        }
        QCOMPARE(features().PowerOnText.raw(), std::string("        Zv2180xQ"));
    }

    void optionsListsOfferOnlyDefinedTipsAndCodes() {
        features().PublicData = 1;
        doc->work.settings.ToneTips[1] = ToneTipEntry{}; // tip 2: nothing to play
        doc->work.settings.ToneTips[1].Repeat = 1;
        vfo().RogerBeep = 2;
        vfo().PttIdBot = 7; // code 7 is empty
        auto* f = open<FrmOptFeatures>();
        QVERIFY(!Entries(f->Combo1(35)).contains("2"));
        QCOMPARE(f->Combo1(35)->currentIndex(), 0);
        QCOMPARE(vfo().RogerBeep, i16(0));
        QCOMPARE(f->Combo1(32)->currentIndex(), 0);
        QCOMPARE(vfo().PttIdBot, i16(0));
        pick(f->Combo1(35), "1");
        QCOMPARE(vfo().RogerBeep, i16(1));
    }

    void frequencyOptionUpdatesTheOpenChannelEditWindow() {
        features().FreqEditable = 0;
        FrmCHInfoEdit* edit = openEditOn(1); // group 0: fixed frequencies unless the option allows
        QVERIFY(edit != nullptr);
        QVERIFY(!edit->Text1()->isEnabled());
        auto* f = open<FrmOptFeatures>();
        f->Combo1(39)->setCurrentIndex(1);
        QCOMPARE(features().FreqEditable, i16(1));
        QVERIFY(edit->Text1()->isEnabled());
        f->Combo1(39)->setCurrentIndex(0);
        QVERIFY(!edit->Text1()->isEnabled());
        // A stored value without an entry becomes "off" when the window opens, and the channel
        // window follows at once.
        f->closeWindow();
        features().FreqEditable = 5;
        edit->SetShowFreModify();
        QVERIFY(edit->Text1()->isEnabled());
        open<FrmOptFeatures>();
        QCOMPARE(features().FreqEditable, i16(0));
        QVERIFY(!edit->Text1()->isEnabled());
    }

    // ---- tone tips window ---------------------------------------------------------------------

    void toneTipsShowNormaliseAndStore() {
        ToneTipEntry& t2 = doc->work.settings.ToneTips[1];
        t2.Steps[0] = {30, 12}; // 300 Hz has no entry: shows silence and becomes 0
        t2.Steps[1] = {255, 300};
        t2.Repeat = 11;
        t2.Interval = 7;
        auto* f = open<FrmToneTips>();
        QVERIFY(f != nullptr);
        QCOMPARE(f->TabStrip1()->count(), 8);
        QCOMPARE(f->TabStrip1()->tabText(7), QString("Tone 8"));
        QCOMPARE(f->CurrentTone(), 1);
        QCOMPARE(f->Combo3(0)->currentText(), QString("2100"));
        f->TabStrip1()->setCurrentIndex(1);
        QCOMPARE(f->CurrentTone(), 2);
        QCOMPARE(f->Combo3(0)->currentIndex(), 0);
        QCOMPARE(t2.Steps[0].Tone, i16(0));
        QCOMPARE(t2.Steps[0].Length, i16(12));
        QCOMPARE(f->Combo3(1)->currentText(), QString("2550"));
        QCOMPARE(f->Combo4(1)->currentText(), QString("0"));
        QCOMPARE(t2.Steps[1].Length, i16(0));
        QCOMPARE(t2.Repeat, i16(0));
        QCOMPARE(f->Combo2()->currentText(), QString("70"));

        pick(f->Combo3(13), "400");
        pick(f->Combo4(13), "2550");
        f->Combo1()->setCurrentIndex(10);
        pick(f->Combo2(), "2550");
        QCOMPARE(t2.Steps[13].Tone, i16(40));
        QCOMPARE(t2.Steps[13].Length, i16(255));
        QCOMPARE(t2.Repeat, i16(10));
        QCOMPARE(t2.Interval, i16(255));
        f->Combo3(13)->setCurrentIndex(0);
        QCOMPARE(t2.Steps[13].Tone, i16(0));
    }

    void undefinedTipLeavesTheRogerBeepListsOfOpenWindows() {
        features().PublicData = 1;
        channel(1).RogerBeep = 1;
        vfo().RogerBeep = 1;
        FrmCHInfoEdit* edit = openEditOn(1);
        QCOMPARE(edit->Combo2(11)->currentText(), QString("1"));
        auto* opt = open<FrmOptFeatures>();
        QCOMPARE(opt->Combo1(35)->currentText(), QString("1"));
        auto* f = open<FrmToneTips>();
        f->Combo1()->setCurrentIndex(0); // tip 1 repeats no more
        QCOMPARE(channel(1).RogerBeep, i16(0));
        QCOMPARE(vfo().RogerBeep, i16(0));
        QVERIFY(!Entries(opt->Combo1(35)).contains("1"));
        QVERIFY(!Entries(edit->Combo2(11)).contains("1"));
        QCOMPARE(opt->Combo1(35)->currentIndex(), 0);
        QCOMPARE(edit->Combo2(11)->currentIndex(), 0);
        // Defined again: offered again, the choices stay cleared.
        f->Combo1()->setCurrentIndex(1);
        QVERIFY(Entries(opt->Combo1(35)).contains("1"));
        QVERIFY(Entries(edit->Combo2(11)).contains("1"));
        QCOMPARE(vfo().RogerBeep, i16(0));
    }

    void toneBarsFollowLengthsAndTones() {
        ToneTipEntry t;
        t.Steps[0] = {210, 10};
        t.Steps[1] = {0, 10};
        t.Steps[2] = {256, 20};
        t.Steps[3] = {100, 0}; // no length: no bar
        t.Steps[4] = {128, 10};
        const auto bars = ToneBars(t, QSize(1100, 356), 50);
        QCOMPARE(bars.size(), std::size_t(4));
        QCOMPARE(bars[0].rect, QRect(50, 306 - 210, 200, 210)); // height 210 x 256 / 256
        QCOMPARE(bars[0].color, QColor(Qt::red));
        QCOMPARE(bars[1].rect, QRect(250, 306, 200, 0));
        QCOMPARE(bars[1].color, QColor(Qt::blue));
        QCOMPARE(bars[2].rect, QRect(450, 50, 400, 256));
        QCOMPARE(bars[3].rect.left(), 850);
        QCOMPARE(bars[3].color, QColor(Qt::red)); // step 5
        QVERIFY(ToneBars(ToneTipEntry{}, QSize(1100, 356), 50).empty());
    }

    void toneDrawingIsRepaintedOnChange() {
        auto* f = open<FrmToneTips>();
        QWidget* pic = f->Picture1();
        const QPoint firstBar(pic->width() / 20, pic->height() - pic->height() / 6);
        QCOMPARE(pic->grab().toImage().pixelColor(firstBar), QColor(Qt::red));
        f->Combo3(0)->setCurrentIndex(0); // step 1 silent: no height
        QCOMPARE(pic->grab().toImage().pixelColor(firstBar), QColor(Qt::white));
    }

    void previewPlaysTheTipAndStopsOnStop() {
        auto log = std::make_shared<QStringList>();
        auto clock = std::make_unique<ManualClock>();
        ManualClock* c = clock.get();
        doc->work.settings.ToneTips[2] = ToneTipEntry{};
        doc->work.settings.ToneTips[2].Steps[0] = {100, 10};
        doc->work.settings.ToneTips[2].Repeat = 5;
        doc->work.settings.ToneTips[2].Interval = 20;
        auto f = std::make_unique<FrmToneTips>(*app, *doc, nullptr, std::make_unique<LoggingOutput>(log),
                                               std::move(clock));
        f->Play()->click(); // default tip 1
        QVERIFY(!f->Play()->isEnabled());
        while (c->Fire()) {
        }
        QCOMPARE(*log, QStringList({"tone 2100 100", "silence 100", "tone 2100 100", "silence 100",
                                    "tone 2100 100", "silence 100", "tone 2100 100"}));
        QVERIFY(f->Play()->isEnabled());

        log->clear();
        f->TabStrip1()->setCurrentIndex(2);
        f->Play()->click();
        QVERIFY(c->Fire()); // the tone ends, the interval begins
        f->Stop()->click();
        QVERIFY(!c->Fire());
        QCOMPARE(*log, QStringList({"tone 1000 100", "silence 200", "halt"}));
        QVERIFY(f->Play()->isEnabled());

        // A tip with no length does not play.
        log->clear();
        f->TabStrip1()->setCurrentIndex(3);
        for (int i = 0; i < FrmToneTips::kSteps; ++i)
            f->Combo4(i)->setCurrentIndex(0);
        f->Play()->click();
        QVERIFY(log->isEmpty());
        QVERIFY(f->Play()->isEnabled());
    }

    void closingTheWindowOrANewDocumentEndsThePreview() {
        auto log = std::make_shared<QStringList>();
        doc->work.settings.ToneTips[0].Repeat = 10;
        auto* f = new FrmToneTips(*app, *doc, nullptr, std::make_unique<LoggingOutput>(log),
                                  std::make_unique<QtStepClock>());
        QPointer<FrmToneTips> alive(f);
        f->show();
        f->Play()->click();
        QTRY_VERIFY(log->size() >= 3);
        f->close();
        QTRY_VERIFY(alive.isNull());
        const qsizetype heard = log->size();
        QCOMPARE(log->last(), QString("halt"));
        QTest::qWait(300);
        QCOMPARE(log->size(), heard);

        // Through the main window: New closes the window, the preview goes with it.
        auto* g = open<FrmToneTips>();
        QPointer<FrmToneTips> open(g);
        g->Play()->click();
        QVERIFY(g->Previewing());
        prompter.script = {Answer::No, Answer::Ok};
        w->action("mnuFileNew")->trigger();
        QTRY_VERIFY(open.isNull());
        QTRY_VERIFY(!w->NewDocTimer().isActive());
        QTest::qWait(200);
    }

    // The sound stream plays each queued step for exactly its length, one after the other, and
    // zeros when nothing is queued.
    void toneStreamKeepsTheStepLengths() {
        QAudioFormat f;
        f.setSampleRate(48000);
        f.setChannelCount(1);
        f.setSampleFormat(QAudioFormat::Int16);
        ToneStream stream(f);
        stream.push(2100, 100);
        stream.push(0, 100);
        stream.push(1000, 50);
        std::vector<qint16> samples(48000 * 300 / 1000);
        // Read in pieces, as an audio sink does.
        const qint64 bytes = static_cast<qint64>(samples.size() * sizeof(qint16));
        for (qint64 at = 0; at < bytes; at += 960)
            QCOMPARE(
                stream.read(reinterpret_cast<char*>(samples.data()) + at, std::min<qint64>(960, bytes - at)),
                std::min<qint64>(960, bytes - at));
        auto loud = [&](std::size_t from, std::size_t to) {
            std::size_t n = 0;
            for (std::size_t i = from; i < to; ++i)
                n += std::abs(samples[i]) > 1000 ? 1 : 0;
            return n;
        };
        QVERIFY(loud(0, 4800) > 4000);              // 100 ms of 2100 Hz
        QCOMPARE(loud(4800, 9600), std::size_t(0)); // 100 ms pause
        QVERIFY(loud(9600, 12000) > 2000);          // 50 ms of 1000 Hz
        QCOMPARE(loud(12000, samples.size()), std::size_t(0));
        // 2100 Hz: 210 periods in 100 ms, counted as rising zero crossings.
        int rising = 0;
        for (std::size_t i = 1; i < 4800; ++i)
            rising += samples[i - 1] < 0 && samples[i] >= 0 ? 1 : 0;
        QVERIFY(rising >= 209 && rising <= 210);
        QVERIFY(stream.empty());
        stream.push(500, 1000);
        stream.clear();
        QVERIFY(stream.empty());
    }

    // Steps queued a little late keep their places: the next pause is shortened by the delay.
    void toneStreamMakesUpForLateSteps() {
        QAudioFormat f;
        f.setSampleRate(8000);
        f.setChannelCount(1);
        f.setSampleFormat(QAudioFormat::Int16);
        ToneStream stream(f);
        std::vector<qint16> samples;
        auto take = [&](int ms) {
            const std::size_t at = samples.size();
            samples.resize(at + static_cast<std::size_t>(8 * ms));
            stream.read(reinterpret_cast<char*>(samples.data() + at), 16 * ms);
        };
        auto loud = [&](int fromMs, int toMs) {
            std::size_t n = 0;
            for (std::size_t i = static_cast<std::size_t>(8 * fromMs); i < static_cast<std::size_t>(8 * toMs);
                 ++i)
                n += std::abs(samples[i]) > 1000 ? 1 : 0;
            return n;
        };
        take(500); // idle before the preview: nothing to make up
        stream.push(1000, 100);
        take(110); // the next step comes 10 ms late
        stream.push(0, 100);
        take(80);
        stream.push(1000, 100);
        take(130);
        // Tone at 500..600 ms, pause to 700 ms (10 ms late + 90 ms), tone at 700..800 ms.
        QVERIFY(loud(502, 600) > 500); // 3 of 4 samples of a 1000 Hz sine at 8 kHz
        QCOMPARE(loud(600, 700), std::size_t(0));
        QVERIFY(loud(702, 800) > 500);
        QCOMPARE(loud(800, 820), std::size_t(0));
    }

    void windowsAreLabelledInChinese() {
        start(2);
        auto* d = open<FrmDTMF>();
        auto* o = open<FrmOptFeatures>();
        auto* t = open<FrmToneTips>();
        QCOMPARE(d->windowTitle(), QString::fromUtf8("DTMF设置"));
        QCOMPARE(o->windowTitle(), QString::fromUtf8("可选功能"));
        QCOMPARE(t->TabStrip1()->tabText(0), QString::fromUtf8("提示 1"));
        QCOMPARE(o->Combo1(29)->itemText(0), QString::fromStdString(app->LangText(15030)));
        // All eight tabs are shown whole.
        QVERIFY(t->TabStrip1()->tabRect(7).right() < t->TabStrip1()->width());
        // Every label ends left of its control and inside the window.
        for (QWidget* win : {static_cast<QWidget*>(d), static_cast<QWidget*>(o), static_cast<QWidget*>(t)})
            for (QLabel* l : win->findChildren<QLabel*>())
                if (l->isVisibleTo(win) && !l->text().isEmpty())
                    QVERIFY2(l->geometry().left() >= 0, qPrintable(l->text()));
    }
};

QTEST_MAIN(SettingsWindowsTest)
#include "settings_windows_test.moc"
