// The channel grid and the channel edit window, driven with keys and clicks.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "files/data_files.h"
#include "model/channel_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
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

    void listEditorStoresOnlyThePick() {
        frmCommChInfo* g = open(8);
        add(Channel(322, "02700000"));
        g->ReShowAllRows();
        click(g, 2, 4);
        QComboBox* list = g->ListEditor(1);
        QVERIFY(list->isVisible());
        QCOMPARE(list->currentText(), QString("OFF"));
        QCOMPARE(find(322)->DecodeTone, i16(0));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(find(322)->DecodeTone, i16(1));
        QCOMPARE(find(322)->EncodeTone, i16(1)); // an unset encode tone follows the first decode tone
        QCOMPARE(g->cellText(2, 4), QString("67.0"));
        QCOMPARE(g->cellText(2, 5), QString("67.0")); // the row is rewritten from the record
    }

    void newChannelOnEmptyRow() {
        frmCommChInfo* g = open(8);
        click(g, 3, 5); // an empty row: the RX frequency comes first
        QCOMPARE(g->gridCol(), 1);
        QVERIFY(g->Text1()->isVisible());
        // The highlight moves with the cursor: only the cell under the editor is selected.
        const QList<QTableWidgetItem*> selected = g->MSFlexGrid1()->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.front(), g->MSFlexGrid1()->item(2, 0));
        QTest::keyClicks(g->Text1(), "27.615");
        QTest::keyClick(g->Text1(), Qt::Key_Return);
        ChannelRecord* r = find(323);
        QVERIFY(r != nullptr);
        QCOMPARE(r->TxOffsetDir, std::uint8_t(0));
        QCOMPARE(g->cellText(3, 1), QString("27.61500"));
        QCOMPARE(g->gridRow(), 3);
        QCOMPARE(g->gridCol(), 4);
        QVERIFY(g->ListEditor(1)->isVisible());
        QCOMPARE(g->ListEditor(1)->currentText(), QString("OFF"));
    }

    void clearingRxDeletesUnlessOnlyChannel() {
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        g->ReShowAllRows();
        click(g, 1, 1);
        g->Text1()->selectAll();
        QTest::keyClick(g->Text1(), Qt::Key_Backspace);
        QTest::keyClick(g->Text1(), Qt::Key_Return);
        QVERIFY(find(321) == nullptr);
        QCOMPARE(g->cellText(1, 1), QString());
        QCOMPARE(g->gridRow(), 2);

        // The last channel of the document stays.
        doc->work.settings.ChannelCount = 1;
        doc->work.channels[0] = Channel(330, "02700000");
        g->ReShowAllRows();
        click(g, 10, 1);
        g->Text1()->selectAll();
        QTest::keyClick(g->Text1(), Qt::Key_Backspace);
        QTest::keyClick(g->Text1(), Qt::Key_Return);
        QVERIFY(find(330) != nullptr);
        QCOMPARE(g->cellText(10, 1), QString("27.00000"));
    }

    void editWindowFollowsGridAndAppliesInterlocks() {
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        add(Channel(322, "02710000"));
        g->ReShowAllRows();
        click(g, 1, 10);
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        click(g, 2, 1);
        QCOMPARE(e->Combo4()->currentText(), QString("8"));
        QCOMPARE(e->Combo1()->currentText(), QString("2"));
        QCOMPARE(e->Text1()->text(), QString("27.10000"));

        QVERIFY(e->Combo2(17)->isEnabled());
        QTest::mouseClick(e->Check1(15), Qt::LeftButton, {}, QPoint(6, e->Check1(15)->height() / 2));
        QCOMPARE(find(322)->RepLock, i16(1));
        QVERIFY(!e->Combo2(17)->isEnabled());

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

    void editWindowStoresAndGridFollows() {
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        g->ReShowAllRows();
        click(g, 1, 10);
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        // Opening a second window leaves the grid window its size.
        QVERIFY(g->height() > 15 * g->MSFlexGrid1()->rowHeight(0));

        // A decode tone picked in the window is stored, its partner copied, and both grid
        // cells show it.
        e->Combo2(0)->setFocus();
        QTest::keyClick(e->Combo2(0), Qt::Key_Down);
        QCOMPARE(find(321)->DecodeTone, i16(1));
        QCOMPARE(find(321)->EncodeTone, i16(1));
        QCOMPARE(g->cellText(1, 4), QString("67.0"));
        QCOMPARE(g->cellText(1, 5), QString("67.0"));
        QCOMPARE(e->Combo2(1)->currentText(), QString("67.0"));

        // An RX frequency typed for a missing channel creates it; the grid row fills.
        e->Combo1()->setCurrentIndex(4);
        QVERIFY(find(325) == nullptr);
        QVERIFY(!e->Combo2(0)->isEnabled());
        e->Text1()->setFocus();
        QTest::keyClicks(e->Text1(), "28.1");
        QTest::keyClick(e->Text1(), Qt::Key_Return);
        QVERIFY(find(325) != nullptr);
        QCOMPARE(g->cellText(5, 1), QString("28.10000"));
        QCOMPARE(e->Text1()->text(), QString("28.10000"));
        QVERIFY(e->Combo2(0)->isEnabled());
    }

    void scrollingMovesTheCursorAtMostOncePerInterval() {
        frmCommChInfo* g = open(8);
        for (int no = 321; no <= 360; ++no)
            add(Channel(no, "02700000"));
        g->ReShowAllRows();
        QScrollBar* bar = g->MSFlexGrid1()->verticalScrollBar();
        QVERIFY(bar->maximum() >= 10);
        click(g, 3, 1);
        QCOMPARE(g->firstVisibleRow(), 1);

        bar->setValue(5); // six rows further down: the cursor keeps its place on the screen
        QCOMPARE(g->gridRow(), 8);
        QVERIFY(g->Text1()->isVisible());
        QCOMPARE(g->Text1()->text(), QString("27.00000"));
        QVERIFY(g->ScrollTimer().isActive());

        bar->setValue(7); // within the interval: the cursor stays
        QCOMPARE(g->gridRow(), 8);

        // The next scroll puts the cursor back where it stood on the screen when its cell was
        // last entered: third line from the top.
        QTRY_VERIFY(!g->ScrollTimer().isActive());
        bar->setValue(9);
        QCOMPARE(g->gridRow(), 12);

        // While a command moves the grid itself, scrolling leaves the cursor alone.
        QTRY_VERIFY(!g->ScrollTimer().isActive());
        g->CodeMoveTopRow = true;
        bar->setValue(3);
        QCOMPARE(g->gridRow(), 12);
        QVERIFY(!g->ScrollTimer().isActive());
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
        click(g, 1, 1);
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        QCOMPARE(e->Label2(1)->text(), QString::fromStdString(app->LangText(15100)));
        QCOMPARE(e->Text2()->text(), QString("+0.60000"));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        app->ProgramDir = dir.path().toStdString();
        const QString habitFile = dir.filePath("Habit.ini");
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
        QTRY_VERIFY(QFile::exists(habitFile));
        QVERIFY(seen);
        QVERIFY(!app->habits.TxAsOffset);
        QFile f(habitFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(10, '\0')); // five flags, all cleared
        QCOMPARE(g->cellText(1, 2), QString("27.60000"));
        QCOMPARE(t->horizontalHeaderItem(1)->text(), QString::fromStdString(app->LangText(14003)));
        QCOMPARE(e->Label2(1)->text(), QString::fromStdString(app->LangText(15003)));
        QCOMPARE(e->Text2()->text(), QString("27.60000"));
        QVERIFY(!g->CodeMoveTopRow);
    }

    // Closing the program while a frequency is typed but not yet entered keeps it: it is stored
    // before the save question, and saving writes it.
    void closingStoresAHalfTypedFrequency_data() {
        QTest::addColumn<bool>("inEditWindow");
        QTest::addColumn<int>("answer");
        QTest::newRow("grid cell, save") << false << int(Answer::Yes);
        QTest::newRow("edit window, save") << true << int(Answer::Yes);
        QTest::newRow("grid cell, cancel") << false << int(Answer::Cancel);
    }
    void closingStoresAHalfTypedFrequency() {
        QFETCH(bool, inEditWindow);
        QFETCH(int, answer);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        app->IsUntitled = false;
        app->DocFileName = dir.filePath("radio.dat").toStdString();
        CopyWorkingToFile(*doc);
        frmCommChInfo* g = open(11);
        click(g, 2, 1);
        QLineEdit* box = g->Text1();
        if (inEditWindow) {
            g->CommandCHInfoEdit()->click();
            auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
            QVERIFY(e != nullptr);
            QCOMPARE(e->Combo1()->currentText(), QString("2"));
            box = e->Text1();
            box->setFocus();
        }
        QTest::keyClicks(box, "28.5");
        QVERIFY(find(442) == nullptr);

        prompter->reply = static_cast<Answer>(answer);
        main->close();
        QVERIFY(find(442) != nullptr);
        QCOMPARE(find(442)->RxFreq.raw(), std::string("02850000"));
        QVERIFY(!prompter->asked.empty());
        // The save question; saving a named file then asks before overwriting it.
        QCOMPARE(prompter->asked.front().text, app->LangText(9006));
        if (answer == int(Answer::Cancel)) {
            QVERIFY(main->isVisible());
            QVERIFY(main->ChildByName(frmCommChInfo::kName) != nullptr);
            QVERIFY(!QFile::exists(dir.filePath("radio.dat")));
            return;
        }
        QVERIFY(!main->isVisible());
        LoadedPair saved;
        QCOMPARE(ReadPair(app->DocFileName, true, saved), 0);
        const auto it = std::find_if(saved.channels.begin(), saved.channels.end(),
                                     [](const ChannelRecord& r) { return r.ChannelNo == 442; });
        QVERIFY(it != saved.channels.end());
        QCOMPARE(it->RxFreq.raw(), std::string("02850000"));
    }

    // A list can change without the focus leaving the frequency box (the mouse wheel): the
    // typed frequency goes to the channel it was typed for, not to the newly picked one.
    void pickWithoutLeavingTheBoxStoresTheTypedChannel_data() {
        QTest::addColumn<bool>("inEditWindow");
        QTest::addColumn<bool>("pickGroup");
        QTest::newRow("grid, group list") << false << true;
        QTest::newRow("edit window, group list") << true << true;
        QTest::newRow("edit window, channel list") << true << false;
    }
    void pickWithoutLeavingTheBoxStoresTheTypedChannel() {
        QFETCH(bool, inEditWindow);
        QFETCH(bool, pickGroup);
        frmCommChInfo* g = open(7);
        click(g, 3, 1);
        QLineEdit* box = g->Text1();
        FrmCHInfoEdit* e = nullptr;
        if (inEditWindow) {
            g->CommandCHInfoEdit()->click();
            e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
            QVERIFY(e != nullptr);
            box = e->Text1();
        }
        QTest::keyClicks(box, "27.5");
        if (!inEditWindow)
            g->Combo7()->setCurrentIndex(8);
        else if (pickGroup)
            e->Combo4()->setCurrentIndex(8);
        else
            e->Combo1()->setCurrentIndex(5);
        QVERIFY(find(283) != nullptr);
        QCOMPARE(find(283)->RxFreq.raw(), std::string("02750000"));
        QVERIFY(find(323) == nullptr);
        QVERIFY(find(286) == nullptr);
        // The pick itself holds: the windows show the chosen group and channel.
        if (pickGroup) {
            QCOMPARE(g->Combo7()->currentIndex(), 8);
            QCOMPARE(g->cellText(3, 1), QString());
        }
        if (e != nullptr) {
            QCOMPARE(e->Combo4()->currentIndex(), pickGroup ? 8 : 7);
            // A group picked in the window starts at its first channel.
            QCOMPARE(e->Combo1()->currentText(), QString(pickGroup ? "1" : "6"));
            QCOMPARE(e->Text1()->text(), QString());
        }
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
