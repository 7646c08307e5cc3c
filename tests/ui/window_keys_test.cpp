// SPDX-License-Identifier: GPL-3.0-or-later
// Settings windows by keyboard alone: the focus on opening (from the menu or the tree), where
// Tab, Shift+Tab and Enter go, and Ctrl+Tab between pages.
#include "channels/frm_ch_info_edit.h"
#include "common/tab_order.h"
#include "editor_fixture.h"
#include "settings/frm_alert.h"
#include "settings/frm_dtmf.h"
#include "settings/frm_key.h"
#include "settings/frm_opt_features.h"
#include "settings/frm_tone_tips.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace zt;

class WindowKeysTest : public QObject, zt::test::EditorFixture {
    Q_OBJECT

    static QWidget* focused() { return QApplication::focusWidget(); }
    static QString nameOf(const QWidget* w) { return w == nullptr ? QString("(none)") : w->objectName(); }

    // The controls the focus visits from the focused one, pressing `key` until it comes back,
    // stays or leaves the window (at most 100 presses).
    static QStringList walk(Qt::Key key) {
        QStringList seen;
        QWidget* start = focused();
        const QPointer<QWidget> window = start->parentWidget();
        for (int i = 0; i < 100 && focused() != nullptr; ++i) {
            QWidget* at = focused();
            seen << nameOf(at);
            QTest::keyClick(at, key);
            QApplication::processEvents();
            if (focused() == start || focused() == at || window == nullptr ||
                !window->window()->isAncestorOf(focused()))
                break;
        }
        return seen;
    }

    QTreeWidgetItem* node(const QString& key) const {
        for (QTreeWidgetItemIterator it(w->TreeView1()); *it != nullptr; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        return nullptr;
    }

    // Switches the VFO block of the Optional Features window on, so its controls can be walked.
    static void vfoOn(FrmOptFeatures* f) {
        if (!f->Check1(7)->isChecked())
            f->Check1(7)->click();
        QVERIFY(f->Combo1(29)->isEnabled());
    }

  private slots:
    void init() { setUpApp(); }
    void cleanup() { w.reset(); }

    void openedWindowTakesTheKeyboard() {
        start();
        // From the tree: the click leaves the focus in the window, not in the tree.
        QTreeWidgetItem* item = node("N2");
        QVERIFY(item != nullptr);
        w->TreeView1()->setFocus();
        const QRect r = w->TreeView1()->visualItemRect(item);
        QTest::mouseClick(w->TreeView1()->viewport(), Qt::LeftButton, {}, r.center());
        QApplication::processEvents();
        QCOMPARE(nameOf(focused()), QString("Text1_8"));
        QVERIFY(w->ChildByName(FrmOptFeatures::kName)->isAncestorOf(focused()));
        // A click into the focused first box puts the cursor after its character; typing still
        // replaces it and moves on.
        QTest::mouseClick(focused(), Qt::LeftButton);
        QVERIFY(!qobject_cast<QLineEdit*>(focused())->hasSelectedText());
        QTest::keyClick(focused(), 'A');
        QTest::keyClick(focused(), 'B');
        QCOMPARE(doc->work.settings.Options.Features.PowerOnText.raw().substr(8, 2), std::string("AB"));

        // From the menu, each window on its first control.
        const std::pair<const char*, const char*> firsts[] = {
            {FrmAlert::kName, "Combo1_10"}, {FrmDTMF::kName, "qt_tabwidget_tabbar"},
            {FrmKey::kName, "Combo1_9"},    {FrmToneTips::kName, "TabStrip1"},
            {"FrmRadio", "MSFlexGrid1"},    {"FrmTestFre", "MSFlexGrid1"},
            {"FrmGroupName", "Text1_0"},    {"FrmEmbMsg", "Text1_0"},
        };
        for (const auto& [name, first] : firsts) {
            QWidget* win = w->ShowChildWindow(name);
            QApplication::processEvents();
            QVERIFY2(win != nullptr && win->isAncestorOf(focused()), name);
            QCOMPARE(nameOf(focused()), QString(first));
        }

        // Asked again while the focus is in the tree: back to the window's control that had it.
        auto* opt = qobject_cast<FrmOptFeatures*>(w->ChildByName(FrmOptFeatures::kName));
        w->ShowChildWindow(FrmOptFeatures::kName);
        QApplication::processEvents();
        opt->Combo1(12)->setFocus();
        w->TreeView1()->setFocus();
        w->ShowChildWindow(FrmOptFeatures::kName);
        QApplication::processEvents();
        QCOMPARE(focused(), static_cast<QWidget*>(opt->Combo1(12)));
    }

    void tabAndEnterFollowTheScreen_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        // The alarm switch heads the window and comes first.
        QTest::newRow("alert") << QString(FrmAlert::kName) << -1
                               << QStringList{"Combo1_10", "Combo1_0", "Combo1_3", "Combo1_6",
                                              "Combo1_7",  "Combo1_8", "Combo1_9", "CommandClose"};
        // The codes and the ID code box stand under the lists and come after them.
        QTest::newRow("dtmf options")
            << QString(FrmDTMF::kName) << 1
            << QStringList{
                   "qt_tabwidget_tabbar", "Combo2_1", "Combo2_4", "Combo2_5", "Text1_2", "Text1_3", "Text3",
                   "CommandClose"};
        QStringList codes{"qt_tabwidget_tabbar"};
        for (int i = 0; i < 16; ++i)
            codes << QString("Text2_%1").arg(i);
        QTest::newRow("dtmf codes by number") << QString(FrmDTMF::kName) << 2 << (codes << "CommandClose");
        // The left column top to bottom, then the VFO frame beside it, then Close.
        QStringList opt;
        for (int i = 8; i < 16; ++i)
            opt << QString("Text1_%1").arg(i);
        opt << "Check1_7";
        for (int i : {4, 12, 13, 14, 15, 38, 39, 29, 30, 31, 32, 33, 34, 35, 40, 37})
            opt << QString("Combo1_%1").arg(i);
        for (int i : {14, 8, 9, 10, 11, 12})
            opt << QString("Check1_%1").arg(i);
        QTest::newRow("optional features") << QString(FrmOptFeatures::kName) << -1 << (opt << "CommandClose");
        QStringList tips{"TabStrip1", "Combo1_0", "Combo2_0"};
        for (int i = 0; i < 14; ++i)
            tips << QString("Combo3_%1").arg(i) << QString("Combo4_%1").arg(i);
        QTest::newRow("tone tips by step") << QString(FrmToneTips::kName) << -1
                                           << (tips << "Command1_0"
                                                    << "Command2_0"
                                                    << "CommandClose");
    }

    void tabAndEnterFollowTheScreen() {
        QFETCH(QString, window);
        QFETCH(int, page);
        QFETCH(QStringList, order);
        start();
        QWidget* win = w->ShowChildWindow(window);
        QApplication::processEvents();
        if (auto* opt = qobject_cast<FrmOptFeatures*>(win))
            vfoOn(opt);
        if (auto* dtmf = qobject_cast<FrmDTMF*>(win)) {
            dtmf->SSTab1()->setCurrentIndex(page);
            dtmf->SSTab1()->tabBar()->setFocus();
        } else {
            FocusFirstControl(win); // where the window opened (the VFO switch took the focus)
        }
        QCOMPARE(nameOf(focused()), order.front());
        QCOMPARE(walk(Qt::Key_Tab), order);

        // Shift+Tab walks back: from the first control to the last, then up the list.
        QStringList back = order;
        std::reverse(back.begin() + 1, back.end());
        QCOMPARE(walk(Qt::Key_Backtab), back);

        // Enter walks the same way up to the first button, which it presses (Close closes).
        const QStringList entered = walk(Qt::Key_Return);
        const QStringList upToButton = order.mid(0, order.indexOf(QRegularExpression("^Command.*")) + 1);
        QCOMPARE(entered.mid(0, upToButton.size()), upToButton);
        if (upToButton.back() == "CommandClose")
            QVERIFY(w->ChildByName(window) == nullptr);
    }

    // The channel edit window is two columns of labelled lists: Tab goes down the left column,
    // then the right one, then the switches row by row. (Most controls are off without a channel
    // in use: the order is read from the window's Tab chain.)
    void editWindowReadsColumnByColumn() {
        start();
        QWidget* e = w->ShowChildWindow(FrmCHInfoEdit::kName);
        QApplication::processEvents();
        QCOMPARE(nameOf(focused()), QString("Combo4"));
        QStringList chain;
        for (QWidget* x = e->nextInFocusChain(); x != e; x = x->nextInFocusChain())
            if (e->isAncestorOf(x) && (x->focusPolicy() & Qt::TabFocus) && !x->isHidden())
                chain << nameOf(x);
        const QStringList expected{
            "Combo4",    "Combo1",   "Text1",     "Combo2_0",  "Combo2_1",  "Combo2_6",  "Combo2_13",
            "Combo2_17", "Combo2_8", "Combo2_10", "Combo2_16", "Combo2_11", "Combo2_18", "Check1_0",
            "Check1_7",  "Check1_8", "Check1_9",  "Check1_10", "Check1_11", "Check1_15", "CommandClose"};
        QCOMPARE(chain, expected);

        // Enter on the channel window's focused Edit Channel button presses it, as Space does.
        w->CloseCurAllWindows();
        QApplication::processEvents();
        QWidget* grid = w->ShowChildWindow("frmCommChInfo");
        QApplication::processEvents();
        auto* edit = grid->findChild<QWidget*>("CommandCHInfoEdit");
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
        QVERIFY(w->ChildByName(FrmCHInfoEdit::kName) != nullptr);
    }

    void ctrlTabSwitchesPages() {
        start();
        auto* f = open<FrmDTMF>();
        QTabWidget* tabs = f->SSTab1();
        f->Combo1(0)->setFocus();
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(nameOf(focused()), QString("Combo2_1"));
        QTest::keyClick(focused(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(nameOf(focused()), QString("Text2_0"));
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier); // past the last: the first
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        // Also from the Close button, and the other windows stay where they are.
        QWidget* other = w->ShowChildWindow(FrmAlert::kName);
        w->ShowChildWindow(FrmDTMF::kName);
        QApplication::processEvents();
        f->findChild<QWidget*>("CommandClose")->setFocus();
        QTest::keyClick(focused(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(f->isAncestorOf(focused()));
        QVERIFY(other != nullptr);

        // The tone tips: the strip's tabs show another tone in the same controls; the focus stays.
        auto* tips = open<FrmToneTips>();
        tips->Combo3(2)->setFocus();
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tips->TabStrip1()->currentIndex(), 1);
        QCOMPARE(focused(), static_cast<QWidget*>(tips->Combo3(2)));
    }
};

QTEST_MAIN(WindowKeysTest)
#include "window_keys_test.moc"
