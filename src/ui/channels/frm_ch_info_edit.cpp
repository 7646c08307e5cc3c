// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/frm_ch_info_edit.h"

#include "channels/frm_comm_ch_info.h"
#include "codec/freq.h"
#include "codec/numbers.h"
#include "codec/tone.h"
#include "common/child_window.h"
#include "common/choice_list.h"
#include "common/signal_fields.h"
#include "common/text_guard.h"
#include "common/twips.h"
#include "common/wheel_guard.h"
#include "model/channel_editor.h"
#include "model/channel_table.h"
#include "settings/settings_common.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

namespace zt {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// One line per field. The lists Combo2(0..18) and the switches Check1(0..15), in control order:
// the channel field (column id), the caption (kShared: the signalling field's caption, from
// common/signal_fields), whether the window shows it, and a list's own entries (text ids; none:
// the signalling field's entries, or a list filled from the document).
constexpr int kShared = 0;
struct ListField {
    int column;
    int captionId;
    bool shown;
    std::array<int, 4> texts;
};
constexpr std::array<ListField, FrmCHInfoEdit::kCombo2Count> kLists = {{
    {col::DecodeTone, kShared, true, {}},
    {col::EncodeTone, kShared, true, {}},
    {col::Power, 15007, false, {15044, 15045, 15046}},
    {col::OptSignal, 15008, false, {15030, 15043}},
    {col::PttIdMode, 15009, false, {15030, 15037, 15038, 15039}},
    {col::Spacing, 15010, false, {15040, 15041, 15042}},
    {col::BusyLock, kShared, true, {}},
    {col::ScrambleTalkaround, 15012, false, {15034, 15035}},
    {col::PttIdBot, kShared, true, {}},
    {col::SignalRelation, 15022, false, {15050, 15051}},
    {col::PttIdEot, kShared, true, {}},
    {col::RogerBeep, kShared, true, {}},
    {col::SquelchMode, kShared, false, {}},
    {col::Mode, 15202, true, {15500, 15501}},
    {col::AmPower, 15203, false, {15502, 15503}},
    {col::FmPower, 15204, false, {15504, 15505}},
    {col::CallCode, kShared, true, {}},
    {col::Rep, kShared, true, {}}, // captioned "Rep" in this window
    {col::Tsq, kShared, true, {}},
}};
struct CheckField {
    int column;
    int captionId;
    bool shown;
};
constexpr std::array<CheckField, FrmCHInfoEdit::kCheckCount> kChecks = {{
    {col::ScanSkip, 15014, true},
    {col::VoiceEncrypt, 15015, false},
    {col::TxInhibit, 15016, false},
    {col::Talkaround, 15017, false},
    {col::Scrambler, 15018, false},
    {col::Whisper, 15019, false},
    {col::Compander, 15020, false},
    {col::RxExpander, kShared, true},
    {col::TxCompressor, kShared, true},
    {col::NbAnl, kShared, true},
    {col::Att, kShared, true},
    {col::HiCut, kShared, true},
    {col::ModeLock, 15400, false},
    {col::AmPowerLock, 15401, false},
    {col::FmPowerLock, 15402, false},
    {col::RepLock, kShared, true},
}};

int ListColumn(int k) {
    return kLists[static_cast<std::size_t>(k)].column;
}
int CheckColumn(int k) {
    return kChecks[static_cast<std::size_t>(k)].column;
}

std::vector<QString> List(const QStringList& entries) {
    return {entries.begin(), entries.end()};
}

// Entry v of a list, the first entry when v has none.
void Select(QComboBox* c, int v) {
    const QSignalBlocker block(c);
    c->setCurrentIndex(v >= 0 && v < c->count() ? v : (c->count() > 0 ? 0 : -1));
}

void SelectText(QComboBox* c, const QString& t) {
    const QSignalBlocker block(c);
    const int i = c->findText(t);
    c->setCurrentIndex(i >= 0 ? i : (c->count() > 0 ? 0 : -1));
}

} // namespace

FrmCHInfoEdit::FrmCHInfoEdit(ChannelEditor& ed, QWidget* parent)
    : EditorWindow(ed.app, ed.doc, ed.router, kName, parent), ed_(ed) {
    WandToSave = true;
    auto combo = [this](const QString& name) {
        auto* c = new ChoiceList(this);
        c->setObjectName(name);
        c->installEventFilter(this);
        return c;
    };
    auto box = [this](const QString& name, int maxLen) {
        auto* t = new QLineEdit(this);
        t->setObjectName(name);
        t->setMaxLength(maxLen);
        GuardTextBox(t);
        t->installEventFilter(this);
        return t;
    };
    combo4_ = combo("Combo4");
    combo1_ = combo("Combo1");
    text1_ = box("Text1", 9);
    text2_ = box("Text2", 9);
    // Frequencies only, also when pasted with the middle button; a sign only for an offset.
    GuardTextBox(text1_, FrequencyChars());
    GuardTextBox(text2_, FrequencyChars([this] { return ed_.TxAsOffset(); }));
    for (std::size_t i = 0; i < text3_.size(); ++i)
        text3_[i] = box(QString("Text3_%1").arg(i), 9);
    text4_ = box("Text4", 9);
    label4_ = new QLabel(this);
    label1_ = new QLabel(this);
    for (auto& l : label2_)
        l = new QLabel(this);
    for (int k = 0; k < kCombo2Count; ++k) {
        ChoiceList* list = combo(QString("Combo2_%1").arg(k));
        // A tone typed or stepped to is stored once the list is left (see the grid's tone list).
        const int column = kLists[static_cast<std::size_t>(k)].column;
        list->setChosenOnLeave(column == col::DecodeTone || column == col::EncodeTone);
        combo2_[static_cast<std::size_t>(k)] = list;
        label3_[static_cast<std::size_t>(k)] = new QLabel(this);
        connect(combo2_[static_cast<std::size_t>(k)], &QComboBox::currentIndexChanged, this,
                [this, k] { onCombo2(k); });
    }
    for (int k = 0; k < kCheckCount; ++k) {
        auto* c = new QCheckBox(this);
        c->setObjectName(QString("Check1_%1").arg(k));
        c->installEventFilter(this);
        connect(c, &QCheckBox::clicked, this, [this, k] { onCheck(k); });
        check1_[static_cast<std::size_t>(k)] = c;
    }
    combo3_ = new QComboBox(this);
    combo5_ = new QComboBox(this);
    cmdClose_ = new QPushButton(this);
    cmdClose_->setObjectName("CommandClose");
    connect(cmdClose_, &QPushButton::clicked, this, [this] { CloseChildWindow(this); });

    // Controls this model keeps nothing from, or that the radio does not use, stay hidden.
    text2_->hide();
    label2_[1]->hide();
    for (QLineEdit* t : text3_)
        t->hide();
    text4_->hide();
    label2_[2]->hide();
    label2_[3]->hide();
    for (int k = 0; k < kCombo2Count; ++k) {
        combo2_[static_cast<std::size_t>(k)]->setVisible(kLists[static_cast<std::size_t>(k)].shown);
        label3_[static_cast<std::size_t>(k)]->setVisible(kLists[static_cast<std::size_t>(k)].shown);
    }
    for (int k = 0; k < kCheckCount; ++k)
        check1_[static_cast<std::size_t>(k)]->setVisible(kChecks[static_cast<std::size_t>(k)].shown);
    combo3_->hide();
    combo5_->hide();

    for (int g = 0; g <= kVfoGroup; ++g)
        combo4_->addItem(QString::number(g));
    FillCodeLists();
    std::vector<QString> rb{Q(ed_.Text(15030))};
    for (int i = 1; i <= 8; ++i)
        rb.push_back(QString::number(i));
    FillList(combo5_, rb);
    setTexts();
    layoutControls();

    connect(combo4_, &QComboBox::currentIndexChanged, this, [this] { onPickerChanged(); });
    connect(combo1_, &QComboBox::currentIndexChanged, this, [this] { onPickerChanged(); });
    connect(text1_, &QLineEdit::editingFinished, this, [this] { onText1Left(); });
    connect(text2_, &QLineEdit::editingFinished, this, [this] { onText2Left(); });
    GuardWheelOnLists(this);

    ed_.EditWindowLoaded(this);
    SetGridEditData(true);
}

FrmCHInfoEdit::~FrmCHInfoEdit() {
    ed_.EditWindowUnloaded(this);
}

void FrmCHInfoEdit::FillCodeLists() {
    const std::vector<QString> codes =
        List(DtmfCodeEntries(ed_.doc.work.settings.Options.Dtmf, text()(14013)));
    // A rebuilt list keeps its shown code while the code is still in the list.
    for (int k : {8, 10, 16}) {
        QComboBox* c = combo2_[static_cast<std::size_t>(k)];
        const QString shown = c->currentText();
        FillList(c, codes);
        SelectText(c, shown);
    }
}

std::vector<QString> FrmCHInfoEdit::listEntries(int k) const {
    const ListField& f = kLists[static_cast<std::size_t>(k)];
    std::vector<QString> out;
    if (f.column == col::DecodeTone || f.column == col::EncodeTone) {
        out.push_back(Q(ed_.Text(15030)));
        const auto& tones = ToneList();
        for (std::size_t i = 1; i < tones.size(); ++i)
            out.push_back(Q(tones[i]));
        return out;
    }
    for (int id : f.texts)
        if (id != 0)
            out.push_back(Q(ed_.Text(id)));
    if (out.empty())
        for (const QString& e : SignalEntries(f.column, text()))
            out.push_back(e);
    return out;
}

void FrmCHInfoEdit::setTexts() {
    setWindowTitle(Q(ed_.Text(15000)));
    label4_->setText(Q(ed_.Text(15029)));
    label1_->setText(Q(ed_.Text(15001)));
    label2_[0]->setText(Q(ed_.Text(15002)));
    label2_[1]->setText(Q(ed_.Text(ed_.TxAsOffset() ? 15100 : 15003)));
    label2_[2]->setText(Q(ed_.Text(15004)));
    label2_[3]->setText(Q(ed_.Text(15021)));
    for (int k = 0; k < kCombo2Count; ++k) {
        const ListField& f = kLists[static_cast<std::size_t>(k)];
        label3_[static_cast<std::size_t>(k)]->setText(f.column == col::Rep ? QString("Rep")
                                                      : f.captionId == kShared
                                                          ? SignalCaption(f.column, text())
                                                          : text()(f.captionId));
    }
    for (int k = 0; k < kCheckCount; ++k) {
        const CheckField& f = kChecks[static_cast<std::size_t>(k)];
        check1_[static_cast<std::size_t>(k)]->setText(f.captionId == kShared ? SignalCaption(f.column, text())
                                                                             : text()(f.captionId));
    }
    cmdClose_->setText(Q(ed_.Text(15024)));
    FillList(combo3_, {Q(ed_.Text(15030)), Q(ed_.Text(15031)), Q(ed_.Text(15032)), Q(ed_.Text(15033))});
}

void FrmCHInfoEdit::layoutControls() {
    // Two columns of labelled controls; each label stands 100 twips left of its control, and a
    // column starts far enough right for its longest label.
    const int margin = Tw(150, this);
    const int gap = Tw(100, this);
    const int rowH = std::max(combo4_->sizeHint().height(), text1_->sizeHint().height());
    const int pitch = rowH + Tw(90, this);
    const int ctlW = Tw(1500, this);
    struct Item {
        QLabel* label;
        QWidget* control;
    };
    auto c2 = [this](int k) {
        return Item{label3_[static_cast<std::size_t>(k)], combo2_[static_cast<std::size_t>(k)]};
    };
    const std::vector<Item> left = {
        {label4_, combo4_}, {label1_, combo1_}, {label2_[0], text1_}, c2(0), c2(1), c2(6), c2(13), c2(17)};
    const std::vector<Item> right = {c2(8), c2(10), c2(16), c2(11), c2(18)};
    auto labelWidth = [](const std::vector<Item>& items) {
        int w = 0;
        for (const Item& it : items) {
            it.label->adjustSize();
            w = std::max(w, it.label->width());
        }
        return w;
    };
    const int x1 = margin + labelWidth(left) + gap;
    const int x2 = x1 + ctlW + Tw(300, this) + labelWidth(right) + gap;
    int y = margin;
    for (const Item& it : left) {
        it.control->setGeometry(x1, y, ctlW, rowH);
        PlaceLabelLeft(it.label, it.control, 100);
        y += pitch;
    }
    const int bottomLeft = y;
    y = margin;
    for (const Item& it : right) {
        it.control->setGeometry(x2, y, ctlW, rowH);
        PlaceLabelLeft(it.label, it.control, 100);
        y += pitch;
    }
    // Check boxes in two columns below the right-hand lists.
    const std::array<int, 7> checks = {0, 7, 8, 9, 10, 11, 15};
    const int checkLeft = x2 - labelWidth(right) - gap;
    int yc = y;
    int colW = 0;
    for (int k : checks)
        colW = std::max(colW, check1_[static_cast<std::size_t>(k)]->sizeHint().width());
    for (std::size_t i = 0; i < checks.size(); ++i) {
        QCheckBox* c = check1_[static_cast<std::size_t>(checks[i])];
        const int cx = checkLeft + static_cast<int>(i % 2) * (colW + Tw(200, this));
        c->setGeometry(cx, yc, c->sizeHint().width(), rowH);
        if (i % 2 == 1)
            yc += pitch;
    }
    yc += pitch;
    // Hidden controls keep a place beside the visible ones; the user never sees them.
    int yh = bottomLeft;
    for (int k = 0; k < kCombo2Count; ++k) {
        if (kLists[static_cast<std::size_t>(k)].shown)
            continue;
        combo2_[static_cast<std::size_t>(k)]->setGeometry(x1, yh, ctlW, rowH);
    }
    text2_->setGeometry(x1, yh, ctlW, rowH);
    const int bottom = std::max({bottomLeft, yc}) + Tw(100, this);
    const int rightEdge = std::max(x2 + ctlW, checkLeft + 2 * colW + Tw(200, this));
    cmdClose_->setGeometry(rightEdge - std::max(cmdClose_->sizeHint().width(), Tw(1100, this)), bottom,
                           std::max(cmdClose_->sizeHint().width(), Tw(1100, this)),
                           cmdClose_->sizeHint().height());
    setFixedSize(rightEdge + margin, cmdClose_->geometry().bottom() + margin);
}

void FrmCHInfoEdit::ChangShowCHs(int rGroupID) {
    std::vector<QString> items;
    const int n = GroupSize(ClampGroup(rGroupID));
    for (int i = 1; i <= n; ++i)
        items.push_back(QString::number(i));
    FillList(combo1_, items);
}

int FrmCHInfoEdit::ShownChannel() const {
    const int g = std::max(0, combo4_->currentIndex());
    return ChannelNumber(g, combo1_->currentText().toInt());
}

void FrmCHInfoEdit::SetGridEditData(bool rIsGridChange) {
    const FillGuard guard(*this);
    WandToSave = false;
    if (rIsGridChange) {
        Select(combo4_, ClampGroup(ed_.EditGroup()));
        ChangShowCHs(combo4_->currentIndex());
        SelectText(combo1_, QString::number(ed_.EditCell.row));
    } else {
        if (combo4_->currentIndex() != ed_.EditGroup()) {
            ed_.EditGroup() = combo4_->currentIndex();
            if (ed_.GridOpen())
                ed_.grid->ChangeGroup();
            ChangShowCHs(ed_.EditGroup());
        }
        if (combo1_->currentIndex() < 0)
            Select(combo1_, 0);
        ed_.EditCell.row = combo1_->currentIndex() + 1;
    }
    if (ChannelRecord* r = ed_.Find(ShownChannel()))
        fillFromRecord(*r);
    else
        clearForMissing();
    SetShowFreModify();
    WandToSave = true;
}

void FrmCHInfoEdit::fillFromRecord(ChannelRecord& r) {
    const AppState& app = ed_.app;
    text1_->setEnabled(true);
    text1_->setText(Q(RxText(app, r.RxFreq.raw())));
    text1_->setModified(false);
    text2_->setEnabled(true);
    text2_->setText(Q(TxText(app, r.RxFreq.raw(), r.TxOffset.raw(), r.TxOffsetDir, ed_.TxAsOffset())));
    text2_->setModified(false);
    for (QLineEdit* t : text3_)
        t->setEnabled(true);
    text4_->setEnabled(true);
    for (int k = 0; k < kCombo2Count; ++k) {
        QComboBox* c = combo2_[static_cast<std::size_t>(k)];
        c->setEnabled(true);
        if (k == 8 || k == 10 || k == 16 || k == 6 || k == 11)
            continue;
        FillList(c, listEntries(k));
        Select(c, ChannelFieldValue(r, ListColumn(k)));
    }
    for (int k : {8, 10, 16}) {
        QComboBox* c = combo2_[static_cast<std::size_t>(k)];
        if (c->count() == 0 || c->itemText(0).trimmed().isEmpty())
            FillCodeLists();
        const int v = ChannelFieldValue(r, ListColumn(k));
        const int i = v == 0 ? 0 : c->findText(QString::number(v));
        Select(c, std::max(i, 0));
    }
    for (int k = 0; k < kCheckCount; ++k) {
        QCheckBox* c = check1_[static_cast<std::size_t>(k)];
        c->setEnabled(true);
        c->setChecked(ChannelFieldValue(r, CheckColumn(k)) == 1);
    }
    ShowBusyLock(r);
    {
        const QSignalBlocker block(combo2_[11]);
        combo2_[11]->clear();
        combo2_[11]->addItem(Q(ed_.Text(15030)));
    }
    ShowRB();
    applyInterlocks();
}

void FrmCHInfoEdit::applyInterlocks() {
    combo2_[14]->setEnabled(!check1_[13]->isChecked());
    combo2_[15]->setEnabled(!check1_[14]->isChecked());
    combo2_[17]->setEnabled(!check1_[15]->isChecked());
    const bool scramblerSide = combo2_[7]->currentIndex() == 0;
    check1_[4]->setEnabled(scramblerSide);
    check1_[3]->setEnabled(!scramblerSide);
}

void FrmCHInfoEdit::clearForMissing() {
    text1_->setEnabled(true);
    text1_->clear();
    text1_->setModified(false);
    text2_->clear();
    text2_->setEnabled(false);
    for (QLineEdit* t : text3_) {
        t->clear();
        t->setEnabled(false);
    }
    text4_->clear();
    text4_->setEnabled(false);
    for (QComboBox* c : combo2_) {
        FillList(c, {" "});
        Select(c, 0);
        c->setEnabled(false);
    }
    for (QCheckBox* c : check1_) {
        c->setChecked(false);
        c->setEnabled(false);
    }
}

void FrmCHInfoEdit::SetShowFreModify() {
    const bool on = ed_.FrequencyEditable(ed_.ChannelGroup());
    text1_->setEnabled(on);
    text2_->setEnabled(on);
}

void FrmCHInfoEdit::ShowBusyLock(ChannelRecord& r) {
    QComboBox* c = combo2_[6];
    FillList(c, List(BusyLockEntries(text(), EffectiveDecodeTone(r) != 0)));
    r.BusyLock = BusyLockForTone(r.BusyLock, EffectiveDecodeTone(r));
    const QString full = r.BusyLock >= 0 && r.BusyLock < combo3_->count() ? combo3_->itemText(r.BusyLock)
                                                                          : combo3_->itemText(0);
    SelectText(c, full);
    r.BusyLock = static_cast<i16>(std::max(0, combo3_->findText(c->currentText())));
}

void BusyLockCheck(ChannelEditor& ed, int channelNo) {
    ChannelRecord* r = ed.Find(channelNo);
    if (r == nullptr)
        return;
    // The edit window's list belongs to the channel it shows; other channels only lose a busy
    // lock on a wrong tone that has no tone to compare with.
    if (ed.EditWindowOpen() && ed.edit->ShownChannel() == channelNo) {
        ed.edit->ShowBusyLock(*r);
        return;
    }
    r->BusyLock = BusyLockForTone(r->BusyLock, EffectiveDecodeTone(*r));
}

void FrmCHInfoEdit::ShowRB() {
    ChannelRecord* r = ed_.Find(ShownChannel());
    QComboBox* c = combo2_[11];
    if (r == nullptr || !c->isEnabled())
        return;
    Select(combo5_, r->RogerBeep);
    FillList(c, List(ToneTipEntries(ed_.doc.work.settings, text())));
    SelectText(c, combo5_->currentText());
}

void FrmCHInfoEdit::ReShowEditTxFre(bool rOffSet) {
    label2_[1]->setText(Q(ed_.Text(rOffSet ? 15100 : 15003)));
    SetGridEditData(false);
}

void FrmCHInfoEdit::onPickerChanged() {
    if (!WandToSave || filling())
        return;
    const int group = combo4_->currentIndex();
    const int index = combo1_->currentIndex();
    if (group == ed_.EditGroup() && index + 1 == ed_.EditCell.row)
        return;
    // A pick can come without the focus leaving a box (the mouse wheel over a list): what is
    // typed but not yet stored belongs to the channel shown before the pick.
    if (ed_.GridOpen())
        ed_.grid->CommitPendingEdit();
    if (text1_->isModified()) {
        storeText1(ed_.EditGroup(), ed_.EditCell.row);
        // Storing reloads the window on that channel; the user's pick then applies.
        Select(combo4_, group);
        ChangShowCHs(group);
        Select(combo1_, index);
    }
    SetGridEditData(false);
}

void FrmCHInfoEdit::onCombo2(int k) {
    if (!WandToSave || filling())
        return;
    QComboBox* c = combo2_[static_cast<std::size_t>(k)];
    const QString t = c->currentText();
    if (t.isEmpty() || t == " ")
        return;
    int value = c->currentIndex();
    if (k == 0 || k == 3) {
        const QString keep = combo2_[6]->currentText();
        FillList(combo2_[6], List(BusyLockEntries(text(), combo2_[0]->currentText() != Q(ed_.Text(15030)))));
        SelectText(combo2_[6], keep);
    }
    if (k == 6) {
        value = std::max(0, combo3_->findText(t));
    } else if (k == 11) {
        value = std::max(0, combo5_->findText(t));
    } else if (k == 8 || k == 10 || k == 16) {
        value = c->currentIndex() == 0 ? 0 : t.toInt();
    }
    ed_.SetCell(combo4_->currentIndex(), combo1_->currentIndex() + 1, ListColumn(k), value);
}

void FrmCHInfoEdit::onCheck(int k) {
    if (!WandToSave || filling())
        return;
    ed_.SetCell(combo4_->currentIndex(), combo1_->currentIndex() + 1, CheckColumn(k),
                check1_[static_cast<std::size_t>(k)]->isChecked() ? 1 : 0);
}

void FrmCHInfoEdit::onText1Left() {
    if (!WandToSave || filling() || !text1_->isModified())
        return;
    storeText1(combo4_->currentIndex(), combo1_->currentIndex() + 1);
    if (ed_.edit == this)
        SetGridEditData(false);
}

void FrmCHInfoEdit::storeText1(int group, int row) {
    text1_->setModified(false);
    const std::string typed = text1_->text().toStdString();
    std::string value = typed;
    if (const auto v = ParseNumber(typed); v && IsNumeric(typed))
        value = FormatFixed5(*v);
    ed_.SetCell(group, row, 1, value);
}

void FrmCHInfoEdit::onText2Left() {
    if (!WandToSave || filling() || !text2_->isModified())
        return;
    text2_->setModified(false);
    const std::string typed = text2_->text().toStdString();
    if (IsNumeric(typed))
        ed_.SetCell(combo4_->currentIndex(), combo1_->currentIndex() + 1, 2, typed);
    if (ed_.edit == this)
        SetGridEditData(false);
}

void FrmCHInfoEdit::CommitPendingEdit() {
    onText1Left();
    onText2Left();
    for (QComboBox* c : combo2_) {
        if (auto* choice = qobject_cast<ChoiceList*>(c))
            choice->commitChoice();
    }
}

bool FrmCHInfoEdit::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::FocusIn && o == text2_) {
        if (text2_->text().isEmpty())
            text2_->setText(text1_->text());
        text2_->selectAll();
    } else if (e->type() == QEvent::FocusIn && o == text1_) {
        if (!text1_->text().isEmpty())
            QMetaObject::invokeMethod(text1_, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(o, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        if (o == text1_)
            onText1Left();
        else if (o == text2_)
            onText2Left();
        focusNextChild();
        return true;
    }
    if (o == text1_)
        return SwallowFrequencyKey(k, false);
    if (o == text2_)
        return SwallowFrequencyKey(k, ed_.TxAsOffset());
    return QWidget::eventFilter(o, e);
}

void FrmCHInfoEdit::mousePressEvent(QMouseEvent* e) {
    // A click on the window background leaves the RX box, which stores it.
    if (text1_->hasFocus())
        onText1Left();
    QWidget::mousePressEvent(e);
}

void FrmCHInfoEdit::closeEvent(QCloseEvent* e) {
    CommitPendingEdit();
    ed_.EditWindowUnloaded(this);
    QWidget::closeEvent(e);
}

void FrmCHInfoEdit::refresh(Refresh what) {
    switch (what) {
    case Refresh::DtmfCodes:
        FillCodeLists();
        break;
    case Refresh::ToneTips:
        ShowRB();
        break;
    case Refresh::TxAsOffset:
        ReShowEditTxFre(ed_.TxAsOffset());
        break;
    case Refresh::FreqEdit:
        SetShowFreModify();
        break;
    default:
        break;
    }
}

} // namespace zt
