// The channel grid and the channel edit window, driven with keys and clicks.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "model/channel_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace zt;

namespace {

ChannelRecord Channel(int no, const char* rx) {
    ChannelRecord r;
    r.ChannelNo = static_cast<i16>(no);
    r.RxFreq = rx;
    r.TxOffset = std::string(7, '\0');
    return r;
}

} // namespace

class ChannelGridTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppState> app;
    std::unique_ptr<Document> doc;
    std::unique_ptr<RecordingPrompter> prompter;
    std::unique_ptr<frmMain> main;

    void add(const ChannelRecord& r) {
        auto& w = doc->work;
        w.channels[static_cast<std::size_t>(w.settings.ChannelCount++)] = r;
    }
    frmCommChInfo* open(int group) {
        doc->work.settings.Options.Features.ChannelGroup = static_cast<i16>(group);
        main = std::make_unique<frmMain>(*app, *doc);
        main->resize(1000, 800);
        main->show();
        auto* g = static_cast<frmCommChInfo*>(main->ShowChildWindow(frmCommChInfo::kName));
        return g;
    }
    // Clicks the centre of a grid cell.
    static void click(frmCommChInfo* g, int row, int col) {
        QTableWidget* t = g->MSFlexGrid1();
        t->scrollToItem(t->item(row - 1, col - 1));
        const QRect r = t->visualItemRect(t->item(row - 1, col - 1));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    }
    ChannelRecord* find(int no) {
        const int slot = FindChannel(doc->work, no);
        return slot < 0 ? nullptr : &doc->work.channels[static_cast<std::size_t>(slot)];
    }

  private slots:
    void init() {
        app = std::make_unique<AppState>();
        doc = std::make_unique<Document>();
        prompter = std::make_unique<RecordingPrompter>();
        app->prompter = prompter.get();
        QVERIFY(app->lang.load(ZT_PROGRAM_DIR "/language/english.ini"));
        add(Channel(1, "02761500"));
        add(Channel(481, "02761500"));
    }
    void cleanup() { main.reset(); }

    void vfoGroupShowsOneRow() {
        frmCommChInfo* g = open(0);
        g->Combo7()->setCurrentIndex(12);
        QCOMPARE(g->rowCount(), 2);
        QCOMPARE(g->cellText(1, 1), QString("27.61500"));
        QCOMPARE(g->Text3()->text(), QString("VFO"));
        QVERIFY(!g->Text3()->isEnabled());
        QVERIFY(g->Combo8(0)->isHidden());
        QVERIFY(g->windowTitle().contains("12 -- VFO"));
    }

    void frequencyColumnLockedInLowGroups() {
        frmCommChInfo* g = open(3);
        add(Channel(121, "02700000"));
        g->ChangeGroup();
        click(g, 1, 1);
        QVERIFY(!g->Text1()->isVisible());
        g->Combo7()->setCurrentIndex(7);
        add(Channel(281, "02700000"));
        g->ReShowAllRows();
        click(g, 1, 1);
        QVERIFY(g->Text1()->isVisible());
        QCOMPARE(g->Text1()->text(), QString("27.00000"));
    }

    void signKeysOnlyInOffsetColumn_data() {
        QTest::addColumn<bool>("asOffset");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("rx, offset mode") << true << 1 << "-2a7"
                                         << "27";
        QTest::newRow("tx, offset mode") << true << 2 << "-0.6"
                                         << "-0.6";
        QTest::newRow("tx, frequency mode") << false << 2 << "-2+7"
                                            << "27";
    }
    void signKeysOnlyInOffsetColumn() {
        QFETCH(bool, asOffset);
        QFETCH(int, col);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        app->habits.TxAsOffset = asOffset;
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        g->ReShowAllRows();
        g->setGridCell(1, col);
        QVERIFY(g->Text1()->isVisible());
        g->Text1()->clear();
        QTest::keyClicks(g->Text1(), typed);
        QCOMPARE(g->Text1()->text(), shown);
    }

    void enterOnLastRowWrapsToFirst() {
        frmCommChInfo* g = open(8);
        add(Channel(360, "02700000"));
        g->ReShowAllRows();
        click(g, 40, 5);
        QComboBox* list = g->ListEditor(1);
        QVERIFY(list->isVisible());
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(g->gridRow(), 1);
        QCOMPARE(g->gridCol(), 1);
    }

    void editWindowFollowsGrid() {
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        add(Channel(322, "02710000"));
        g->ReShowAllRows();
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        click(g, 2, 1);
        QCOMPARE(e->Combo4()->currentText(), QString("8"));
        QCOMPARE(e->Combo1()->currentText(), QString("2"));
        QCOMPARE(e->Text1()->text(), QString("27.10000"));
        QVERIFY(e->Combo2(0)->isEnabled());

        // Choosing a group in the window moves the grid.
        e->Combo4()->setCurrentIndex(12);
        QCOMPARE(g->Combo7()->currentIndex(), 12);
        QCOMPARE(g->rowCount(), 2);

        // A missing channel of a fixed-frequency group leaves nothing to edit.
        e->Combo4()->setCurrentIndex(2);
        QVERIFY(!e->Text1()->isEnabled());
        QVERIFY(!e->Combo2(0)->isEnabled());
        QVERIFY(!e->Check1(0)->isEnabled());
    }

    void busyLockNormalisedWhenShown_data() {
        QTest::addColumn<int>("decode");
        QTest::addColumn<int>("encode");
        QTest::addColumn<int>("scrambler");
        QTest::addColumn<int>("busy");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("offered");
        QTest::newRow("lock 3 is not offered") << 5 << 5 << 0 << 3 << 0 << 3;
        QTest::newRow("wrong-tone lock without a tone") << 0 << 0 << 0 << 2 << 1 << 2;
        QTest::newRow("scrambler takes the encode tone") << 0 << 12 << 1 << 2 << 2 << 3;
    }
    void busyLockNormalisedWhenShown() {
        QFETCH(int, decode);
        QFETCH(int, encode);
        QFETCH(int, scrambler);
        QFETCH(int, busy);
        QFETCH(int, expected);
        QFETCH(int, offered);
        ChannelRecord r = Channel(325, "02700000");
        r.DecodeTone = static_cast<i16>(decode);
        r.EncodeTone = static_cast<i16>(encode);
        r.Scrambler = static_cast<i16>(scrambler);
        r.BusyLock = static_cast<i16>(busy);
        add(r);
        frmCommChInfo* g = open(8);
        click(g, 5, 10);
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        QCOMPARE(find(325)->BusyLock, i16(expected));
        QCOMPARE(e->Combo2(6)->count(), offered);
    }

    void habitsSwitchRewritesTxColumn() {
        ChannelRecord r = Channel(321, "02700000");
        r.TxOffsetDir = 2;
        r.TxOffset = "0060000";
        add(r);
        frmCommChInfo* g = open(8);
        QTableWidget* t = g->MSFlexGrid1();
        QCOMPARE(g->cellText(1, 2), QString("+0.60000"));
        QCOMPARE(t->horizontalHeaderItem(1)->text(), QString::fromStdString(app->LangText(14100)));
        Habits saved;
        int saves = 0;
        main->saveHabits = [&](const Habits& h) {
            saved = h;
            ++saves;
        };
        bool seen = false;
        QTimer::singleShot(200, this, [&] {
            auto* dlg = main->findChild<FrmHabits*>();
            QVERIFY(dlg != nullptr);
            seen = dlg->Check1(4)->isChecked();
            dlg->Check1(4)->setChecked(false);
            QTest::mouseClick(dlg->CommandOK(), Qt::LeftButton);
        });
        QVERIFY(!main->habitsAction()->isVisible());
        main->MnuCHHabits_Click();
        QTRY_VERIFY(saves == 1);
        QVERIFY(seen);
        QVERIFY(!saved.TxAsOffset);
        QCOMPARE(g->cellText(1, 2), QString("27.60000"));
        QCOMPARE(t->horizontalHeaderItem(1)->text(), QString::fromStdString(app->LangText(14003)));
        QVERIFY(!g->CodeMoveTopRow);
    }

    void groupNameAndSpecialChannels() {
        add(Channel(125, "02700000"));
        add(Channel(122, "02700000"));
        frmCommChInfo* g = open(3);
        QCOMPARE(g->Combo8(0)->count(), 2);
        QCOMPARE(g->Combo8(0)->itemText(0), QString("2"));
        g->Combo8(1)->setCurrentIndex(1);
        QCOMPARE(doc->work.settings.Options.Features.GroupChan[7], i16(5));
        g->Text3()->setFocus();
        g->Text3()->clear();
        QTest::keyClicks(g->Text3(), "A\\~");
        QCOMPARE(g->Text3()->text(), QString("A"));
        QCOMPARE(doc->work.settings.GroupNames[3].raw(), std::string("A\0 ", 3));
        QVERIFY(g->windowTitle().contains("3 -- A"));
    }
};

QTEST_MAIN(ChannelGridTest)
#include "channel_grid_test.moc"
