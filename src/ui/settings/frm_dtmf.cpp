// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_dtmf.h"

#include "common/form_keys.h"
#include "common/tab_order.h"
#include "common/text_guard.h"
#include "common/twips.h"
#include "common/window_buttons.h"
#include "model/channel_table.h"
#include "settings/settings_common.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>

namespace zt {

namespace {

// Combo1 indexes in the order of combo1_.
constexpr std::array<int, 6> kCombo1Index = {0, 1, 2, 3, 4, 16};
constexpr std::array<int, 3> kCombo2Index = {1, 4, 5};
constexpr int kCodeWidth = 16;
constexpr int kIdWidth = 10;

// Characters of a DTMF code: digits, "*", "#" and A to D (a to d are taken as capitals).
bool CodeChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '*' || u == '#' || (u >= 'A' && u <= 'D') || (u >= 'a' && u <= 'd');
}

bool DigitChar(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

std::string Latin(const QString& s) {
    return s.toLatin1().toStdString();
}

// The first Len characters of the code; trailing blanks are no part of a code.
QString Shown(const DtmfCodeEntry& e) {
    const int len = e.Len > kCodeWidth ? 0 : std::max<int>(0, e.Len);
    return QString::fromLatin1(TrimFixed(e.Code.raw().substr(0, static_cast<std::size_t>(len))).c_str());
}

} // namespace

FrmDTMF::FrmDTMF(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    tab_ = new QTabWidget(this);
    tab_->setObjectName("SSTab1");
    std::array<QWidget*, 3> page{};
    for (QWidget*& p : page) {
        p = new QWidget;
        tab_->addTab(p, QString());
    }
    SetGeometryTw(tab_, 120, 120, 6600, 4250);
    DtmfBlock& d = doc_.work.settings.Options.Dtmf;

    auto list = [](QWidget* parent, const QString& name) {
        auto* c = new BoundList(parent);
        c->setObjectName(name);
        return c;
    };
    // Tab 1: timing, D key, PTT-ID pause, side tone (and the unshown PTT-ID codes).
    for (std::size_t k = 0; k < combo1_.size(); ++k) {
        combo1_[k] = list(page[0], QString("Combo1_%1").arg(kCombo1Index[k]));
        label1_[k] = new QLabel(page[0]);
        SetGeometryTw(combo1_[k], 3600, 300 + static_cast<int>(k) * 460, 1800, 320);
        combo1_[k]->onPick([this, k](int index) { saveTiming(static_cast<int>(k), index); });
    }
    check1_ = new QCheckBox(page[0]);
    check1_->setObjectName("Check1");
    SetGeometryTw(check1_, 3600, 300 + 6 * 460, 2800, 320);
    connect(check1_, &QCheckBox::clicked, this, [this, &d](bool on) { d.SideTone = on ? 1 : 0; });

    // The character filter comes first, so the box's own handler sees only accepted text. A code
    // as stored is shown as it is (a blank inside it too); the filter holds for what is typed.
    auto codeBox = [this](QWidget* parent, const QString& name, int width, bool (*filter)(QChar)) {
        auto* t = new QLineEdit(parent);
        t->setObjectName(name);
        t->setMaxLength(width);
        GuardTextBox(t, [this, filter](QChar c) { return filling() || filter(c); });
        SwallowClipboardKeys(t);
        return t;
    };
    std::array<DtmfCodeEntry*, 4> fixedCodes = {&d.BotCode, &d.EotCode, &d.StunCode, &d.KillCode};
    for (std::size_t k = 0; k < text1_.size(); ++k) {
        QWidget* p = k < 2 ? page[0] : page[1];
        text1_[k] = codeBox(p, QString("Text1_%1").arg(k), kCodeWidth, CodeChar);
        label3_[k] = new QLabel(p);
        DtmfCodeEntry* entry = fixedCodes[k];
        connect(text1_[k], &QLineEdit::textChanged, this, [this, k, entry] { saveCode(text1_[k], *entry); });
    }
    // The PTT-ID codes of the channels are chosen from the code list; these two are kept but
    // never shown.
    text1_[0]->hide();
    text1_[1]->hide();
    label3_[0]->hide();
    label3_[1]->hide();

    // Tab 2: call alert, group code, reset timer, stun and kill codes, ID code.
    for (std::size_t k = 0; k < combo2_.size(); ++k) {
        combo2_[k] = list(page[1], QString("Combo2_%1").arg(kCombo2Index[k]));
        label2_[k] = new QLabel(page[1]);
        combo2_[k]->onPick([&d, k](int index) { d.DtmfOpt[k] = static_cast<i16>(index); });
    }
    SetGeometryTw(combo2_[0], 3600, 300, 2400, 320);
    SetGeometryTw(combo2_[1], 3600, 760, 2400, 320);
    SetGeometryTw(combo2_[2], 3600, 1220, 2400, 320);
    SetGeometryTw(text1_[2], 3600, 1680, 2400, 320);
    SetGeometryTw(text1_[3], 3600, 2140, 2400, 320);
    text3_ = codeBox(page[1], "Text3", kIdWidth, DigitChar);
    label5_ = new QLabel(page[1]);
    SetGeometryTw(text3_, 3600, 2600, 2400, 320);
    SelectAllOnFocus(text3_);
    // Left by Tab, Enter or a click elsewhere: stored only when something was typed, so a code the
    // box shows shorter than stored (more than ten digits) stays as it is.
    connect(text3_, &QLineEdit::editingFinished, this, [this] { commitPendingEdit(); });

    // Tab 3: the numbered codes M1..M16 in two columns.
    for (std::size_t k = 0; k < text2_.size(); ++k) {
        const int col = static_cast<int>(k) / 8;
        const int row = static_cast<int>(k) % 8;
        text2_[k] = codeBox(page[2], QString("Text2_%1").arg(k), kCodeWidth, CodeChar);
        label4_[k] = new QLabel(page[2]);
        SetGeometryTw(text2_[k], 900 + col * 3300, 240 + row * 440, 2300, 320);
        connect(text2_[k], &QLineEdit::textChanged, this,
                [this, k] { listCodeChanged(static_cast<int>(k)); });
    }

    cmdClose_ = WindowButtons::CloseAtTw(this, 5520, 4490).close;

    FocusChain::FollowTabOrder(this);
    loadWindow();
    SwitchTabsByKeys(tab_->tabBar(), this, tab_);
}

void FrmDTMF::orderTabs() {
    EditorWindow::orderTabs();
    // The numbered codes are read by their numbers: down the first column, then the second.
    ChainTabOrder({text2_.begin(), text2_.end()});
}

BoundList* FrmDTMF::Combo1(int i) const {
    for (std::size_t k = 0; k < kCombo1Index.size(); ++k)
        if (kCombo1Index[k] == i)
            return combo1_[k];
    return nullptr;
}

BoundList* FrmDTMF::Combo2(int i) const {
    for (std::size_t k = 0; k < kCombo2Index.size(); ++k)
        if (kCombo2Index[k] == i)
            return combo2_[k];
    return nullptr;
}

void FrmDTMF::retranslate() {
    setWindowTitle(T(18000));
    for (int t = 0; t < 3; ++t)
        tab_->setTabText(t, T(18002 + t));
    for (std::size_t k = 0; k < 5; ++k)
        label1_[k]->setText(T(18005 + static_cast<int>(k)));
    label1_[5]->setText(T(16502));
    check1_->setText(T(18030));
    label2_[0]->setText(T(18011));
    label2_[1]->setText(T(18014));
    label2_[2]->setText(T(18015));
    for (std::size_t k = 0; k < label3_.size(); ++k)
        label3_[k]->setText(T(18016 + static_cast<int>(k)));
    for (std::size_t k = 0; k < label4_.size(); ++k)
        label4_[k]->setText(QString("M%1").arg(k + 1));
    label5_->setText(T(18022));
    cmdClose_->setText(T(9023));

    combo1_[0]->setEntries(NumberEntries(10, 500, 10));
    combo1_[1]->setEntries(NumberEntries(0, 1000, 100));
    combo1_[2]->setEntries(NumberEntries(100, 2500, 100));
    combo1_[3]->setEntries({"0", "100", "500", "1000"});
    combo1_[4]->setEntries(QStringList{T(18040)} + NumberEntries(1, 16, 1, "s"));
    combo1_[5]->setEntries(QStringList{T(16040)} + NumberEntries(5, 75, 5));
    combo2_[0]->setEntries({T(18043), T(18044), T(18045)});
    combo2_[1]->setEntries({T(18043), "A", "B", "C", "D", "*", "#"});
    combo2_[2]->setEntries(QStringList{T(18043)} + NumberEntries(1, 15, 1, "s"));
    placeLabels();
}

void FrmDTMF::placeLabels() {
    for (std::size_t k = 0; k < combo1_.size(); ++k)
        PlaceCaption(label1_[k], combo1_[k]);
    for (std::size_t k = 0; k < combo2_.size(); ++k)
        PlaceCaption(label2_[k], combo2_[k]);
    for (std::size_t k = 2; k < text1_.size(); ++k)
        PlaceCaption(label3_[k], text1_[k]);
    for (std::size_t k = 0; k < text2_.size(); ++k)
        PlaceCaption(label4_[k], text2_[k], 20);
    PlaceCaption(label5_, text3_);
}

void FrmDTMF::loadFromDocument() {
    const DtmfBlock d = doc_.work.settings.Options.Dtmf; // the record as it was at opening
    tab_->setCurrentIndex(0);
    ShowText(combo1_[0], QString::number(d.DtmfRate * 10));
    ShowText(combo1_[1], QString::number(d.FirstDigitTime * 50));
    ShowText(combo1_[2], QString::number(d.FirstDigitDelay * 50));
    ShowText(combo1_[3], QString::number(d.StarHashTime * 50));
    combo1_[4]->showValue(d.DKeySetting);
    combo1_[5]->showValue(doc_.work.settings.Options.Features.PttIdPauseTime);
    // A check box stores what it shows, as the other windows' check boxes do on opening: a
    // value other than 1 shows unticked and becomes 0.
    check1_->setChecked(d.SideTone == 1);
    doc_.work.settings.Options.Dtmf.SideTone = d.SideTone == 1 ? 1 : 0;
    for (std::size_t k = 0; k < combo2_.size(); ++k)
        combo2_[k]->showValue(d.DtmfOpt[k]);
    const int idLen = d.IdCodeLen > kIdWidth || d.IdCodeLen < 3 ? 3 : d.IdCodeLen;
    text3_->setText(QString::fromLatin1(d.IdCode.raw().substr(0, static_cast<std::size_t>(idLen)).c_str()));
    text3_->setModified(false);
    // A box that shows a code stores it back as shown (its length follows the text).
    const std::array<const DtmfCodeEntry*, 4> fixed = {&d.BotCode, &d.EotCode, &d.StunCode, &d.KillCode};
    for (std::size_t k = 0; k < text1_.size(); ++k)
        text1_[k]->setText(Shown(*fixed[k]));
    for (std::size_t k = 0; k < text2_.size(); ++k)
        text2_[k]->setText(Shown(d.CodeList[k]));
}

void FrmDTMF::saveTiming(int k, int index) {
    DtmfBlock& d = doc_.work.settings.Options.Dtmf;
    if (k == 4) {
        d.DKeySetting = static_cast<i16>(index);
        return;
    }
    if (k == 5) {
        doc_.work.settings.Options.Features.PttIdPauseTime = static_cast<i16>(index);
        return;
    }
    const double shown = combo1_[static_cast<std::size_t>(k)]->itemText(index).toDouble();
    const i16 v = static_cast<i16>(std::lround(shown / (k == 0 ? 10.0 : 50.0)));
    std::array<i16*, 4> field = {&d.DtmfRate, &d.FirstDigitTime, &d.FirstDigitDelay, &d.StarHashTime};
    *field[static_cast<std::size_t>(k)] = v;
}

void FrmDTMF::saveCode(QLineEdit* box, DtmfCodeEntry& entry) {
    // a to d are the capital letters of the DTMF keypad; a code as stored is shown as it is.
    const QString text = box->text();
    const QString upper = text.toUpper();
    if (upper != text && !filling()) {
        const int cursor = box->cursorPosition();
        box->setText(upper); // stores through the change it makes
        box->setCursorPosition(cursor);
        return;
    }
    const std::string s = TrimFixed(Latin(text));
    entry.Len = static_cast<i16>(s.size());
    entry.Code = s;
}

void FrmDTMF::listCodeChanged(int i) {
    DocumentCopy& work = doc_.work;
    DtmfCodeEntry& entry = work.settings.Options.Dtmf.CodeList[static_cast<std::size_t>(i)];
    saveCode(text2_[static_cast<std::size_t>(i)], entry);
    if (filling())
        return;
    if (entry.Len == 0)
        ClearCodeReferences(work, i + 1);
    route(Refresh::DtmfCodes);
}

void FrmDTMF::saveIdCode() {
    QString t = text3_->text();
    bool digits = t.size() >= 3 && t.size() <= kIdWidth;
    for (QChar c : t)
        digits = digits && DigitChar(c);
    if (!digits)
        t = "000";
    if (t != text3_->text())
        text3_->setText(t);
    text3_->setModified(false);
    DtmfBlock& d = doc_.work.settings.Options.Dtmf;
    d.IdCodeLen = static_cast<i16>(t.size());
    d.IdCode = Latin(t);
}

void FrmDTMF::commitPendingEdit() {
    if (text3_->isModified())
        saveIdCode();
}

void FrmDTMF::closeEvent(QCloseEvent* e) {
    commitPendingEdit();
    EditorWindow::closeEvent(e);
}

} // namespace zt
