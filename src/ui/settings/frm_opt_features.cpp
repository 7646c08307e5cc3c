#include "settings/frm_opt_features.h"

#include "app/twips.h"
#include "codec/vfo_tone.h"
#include "common/text_guard.h"
#include "model/fixed_text.h"
#include "model/tone_tips.h"
#include "settings/settings_common.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace zt {

namespace {

constexpr int kPowerOnChars = 16;
constexpr int kFirstShownChar = 8;

// The lists the window shows, in the order of the screen.
constexpr std::array<int, 7> kLeftLists = {4, 12, 13, 14, 15, 38, 39};
constexpr std::array<int, 10> kVfoLists = {29, 30, 31, 32, 33, 34, 35, 36, 40, 37};
// Lists and boxes the window fills and stores but never shows.
constexpr std::array<int, 10> kHiddenLists = {0, 1, 11, 2, 3, 5, 6, 7, 8, 9};
constexpr std::array<int, 6> kHiddenChecks = {0, 1, 2, 3, 4, 5};
// The VFO's switches, two to a row.
constexpr std::array<int, 6> kVfoChecks = {14, 8, 9, 10, 11, 12};

int LabelId(int i) {
    if (i <= 13)
        return 16001 + i;
    if (i <= 28)
        return 16486 + i;
    constexpr std::array<int, 12> ids = {15005, 15006, 15011, 15037, 15038, 15013,
                                         15200, 15201, 15205, 16026, 16028, 15023};
    return ids[static_cast<std::size_t>(i - 29)];
}

bool PowerOnChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

} // namespace

FrmOptFeatures::FrmOptFeatures(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    frame1_ = new QGroupBox(this);
    frame1_->setObjectName("Frame1");
    SetGeometryTw(frame1_, 120, 60, 8900, 6000);
    frame3_ = new QGroupBox(frame1_);
    frame3_->setObjectName("Frame3");
    SetGeometryTw(frame3_, 4350, 150, 4420, 5700);

    auto makeList = [this](int i, QWidget* parent) {
        auto* c = new BoundList(parent);
        c->setObjectName(QString("Combo1_%1").arg(i));
        label1_[static_cast<std::size_t>(i)] = new QLabel(parent);
        c->onPick([this, i](int) {
            SaveOptFeat(i);
            if (i == 29)
                decodeRule();
        });
        combo1_[static_cast<std::size_t>(i)] = c;
        return c;
    };
    auto makeCheck = [this](int i, QWidget* parent) {
        auto* c = new QCheckBox(parent);
        c->setObjectName(QString("Check1_%1").arg(i));
        connect(c, &QCheckBox::clicked, this, [this, i] {
            SaveOptFeat(100 + i);
            if (i == 0)
                vfoRules();
            if (i == 7)
                EnablePublic(Check1(7)->isChecked());
        });
        check1_[static_cast<std::size_t>(i)] = c;
        return c;
    };

    // Left column: the power-on text, the common-settings switch, the radio-wide lists.
    label2_ = new QLabel(frame1_);
    label2_->setObjectName("Label2");
    for (int i = 0; i < kPowerOnChars; ++i) {
        auto* t = new QLineEdit(frame1_);
        t->setObjectName(QString("Text1_%1").arg(i));
        t->setMaxLength(1);
        t->setAlignment(Qt::AlignCenter);
        // What the record holds is shown as it is; what is typed must be a letter or a digit.
        GuardTextBox(t, [this](QChar c) { return filling() || PowerOnChar(c); });
        SelectAllOnFocus(t);
        connect(t, &QLineEdit::textChanged, this, [this] { SaveOptFeat(kPowerOnTextId); });
        connect(t, &QLineEdit::textEdited, this, [this, i](const QString& s) {
            if (s.isEmpty())
                return;
            if (i < kPowerOnChars - 1)
                Text1(i + 1)->setFocus(Qt::TabFocusReason);
            else
                Combo1(4)->setFocus(Qt::TabFocusReason);
        });
        text1_[static_cast<std::size_t>(i)] = t;
        if (i < kFirstShownChar)
            t->hide();
        else
            SetGeometryTw(t, 1600 + (i - kFirstShownChar) * 320, 400, 290, 330);
    }
    SetGeometryTw(makeCheck(7, frame1_), 240, 900, 3950, 330);
    for (std::size_t r = 0; r < kLeftLists.size(); ++r)
        SetGeometryTw(makeList(kLeftLists[r], frame1_), 2450, 1450 + static_cast<int>(r) * 460, 1750, 330);
    for (int i : kHiddenLists) {
        makeList(i, frame1_)->hide();
        label1_[static_cast<std::size_t>(i)]->hide();
    }
    for (int i : kHiddenChecks)
        makeCheck(i, frame1_)->hide();

    // Right column: the VFO's signalling settings.
    for (std::size_t r = 0; r < kVfoLists.size(); ++r)
        SetGeometryTw(makeList(kVfoLists[r], frame3_), 2200, 300 + static_cast<int>(r) * 420, 2070, 330);
    for (std::size_t k = 0; k < kVfoChecks.size(); ++k)
        SetGeometryTw(makeCheck(kVfoChecks[k], frame3_), 200 + static_cast<int>(k % 2) * 2100,
                      4560 + static_cast<int>(k / 2) * 380, 2050, 330);

    cmdClose_ = AddCloseButton(this, 7820, 6180);

    EnterMovesOn(this);
    loadWindow();
}

void FrmOptFeatures::retranslate() {
    setWindowTitle(T(16000));
    for (std::size_t i = 0; i < label1_.size(); ++i)
        if (label1_[i] != nullptr)
            label1_[i]->setText(T(LabelId(static_cast<int>(i))));
    for (std::size_t i = 0; i < check1_.size(); ++i) {
        if (check1_[i] == nullptr)
            continue;
        const int k = static_cast<int>(i);
        check1_[i]->setText(k <= 7 ? T(16020 + k) : (k <= 12 ? T(15292 + k) : QString("Rep Lock")));
    }
    label2_->setText(T(16100));
    cmdClose_->setText(T(9023));

    auto texts = [this](std::initializer_list<int> ids) {
        QStringList out;
        for (int id : ids)
            out << T(id);
        return out;
    };
    const QString off = T(16040);
    Combo1(0)->setEntries(NumberEntries(0, 9, 1));
    Combo1(1)->setEntries(texts({16042, 16043}));
    Combo1(11)->setEntries(NumberEntries(1, 5, 1));
    Combo1(2)->setEntries(texts({16300, 16301, 16044, 16045}));
    Combo1(3)->setEntries(texts({16040, 16046, 16047, 16048}));
    Combo1(4)->setEntries(QStringList{off} + NumberEntries(15, 600, 15));
    Combo1(5)->setEntries(QStringList{off} + NumberEntries(1, 10, 1));
    Combo1(6)->setEntries(NumberEntries(0, 60, 1));
    Combo1(7)->setEntries(NumberEntries(0, 30, 1));
    Combo1(8)->setEntries(QStringList{off} + NumberEntries(1, 6, 1));
    QStringList delays;
    for (int i = 1; i <= 10; ++i)
        delays << QString::number(i * 0.5, 'f', 1);
    Combo1(9)->setEntries(delays);
    Combo1(12)->setEntries(texts({16040, 16041, 16049}));
    Combo1(13)->setEntries(texts({16050, 16051, 16052, 16053, 16054, 16055, 16056, 16057}));
    Combo1(14)->setEntries(texts({16058, 16059}));
    Combo1(15)->setEntries(NumberEntries(5, 60, 5));
    QStringList tones;
    for (const std::string& t : VfoToneList())
        tones << QString::fromStdString(t);
    tones[0] = T(15030);
    Combo1(29)->setEntries(tones);
    Combo1(30)->setEntries(tones);
    Combo1(31)->setEntries(texts({15030, 15031}));
    const QStringList codes = DtmfCodeEntries(doc_.work.settings.Options.Dtmf, T(14013));
    for (int i : {32, 33, 34})
        Combo1(i)->setEntries(codes);
    Combo1(35)->setEntries({T(15030)});
    Combo1(36)->setEntries(texts({15031, 15032}));
    Combo1(37)->setEntries({T(15030), "+100K", "-100K"});
    Combo1(38)->setEntries(texts({16040, 16041}));
    Combo1(39)->setEntries(texts({16040, 16041}));
    Combo1(40)->setEntries(texts({15052, 15053}));
    placeLabels();
}

void FrmOptFeatures::placeLabels() {
    for (std::size_t i = 0; i < label1_.size(); ++i)
        if (label1_[i] != nullptr)
            PlaceCaption(label1_[i], combo1_[i]);
    PlaceCaption(label2_, Text1(kFirstShownChar));
}

void FrmOptFeatures::loadFromDocument() {
    const FeatureBlock c = doc_.work.settings.Options.Features; // the record as it was at opening
    const ChannelRecord& v = c.VfoChannel;
    const ChannelRecord& live = doc_.work.settings.Options.Features.VfoChannel;
    Combo1(0)->showValue(c.SquelchLevel);
    Combo1(1)->showValue(c.VoicePrompt - 1);
    Combo1(11)->showValue(c.VoiceVolume - 1);
    Combo1(2)->showValue(c.TailElimMode);
    Combo1(3)->showValue(c.BatterySave);
    Combo1(4)->showValue(static_cast<int>(std::lround(c.TotTime / 15.0)));
    for (auto [i, value] : {std::pair<int, int>{5, c.TotPreAlert},
                            {6, c.TotRekeyTime},
                            {7, c.TotResetTime},
                            {8, c.VoxLevel},
                            {9, c.VoxDelay},
                            {12, c.DisplayMode},
                            {13, c.BacklightColor},
                            {14, c.ScanMode},
                            {15, c.ScanResumeTime},
                            {29, v.DecodeTone},
                            {30, v.EncodeTone}})
        Combo1(i)->showValue(value);
    // A busy lock on a wrong tone needs a decode tone: without one it becomes a lock on carrier.
    Combo1(31)->showValue(live.DecodeTone == 0 && v.BusyLock == 2 ? 1 : v.BusyLock);
    ShowText(Combo1(32), QString::number(v.PttIdBot));
    ShowText(Combo1(33), QString::number(v.PttIdEot));
    ShowText(Combo1(34), QString::number(v.CallCode));
    ShowRBOpt();
    // Without a decode tone the squelch opens on carrier only.
    Combo1(36)->setEnabled(live.DecodeTone != 0);
    Combo1(36)->showValue(live.DecodeTone == 0 ? 0 : v.SquelchMode);
    Combo1(37)->showValue(v.Rep);
    Combo1(40)->showValue(v.Tsq);
    const std::array<i16, 6> hiddenChecks = {c.Vox,         c.VoxTone,    c.ChannelLock,
                                             c.GroupSelect, c.WiredClone, c.TailElimNoSig};
    auto showCheck = [this](int i, i16 value) {
        Check1(i)->setChecked(value == 1);
        SaveOptFeat(100 + i);
    };
    for (std::size_t i = 0; i < hiddenChecks.size(); ++i)
        showCheck(static_cast<int>(i), hiddenChecks[i]);
    Combo1(38)->showValue(c.Beep);
    showCheck(7, c.PublicData);
    showCheck(8, v.RxExpander);
    showCheck(9, v.TxCompressor);
    showCheck(10, v.NbAnl);
    showCheck(11, v.Att);
    showCheck(12, v.HiCut);
    showCheck(14, v.RepLock);
    Combo1(39)->showValue(c.FreqEditable);
    vfoRules();
    EnablePublic(Check1(7)->isChecked());
    showPowerOnText();
}

void FrmOptFeatures::showPowerOnText() {
    std::string s = doc_.work.settings.Options.Features.PowerOnText.trimmed();
    s.resize(kPowerOnChars, ' ');
    for (int i = 0; i < kPowerOnChars; ++i) {
        const char ch = s[static_cast<std::size_t>(i)];
        Text1(i)->setText(ch == ' ' ? QString() : QString(QChar::fromLatin1(ch)));
    }
}

void FrmOptFeatures::SaveOptFeat(int id) {
    FeatureBlock& f = doc_.work.settings.Options.Features;
    ChannelRecord& v = f.VfoChannel;
    auto comboField = [&f, &v](int i) -> i16* {
        switch (i) {
        case 0:
            return &f.SquelchLevel;
        case 1:
            return &f.VoicePrompt;
        case 2:
            return &f.TailElimMode;
        case 3:
            return &f.BatterySave;
        case 4:
            return &f.TotTime;
        case 5:
            return &f.TotPreAlert;
        case 6:
            return &f.TotRekeyTime;
        case 7:
            return &f.TotResetTime;
        case 8:
            return &f.VoxLevel;
        case 9:
            return &f.VoxDelay;
        case 11:
            return &f.VoiceVolume;
        case 12:
            return &f.DisplayMode;
        case 13:
            return &f.BacklightColor;
        case 14:
            return &f.ScanMode;
        case 15:
            return &f.ScanResumeTime;
        case 29:
            return &v.DecodeTone;
        case 30:
            return &v.EncodeTone;
        case 31:
            return &v.BusyLock;
        case 32:
            return &v.PttIdBot;
        case 33:
            return &v.PttIdEot;
        case 34:
            return &v.CallCode;
        case 35:
            return &v.RogerBeep;
        case 36:
            return &v.SquelchMode;
        case 37:
            return &v.Rep;
        case 38:
            return &f.Beep;
        case 39:
            return &f.FreqEditable;
        case 40:
            return &v.Tsq;
        default:
            return nullptr;
        }
    };
    auto checkField = [&f, &v](int i) -> i16* {
        switch (i) {
        case 0:
            return &f.Vox;
        case 1:
            return &f.VoxTone;
        case 2:
            return &f.ChannelLock;
        case 3:
            return &f.GroupSelect;
        case 4:
            return &f.WiredClone;
        case 5:
            return &f.TailElimNoSig;
        case 7:
            return &f.PublicData;
        case 8:
            return &v.RxExpander;
        case 9:
            return &v.TxCompressor;
        case 10:
            return &v.NbAnl;
        case 11:
            return &v.Att;
        case 12:
            return &v.HiCut;
        case 14:
            return &v.RepLock;
        default:
            return nullptr;
        }
    };
    const i16 freqEditable = f.FreqEditable;
    if (i16* field = id >= 0 && id <= 40 ? comboField(id) : nullptr) {
        const BoundList* c = Combo1(id);
        const int x = c->currentIndex();
        if (x >= 0) {
            int value = x;
            if (id == 1 || id == 11)
                value = x + 1;
            else if (id == 4)
                value = x * 15;
            else if (id >= 32 && id <= 35) {
                // The entries after the first are the numbers of codes or tone tips.
                bool ok = false;
                value = c->currentText().toInt(&ok);
                if (!ok || x == 0)
                    value = 0;
            }
            *field = static_cast<i16>(value);
        }
    } else if (i16* check = id >= 100 && id <= 114 ? checkField(id - 100) : nullptr) {
        *check = Check1(id - 100)->isChecked() ? 1 : 0;
    } else if (id == kPowerOnTextId) {
        std::string s;
        for (QLineEdit* t : text1_)
            s += t->text().isEmpty() ? ' ' : t->text().at(0).toLatin1();
        f.PowerOnText = s;
    }
    // A locked repeater offset cannot be changed.
    if (Check1(14)->isEnabled()) {
        const bool locked = v.RepLock == 1;
        Combo1(37)->setEnabled(!locked);
        Label1(37)->setEnabled(!locked);
    }
    // Also while opening: a stored value without an entry that becomes 0 changes what the channel
    // windows allow.
    if (f.FreqEditable != freqEditable)
        route(Refresh::FreqEdit);
}

void FrmOptFeatures::EnablePublic(bool enable) {
    frame3_->setEnabled(enable);
    for (QWidget* w : frame3_->findChildren<QWidget*>())
        w->setEnabled(enable);
    // The squelch mode follows a decode tone, whatever the common settings say.
    if (enable)
        Combo1(36)->setEnabled(Combo1(29)->currentIndex() > 0);
}

void FrmOptFeatures::vfoRules() {
    const bool vox = Check1(0)->isChecked();
    Check1(1)->setEnabled(vox);
    Combo1(8)->setEnabled(vox);
    Combo1(9)->setEnabled(vox);
}

void FrmOptFeatures::fillBusyLock(bool withTone) {
    BoundList* b = Combo1(31);
    if (b->count() == (withTone ? 3 : 2))
        return;
    int shown = b->currentIndex();
    QStringList entries{T(15030), T(15031)};
    if (withTone)
        entries << T(15032);
    b->setEntries(entries);
    if (shown < 0)
        return;
    // Losing the decode tone turns a lock on a wrong tone into a lock on carrier.
    if (!withTone && shown == 2)
        shown = 1;
    b->showValue(shown);
}

void FrmOptFeatures::decodeRule() {
    BoundList* decode = Combo1(29);
    BoundList* squelch = Combo1(36);
    if (decode->currentIndex() > 0) {
        squelch->setEnabled(decode->isEnabled());
        fillBusyLock(true);
        return;
    }
    squelch->setEnabled(false);
    if (squelch->currentIndex() > 0)
        squelch->showValue(0);
    fillBusyLock(false);
}

void FrmOptFeatures::ShowRBOpt() {
    const SettingsRecord& s = doc_.work.settings;
    const int stored = s.Options.Features.VfoChannel.RogerBeep;
    QStringList entries{T(15030)};
    for (int n = 1; n <= kToneTipCount; ++n)
        if (ToneDefined(s, n) != 0)
            entries << QString::number(n);
    BoundList* rb = Combo1(35);
    rb->setEntries(entries);
    ShowText(rb, stored >= 1 && stored <= kToneTipCount ? QString::number(stored) : entries[0]);
}

void FrmOptFeatures::FillCodeLists() {
    const QStringList codes = DtmfCodeEntries(doc_.work.settings.Options.Dtmf, T(14013));
    for (int i : {32, 33, 34})
        RefillCodeList(Combo1(i), codes);
}

void FrmOptFeatures::refresh(Refresh what) {
    if (what == Refresh::DtmfCodes)
        FillCodeLists();
    else if (what == Refresh::ToneTips)
        ShowRBOpt();
}

} // namespace zt
