// SPDX-License-Identifier: GPL-3.0-or-later
// The scan, alert and key windows, opened by name from the main window: what opening stores,
// what the user's picks store, which lists each rule enables, and the changes they follow.
#include "common/bound_list.h"
#include "editor_fixture.h"
#include "model/channel_editor.h"
#include "settings/frm_alert.h"
#include "settings/frm_key.h"
#include "settings/frm_scan.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>

using namespace zt;

class SettingsListsTest : public QObject, zt::test::EditorFixture {
    Q_OBJECT

    OptionsRecord& opt() { return doc->work.settings.Options; }
    auto& scan() { return opt().ScanBlock; }
    auto& alert() { return opt().AlertBlock; }
    auto& keys() { return opt().KeyBlock; }
    // The channel table holds exactly these channels.
    void channels(std::initializer_list<int> numbers) {
        int i = 0;
        for (int n : numbers) {
            doc->work.channels[static_cast<std::size_t>(i)] = doc->work.channels[0];
            doc->work.channels[static_cast<std::size_t>(i++)].ChannelNo = static_cast<i16>(n);
        }
        doc->work.settings.ChannelCount = static_cast<i16>(i);
    }
    static QStringList entries(const QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }

  private slots:
    void init() { setUpApp(); }
    void cleanup() { w.reset(); }

    void scanOpeningNormalisesEveryByte() {
        start();
        channels({1, 17, 40});
        scan() = {1, 1, 3, 4, 60, 0, 51, 5, 3, 8, 9, 9};
        auto* s = open<FrmScan>();
        QVERIFY(s != nullptr);
        QCOMPARE(entries(s->list(2)), (QStringList{"1", "2", "3"}));
        QCOMPARE(s->list(2)->currentText(), QString("3"));
        QCOMPARE(entries(s->list(3)), QStringList{"8"});
        // Mode 1 offers six revert choices; the stored 3 (second priority channel) is not one.
        QCOMPARE(s->list(6)->count(), 6);
        QCOMPARE(s->list(7)->currentText(), QString("0.5"));
        QCOMPARE(scan(), (std::array<std::uint8_t, 12>{1, 1, 0, 5, 5, 1, 1, 0, 3, 8, 1, 1}));
        QVERIFY(s->list(2)->isEnabled() && s->list(3)->isEnabled());
        QVERIFY(!s->list(4)->isEnabled() && !s->list(5)->isEnabled());

        // The user's picks.
        s->list(2)->setCurrentIndex(0);
        QCOMPARE(scan()[8], std::uint8_t(1));
        QCOMPARE(scan()[9], std::uint8_t(1));
        s->list(1)->setCurrentIndex(3);
        QCOMPARE(s->list(6)->count(), 8);
        s->list(6)->setCurrentIndex(7);
        QCOMPARE(scan()[2], std::uint8_t(7));
        s->list(1)->setCurrentIndex(2); // revert 7 (second + talkback) is still offered
        QCOMPARE(scan()[2], std::uint8_t(7));
        QCOMPARE(s->list(6)->currentIndex(), 5);
        s->list(1)->setCurrentIndex(0);
        QCOMPARE(scan()[2], std::uint8_t(0));
        s->promptTone()->click();
        QCOMPARE(scan()[7], std::uint8_t(1));
        s->list(10)->setCurrentIndex(49);
        QCOMPARE(scan()[6], std::uint8_t(50));
    }

    void scanWithoutChannelsAndAGroupThatLostItsChannels() {
        start();
        channels({1, 481});
        scan()[8] = 5;
        auto* s = open<FrmScan>();
        QCOMPARE(entries(s->list(2)), (QStringList{"1", "31"}));
        QCOMPARE(scan()[8], std::uint8_t(1));
        s->closeWindow();
        QApplication::processEvents();
        doc->work.settings.ChannelCount = 0;
        scan()[8] = 5;
        open<FrmScan>();
        QCOMPARE(scan()[8], std::uint8_t(0));
    }

    void revertAndKeyChoicesAreFoundByPositionWhenTextsReadAlike() {
        start();
        // Without a language file every choice reads "": the stored choice still shows and stays.
        app->lang = LangTexts{};
        scan()[0] = 1;
        scan()[1] = 3;
        scan()[2] = 6;
        keys()[3] = 12;
        auto* s = open<FrmScan>();
        QCOMPARE(s->list(6)->currentIndex(), 6);
        QCOMPARE(scan()[2], std::uint8_t(6));
        s->list(6)->setCurrentIndex(3);
        QCOMPARE(scan()[2], std::uint8_t(3));
        auto* k = open<FrmKey>();
        QCOMPARE(k->list(1)->currentIndex(), 10); // short-press list lacks functions 4 and 11
        QCOMPARE(keys()[3], i16(12));
    }

    void keyWindowNormalisesAndRefusesTheScanKeyWhileScanningIsOff() {
        start();
        keys() = {15, 9, 4, 4, 21, 8};
        scan()[0] = 0;
        auto* k = open<FrmKey>();
        QVERIFY(k != nullptr);
        QCOMPARE(k->list(9)->currentText(), QString("1.5"));
        QCOMPARE(k->list(10)->currentText(), QString("1.0"));
        QCOMPARE(k->list(0)->count(), 21);
        QCOMPARE(k->list(1)->count(), 19);
        QCOMPARE(keys(), (std::array<i16, 6>{15, 10, 4, 0, 0, 0}));
        k->list(0)->setCurrentIndex(FrmScan::kScanKeyFunction);
        QCOMPARE(k->list(0)->currentIndex(), 0);
        QCOMPARE(keys()[2], i16(0));
        k->list(3)->setCurrentIndex(10); // short press: entry 10 is function 12
        QCOMPARE(keys()[5], i16(12));
        QCOMPARE(k->list(3)->currentText(), QString::fromStdString(app->LangText(25052)));

        // With scanning on the scan key stays; switching scanning off takes it away again and
        // the open key window shows it.
        scan()[0] = 1;
        k->list(2)->setCurrentIndex(FrmScan::kScanKeyFunction);
        QCOMPARE(keys()[4], i16(FrmScan::kScanKeyFunction));
        auto* s = open<FrmScan>();
        s->list(0)->setCurrentIndex(0);
        QCOMPARE(keys()[4], i16(0));
        QCOMPARE(k->list(2)->currentIndex(), 0);
        for (int i = 1; i < FrmScan::kLists; ++i)
            QVERIFY2(!s->list(i)->isEnabled(), qPrintable(QString::number(i)));
        QVERIFY(!s->promptTone()->isEnabled());
    }

    void alertRulesAndIdCodes() {
        start();
        auto& codes = opt().Dtmf.CodeList;
        for (auto& c : codes)
            c.Len = 0;
        codes[1].Len = 3; // M2
        codes[6].Len = 4; // M7
        channels({1, 17, 40});
        alert() = {1, 1, 1, 5, 0, 3, 3, 0, 3, 8, 0};
        auto* a = open<FrmAlert>();
        QVERIFY(a != nullptr);
        QCOMPARE(entries(a->list(2)), (QStringList{"M2", "M7"}));
        QCOMPARE(a->list(2)->currentText(), QString("M2"));
        QCOMPARE(a->list(3)->currentText(), QString("1"));
        QCOMPARE(alert(), (std::array<std::uint8_t, 11>{1, 1, 1, 2, 1, 3, 3, 0, 3, 8, 0}));
        QCOMPARE(a->list(9)->count(), 256);

        // Type rule: a local alarm has an alarm time and no ID code or transmit/receive times.
        a->list(0)->setCurrentIndex(0);
        QVERIFY(a->list(3)->isEnabled());
        for (int i : {1, 2, 4, 5})
            QVERIFY(!a->list(i)->isEnabled());
        a->list(0)->setCurrentIndex(2);
        QVERIFY(!a->list(3)->isEnabled() && a->list(2)->isEnabled());
        // Channel rule.
        a->list(6)->setCurrentIndex(1);
        QVERIFY(!a->list(7)->isEnabled() && !a->list(8)->isEnabled());
        QCOMPARE(alert()[7], std::uint8_t(1));
        // The ID code: M7, then code 7 emptied in the DTMF list.
        a->list(2)->setCurrentIndex(1);
        QCOMPARE(alert()[3], std::uint8_t(7));
        codes[6].Len = 0;
        w->Route(Refresh::DtmfCodes);
        QCOMPARE(entries(a->list(2)), QStringList{"M2"});
        QCOMPARE(alert()[3], std::uint8_t(2));
        a->list(1)->setCurrentIndex(0);
        QCOMPARE(a->list(2)->count(), 0);
        QCOMPARE(alert()[3], std::uint8_t(0));
        // Alarm off disables every other list.
        a->list(10)->setCurrentIndex(0);
        for (int i = 0; i < 10; ++i)
            QVERIFY(!a->list(i)->isEnabled());
        QCOMPARE(alert()[0], std::uint8_t(0));
    }

    void scanAndAlertFollowChannelsAddedInTheChannelWindow() {
        start();
        channels({1});
        auto* s = open<FrmScan>();
        auto* a = open<FrmAlert>();
        QCOMPARE(entries(s->list(2)), QStringList{"1"});
        // Channel 281 (group 7, row 1 of the channel window) is channel 9 of 16-channel group 18.
        QVERIFY(SetChannelCell(*app, *doc, 7, 1, col::RxFreq, "27.00000"));
        QCOMPARE(entries(s->list(2)), (QStringList{"1", "18"}));
        QCOMPARE(entries(s->list(4)), (QStringList{"1", "18"}));
        QCOMPARE(entries(a->list(7)), (QStringList{"1", "18"}));
        a->list(7)->setCurrentIndex(1);
        QCOMPARE(entries(a->list(8)), QStringList{"9"});
        QCOMPARE(alert()[8], std::uint8_t(18));
        QCOMPARE(alert()[9], std::uint8_t(9));
        // Deleting it again: the alert window keeps showing a group that exists.
        QVERIFY(SetChannelCell(*app, *doc, 7, 1, col::RxFreq, ""));
        QCOMPARE(entries(a->list(7)), QStringList{"1"});
        QCOMPARE(alert()[8], std::uint8_t(1));
    }
};

QTEST_MAIN(SettingsListsTest)
#include "settings_lists_test.moc"
