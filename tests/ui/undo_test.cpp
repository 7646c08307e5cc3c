// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of document edits: steps recorded from the grid, the channel edit window and the
// settings windows, typing into one box as one step, every open window showing the restored
// state, and the commands that start the history again.
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "common/bound_list.h"
#include "editor_fixture.h"
#include "model/channel_table.h"
#include "settings/frm_emb_msg.h"
#include "settings/frm_reset_mode.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

using namespace zt;
using zt::test::FakeChooser;

class UndoTest : public QObject, public zt::test::EditorFixture {
    Q_OBJECT

    FakeChooser chooser;

    // The history records after the input has been handled: let that happen.
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        settle();
    }
    static void typeInto(QWidget* box, const QString& text) {
        box->setFocus();
        QTest::keyClicks(box, text);
        settle();
    }
    static void clickCell(frmCommChInfo* g, int row, int col) {
        QTableWidget* t = g->MSFlexGrid1();
        const QPoint at = t->visualItemRect(t->item(row - 1, col - 1)).center();
        QWidget* viewport = t->viewport();
        if (QWidget* editor = viewport->childAt(at))
            QTest::mouseClick(editor, Qt::LeftButton, {}, editor->mapFrom(viewport, at));
        else
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        settle();
    }
    const ChannelRecord* find(int no) const {
        const int slot = FindChannel(doc->work, no);
        return slot < 0 ? nullptr : &doc->work.channels[static_cast<std::size_t>(slot)];
    }
    void undo() {
        w->action("mnuUndo")->trigger();
        settle();
    }
    i16 resetChannel() const { return doc->work.settings.Options.Features.ResetMode[3]; }

  private slots:
    void init() {
        setUpApp();
        start();
        chooser = FakeChooser{};
        w->setFileChooser(&chooser);
        w->resize(1000, 800);
        w->activateWindow();
        // The keyboard focus is real: shortcuts and keys go where a user's would.
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("the main window did not become active");
        // One channel in group 8 (321); rows 2 and 3 of that group are empty.
        w->CloseCurAllWindows();
        DocumentCopy& work = doc->work;
        work.settings.Options.Features.ChannelGroup = 8;
        work.settings.ChannelCount = 0;
        QVERIFY(AppendChannel(*app, work, 321, "27.00000"));
        w->DocumentReplaced();
    }
    void cleanup() { w.reset(); }

    void undoAndRedoAcrossGridEditWindowAndSettingsWindow() {
        QCOMPARE(w->action("mnuUndo")->text(), QString("&Undo"));
        QVERIFY(!w->action("mnuUndo")->isEnabled() && !w->action("mnuRedo")->isEnabled());
        // The windows normalise what they show as they open: that is no step.
        auto* g = open<frmCommChInfo>();
        auto* e = open<FrmCHInfoEdit>();
        auto* r = open<FrmResetMode>();
        QVERIFY(!w->undoHistory().CanUndo());
        const DocumentCopy s0 = doc->work;

        // A new channel typed into the grid: one step for the whole frequency.
        clickCell(g, 3, 1);
        typeInto(g->Text1(), "27.125");
        key(Qt::Key_Return);
        QVERIFY(find(323) != nullptr);
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(1));
        QVERIFY(w->action("mnuUndo")->isEnabled());
        const DocumentCopy s1 = doc->work;

        // A list of the edit window (it shows the new channel).
        QCOMPARE(e->Text1()->text(), QString("27.12500"));
        const QString decodeBefore = e->Combo2(0)->currentText();
        e->Combo2(0)->setFocus();
        key(Qt::Key_Down);
        key(Qt::Key_Return); // the tone reached is chosen
        const i16 decode = find(323)->DecodeTone;
        QVERIFY(e->Combo2(0)->currentText() != decodeBefore);
        const DocumentCopy s2 = doc->work;

        // A list of a settings window.
        const int resetBefore = r->list(3)->currentIndex();
        r->list(3)->setFocus();
        key(Qt::Key_Down);
        QVERIFY(r->list(3)->currentIndex() != resetBefore);
        const DocumentCopy s3 = doc->work;
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(3));

        // Back through the three steps: the document and every open window follow at once.
        undo();
        QVERIFY(SameCopy(doc->work, s2));
        QCOMPARE(r->list(3)->currentIndex(), resetBefore);
        undo();
        QVERIFY(SameCopy(doc->work, s1));
        QCOMPARE(e->Combo2(0)->currentText(), decodeBefore);
        undo();
        QVERIFY(SameCopy(doc->work, s0));
        QVERIFY(find(323) == nullptr);
        QVERIFY(g->cellText(3, 1).trimmed().isEmpty());
        QVERIFY(!w->action("mnuUndo")->isEnabled());
        undo(); // nothing left: no change
        QVERIFY(SameCopy(doc->work, s0));

        // Forward again with both redo keys.
        g->MSFlexGrid1()->setFocus();
        key(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(SameCopy(doc->work, s1));
        QCOMPARE(g->cellText(3, 1), QString("27.12500"));
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(SameCopy(doc->work, s2));
        QCOMPARE(find(323)->DecodeTone, decode);
        w->action("mnuRedo")->trigger();
        QVERIFY(SameCopy(doc->work, s3));
        QVERIFY(!w->action("mnuRedo")->isEnabled());
        // Ctrl+Z from the grid goes back; a new change then drops what could be redone.
        g->MSFlexGrid1()->setFocus();
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(SameCopy(doc->work, s2));
        QVERIFY(w->undoHistory().CanRedo());
        r->list(2)->setFocus();
        key(Qt::Key_Down);
        QVERIFY(!w->undoHistory().CanRedo());
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(3));
    }

    // Ctrl+Z in a cell editor that has nothing of its own to take back undoes the document, and
    // the grid keeps the group it shows; picking a group is no step of its own.
    void undoFromACellEditorKeepsTheGroup() {
        auto* g = open<frmCommChInfo>();
        auto* r = open<FrmResetMode>();
        const int resetBefore = r->list(3)->currentIndex();
        r->list(3)->setFocus();
        key(Qt::Key_Down);
        QVERIFY(r->list(3)->currentIndex() != resetBefore);
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(1));
        g->Combo7()->setFocus();
        key(Qt::Key_Down); // group 9
        QCOMPARE(g->Combo7()->currentIndex(), 9);
        clickCell(g, 1, 1);
        QVERIFY(g->Text1()->isVisible() && g->Text1()->hasFocus());
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(1));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(r->list(3)->currentIndex(), resetBefore);
        QCOMPARE(g->Combo7()->currentIndex(), 9);
        QCOMPARE(doc->work.settings.Options.Features.ChannelGroup, i16(9));
    }

    // Undo with a tone list of the grid open: the keys stay with the grid's cursor cell, so a
    // digit typed next edits the cell instead of picking a group.
    void undoKeepsTheKeysInTheGrid() {
        auto* g = open<frmCommChInfo>();
        clickCell(g, 1, 4);
        QComboBox* tones = g->ListEditor(1);
        QVERIFY(tones->isVisible() && tones->hasFocus());
        key(Qt::Key_Down);
        key(Qt::Key_Return); // 67.0 is stored; the encode cell is next
        QCOMPARE(find(321)->DecodeTone, i16(1));
        QVERIFY(g->ListEditor(1)->hasFocus());
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(find(321)->DecodeTone, i16(0));
        QWidget* now = QApplication::focusWidget();
        QVERIFY(now != nullptr && g->isAncestorOf(now));
        QVERIFY(now != g->Combo7());
        key(Qt::Key_2);
        QCOMPARE(g->Combo7()->currentIndex(), 8);
        QCOMPARE(doc->work.settings.Options.Features.ChannelGroup, i16(8));
    }

    void typingIntoOneBoxIsOneStep() {
        auto* m = open<FrmEmbMsg>();
        const QString first = m->box(0)->text(), second = m->box(1)->text();
        m->box(0)->selectAll();
        typeInto(m->box(0), "HELLO");
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(1));
        m->box(1)->selectAll();
        typeInto(m->box(1), "AB");
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(2));
        // Back in the first box after using the second: a step of its own.
        m->box(0)->end(false);
        typeInto(m->box(0), "X");
        QCOMPARE(w->undoHistory().UndoSteps(), std::size_t(3));
        undo();
        QCOMPARE(m->box(0)->text().trimmed(), QString("HELLO"));
        undo();
        QCOMPARE(m->box(1)->text(), second);
        undo();
        QCOMPARE(m->box(0)->text(), first);
        QVERIFY(!w->undoHistory().CanUndo());
    }

    void newAndOpenClearTheHistorySavingDoesNot() {
        auto* r = open<FrmResetMode>();
        r->list(3)->setFocus();
        const i16 before = resetChannel();
        key(Qt::Key_Down);
        QVERIFY(resetChannel() != before);
        const QString file = dir->filePath("undo.dat");
        chooser.saves << file;
        QVERIFY(w->mnuFileSaveAs_Click());
        QVERIFY(w->undoHistory().CanUndo());
        undo();
        QCOMPARE(resetChannel(), before);
        QVERIFY(IsModified(*doc));

        chooser.opens << file;
        prompter.script = {Answer::No};
        QVERIFY(w->mnuFileOpen_Click());
        QVERIFY(!w->undoHistory().CanUndo() && !w->undoHistory().CanRedo());

        r = open<FrmResetMode>();
        r->list(3)->setFocus();
        key(Qt::Key_Down);
        QVERIFY(w->action("mnuUndo")->isEnabled());
        w->NewFile_Click();
        QVERIFY(!w->action("mnuUndo")->isEnabled()); // refused while the new document is built
        QTRY_VERIFY(!w->NewDocTimer().isActive());
        settle();
        QVERIFY(!w->undoHistory().CanUndo());
        QVERIFY(!w->action("mnuUndo")->isEnabled());
    }

    void historyKeepsTheLatestSteps() {
        UndoHistory h;
        DocumentCopy c;
        h.Reset(c);
        for (std::size_t i = 1; i <= UndoHistory::kMaxSteps + 5; ++i) {
            c.settings.ChannelCount = static_cast<i16>(i);
            QVERIFY(h.Record(c, nullptr));
        }
        QCOMPARE(h.UndoSteps(), UndoHistory::kMaxSteps);
        const DocumentCopy* oldest = nullptr;
        while (h.CanUndo())
            oldest = &h.Undo();
        QCOMPARE(oldest->settings.ChannelCount, i16(5));
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
