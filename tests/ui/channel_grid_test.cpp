// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid and the channel edit window, driven with keys and clicks.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "files/data_files.h"
#include "model/channel_table.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
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
        main->activateWindow();
        // The keyboard focus is real: keys go where a user's keys would.
        if (!QTest::qWaitForWindowActive(main.get()))
            qWarning("the main window did not become active");
        auto* g = static_cast<frmCommChInfo*>(main->ShowChildWindow(frmCommChInfo::kName));
        return g;
    }
    // Clicks a point of the grid: the editor shown there takes the click, as on a screen.
    static void clickAt(frmCommChInfo* g, QPoint at) {
        QWidget* viewport = g->MSFlexGrid1()->viewport();
        if (QWidget* editor = viewport->childAt(at))
            QTest::mouseClick(editor, Qt::LeftButton, {}, editor->mapFrom(viewport, at));
        else
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    }
    // Clicks the centre of a grid cell.
    static void click(frmCommChInfo* g, int row, int col) {
        QTableWidget* t = g->MSFlexGrid1();
        t->scrollToItem(t->item(row - 1, col - 1));
        clickAt(g, t->visualItemRect(t->item(row - 1, col - 1)).center());
    }
    // Turns the mouse wheel over `w` by `notches` (negative: down the list).
    static void wheel(QWidget* w, int notches, QPoint at = {}) {
        const QPoint pos = at.isNull() ? w->rect().center() : at;
        for (int i = 0; i < std::abs(notches); ++i) {
            QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, notches < 0 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &e);
        }
    }
    // Keys typed as a user types them: into whatever has the focus.
    // Each key goes to the control that has the focus when it is pressed (the first key typed on
    // the grid opens the cell's editor, which takes the next ones).
    static void type(const QString& keys) {
        for (QChar key : keys)
            QTest::keyClicks(QApplication::focusWidget(), QString(key));
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    // The grid's viewport holds the editor in full.
    static bool editorInSight(frmCommChInfo* g, QWidget* editor) {
        return editor->isVisible() && g->MSFlexGrid1()->viewport()->rect().contains(editor->geometry());
    }
    // What a stray wheel turn could change: the shown group, its special channels, channel 321.
    struct ChannelGroupState {
        int group;
        decltype(FeatureBlock::GroupChan) chan;
        decltype(FeatureBlock::GroupFlag) flag;
        i16 decode;
        bool operator==(const ChannelGroupState&) const = default;
    };
    ChannelGroupState state() {
        const auto& f = doc->work.settings.Options.Features;
        return {f.ChannelGroup, f.GroupChan, f.GroupFlag, find(321) ? find(321)->DecodeTone : i16(-1)};
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

    // A group's special channels are stored as channel numbers and its flags as positions: a
    // stored value the lists do not offer shows their first entry and is stored as that.
    void groupListsNormaliseTheirStoredValuesWhenShown() {
        auto& f = doc->work.settings.Options.Features;
        add(Channel(7, "02770000"));
        f.GroupChan[0] = 0; // no such channel in group 0
        f.GroupChan[1] = 7; // offered
        f.GroupFlag[0] = 5; // no such flag
        f.GroupFlag[1] = 1; // FM
        frmCommChInfo* g = open(0);
        QCOMPARE(g->Combo8(0)->currentText(), QString("1"));
        QCOMPARE(g->Combo8(1)->currentText(), QString("7"));
        QCOMPARE(g->Combo8(2)->currentText(), QString("AM"));
        QCOMPARE(g->Combo8(3)->currentText(), QString("FM"));
        QCOMPARE(f.GroupChan[0], i16(1));
        QCOMPARE(f.GroupChan[1], i16(7));
        QCOMPARE(f.GroupFlag[0], i16(0));
        QCOMPARE(f.GroupFlag[1], i16(1));
        // The user's pick is stored too.
        g->Combo8(0)->setCurrentIndex(1);
        QCOMPARE(f.GroupChan[0], i16(7));
    }

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

    // A stored RX frequency that is no number (a damaged file) shows as the band's low edge, and
    // the user is told which channel it is.
    void junkRxFrequencyIsShownAndReported() {
        add(Channel(2, "02X61125"));
        frmCommChInfo* g = open(0);
        QCOMPARE(g->cellText(2, 1), QString("25.615"));
        QVERIFY(!prompter->asked.empty());
        const std::string& said = prompter->asked.front().text;
        QVERIFY2(said.find("not a number") != std::string::npos && said.find(" 2") != std::string::npos,
                 said.c_str());
        QCOMPARE(prompter->asked.front().icon, Icon::Warning);
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
        // Pasted text (middle button, input method) passes the same filter.
        g->Text1()->clear();
        g->Text1()->insert(typed);
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
        QCOMPARE(list->currentText(), QString("67.0"));
        QCOMPARE(find(322)->DecodeTone, i16(0)); // a step of the keys is no choice yet
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(find(322)->DecodeTone, i16(1));
        QCOMPARE(find(322)->EncodeTone, i16(1)); // an unset encode tone follows the first decode tone
        QCOMPARE(g->cellText(2, 4), QString("67.0"));
        QCOMPARE(g->cellText(2, 5), QString("67.0")); // the row is rewritten from the record
    }

    // A tone typed into a tone cell is stored once, when the cell is left: the entries the
    // typing passes on the way ("8" finds 82.5 before "88.5" is complete) are never stored, so
    // the other tone follows the typed tone, not the first match.
    void typedToneIsStoredWhenTheCellIsLeft_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("otherBefore");
        QTest::addColumn<QString>("leave"); // Enter, Tab, or a click on another cell
        QTest::addColumn<QString>("otherAfter");
        QTest::newRow("decode, Enter") << 4 << "88.5"
                                       << "OFF"
                                       << "enter"
                                       << "88.5";
        QTest::newRow("decode DCS, Tab") << 4 << "D023N"
                                         << "OFF"
                                         << "tab"
                                         << "D023N";
        QTest::newRow("decode, click") << 4 << "103.5"
                                       << "OFF"
                                       << "click"
                                       << "103.5";
        QTest::newRow("encode, Enter") << 5 << "110.9"
                                       << "OFF"
                                       << "enter"
                                       << "110.9";
        QTest::newRow("decode, encode set") << 4 << "88.5"
                                            << "67.0"
                                            << "enter"
                                            << "67.0";
        QTest::newRow("typed back to OFF") << 4 << "OFF"
                                           << "OFF"
                                           << "enter"
                                           << "OFF";
    }
    void typedToneIsStoredWhenTheCellIsLeft() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, otherBefore);
        QFETCH(QString, leave);
        QFETCH(QString, otherAfter);
        const int other = column == 4 ? 5 : 4;
        // The keys of one tone are one search of the list however slowly the machine runs.
        const int interval = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(60000);
        const auto restore = qScopeGuard([interval] { QApplication::setKeyboardInputInterval(interval); });
        frmCommChInfo* g = open(3);
        add(Channel(121, "02700000"));
        QComboBox* list = g->ListEditor(1);
        const auto tone = [list](const QString& t) { return static_cast<i16>(list->findText(t)); };
        QVERIFY(tone(otherBefore) >= 0 && tone(typed) >= 0);
        (other == 4 ? find(121)->DecodeTone : find(121)->EncodeTone) = tone(otherBefore);
        g->ChangeGroup();
        click(g, 1, column);
        QVERIFY(list->isVisible() && list->hasFocus());
        type(typed);
        QCOMPARE(list->currentText(), typed);
        QCOMPARE(find(121)->DecodeTone, column == 4 ? i16(0) : tone(otherBefore));
        QCOMPARE(find(121)->EncodeTone, column == 5 ? i16(0) : tone(otherBefore));
        if (leave == "enter")
            press(Qt::Key_Return);
        else if (leave == "tab")
            press(Qt::Key_Tab);
        else
            click(g, 2, 1);
        const ChannelRecord* r = find(121);
        QCOMPARE(column == 4 ? r->DecodeTone : r->EncodeTone, tone(typed));
        QCOMPARE(column == 4 ? r->EncodeTone : r->DecodeTone, tone(otherAfter));
        QCOMPARE(g->cellText(1, column), typed);
        QCOMPARE(g->cellText(1, other), otherAfter);
    }

    // The same in the channel edit window: its tone lists store what was typed once left.
    void editWindowStoresATypedToneWhenLeft() {
        frmCommChInfo* g = open(8);
        add(Channel(321, "02700000"));
        g->ReShowAllRows();
        click(g, 1, 10);
        g->CommandCHInfoEdit()->click();
        auto* e = static_cast<FrmCHInfoEdit*>(main->ChildByName(FrmCHInfoEdit::kName));
        QVERIFY(e != nullptr);
        QComboBox* decode = e->Combo2(0);
        const int interval = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(60000);
        const auto restore = qScopeGuard([interval] { QApplication::setKeyboardInputInterval(interval); });
        decode->setFocus();
        QTest::keyClicks(decode, "88.5");
        QCOMPARE(decode->currentText(), QString("88.5"));
        QCOMPARE(find(321)->DecodeTone, i16(0));
        QCOMPARE(find(321)->EncodeTone, i16(0));
        QTest::keyClick(decode, Qt::Key_Tab);
        const i16 t885 = static_cast<i16>(decode->findText("88.5"));
        QCOMPARE(find(321)->DecodeTone, t885);
        QCOMPARE(find(321)->EncodeTone, t885);
        QCOMPARE(e->Combo2(1)->currentText(), QString("88.5"));
        QCOMPARE(g->cellText(1, 5), QString("88.5"));
    }

    // A group picked with the keys in the group box: the keys go back to the grid, so a
    // frequency typed next goes into the cursor cell of the new group.
    void keysReturnToTheGridAfterAGroupIsPicked() {
        frmCommChInfo* g = open(8);
        click(g, 1, 1);
        g->Combo7()->setFocus();
        type("9");
        QCOMPARE(g->Combo7()->currentIndex(), 9);
        QVERIFY(!g->Combo7()->hasFocus());
        type("28.305");
        press(Qt::Key_Return);
        QCOMPARE(g->Combo7()->currentIndex(), 9);
        QVERIFY(find(361) != nullptr);
        QCOMPARE(g->cellText(1, 1), QString("28.30500"));
    }

    // The frequencies of the band-plan groups stay fixed while the option is off; the first
    // refused key says why on the status line.
    void fixedFrequencyKeysSayWhy_data() {
        QTest::addColumn<int>("key"); // 0: typing
        QTest::newRow("typing") << 0;
        QTest::newRow("F2") << int(Qt::Key_F2);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void fixedFrequencyKeysSayWhy() {
        QFETCH(int, key);
        frmCommChInfo* g = open(3);
        add(Channel(121, "02700000"));
        g->ChangeGroup();
        click(g, 1, 1);
        QVERIFY(!g->Text1()->isVisible());
        auto* status = main->findChild<QStatusBar*>("sbStatusBar");
        QVERIFY(status != nullptr);
        QVERIFY(status->currentMessage().isEmpty());
        if (key == 0)
            type("28");
        else
            press(Qt::Key(key));
        QVERIFY(!g->Text1()->isVisible());
        QCOMPARE(find(121)->RxFreq.raw(), std::string("02700000"));
        QVERIFY2(status->currentMessage().contains("group 3") &&
                     status->currentMessage().contains("Frequency Changeable"),
                 qPrintable(status->currentMessage()));
        // In a group the user may edit there is nothing to explain.
        status->clearMessage();
        g->Combo7()->setCurrentIndex(7);
        add(Channel(281, "02700000"));
        g->ReShowAllRows();
        click(g, 1, 1);
        type("2");
        QVERIFY(g->Text1()->isVisible());
        QVERIFY(status->currentMessage().isEmpty());
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

    // By keyboard alone: a group picked with the arrow keys, then Tab into the grid; what is typed
    // on the grid opens the cell's editor and goes into it (nothing typed is lost); F2 opens it too.
    void typingOnTheGridOpensTheEditor() {
        frmCommChInfo* g = open(8);
        g->Combo7()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Down);
        QCOMPARE(g->Combo7()->currentText(), QString("9"));
        g->MSFlexGrid1()->setFocus(Qt::TabFocusReason);
        QVERIFY(!g->Text1()->isVisible());
        for (const char c : std::string("27.2")) // each key to where the focus is then
            QTest::keyClick(QApplication::focusWidget(), c);
        QVERIFY(g->Text1()->hasFocus());
        QCOMPARE(g->Text1()->text(), QString("27.2"));
        press(Qt::Key_Return);
        ChannelRecord* r = find(361);
        QVERIFY(r != nullptr);
        QCOMPARE(r->RxFreq.raw(), std::string("02720000"));

        // Back on the grid: F2 opens the editor on the cell without typing into it.
        g->MSFlexGrid1()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor != g->MSFlexGrid1());
        QVERIFY(editor->isVisible());
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

    // Enter on the emptied RX box of the document's only channel keeps the channel and goes on
    // to the next row's RX cell, as when a channel is deleted.
    void emptiedOnlyChannelGoesToTheNextRow_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("editWindow");
        QTest::newRow("row entered at start-up") << 8 << 1 << false;
        QTest::newRow("clicked row") << 8 << 10 << false;
        QTest::newRow("edit window open") << 9 << 5 << true;
        QTest::newRow("one-row group") << 12 << 1 << false;
    }
    void emptiedOnlyChannelGoesToTheNextRow() {
        QFETCH(int, group);
        QFETCH(int, row);
        QFETCH(bool, editWindow);
        const int no = GroupBase(group) + row;
        doc->work.settings.ChannelCount = 1;
        doc->work.channels[0] = Channel(no, "02700000");
        frmCommChInfo* g = open(group);
        if (editWindow)
            g->CommandCHInfoEdit()->click();
        if (row != 1)
            click(g, row, 1);
        QVERIFY(g->Text1()->hasFocus());
        QCOMPARE(g->Text1()->selectedText(), QString("27.00000"));
        press(Qt::Key_Backspace);
        press(Qt::Key_Return);
        QVERIFY(find(no) != nullptr);
        QCOMPARE(g->cellText(row, 1), QString("27.00000"));
        const int next = row + 1 < g->rowCount() ? row + 1 : 1;
        QCOMPARE(g->gridRow(), next);
        QCOMPARE(g->gridCol(), 1);
        QVERIFY(g->Text1()->hasFocus());
        // The box shows the cell it stands over: the kept frequency when the row wrapped onto itself.
        QCOMPARE(g->Text1()->text(), g->cellText(next, 1));
    }

    // In the one-row group Enter goes round the row's cells and back to its RX cell.
    void enterCyclesThroughTheOneRowGroup() {
        frmCommChInfo* g = open(12);
        QVERIFY(g->Text1()->hasFocus());
        press(Qt::Key_Return);
        QVERIFY(g->ListEditor(1)->hasFocus());
        QCOMPARE(g->gridCol(), 4);
        press(Qt::Key_Return);
        QCOMPARE(g->gridCol(), 5);
        press(Qt::Key_Return);
        QCOMPARE(g->gridCol(), 1);
        QVERIFY(g->Text1()->hasFocus());
        QCOMPARE(g->Text1()->text(), QString("27.61500"));
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
        QTest::keyClick(e->Combo2(0), Qt::Key_Return);
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

    // Typing channel after channel (frequency, then Enter through RX, decode and encode) fills
    // every row, also once the grid scrolls to show the next one.
    void sequentialEntryFillsEveryRow() {
        frmCommChInfo* g = open(8);
        QVERIFY(g->MSFlexGrid1()->verticalScrollBar()->maximum() > 0); // 40 rows do not fit
        click(g, 1, 1);
        for (int row = 1; row <= 40; ++row) {
            QCOMPARE(g->gridRow(), row);
            QVERIFY(g->Text1()->hasFocus());
            type("27.3");
            for (int i = 0; i < 3; ++i)
                press(Qt::Key_Return);
        }
        for (int row = 1; row <= 40; ++row)
            QVERIFY2(find(320 + row) != nullptr, qPrintable(QString("channel %1").arg(320 + row)));
        QCOMPARE(g->gridRow(), 1); // past the last row the cursor wraps
    }

    // A click on the partly shown bottom row edits that row, although the grid scrolls it
    // into view.
    void clickOnPartlyShownRowEditsIt() {
        frmCommChInfo* g = open(10);
        QTableWidget* t = g->MSFlexGrid1();
        // Half of the bottom row shows, as in the window's own size.
        const int rh = t->rowHeight(0);
        t->resize(t->width(), t->height() + (rh / 2 - t->viewport()->height() % rh));
        const int row = t->rowAt(t->viewport()->height() - 1) + 1;
        QVERIFY(t->rowViewportPosition(row - 1) + rh > t->viewport()->height());
        clickAt(g, QPoint(t->columnViewportPosition(0) + t->columnWidth(0) / 2,
                          t->rowViewportPosition(row - 1) + 3));
        QTRY_VERIFY(g->firstVisibleRow() > 1); // the grid scrolls the clicked row into view
        QCOMPARE(g->gridRow(), row);
        QVERIFY(editorInSight(g, g->Text1()));
        type("27.3");
        press(Qt::Key_Return);
        QVERIFY(find(400 + row) != nullptr);
        QVERIFY(find(400 + row + 1) == nullptr);
        QCOMPARE(g->gridRow(), row);
        QCOMPARE(g->gridCol(), 4);
    }

    // A scroll of the user (wheel or scroll bar) moves the cursor by the whole amount once the
    // scrolling pauses, or at the next key; the editor is back in sight and typing edits the
    // row the caption names.
    void userScrollMovesTheCursorOnce_data() {
        QTest::addColumn<bool>("byWheel");
        QTest::addColumn<bool>("waitForPause");
        QTest::newRow("wheel, pause") << true << true;
        QTest::newRow("wheel, typing at once") << true << false;
        QTest::newRow("scroll bar, pause") << false << true;
    }
    void userScrollMovesTheCursorOnce() {
        QFETCH(bool, byWheel);
        QFETCH(bool, waitForPause);
        frmCommChInfo* g = open(8);
        QTableWidget* t = g->MSFlexGrid1();
        click(g, 1, 1);
        QVERIFY(g->Text1()->hasFocus());
        if (byWheel) {
            wheel(t->viewport(), -4, t->visualItemRect(t->item(8, 9)).center());
        } else {
            for (int i = 0; i < 12; ++i)
                t->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
        const int top = g->firstVisibleRow();
        QVERIFY(top > 5);
        QCOMPARE(g->gridRow(), 1); // not yet: the scrolling goes on
        QVERIFY(g->ScrollTimer().isActive());
        if (waitForPause) {
            QTRY_VERIFY(!g->ScrollTimer().isActive());
            QCOMPARE(g->gridRow(), top);
            QVERIFY(g->windowTitle().endsWith(QString(" %1]").arg(top)));
            QVERIFY(editorInSight(g, g->Text1()));
        }
        type("27.1");
        QCOMPARE(g->gridRow(), top);
        QVERIFY(editorInSight(g, g->Text1()));
        QCOMPARE(g->Text1()->text(), QString("27.1"));
        press(Qt::Key_Return);
        QVERIFY(find(320 + top) != nullptr);
        QVERIFY(find(321) == nullptr);
        QCOMPARE(g->firstVisibleRow(), top);
        QCOMPARE(g->gridRow(), top);
        QCOMPARE(g->gridCol(), 4);
        QVERIFY(editorInSight(g, g->ListEditor(1)));
    }

    // Picking a group while a scroll is still to be followed shows the new group from its first
    // row, where the cursor is.
    void groupPickedAfterAScrollShowsItsFirstRow() {
        frmCommChInfo* g = open(8);
        click(g, 1, 1);
        wheel(g->MSFlexGrid1()->viewport(), -4);
        QVERIFY(g->ScrollTimer().isActive());
        g->Combo7()->setCurrentIndex(9);
        QVERIFY(!g->ScrollTimer().isActive());
        QCOMPARE(g->firstVisibleRow(), 1);
        QCOMPARE(g->gridRow(), 1);
        QTest::qWait(g->ScrollTimer().interval() + 100);
        QCOMPARE(g->gridRow(), 1);
    }

    void scrollLeavesTheCursorWhileACommandMovesTheGrid() {
        frmCommChInfo* g = open(8);
        click(g, 3, 1);
        g->CodeMoveTopRow = true;
        wheel(g->MSFlexGrid1()->viewport(), -2);
        QVERIFY(g->firstVisibleRow() > 1);
        QVERIFY(!g->ScrollTimer().isActive());
        QCOMPARE(g->gridRow(), 3);
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

    // The Close buttons close the window's frame, as the frame's own close button does.
    void closeButtonsLeaveNoEmptyFrame_data() {
        QTest::addColumn<bool>("editWindow");
        QTest::newRow("edit window") << true;
        QTest::newRow("grid") << false;
    }
    void closeButtonsLeaveNoEmptyFrame() {
        QFETCH(bool, editWindow);
        frmCommChInfo* g = open(8);
        QMdiArea* area = main->findChild<QMdiArea*>();
        QVERIFY(area != nullptr);
        g->CommandCHInfoEdit()->click();
        QCOMPARE(area->subWindowList().size(), 2);
        QWidget* w = editWindow ? main->ChildByName(FrmCHInfoEdit::kName) : static_cast<QWidget*>(g);
        QVERIFY(w != nullptr);
        auto* close = w->findChild<QPushButton*>("CommandClose");
        QVERIFY(close != nullptr);
        close->click();
        QTRY_COMPARE(area->subWindowList().size(), 1);
        QVERIFY(area->subWindowList().front()->widget() != nullptr);
        if (editWindow) {
            QVERIFY(!doc->editor.EditWindowOpen);
            g->CommandCHInfoEdit()->click(); // opens one window again, not a second frame
            QCOMPARE(area->subWindowList().size(), 2);
            QVERIFY(main->ChildByName(FrmCHInfoEdit::kName) != nullptr);
        } else {
            QVERIFY(!doc->editor.GridOpen);
        }
    }

    // The top-left corner is column 0's header and shows its text in the header colour.
    void cornerShowsColumnZeroHeader() {
        frmCommChInfo* g = open(8);
        auto* corner = g->MSFlexGrid1()->findChild<QAbstractButton*>();
        QVERIFY(corner != nullptr);
        QCOMPARE(corner->text(), QString::fromStdString(app->LangText(14001)));
        QVERIFY(!corner->text().isEmpty());
        const QImage img = corner->grab().toImage();
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb px = img.pixel(x, y);
                inked += qBlue(px) - qRed(px) > 60 ? 1 : 0;
            }
        QVERIFY2(inked > 5, qPrintable(QString("%1 header-coloured pixels").arg(inked)));
    }

    // The wheel changes a list only while the list has the focus; otherwise it goes on to the
    // window behind.
    void wheelChangesOnlyTheFocusedList_data() {
        QTest::addColumn<bool>("inEditWindow");
        QTest::addColumn<QString>("list");
        QTest::newRow("group picker") << false << "Combo7";
        QTest::newRow("group channel") << false << "Combo8_0";
        QTest::newRow("group channel mode") << false << "Combo8_2";
        QTest::newRow("edit window group") << true << "Combo4";
        QTest::newRow("edit window channel") << true << "Combo1";
        QTest::newRow("edit window decode") << true << "Combo2_0";
    }
    void wheelChangesOnlyTheFocusedList() {
        QFETCH(bool, inEditWindow);
        QFETCH(QString, list);
        add(Channel(321, "02700000"));
        add(Channel(322, "02700000"));
        frmCommChInfo* g = open(8);
        g->CommandCHInfoEdit()->click();
        QWidget* e = main->ChildByName(FrmCHInfoEdit::kName);
        QVERIFY(e != nullptr);
        auto* c = (inEditWindow ? e : static_cast<QWidget*>(g))->findChild<QComboBox*>(list);
        QVERIFY(c != nullptr);
        QVERIFY(c->isVisible());
        QVERIFY(c->isEnabled() && c->count() > 1);
        e->findChild<QLineEdit*>("Text1")->setFocus(); // the user works in the RX box
        const ChannelGroupState before = state();
        const int index = c->currentIndex();
        const int notch = index == 0 ? -1 : 1; // towards an entry the list has
        QVERIFY(!c->hasFocus());
        wheel(c, notch);
        QCOMPARE(c->currentIndex(), index);
        QVERIFY(state() == before);
        // A focused list still takes the wheel.
        c->setFocus();
        QVERIFY(c->hasFocus());
        wheel(c, notch);
        QVERIFY(c->currentIndex() != index);
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
