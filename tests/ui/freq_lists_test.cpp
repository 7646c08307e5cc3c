// SPDX-License-Identifier: GPL-3.0-or-later
// The broadcast-radio and test frequency lists: typing into the floating edit box, where Enter
// goes, what is stored, and that passing through a cell stores nothing.
#include "editor_fixture.h"
#include "freqlists/frm_radio.h"
#include "freqlists/frm_test_fre.h"

#include <QApplication>
#include <QTest>

using namespace zt;

class FreqListsTest : public QObject, zt::test::EditorFixture {
    Q_OBJECT

    // Replaces what the edit box holds by `text` as a user would, then presses Enter.
    static void type(FreqListWindow* f, const char* text) {
        QLineEdit* box = f->editBox();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    static std::pair<int, int> at(const FreqListWindow* f) { return {f->currentRow(), f->currentCol()}; }

  private slots:
    void init() { setUpApp(); }
    void cleanup() { w.reset(); }

    void broadcastEntriesAreSnappedStoredAndReopened() {
        start();
        auto& list = doc->work.settings.BroadcastFreqs;
        list[2] = {0, FixedText<8>("12000000")}; // out of range, left as it is unless edited
        auto* r = open<FrmRadio>();
        QVERIFY(r != nullptr);
        QCOMPARE(r->grid()->cell(0, 1), QString("Frequency (MHz)"));
        QCOMPARE(r->grid()->cell(20, 0), QString("20"));
        r->enterCell(1, 1);
        type(r, "88.53");
        QCOMPARE(r->grid()->cell(1, 1), QString("088.55000"));
        QCOMPARE(list[0].Freq.raw(), std::string("08855000"));
        QCOMPARE(list[0].IsBlank, i16(0));
        QCOMPARE(at(r), std::make_pair(2, 1));
        type(r, "5a0"); // the letter never enters
        QCOMPARE(list[1].Freq.raw(), std::string("07600000"));
        QCOMPARE(at(r), std::make_pair(3, 1));
        QCOMPARE(r->editBox()->text(), QString("120.00"));
        QTest::keyClick(r->editBox(), Qt::Key_Return); // passing through
        QCOMPARE(list[2].Freq.raw(), std::string("12000000"));
        r->enterCell(20, 1);
        type(r, "120");
        QCOMPARE(list[19].Freq.raw(), std::string("10800000"));
        QCOMPARE(at(r), std::make_pair(1, 1));
        QCOMPARE(r->editBox()->text(), QString("088.55"));
        // Clearing an entry.
        type(r, "");
        QCOMPARE(list[0].IsBlank, i16(1));
        QCOMPARE(r->grid()->cell(1, 1), QString());
        // Closing stores a half-typed entry.
        r->enterCell(5, 1);
        QTest::keyClicks(r->editBox(), "100");
        r->closeWindow();
        QApplication::processEvents();
        QCOMPARE(list[4].Freq.raw(), std::string("10000000"));
        QVERIFY(prompter.asked.empty());
    }

    void testFrequenciesWalkStoreAndLeaveUntouchedCellsAlone() {
        start();
        auto& list = doc->work.settings.TestFreqs;
        const auto before = list[0];
        auto* t = open<FrmTestFre>();
        QVERIFY(t != nullptr);
        QCOMPARE(t->grid()->cell(1, 1), QString("435.10000"));
        QCOMPARE(t->tuningGrid()->cell(4, 1), QString("460.60000"));
        QCOMPARE(t->tuningGrid()->cell(4, 2), QString("470.50000"));

        // Walking through the out-of-band default with Enter stores nothing and warns of nothing.
        t->enterCell(1, 1);
        QTest::keyClick(t->editBox(), Qt::Key_Return);
        QCOMPARE(at(t), std::make_pair(1, 2));
        QTest::keyClick(t->editBox(), Qt::Key_Return);
        QCOMPARE(at(t), std::make_pair(2, 1));
        QVERIFY(list[0] == before);
        QVERIFY(prompter.asked.empty());

        // Enter in an empty column-1 cell goes down; after row 11 comes row 1.
        QTest::keyClick(t->editBox(), Qt::Key_Return);
        QCOMPARE(at(t), std::make_pair(3, 1));
        t->enterCell(11, 1);
        QTest::keyClick(t->editBox(), Qt::Key_Return);
        QCOMPARE(at(t), std::make_pair(1, 1));

        // Typing stores the snapped frequency; an out-of-band one is reported and takes the edge.
        t->enterCell(3, 1);
        type(t, "27.1");
        QCOMPARE(list[2].TxFreq.raw(), std::string("02710000"));
        QCOMPARE(t->grid()->cell(3, 1), QString("27.10000"));
        QCOMPARE(at(t), std::make_pair(3, 2));
        type(t, "435.1");
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        QCOMPARE(list[2].RxFreq.raw(), std::string("03010500"));
        QCOMPARE(at(t), std::make_pair(4, 1));
        // Clearing a cell of column 2 stores a NUL and blanks.
        t->enterCell(1, 2);
        type(t, "");
        QCOMPARE(list[0].RxFreq.raw(), std::string("\0       ", 8));
        QCOMPARE(list[0].TxFreq, before.TxFreq);

        // The tuning table takes no clicks.
        emit t->tuningGrid()->cellPressed(2, 1);
        QCOMPARE(at(t), std::make_pair(2, 1));
    }

    // A key the cell refuses, typed over its selected text, changes nothing: the cell keeps what
    // it shows and holds, and leaving it stores nothing. A character it takes replaces the text.
    void refusedKeyOverTheSelectionChangesNothing() {
        start();
        auto& list = doc->work.settings.BroadcastFreqs;
        list[0] = {0, FixedText<8>("08855000")};
        const auto before = list[0];
        auto* r = open<FrmRadio>();
        r->enterCell(1, 1);
        QLineEdit* box = r->editBox();
        const QString shown = box->text(), cell = r->grid()->cell(1, 1);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(box->selectedText(), shown);
        for (const char* refused : {"x", "-", " "}) {
            QTest::keyClicks(box, refused);
            QCOMPARE(box->text(), shown);
            QCOMPARE(box->selectedText(), shown);
        }
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(list[0] == before);
        QCOMPARE(r->grid()->cell(1, 1), cell);
        r->enterCell(1, 1);
        QTest::keyClicks(r->editBox(), "9");
        QCOMPARE(r->editBox()->text(), QString("9"));
    }

    // Without a mouse: the grid has the focus on opening, the arrows move its current cell
    // (never onto the headers), typing, F2 or Enter opens the box there, Escape gives the typing
    // up, Up and Down store and move, and Tab stores and leaves the grid for the Close button.
    void gridsWorkByKeyboardAlone() {
        start();
        auto& list = doc->work.settings.BroadcastFreqs;
        const auto second = list[1];
        auto* r = open<FrmRadio>();
        FreqGrid* grid = r->grid();
        QLineEdit* box = r->editBox();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
        QVERIFY(!box->isVisible());
        auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(QApplication::focusWidget(), k, m);
        };
        auto current = [grid] { return std::make_pair(grid->currentRow(), grid->currentColumn()); };
        key(Qt::Key_Up);
        key(Qt::Key_Left);
        QCOMPARE(current(), std::make_pair(1, 1));

        QTest::keyClicks(grid, "90");
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QString("90"));
        key(Qt::Key_Return);
        QCOMPARE(list[0].Freq.raw(), std::string("09000000"));
        QCOMPARE(at(r), std::make_pair(2, 1));

        // Escape: the typing is given up.
        QTest::keyClicks(box, "77");
        key(Qt::Key_Escape);
        QVERIFY(!box->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
        QVERIFY(list[1] == second);

        // Down on the grid, F2, then Down in the box stores and moves on.
        key(Qt::Key_Down);
        QCOMPARE(current(), std::make_pair(3, 1));
        key(Qt::Key_F2);
        QVERIFY(box->hasFocus());
        QCOMPARE(at(r), std::make_pair(3, 1));
        QTest::keyClicks(box, "100");
        key(Qt::Key_Down);
        QCOMPARE(list[2].Freq.raw(), std::string("10000000"));
        QCOMPARE(current(), std::make_pair(4, 1));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));

        // Enter opens the box; Tab stores and goes on to Close, Shift+Tab comes back to the grid.
        key(Qt::Key_Return);
        QVERIFY(box->hasFocus());
        QTest::keyClicks(box, "101");
        key(Qt::Key_Tab);
        QCOMPARE(list[3].Freq.raw(), std::string("10100000"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("CommandClose"));
        key(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
        QVERIFY(!box->isVisible());
        QCOMPARE(current(), std::make_pair(4, 1));

        // The test frequencies: Tab passes over the tuning pairs, which are shown only; Right
        // goes to the RX column and typing opens it.
        auto* t = open<FrmTestFre>();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(t->grid()));
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("CommandClose"));
        key(Qt::Key_Backtab);
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        QTest::keyClicks(t->grid(), "27.2");
        QCOMPARE(at(t), std::make_pair(1, 2));
        key(Qt::Key_Tab);
        QCOMPARE(doc->work.settings.TestFreqs[0].RxFreq.raw(), std::string("02720000"));
    }
};

QTEST_MAIN(FreqListsTest)
#include "freq_lists_test.moc"
