// SPDX-License-Identifier: GPL-3.0-or-later
// The group-name, reset-mode and embedded-message windows, opened by name from the main window
// and driven through their controls.
#include "channels/frm_comm_ch_info.h"
#include "common/bound_list.h"
#include "editor_fixture.h"
#include "settings/frm_emb_msg.h"
#include "settings/frm_group_name.h"
#include "settings/frm_reset_mode.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace zt;

class SettingsTextsTest : public QObject, zt::test::EditorFixture {
    Q_OBJECT

    SettingsRecord& s() { return doc->work.settings; }
    static std::string raw(const FixedText<3>& t) { return t.raw(); }

  private slots:
    void init() { setUpApp(); }
    void cleanup() { w.reset(); }

    void resetModeChoosesGroupsByPositionAndNormalisesChannels() {
        start(1);
        // Two groups of the same name stay apart; channel 0 (none) and 41 become channel 1; a
        // normal-mode group below 6 becomes group 6.
        s().GroupNames[0] = "AAA";
        s().GroupNames[1] = "AAA";
        s().GroupNames[7] = "N7";
        s().Options.Features.ResetMode = {1, 0, 3, 41, 9, 9};
        auto* r = open<FrmResetMode>();
        QVERIFY(r != nullptr);
        QCOMPARE(r->list(0)->currentIndex(), 1);
        QCOMPARE(r->list(1)->currentText(), QString("1"));
        QCOMPARE(r->list(2)->currentIndex(), 0);
        QCOMPARE(r->list(2)->itemText(1), QString("N7"));
        QCOMPARE(r->list(3)->count(), 40);
        auto reset = s().Options.Features.ResetMode;
        QCOMPARE(reset, (std::array<i16, 6>{1, 1, 6, 1, 9, 9}));

        // The user's picks.
        s().Options.Features.ResetMode[3] = 12; // kept when the group changes
        r->list(2)->setCurrentIndex(2);
        QCOMPARE(s().Options.Features.ResetMode[2], i16(8));
        QCOMPARE(r->list(3)->currentText(), QString("12"));
        r->list(1)->setCurrentIndex(39);
        QCOMPARE(s().Options.Features.ResetMode[1], i16(40));
        QCOMPARE(r->windowTitle(), QString("Reset Mode"));
    }

    void typingAGroupNameMovesOnAndEveryWindowFollows() {
        start(1);
        s().GroupNames[0] = "AB "; // no NUL: opening the window gives it one
        s().GroupNames[1] = "XYZ";
        auto* reset = open<FrmResetMode>();
        auto* g = open<FrmGroupName>();
        QVERIFY(reset != nullptr && g != nullptr);
        QCOMPARE(raw(s().GroupNames[0]), std::string("AB\0", 3));
        QCOMPARE(g->box(1)->text(), QString("XYZ"));
        QVERIFY(!g->box(12)->isEnabled());

        g->box(0)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        // Each key goes where the focus is, as the keyboard sends it.
        for (char c : {'A', 'B'})
            QTest::keyClick(QApplication::focusWidget(), c);
        QApplication::processEvents();
        QCOMPARE(raw(s().GroupNames[0]), std::string("A\0 ", 3));
        QCOMPARE(raw(s().GroupNames[1]), std::string("B\0 ", 3));
        QVERIFY(g->box(2)->hasFocus());
        QCOMPARE(reset->list(0)->itemText(0), QString("A"));
        QCOMPARE(reset->list(0)->itemText(1), QString("B"));
        // The channel grid shows group 3 of a new document, with its name in the caption.
        g->box(3)->setText("Q");
        QVERIFY(w->channels().grid->windowTitle().contains("3 -- Q"));
        QCOMPARE(w->channels().grid->Text3()->text(), QString("Q"));
        // And the other way round: a name typed in the channel grid shows in the open windows.
        QLineEdit* gridName = w->channels().grid->Text3();
        gridName->selectAll();
        QTest::keyClicks(gridName, "ZZ");
        QCOMPARE(raw(s().GroupNames[3]), std::string("ZZ\0", 3));
        QCOMPARE(g->box(3)->text(), QString("ZZ"));
        QCOMPARE(reset->list(0)->itemText(3), QString("ZZ"));

        // Refused and swallowed keys: "\" and "~", paste; Enter moves on without typing.
        const auto before = raw(s().GroupNames[2]);
        QTest::keyClick(g->box(2), '\\');
        QTest::keyClick(g->box(2), '~');
        QTest::keyClick(g->box(2), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(raw(s().GroupNames[2]), before);
        QTest::keyClick(g->box(2), Qt::Key_Return);
        QVERIFY(g->box(3)->hasFocus());
        QCOMPARE(raw(s().GroupNames[2]), before);
    }

    void chineseGroupNamesAreGbkAndNeverCutInHalf() {
        start(2);
        auto* g = open<FrmGroupName>();
        QVERIFY(g != nullptr);
        QCOMPARE(g->windowTitle(), QString::fromUtf8("组名"));
        g->box(4)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        // A character beyond ASCII is typed without moving the focus; the second one does not fit.
        QTest::sendKeyEvent(QTest::Click, g->box(4), Qt::Key_unknown, QString::fromUtf8("中"),
                            Qt::NoModifier);
        QCOMPARE(raw(s().GroupNames[4]), std::string("\xD6\xD0\0", 3));
        QVERIFY(g->box(4)->hasFocus());
        g->box(4)->setText(QString::fromUtf8("中文"));
        QCOMPARE(g->box(4)->text(), QString::fromUtf8("中"));
        QCOMPARE(raw(s().GroupNames[4]), std::string("\xD6\xD0\0", 3));
        g->box(5)->setText(QString::fromUtf8("A中"));
        QCOMPARE(raw(s().GroupNames[5]), std::string("A\xD6\xD0", 3));
        g->box(6)->setText(QString::fromUtf8("AB中"));
        QCOMPARE(g->box(6)->text(), QString("AB"));

        // Reopened, the stored bytes show as the Chinese text again.
        g->closeWindow();
        QApplication::processEvents();
        g = open<FrmGroupName>();
        QCOMPARE(g->box(5)->text(), QString::fromUtf8("A中"));
    }

    void embeddedMessageLinesKeepTheirWidthRule() {
        start(1);
        auto& lines = s().Options.EmbeddedMessage;
        lines[0] = std::string("HELLO  ");
        auto* m = open<FrmEmbMsg>();
        QVERIFY(m != nullptr);
        QCOMPARE(m->box(0)->text(), QString("HELLO"));
        QCOMPARE(lines[0].raw(), std::string("HELLO\0          ", 16));

        m->box(1)->setText("0123456789ABCDEF");
        QCOMPARE(lines[1].raw(), std::string("0123456789ABCDEF"));
        m->box(1)->setText("0123456789ABCDE");
        QCOMPARE(lines[1].raw(), std::string("0123456789ABCDE\0", 16));
        m->box(1)->setText("0123456789ABCDEFGH");
        QCOMPARE(m->box(1)->text(), QString("0123456789ABCDEF"));

        // Characters beyond 127 never enter a line, however they come; Enter moves on.
        m->box(2)->setFocus();
        QTest::keyClicks(m->box(2), "a ");
        QTest::sendKeyEvent(QTest::Click, m->box(2), Qt::Key_unknown, QString::fromUtf8("é"), Qt::NoModifier);
        QCOMPARE(lines[2].raw(), std::string("a \0", 3) + std::string(13, ' '));
        m->box(2)->setText(QString::fromUtf8("xé"));
        QCOMPARE(m->box(2)->text(), QString("x"));
        QTest::keyClick(m->box(2), Qt::Key_Return);
        QVERIFY(m->box(3)->hasFocus());
    }

    // A key typed over a line's selected text replaces it, a blank as any other character: the
    // line becomes that one character (and its NUL).
    void embeddedMessageKeyReplacesTheSelection_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("blank") << " ";
        QTest::newRow("letter") << "x";
        QTest::newRow("digit") << "7";
    }
    void embeddedMessageKeyReplacesTheSelection() {
        QFETCH(QString, key);
        start(1);
        auto& lines = s().Options.EmbeddedMessage;
        lines[0] = std::string("Hello World 1234");
        auto* m = open<FrmEmbMsg>();
        QLineEdit* box = m->box(0);
        QCOMPARE(box->text(), QString("Hello World 1234"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->selectedText(), QString("Hello World 1234"));
        QTest::keyClicks(box, key);
        QCOMPARE(box->text(), key);
        QCOMPARE(lines[0].raw(), key.toStdString() + std::string("\0", 1) + std::string(14, ' '));
    }
};

QTEST_MAIN(SettingsTextsTest)
#include "settings_texts_test.moc"
