// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_opt_features.h"

#include "codec/vfo_tone.h"
#include "common/form_keys.h"
#include "common/signal_fields.h"
#include "common/text_guard.h"
#include "common/twips.h"
#include "common/window_buttons.h"
#include "model/channel_editor.h"
#include "model/fixed_text.h"
#include "model/radio_rules.h"
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
constexpr int kCheckBase = 100; // SaveOptFeat's id of Check1(i) is 100 + i

// Where a control sits: the common-settings switch at the top of the left column, the left
// column's lists, the VFO block (greyed while the common settings are off), or nowhere (filled
// and stored, never shown).
enum class Place { Switch, Left, Vfo, Hidden };
enum class Kind { List, Check };
// Stored value <-> shown entry.
enum class Conv {
    Index,      // the entry's position
    IndexPlus1, // the position + 1
    Times15,    // the position x 15 (seconds in steps of 15)
    CodeNumber, // the entry's text, a DTMF code number; the first entry ("OFF") is 0
    TipNumber,  // the entry's text, a tone tip number; the first entry is 0
};
// When a control may be used (besides its place).
enum class Rule {
    Always,
    Vox,        // while VOX is on
    DecodeTone, // while the VFO has a decode tone
    RepUnlocked // while the repeater offset is not locked
};

struct EntryContext {
    const TextOf& text;
    const SettingsRecord& settings;
    QStringList texts(std::initializer_list<int> ids) const {
        QStringList out;
        for (int id : ids)
            out << text(id);
        return out;
    }
    QString off() const { return text(16040); }
};
using EntriesFn = QStringList (*)(const EntryContext&);

constexpr int kShared = -1; // caption: the signalling field's caption (common/signal_fields)

// One settings field of the window: its control (Combo1_<index> or Check1_<index>), where it
// sits, the stored field (of the feature block, or a column of the VFO channel), its caption,
// its list's entries (nullptr: the signalling field's), the conversion and the enable rule.
struct OptField {
    int index;
    Kind kind;
    Place place;
    i16 FeatureBlock::*feature;
    int vfoColumn;
    int captionId;
    EntriesFn entries;
    Conv conv = Conv::Index;
    Rule rule = Rule::Always;
};

using FB = FeatureBlock;
constexpr Kind L = Kind::List;
constexpr Kind C = Kind::Check;

QStringList VfoTones(const EntryContext& c) {
    QStringList tones;
    for (const std::string& t : VfoToneList())
        tones << QString::fromStdString(t);
    tones[0] = c.text(15030);
    return tones;
}
QStringList Codes(const EntryContext& c) {
    return DtmfCodeEntries(c.settings.Options.Dtmf, c.text(14013));
}

// The window's fields, one line each, in the order of the screen (which is also the order of
// Tab and Enter, and of filling).
const OptField kFields[] = {
    {7, C, Place::Switch, &FB::PublicData, 0, 16027, nullptr},
    {4, L, Place::Left, &FB::TotTime, 0, 16005,
     [](const EntryContext& c) { return QStringList{c.off()} + NumberEntries(15, 600, 15); }, Conv::Times15},
    {12, L, Place::Left, &FB::DisplayMode, 0, 16013,
     [](const EntryContext& c) {
         return c.texts({16040, 16041, 16049});
     }},
    {13, L, Place::Left, &FB::BacklightColor, 0, 16014,
     [](const EntryContext& c) {
         return c.texts({16050, 16051, 16052, 16053, 16054, 16055, 16056, 16057});
     }},
    {14, L, Place::Left, &FB::ScanMode, 0, 16500,
     [](const EntryContext& c) {
         return c.texts({16058, 16059});
     }},
    {15, L, Place::Left, &FB::ScanResumeTime, 0, 16501,
     [](const EntryContext&) { return NumberEntries(5, 60, 5); }},
    {38, L, Place::Left, &FB::Beep, 0, 16026,
     [](const EntryContext& c) {
         return c.texts({16040, 16041});
     }},
    {39, L, Place::Left, &FB::FreqEditable, 0, 16028,
     [](const EntryContext& c) {
         return c.texts({16040, 16041});
     }},
    {0, L, Place::Hidden, &FB::SquelchLevel, 0, 16001,
     [](const EntryContext&) { return NumberEntries(0, 9, 1); }},
    {1, L, Place::Hidden, &FB::VoicePrompt, 0, 16002,
     [](const EntryContext& c) {
         return c.texts({16042, 16043});
     },
     Conv::IndexPlus1},
    {11, L, Place::Hidden, &FB::VoiceVolume, 0, 16012,
     [](const EntryContext&) { return NumberEntries(1, 5, 1); }, Conv::IndexPlus1},
    {2, L, Place::Hidden, &FB::TailElimMode, 0, 16003,
     [](const EntryContext& c) {
         return c.texts({16300, 16301, 16044, 16045});
     }},
    {3, L, Place::Hidden, &FB::BatterySave, 0, 16004,
     [](const EntryContext& c) {
         return c.texts({16040, 16046, 16047, 16048});
     }},
    {5, L, Place::Hidden, &FB::TotPreAlert, 0, 16006,
     [](const EntryContext& c) { return QStringList{c.off()} + NumberEntries(1, 10, 1); }},
    {6, L, Place::Hidden, &FB::TotRekeyTime, 0, 16007,
     [](const EntryContext&) { return NumberEntries(0, 60, 1); }},
    {7, L, Place::Hidden, &FB::TotResetTime, 0, 16008,
     [](const EntryContext&) { return NumberEntries(0, 30, 1); }},
    {8, L, Place::Hidden, &FB::VoxLevel, 0, 16009,
     [](const EntryContext& c) { return QStringList{c.off()} + NumberEntries(1, 6, 1); }, Conv::Index,
     Rule::Vox},
    {9, L, Place::Hidden, &FB::VoxDelay, 0, 16010,
     [](const EntryContext&) {
         QStringList delays;
         for (int i = 1; i <= 10; ++i)
             delays << QString::number(i * 0.5, 'f', 1);
         return delays;
     },
     Conv::Index, Rule::Vox},
    {0, C, Place::Hidden, &FB::Vox, 0, 16020, nullptr},
    {1, C, Place::Hidden, &FB::VoxTone, 0, 16021, nullptr, Conv::Index, Rule::Vox},
    {2, C, Place::Hidden, &FB::ChannelLock, 0, 16022, nullptr},
    {3, C, Place::Hidden, &FB::GroupSelect, 0, 16023, nullptr},
    {4, C, Place::Hidden, &FB::WiredClone, 0, 16024, nullptr},
    {5, C, Place::Hidden, &FB::TailElimNoSig, 0, 16025, nullptr},
    // The VFO's signalling settings (the same fields as a channel's).
    {29, L, Place::Vfo, nullptr, col::DecodeTone, kShared, VfoTones},
    {30, L, Place::Vfo, nullptr, col::EncodeTone, kShared, VfoTones},
    {31, L, Place::Vfo, nullptr, col::BusyLock, kShared,
     [](const EntryContext& c) { return BusyLockEntries(c.text, false); }},
    {32, L, Place::Vfo, nullptr, col::PttIdBot, kShared, Codes, Conv::CodeNumber},
    {33, L, Place::Vfo, nullptr, col::PttIdEot, kShared, Codes, Conv::CodeNumber},
    {34, L, Place::Vfo, nullptr, col::CallCode, kShared, Codes, Conv::CodeNumber},
    {35, L, Place::Vfo, nullptr, col::RogerBeep, kShared,
     [](const EntryContext& c) { return ToneTipEntries(c.settings, c.text); }, Conv::TipNumber},
    {36, L, Place::Vfo, nullptr, col::SquelchMode, kShared, nullptr, Conv::Index, Rule::DecodeTone},
    {40, L, Place::Vfo, nullptr, col::Tsq, kShared, nullptr},
    {37, L, Place::Vfo, nullptr, col::Rep, kShared, nullptr, Conv::Index, Rule::RepUnlocked},
    {14, C, Place::Vfo, nullptr, col::RepLock, 0, nullptr}, // captioned "Rep Lock" in this window
    {8, C, Place::Vfo, nullptr, col::RxExpander, kShared, nullptr},
    {9, C, Place::Vfo, nullptr, col::TxCompressor, kShared, nullptr},
    {10, C, Place::Vfo, nullptr, col::NbAnl, kShared, nullptr},
    {11, C, Place::Vfo, nullptr, col::Att, kShared, nullptr},
    {12, C, Place::Vfo, nullptr, col::HiCut, kShared, nullptr},
};

const OptField* FindField(Kind kind, int index) {
    for (const OptField& f : kFields)
        if (f.kind == kind && f.index == index)
            return &f;
    return nullptr;
}

i16* Stored(const OptField& f, FeatureBlock& block) {
    return f.feature != nullptr ? &(block.*f.feature) : ChannelField(block.VfoChannel, f.vfoColumn);
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

    // Left column: the power-on text, then the fields.
    label2_ = new QLabel(frame1_);
    label2_->setObjectName("Label2");
    for (int i = 0; i < kPowerOnChars; ++i) {
        auto* t = new QLineEdit(frame1_);
        t->setObjectName(QString("Text1_%1").arg(i));
        t->setMaxLength(1);
        t->setAlignment(Qt::AlignCenter);
        // What the record holds is shown as it is; what is typed must be a letter or a digit.
        GuardTextBox(t, [this](QChar c) { return filling() || PowerOnChar(c); });
        SwallowClipboardKeys(t);
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

    int leftRow = 0;
    int vfoListRow = 0;
    int vfoCheck = 0;
    for (const OptField& f : kFields) {
        QWidget* parentBox = f.place == Place::Vfo ? frame3_ : frame1_;
        QWidget* control = nullptr;
        if (f.kind == Kind::List) {
            auto* c = new BoundList(parentBox);
            c->setObjectName(QString("Combo1_%1").arg(f.index));
            // A VFO tone typed or stepped to is stored once the list is left: the tone on the
            // way must not be taken for the other tone.
            c->setChosenOnLeave(f.vfoColumn == col::DecodeTone || f.vfoColumn == col::EncodeTone);
            label1_[static_cast<std::size_t>(f.index)] = new QLabel(parentBox);
            c->onPick([this, i = f.index, decode = f.vfoColumn == col::DecodeTone](int) {
                SaveOptFeat(i);
                if (decode)
                    decodeRule();
            });
            combo1_[static_cast<std::size_t>(f.index)] = c;
            control = c;
        } else {
            auto* c = new QCheckBox(parentBox);
            c->setObjectName(QString("Check1_%1").arg(f.index));
            connect(c, &QCheckBox::clicked, this, [this, i = f.index, common = f.place == Place::Switch] {
                SaveOptFeat(kCheckBase + i);
                // Switching the common settings on opens the whole VFO block; the repeater lock
                // applies again with the next change stored.
                applyRules(!common);
            });
            check1_[static_cast<std::size_t>(f.index)] = c;
            control = c;
        }
        switch (f.place) {
        case Place::Switch:
            SetGeometryTw(control, 240, 900, 3950, 330);
            break;
        case Place::Left:
            SetGeometryTw(control, 2450, 1450 + leftRow++ * 460, 1750, 330);
            break;
        case Place::Vfo:
            if (f.kind == Kind::List) {
                SetGeometryTw(control, 2200, 300 + vfoListRow++ * 420, 2070, 330);
            } else {
                // The VFO's switches, two to a row.
                SetGeometryTw(control, 200 + (vfoCheck % 2) * 2100, 4560 + (vfoCheck / 2) * 380, 2050, 330);
                ++vfoCheck;
            }
            break;
        case Place::Hidden:
            control->hide();
            if (f.kind == Kind::List)
                label1_[static_cast<std::size_t>(f.index)]->hide();
            break;
        }
    }

    cmdClose_ = WindowButtons::CloseAtTw(this, 7820, 6180).close;

    FocusChain::FollowTabOrder(this);
    loadWindow();
}

void FrmOptFeatures::retranslate() {
    setWindowTitle(T(16000));
    const TextOf text = [this](int id) { return T(id); };
    const EntryContext context{text, doc_.work.settings};
    for (const OptField& f : kFields) {
        QString caption;
        if (f.captionId == kShared)
            caption = SignalCaption(f.vfoColumn, text);
        else if (f.captionId != 0)
            caption = T(f.captionId);
        else if (f.vfoColumn == col::RepLock)
            caption = "Rep Lock";
        if (f.kind == Kind::Check) {
            Check1(f.index)->setText(caption);
            continue;
        }
        Label1(f.index)->setText(caption);
        Combo1(f.index)->setEntries(f.entries != nullptr ? f.entries(context)
                                                         : SignalEntries(f.vfoColumn, text));
    }
    label2_->setText(T(16100));
    cmdClose_->setText(T(9023));
    placeLabels();
}

void FrmOptFeatures::placeLabels() {
    for (std::size_t i = 0; i < label1_.size(); ++i)
        if (label1_[i] != nullptr)
            PlaceCaption(label1_[i], combo1_[i]);
    PlaceCaption(label2_, Text1(kFirstShownChar));
}

void FrmOptFeatures::loadFromDocument() {
    FeatureBlock opened = doc_.work.settings.Options.Features; // the record as it was at opening
    const ChannelRecord& live = doc_.work.settings.Options.Features.VfoChannel;
    for (const OptField& f : kFields) {
        const int stored = *Stored(f, opened);
        if (f.kind == Kind::Check) {
            // Anything but 1 is stored back as 0.
            Check1(f.index)->setChecked(stored == 1);
            SaveOptFeat(kCheckBase + f.index);
            continue;
        }
        BoundList* list = Combo1(f.index);
        if (f.vfoColumn == col::BusyLock) {
            list->showValue(BusyLockForTone(static_cast<i16>(stored), live.DecodeTone));
            continue;
        }
        if (f.rule == Rule::DecodeTone) {
            // Without a decode tone the squelch opens on carrier only.
            list->setEnabled(live.DecodeTone != 0);
            list->showValue(live.DecodeTone == 0 ? 0 : stored);
            continue;
        }
        switch (f.conv) {
        case Conv::Index:
            list->showValue(stored);
            break;
        case Conv::IndexPlus1:
            list->showValue(stored - 1);
            break;
        case Conv::Times15:
            list->showValue(static_cast<int>(std::lround(stored / 15.0)));
            break;
        case Conv::CodeNumber:
            ShowText(list, QString::number(stored));
            break;
        case Conv::TipNumber:
            ShowRBOpt();
            break;
        }
    }
    showPowerOnText();
    // Last of the enabling steps (showing the power-on text stores it, which applies the lock):
    // every control of the common settings is enabled exactly when they are in use, the
    // repeater offset too; the lock applies again from the next change.
    applyRules(false);
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
    FeatureBlock& block = doc_.work.settings.Options.Features;
    const i16 freqEditable = block.FreqEditable;
    const bool check = id >= kCheckBase && id < kCheckBase + static_cast<int>(check1_.size());
    if (const OptField* f = check ? FindField(Kind::Check, id - kCheckBase) : FindField(Kind::List, id)) {
        i16* field = Stored(*f, block);
        if (check) {
            *field = Check1(f->index)->isChecked() ? 1 : 0;
        } else if (const int x = Combo1(id)->currentIndex(); x >= 0) {
            int value = x;
            switch (f->conv) {
            case Conv::Index:
                break;
            case Conv::IndexPlus1:
                value = x + 1;
                break;
            case Conv::Times15:
                value = x * 15;
                break;
            case Conv::CodeNumber:
            case Conv::TipNumber: {
                // The entries after the first are the numbers of codes or tone tips.
                bool ok = false;
                value = Combo1(id)->currentText().toInt(&ok);
                if (!ok || x == 0)
                    value = 0;
                break;
            }
            }
            *field = static_cast<i16>(value);
        }
    } else if (id == kPowerOnTextId) {
        std::string s;
        for (QLineEdit* t : text1_)
            s += t->text().isEmpty() ? ' ' : t->text().at(0).toLatin1();
        block.PowerOnText = s;
    }
    // A locked repeater offset cannot be changed.
    if (Check1(14)->isEnabled()) {
        const bool locked = block.VfoChannel.RepLock == 1;
        Combo1(37)->setEnabled(!locked);
        Label1(37)->setEnabled(!locked);
    }
    // Also while opening: a stored value without an entry that becomes 0 changes what the channel
    // windows allow.
    if (block.FreqEditable != freqEditable)
        route(Refresh::FreqEdit);
}

void FrmOptFeatures::applyRules(bool repLockRule) {
    const bool common = Check1(7)->isChecked();
    const bool vox = Check1(0)->isChecked();
    const bool decodeTone = Combo1(29)->currentIndex() > 0;
    const bool repUnlocked = doc_.work.settings.Options.Features.VfoChannel.RepLock != 1;
    frame3_->setEnabled(common);
    for (const OptField& f : kFields) {
        if (f.place == Place::Switch)
            continue;
        bool ruleAllows = true;
        switch (f.rule) {
        case Rule::Always:
            break;
        case Rule::Vox:
            ruleAllows = vox;
            break;
        case Rule::DecodeTone:
            ruleAllows = decodeTone;
            break;
        case Rule::RepUnlocked:
            ruleAllows = repUnlocked || !repLockRule;
            break;
        }
        const bool placeAllows = f.place != Place::Vfo || common;
        QWidget* control = f.kind == Kind::List ? static_cast<QWidget*>(Combo1(f.index)) : Check1(f.index);
        control->setEnabled(placeAllows && ruleAllows);
        // A caption greys with its place, and with the repeater lock.
        if (f.kind == Kind::List && f.place == Place::Vfo)
            Label1(f.index)->setEnabled(placeAllows && (f.rule != Rule::RepUnlocked || ruleAllows));
    }
}

void FrmOptFeatures::fillBusyLock(bool withTone) {
    BoundList* b = Combo1(31);
    if (b->count() == (withTone ? 3 : 2))
        return;
    int shown = b->currentIndex();
    b->setEntries(BusyLockEntries([this](int id) { return T(id); }, withTone));
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
    const QStringList entries = ToneTipEntries(s, [this](int id) { return T(id); });
    BoundList* rb = Combo1(35);
    rb->setEntries(entries);
    ShowText(rb, stored >= 1 && stored <= kToneTipCount ? QString::number(stored) : entries[0]);
}

void FrmOptFeatures::FillCodeLists() {
    const QStringList codes = DtmfCodeEntries(doc_.work.settings.Options.Dtmf, T(14013));
    for (const OptField& f : kFields)
        if (f.conv == Conv::CodeNumber)
            RefillCodeList(Combo1(f.index), codes);
}

void FrmOptFeatures::refresh(Refresh what) {
    if (what == Refresh::DtmfCodes)
        FillCodeLists();
    else if (what == Refresh::ToneTips)
        ShowRBOpt();
}

} // namespace zt
