#include "channels/frm_comm_ch_info.h"

#include "app/twips.h"
#include "channels/frm_ch_info_edit.h"
#include "codec/freq.h"
#include "codec/numbers.h"
#include "codec/tone.h"
#include "common/child_window.h"
#include "common/legacy_text.h"
#include "common/text_guard.h"
#include "common/wheel_guard.h"
#include "model/channel_table.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableWidget>

#include <algorithm>
#include <exception>

namespace zt {

namespace {

// Column widths in twips; 0 hides the column.
constexpr std::array<int, frmCommChInfo::kCols> kWidths = {740, 1300, 0, 0, 1200, 1200, 0, 0, 0, 0, 1400};
constexpr std::array<int, frmCommChInfo::kCols> kHeaderIds = {14001, 14002, 14003, 14004, 14005, 14006,
                                                              14007, 14008, 14009, 14010, 14011};
const QColor kHeaderText(0, 0, 155);
const QColor kRowNumberText(0, 0, 255);
const QColor kLinkText(255, 0, 0);
const QColor kLinkBack(220, 220, 220);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Entry v of a list; the first entry when v is out of range, "" for an empty list.
QString Entry(const std::vector<QString>& list, int v) {
    if (list.empty())
        return {};
    return v >= 0 && v < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(v)] : list.front();
}

std::vector<QString> Texts(const ChannelEditor& ed, std::initializer_list<int> ids) {
    std::vector<QString> out;
    for (int id : ids)
        out.push_back(Q(ed.Text(id)));
    return out;
}

} // namespace

frmCommChInfo::frmCommChInfo(ChannelEditor& ed, QWidget* parent)
    : EditorWindow(ed.app, ed.doc, ed.router, kName, parent), ed_(ed) {
    try {
        CodeMoveTopRow = false;
        GridReady = false;
        EditorClickArmed = false;
        resize(Tw(6800, this), Tw(6400, this));

        grid_ = new QTableWidget(this);
        grid_->setObjectName("MSFlexGrid1");
        grid_->setColumnCount(kCols - 1);
        grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid_->setSelectionMode(QAbstractItemView::SingleSelection);
        grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
        grid_->setTabKeyNavigation(false);
        grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid_->horizontalHeader()->setSectionsClickable(false);
        grid_->verticalHeader()->setSectionsClickable(false);
        // A header text wider than its column breaks onto a second line instead of being cut.
        grid_->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
        grid_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
        grid_->installEventFilter(this);
        // The top-left corner is column 0's header: it shows its text rather than acting as a
        // select-all button.
        grid_->setCornerButtonEnabled(false);
        corner_ = grid_->findChild<QAbstractButton*>();
        if (corner_ != nullptr)
            corner_->installEventFilter(this);

        text1_ = new QLineEdit(grid_->viewport());
        text1_->setObjectName("Text1");
        text1_->setMaxLength(9);
        text1_->setAlignment(Qt::AlignCenter);
        // Frequencies only, also when pasted with the middle button; a sign only for an offset.
        GuardTextBox(text1_, FrequencyChars([this] { return ed_.EditCell.col == 2 && ed_.TxAsOffset(); }));
        text1_->installEventFilter(this);
        text2_ = new QLineEdit(grid_->viewport());
        text2_->setObjectName("Text2");
        text2_->setMaxLength(5);
        text2_->setAlignment(Qt::AlignCenter);
        GuardTextBox(text2_);
        text2_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Z]*"), text2_));
        text2_->installEventFilter(this);
        for (int k = 1; k <= 5; ++k) {
            auto* c = new QComboBox(grid_->viewport());
            c->setObjectName(QString("Combo%1").arg(k));
            c->setMaxVisibleItems(16);
            c->installEventFilter(this);
            connect(c, &QComboBox::activated, this, [this, k] { onListActivated(k); });
            lists_[static_cast<std::size_t>(k - 1)] = c;
        }

        combo7_ = new QComboBox(this);
        combo7_->setObjectName("Combo7");
        label1_ = new QLabel(this);
        text3_ = new QLineEdit(this);
        text3_->setObjectName("Text3");
        text3_->setMaxLength(3);
        GuardTextBox(text3_, [](QChar c) { return c != u'\\' && c != u'~' && c.unicode() < 128; });
        text3_->installEventFilter(this);
        label2_ = new QLabel(this);
        for (int i = 0; i < 4; ++i) {
            combo8_[static_cast<std::size_t>(i)] = new BoundList(this);
            combo8_[static_cast<std::size_t>(i)]->setObjectName(QString("Combo8_%1").arg(i));
            combo8_[static_cast<std::size_t>(i)]->installEventFilter(this);
            label3_[static_cast<std::size_t>(i)] = new QLabel(this);
        }
        // The group's two special channels (stored as channel numbers) and its two AM/FM flags
        // (stored as positions); showing a group stores what its lists show.
        for (int i = 0; i < 4; ++i) {
            combo8_[static_cast<std::size_t>(i)]->onPick([this, i](int idx) {
                const int g = combo7_->currentIndex();
                if (g < 0 || g >= 12)
                    return;
                auto& f = ed_.features();
                const std::size_t slot = static_cast<std::size_t>(2 * g + (i % 2));
                if (i < 2) {
                    const auto n =
                        ParseNumber(combo8_[static_cast<std::size_t>(i)]->itemText(idx).toStdString());
                    f.GroupChan[slot] = n ? static_cast<i16>(*n) : 0;
                } else {
                    f.GroupFlag[slot] = static_cast<i16>(idx);
                }
            });
        }
        cmdEdit_ = new QPushButton(this);
        cmdEdit_->setObjectName("CommandCHInfoEdit");
        cmdClose_ = new QPushButton(this);
        cmdClose_->setObjectName("CommandClose");

        timerCHEdit_.setSingleShot(true);
        timerCHEdit_.setInterval(1000);
        scrollTimer_.setSingleShot(true);
        scrollTimer_.setInterval(500);

        for (int i = 1; i <= 12 + 1; ++i)
            combo7_->addItem(QString::number(i - 1));

        ed_.GridLoaded(this);
        InitShowGrid();
        ChangShowByLanguage();
        SetGridData();
        FirstActivate = true;
        GridReady = true;
        setGridCell(1, 1);

        connect(grid_, &QTableWidget::currentCellChanged, this, [this] { onCellEntered(); });
        // The highlighted cell is always the cursor cell. A click selects the clicked cell after
        // the cell entry has run, so when the entry moved the cursor (an empty row's first
        // column), the highlight is brought back to where the editor is.
        connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            const QModelIndex cur = grid_->currentIndex();
            const QModelIndexList sel = grid_->selectionModel()->selectedIndexes();
            if (!cur.isValid() || (sel.size() == 1 && sel.front() == cur))
                return;
            const QSignalBlocker block(grid_->selectionModel());
            grid_->selectionModel()->select(cur, QItemSelectionModel::ClearAndSelect);
            grid_->viewport()->update();
        });
        connect(grid_, &QTableWidget::cellClicked, this, &frmCommChInfo::onCellClicked);
        connect(grid_, &QTableWidget::cellDoubleClicked, this, &frmCommChInfo::onCellDoubleClicked);
        // A scroll of the user (scroll bar, wheel) moves the cursor once the scrolling pauses;
        // the grid's own scrolling, which brings the cursor cell into view, moves nothing.
        connect(grid_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { onUserScroll(); });
        connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            if (!scrollTimer_.isActive())
                LastTopRow = firstVisibleRow();
        });
        connect(&scrollTimer_, &QTimer::timeout, this, &frmCommChInfo::followScroll);
        connect(combo7_, &QComboBox::currentIndexChanged, this, &frmCommChInfo::onGroupPicked);
        connect(text3_, &QLineEdit::textEdited, this, [this] { storeGroupName(); });
        connect(cmdEdit_, &QPushButton::clicked, this, [this] {
            StoreGridEdit();
            openEditWindow(false);
        });
        connect(cmdClose_, &QPushButton::clicked, this, [this] { CloseChildWindow(this); });
        connect(text1_, &QLineEdit::editingFinished, this, [this] { onText1Left(); });
        GuardWheelOnLists(this);
    } catch (const std::exception&) {
        fail("frmCommChInfo_Form_Load");
    }
}

frmCommChInfo::~frmCommChInfo() {
    ed_.GridUnloaded(this);
}

void frmCommChInfo::fail(const char* routine) {
    if (ed_.app.prompter != nullptr)
        ed_.app.prompter->message(routine, Icon::Critical);
}

int frmCommChInfo::groupRows() const {
    return GroupSize(ed_.ChannelGroup());
}
int frmCommChInfo::rowCount() const {
    return grid_->rowCount() + 1;
}
int frmCommChInfo::gridRow() const {
    return grid_->currentRow() + 1;
}
int frmCommChInfo::gridCol() const {
    return grid_->currentColumn() + 1;
}
int frmCommChInfo::firstVisibleRow() const {
    const int r = grid_->rowAt(0);
    return r < 0 ? 1 : r + 1;
}

void frmCommChInfo::setGridCell(int row, int col) {
    if (row < 1 || row >= rowCount() || col < 1 || col >= kCols)
        return;
    grid_->setCurrentCell(row - 1, col - 1);
}

QString frmCommChInfo::cellText(int row, int col) const {
    if (row < 1 || row >= rowCount())
        return {};
    if (col == 0)
        return grid_->verticalHeaderItem(row - 1) ? grid_->verticalHeaderItem(row - 1)->text() : QString();
    const QTableWidgetItem* it = grid_->item(row - 1, col - 1);
    return it != nullptr ? it->text() : QString();
}

void frmCommChInfo::setCell(int row, int col, const QString& text) {
    QTableWidgetItem* it = grid_->item(row - 1, col - 1);
    if (it != nullptr && it->text() != text)
        it->setText(text);
}

void frmCommChInfo::InitShowGrid() {
    try {
        ResetGridRows();
        grid_->horizontalHeader()->setFixedHeight(Tw(500, this));
        grid_->verticalHeader()->setFixedWidth(Tw(kWidths[0], this));
        for (int c = 1; c < kCols; ++c) {
            grid_->setColumnHidden(c - 1, kWidths[static_cast<std::size_t>(c)] == 0);
            if (kWidths[static_cast<std::size_t>(c)] != 0)
                grid_->setColumnWidth(c - 1, Tw(kWidths[static_cast<std::size_t>(c)], this));
        }
        grid_->verticalHeader()->setDefaultSectionSize(Tw(285, this));
    } catch (const std::exception&) {
        fail("frmCommChInfo_InitShowGridError");
    }
}

void frmCommChInfo::ResetGridRows() {
    const int rows = groupRows();
    if (grid_->rowCount() != rows) {
        grid_->setRowCount(rows);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < kCols - 1; ++c) {
                if (grid_->item(r, c) != nullptr)
                    continue;
                auto* it = new QTableWidgetItem;
                it->setTextAlignment(Qt::AlignCenter);
                it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                grid_->setItem(r, c, it);
            }
        }
    }
    text1_->hide();
    text2_->hide();
    for (QComboBox* c : lists_)
        c->hide();
}

void frmCommChInfo::ShowRowHeaders() {
    Refreshing = true;
    const int rows = grid_->rowCount();
    for (int r = 0; r < rows; ++r) {
        QTableWidgetItem* h = grid_->verticalHeaderItem(r);
        if (h == nullptr) {
            h = new QTableWidgetItem;
            grid_->setVerticalHeaderItem(r, h);
        }
        h->setText(QString::number(r + 1));
        h->setForeground(kRowNumberText);
        h->setTextAlignment(Qt::AlignCenter);
        QTableWidgetItem* link = grid_->item(r, kCols - 2);
        link->setText(">>");
        link->setForeground(kLinkText);
        link->setBackground(kLinkBack);
    }
    // The rows start afresh with the cursor on the first one, in sight; a scroll still to be
    // followed is void.
    scrollTimer_.stop();
    setGridCell(1, 1);
    grid_->scrollToTop();
    Refreshing = false;
}

void frmCommChInfo::writeCaption(int firstId) {
    const int g = ed_.ChannelGroup();
    setWindowTitle(Q(ed_.Text(firstId)) + " " + FromLegacy(ed_.app, GroupLabel(ed_.doc.work.settings, g)) +
                   " --- " + " " + QString::number(CurrentRow) + "]");
}

void frmCommChInfo::placeLabels() {
    const int margin = Tw(120, this);
    const int gap = Tw(50, this);
    const int h = combo7_->sizeHint().height();
    int x = margin;
    int y = Tw(100, this);
    auto place = [&](QLabel* label, QWidget* control, int widthTw) {
        label->adjustSize();
        x += label->width() + gap;
        control->setGeometry(x, y, Tw(widthTw, this), h);
        PlaceLabelLeft(label, control, 50);
        x += control->width() + Tw(200, this);
    };
    place(label1_, combo7_, 800);
    place(label2_, text3_, 700);
    const int btnW = std::max(cmdEdit_->sizeHint().width(), Tw(1200, this));
    cmdEdit_->setGeometry(x, y, btnW, h);
    cmdClose_->setGeometry(x + btnW + Tw(100, this), y,
                           std::max(cmdClose_->sizeHint().width(), Tw(900, this)), h);
    x = margin;
    y += h + Tw(100, this);
    for (std::size_t i = 0; i < 4; ++i)
        place(label3_[i], combo8_[i], i < 2 ? 700 : 750);
    const int gridTop = y + h + Tw(120, this);
    const int right = std::max({x, cmdClose_->geometry().right() + margin, Tw(6800, this)});
    grid_->setGeometry(margin, gridTop, Tw(6200, this), height() - gridTop - margin);
    setMinimumWidth(std::max(right, grid_->geometry().right() + margin));
    if (width() < minimumWidth())
        resize(minimumWidth(), height());
}

void frmCommChInfo::Activated() {
    if (!FirstActivate)
        return;
    FirstActivate = false;
    onCellEntered();
}

void frmCommChInfo::Deactivated() {
    if (ed_.host != nullptr)
        ed_.host->ShowCHInfo(false);
}

void frmCommChInfo::ChangShowByLanguage() {
    try {
        Refreshing = true;
        CurrentRow = std::max(1, gridRow());
        grid_->setAccessibleName(Q(ed_.Text(12001)));
        label1_->setText(Q(ed_.Text(14050)));
        label2_->setText(Q(ed_.Text(14051)));
        label3_[0]->setText(Q(ed_.Text(14052)));
        label3_[1]->setText(Q(ed_.Text(14053)));
        label3_[2]->setText("AM/FM 0");
        label3_[3]->setText("AM/FM 1");
        cmdEdit_->setText(Q(ed_.Text(14023)));
        cmdClose_->setText(Q(ed_.Text(14024)));
        writeCaption(14050);
        if (corner_ != nullptr) {
            corner_->setText(Q(ed_.Text(kHeaderIds[0])));
            corner_->update();
        }
        for (int c = 1; c < kCols; ++c) {
            int id = kHeaderIds[static_cast<std::size_t>(c)];
            if (c == 2 && ed_.TxAsOffset())
                id = 14100;
            auto* h = new QTableWidgetItem(Q(ed_.Text(id)));
            h->setForeground(kHeaderText);
            grid_->setHorizontalHeaderItem(c - 1, h);
        }
        ShowRowHeaders();
        Refreshing = true;
        toneTexts_.clear();
        toneTexts_.push_back(Q(ed_.Text(14013)));
        const auto& tones = ToneList();
        for (std::size_t i = 1; i < tones.size(); ++i)
            toneTexts_.push_back(Q(tones[i]));
        FillList(lists_[0], toneTexts_);
        FillList(lists_[1], Texts(ed_, {14014, 14015, 14016}));
        FillList(lists_[2], Texts(ed_, {14017, 14018}));
        FillList(lists_[3], Texts(ed_, {14013, 14019}));
        FillList(lists_[4], Texts(ed_, {14020, 14021, 14022}));
        combo8_[2]->setEntries({"AM", "FM"});
        combo8_[3]->setEntries({"AM", "FM"});
        placeLabels();
        Refreshing = false;
    } catch (const std::exception&) {
        Refreshing = false;
        fail("frmCommChInfo_ChangShowByLanguage");
    }
}

void frmCommChInfo::SetGridData() {
    try {
        const int g = std::clamp(ed_.ChannelGroup(), 0, 12);
        {
            const QSignalBlocker block(combo7_);
            combo7_->setCurrentIndex(g);
        }
        onGroupPicked(g);
        if (ed_.host != nullptr)
            ed_.host->LoadTree();
    } catch (const std::exception&) {
        fail("frmCommChInfo_SetGridData");
    }
}

void frmCommChInfo::ChangeGroup() {
    const int g = std::clamp(ed_.EditGroup(), 0, 12);
    {
        const QSignalBlocker block(combo7_);
        combo7_->setCurrentIndex(g);
    }
    onGroupPicked(g);
}

void frmCommChInfo::onGroupPicked(int index) {
    if (index < 0)
        return;
    // A group can be picked without the focus leaving the cell editor (the mouse wheel over the
    // group list): what is typed there belongs to the group shown until now.
    if (GridReady)
        CommitPendingEdit();
    ed_.SetChannelGroup(index);
    ed_.EditGroup() = index;
    grid_->setUpdatesEnabled(false);
    ResetGridRows();
    ShowRowHeaders();
    writeCaption(14012);
    const bool vfo = index == 12;
    text3_->setText(
        vfo ? QString("VFO")
            : FromLegacy(ed_.app,
                         ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(index)].trimmed()));
    text3_->setEnabled(!vfo);
    for (std::size_t i = 0; i < 4; ++i) {
        label3_[i]->setVisible(!vfo);
        combo8_[i]->setVisible(!vfo);
    }
    ReshowByCh();
    ReShowAllRows();
    grid_->setUpdatesEnabled(true);
    if (!vfo)
        SetShowEditData();
    if (ed_.EditWindowOpen())
        ed_.edit->SetGridEditData(true);
}

void frmCommChInfo::ReShowAllRows() {
    const int rows = rowCount();
    for (int r = 1; r < rows; ++r)
        clearRow(r);
    const int g = ed_.ChannelGroup();
    const int base = GroupBase(g);
    const bool asOffset = ed_.TxAsOffset();
    const auto& doc = ed_.doc.work;
    for (int i = 0; i < doc.count() && i < kMaxChannels; ++i) {
        const ChannelRecord& r = doc.channels[static_cast<std::size_t>(i)];
        const int row = r.ChannelNo - base;
        if (row > 0 && row < rows)
            writeRow(row, r, asOffset);
    }
}

void frmCommChInfo::clearRow(int row) {
    for (int c = 1; c <= 9; ++c)
        setCell(row, c, {});
}

void frmCommChInfo::writeRow(int row, const ChannelRecord& r, bool txAsOffset) {
    const AppState& app = ed_.app;
    setCell(row, 1, Q(RxText(app, r.RxFreq.raw())));
    setCell(row, 2, Q(TxText(app, r.RxFreq.raw(), r.TxOffset.raw(), r.TxOffsetDir, txAsOffset)));
    setCell(row, 4, Entry(toneTexts_, r.DecodeTone));
    setCell(row, 5, Entry(toneTexts_, r.EncodeTone));
    setCell(row, 7, Entry(Texts(ed_, {14017, 14018}), r.ScanSkip));
    setCell(row, 8, Entry(Texts(ed_, {14013, 14019}), r.OptSignal));
    setCell(row, 9, Entry(Texts(ed_, {14020, 14021, 14022}), r.Spacing));
}

void frmCommChInfo::reShowGrid(int rRow) {
    try {
        const int row = rRow - GroupBase(ed_.ChannelGroup());
        const ChannelRecord* r = ed_.Find(rRow);
        if (row < 1 || row >= rowCount())
            return;
        if (r == nullptr) {
            clearRow(row);
            return;
        }
        writeRow(row, *r, ed_.TxAsOffset());
        BusyLockCheck(ed_, rRow);
    } catch (const std::exception&) {
        fail("frmCommChInfo_reShowGrid");
    }
}

void frmCommChInfo::ReShowAllTxFre(bool rOffSet) {
    auto* h = new QTableWidgetItem(Q(ed_.Text(rOffSet ? 14100 : 14003)));
    h->setForeground(kHeaderText);
    grid_->setHorizontalHeaderItem(1, h);
    const int base = GroupBase(ed_.ChannelGroup());
    for (int row = 1; row < rowCount(); ++row) {
        if (const ChannelRecord* r = ed_.Find(base + row))
            setCell(row, 2, Q(TxText(ed_.app, r->RxFreq.raw(), r->TxOffset.raw(), r->TxOffsetDir, rOffSet)));
    }
}

void frmCommChInfo::ReshowByCh() {
    const int g = ed_.ChannelGroup();
    QStringList chans;
    for (int n : GroupChannelList(ed_.doc.work, g))
        chans << QString::number(n);
    combo8_[0]->setEntries(chans);
    combo8_[1]->setEntries(chans);
    if (g != 12) {
        // A stored channel number that the list lacks shows (and becomes) the list's first entry.
        const auto& f = ed_.features();
        for (std::size_t i = 0; i < 2; ++i) {
            const std::size_t slot = 2 * static_cast<std::size_t>(g) + i;
            combo8_[i]->showMatching(QString::number(f.GroupChan[slot]));
            combo8_[2 + i]->showValue(f.GroupFlag[slot]);
        }
    }
}

void frmCommChInfo::storeGroupName() {
    const int g = combo7_->currentIndex();
    if (g < 0 || g >= 12)
        return;
    std::string name = TrimFixed(ToLegacy(ed_.app, text3_->text(), 3));
    if (name.size() < 3)
        name.push_back('\0');
    ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(g)] = name;
    writeCaption(14012);
    route(Refresh::GroupNames);
}

void frmCommChInfo::refresh(Refresh what) {
    const int g = combo7_->currentIndex();
    switch (what) {
    case Refresh::TxAsOffset:
        ReShowAllTxFre(ed_.TxAsOffset());
        break;
    case Refresh::FreqEdit:
        // Whether frequencies may be edited changed: what is typed is stored, the editors close.
        CommitPendingEdit();
        SetEditDisable();
        break;
    case Refresh::GroupNames:
        // The name box and the caption show the group's name.
        if (g >= 0 && g < 12) {
            const QSignalBlocker block(text3_);
            text3_->setText(
                FromLegacy(ed_.app, ed_.doc.work.settings.GroupNames[static_cast<std::size_t>(g)].trimmed()));
        }
        writeCaption(14012);
        break;
    default:
        break;
    }
}

void frmCommChInfo::SetEditDisable() {
    text1_->hide();
    text2_->hide();
    for (QComboBox* c : lists_)
        c->hide();
}

void frmCommChInfo::hideEditors() {
    SetEditDisable();
}

bool frmCommChInfo::isCellEditor(const QObject* o) const {
    return o == grid_ || o == text1_ || o == text2_ ||
           std::find(lists_.begin(), lists_.end(), o) != lists_.end();
}

QComboBox* frmCommChInfo::listForColumn(int col) const {
    switch (col) {
    case 4:
    case 5:
        return lists_[0];
    case 6:
        return lists_[1];
    case 7:
        return lists_[2];
    case 8:
        return lists_[3];
    case 9:
        return lists_[4];
    default:
        return nullptr;
    }
}

void frmCommChInfo::placeOverCell(QWidget* w, bool keepHeight) {
    const QRect rect = grid_->visualRect(grid_->model()->index(gridRow() - 1, gridCol() - 1));
    w->setGeometry(rect.left(), rect.top(), rect.width(),
                   keepHeight ? w->sizeHint().height() : rect.height());
}

void frmCommChInfo::onCellEntered() {
    // A cell entered by the user or by the editing keys is where the cursor belongs: a scroll
    // still waiting to move it is settled.
    scrollTimer_.stop();
    LastTopRow = firstVisibleRow();
    if (Refreshing || !GridReady)
        return;
    if (grid_->currentRow() < 0 || grid_->currentColumn() < 0)
        return;
    if (SkipEnterCell) {
        SkipEnterCell = false;
        return;
    }
    CurrentRow = gridRow();
    ed_.SetChannelGroup(combo7_->currentIndex());
    writeCaption(14012);
    grid_->setFocus();
    if (SkipRxCheck) {
        SkipRxCheck = false;
    } else if (gridCol() > 1 && gridCol() < kCols - 1) {
        if (!FlexConcludeRx())
            return;
    }
    hideEditors();
    EnterGridEdit();
}

bool frmCommChInfo::FlexConcludeRx() {
    try {
        const int row = gridRow();
        if (cellText(row, 1).isEmpty()) {
            ed_.EditCell = {1, row};
            SkipRxCheck = true;
            setGridCell(row, 1);
            return false;
        }
        return true;
    } catch (const std::exception&) {
        fail("frmCommChInfo_FlexConcludeRx");
        return false;
    }
}

void frmCommChInfo::EnterGridEdit() {
    try {
        const int col = gridCol();
        const int row = gridRow();
        ed_.EditCell = {col, row};
        LastTopRow = firstVisibleRow();
        if (ed_.EditWindowOpen())
            ed_.edit->SetGridEditData(true);
        if (col == 1 || col == 2) {
            if (!ed_.FrequencyEditable(ed_.ChannelGroup()))
                return;
            placeOverCell(text1_, false);
            {
                const QSignalBlocker block(text1_);
                text1_->setText(cellText(row, col));
                text1_->setModified(false);
            }
            text1_->show();
            text1_->raise();
            text1_->setFocus();
            if (!text1_->text().isEmpty())
                text1_->selectAll();
        } else if (col == 3) {
            placeOverCell(text2_, false);
            text2_->setText(QString::fromStdString(TrimFixed(cellText(row, col).toStdString())));
            EditorClickArmed = false;
            text2_->show();
            text2_->raise();
            text2_->setFocus();
        } else if (QComboBox* list = listForColumn(col)) {
            placeOverCell(list, true);
            EditorClickArmed = false;
            {
                // Loading the cell's text into the list is not a choice of the user.
                const QSignalBlocker block(list);
                const int idx = list->findText(cellText(row, col));
                list->setCurrentIndex(idx >= 0 ? idx : (list->count() > 0 ? 0 : -1));
            }
            EditorClickArmed = true;
            list->setEnabled(true);
            list->show();
            list->raise();
            list->setFocus();
        }
    } catch (const std::exception&) {
        fail("frmCommChInfo_EnterGridEdit");
    }
}

void frmCommChInfo::StoreGridEdit() {
    const int col = ed_.EditCell.col;
    const int row = ed_.EditCell.row;
    if (row < 1 || row >= rowCount())
        return;
    if (col == 1 && text1_->isVisible()) {
        const std::string typed = text1_->text().toStdString();
        std::string shown = typed;
        if (const auto v = ParseNumber(typed); v && !typed.empty())
            shown = FormatFixed5(*v);
        setCell(row, 1, Q(shown));
        text1_->setModified(false);
        ed_.SetCell(ed_.EditGroup(), row, 1, shown);
    } else if (col == 2 && text1_->isVisible()) {
        const std::string typed = text1_->text().toStdString();
        const auto v = ParseNumber(typed);
        if (!v || !IsNumeric(typed))
            return;
        const QString t = text1_->text().trimmed();
        QString shown = Q(FormatFixed5(*v));
        if (t.startsWith('+') || t.startsWith('-'))
            shown = t.left(1) + Q(FormatFixed5(std::abs(*v)));
        setCell(row, 2, shown);
        text1_->setModified(false);
        ed_.SetCell(ed_.EditGroup(), row, 2, typed);
    } else if (col == 3 && text2_->isVisible()) {
        setCell(row, 3, text2_->text());
        ed_.SetCell(ed_.EditGroup(), row, 3, text2_->text().toStdString());
    } else if (QComboBox* list = listForColumn(col); list != nullptr && list->isVisible()) {
        setCell(row, col, list->currentText());
        ed_.SetCell(ed_.EditGroup(), row, col, list->currentIndex());
    }
}

void frmCommChInfo::SetShowEditData() {
    try {
        const int col = ed_.EditCell.col;
        const QString t = cellText(ed_.EditCell.row, col);
        if (col == 1 || col == 2) {
            const QSignalBlocker block(text1_);
            text1_->setText(t);
            text1_->setModified(false);
        } else if (col == 3) {
            text2_->setText(QString::fromStdString(TrimFixed(t.toStdString())));
        } else if (QComboBox* list = listForColumn(col)) {
            const QSignalBlocker block(list);
            const int idx = list->findText(t);
            list->setCurrentIndex(idx >= 0 ? idx : (list->count() > 0 ? 0 : -1));
        }
    } catch (const std::exception&) {
        fail("frmCommChInfo_SetShowEditData");
    }
}

void frmCommChInfo::onText1Left() {
    // Leaving the box stores what was typed, unless Enter has stored it already.
    if (!text1_->isModified())
        return;
    const int col = ed_.EditCell.col;
    if (col != 1 && col != 2)
        return;
    text1_->setModified(false);
    ed_.SetCell(ed_.EditGroup(), ed_.EditCell.row, col, text1_->text().toStdString());
}

void frmCommChInfo::CommitPendingEdit() {
    if (text1_->isVisible())
        onText1Left();
    if (text2_->isVisible())
        StoreGridEdit();
}

void frmCommChInfo::onListActivated(int k) {
    if (lists_[static_cast<std::size_t>(k - 1)] != listForColumn(ed_.EditCell.col))
        return;
    if (EditorClickArmed)
        StoreGridEdit();
    else
        EditorClickArmed = true;
}

void frmCommChInfo::GridNextLine() {
    try {
        int row = gridRow() + 1;
        if (row >= rowCount())
            row = 1;
        if (row == gridRow()) {
            // A group of one row wraps onto the same cell: enter it again, so that its editor
            // opens and shows what the cell holds now.
            onCellEntered();
            return;
        }
        setGridCell(row, gridCol());
    } catch (const std::exception&) {
        fail("frmCommChInfo_GridNextLine");
    }
}

void frmCommChInfo::GridNextCol() {
    try {
        for (int c = gridCol() + 1; c <= kCols - 2; ++c) {
            if (kWidths[static_cast<std::size_t>(c)] != 0) {
                setGridCell(gridRow(), c);
                return;
            }
        }
        if (gridCol() != 1) {
            SkipEnterCell = true;
            setGridCell(gridRow(), 1);
        }
        GridNextLine();
    } catch (const std::exception&) {
        fail("rmCommChInfo_GridNextCol");
    }
}

void frmCommChInfo::onCellClicked(int tableRow, int tableCol) {
    // Entering a new cell runs the cell entry already; a click on the current cell re-enters it.
    if (timerCHEdit_.isActive())
        return;
    if (tableRow != grid_->currentRow() || tableCol != grid_->currentColumn())
        return;
    if (ed_.EditCell.row == tableRow + 1 && ed_.EditCell.col == tableCol + 1 &&
        (text1_->isVisible() || text2_->isVisible() ||
         (listForColumn(tableCol + 1) && listForColumn(tableCol + 1)->isVisible())))
        return;
    onCellEntered();
}

void frmCommChInfo::onCellDoubleClicked(int, int tableCol) {
    if (tableCol + 1 != kCols - 1)
        return;
    timerCHEdit_.start();
    openEditWindow(true);
}

void frmCommChInfo::openEditWindow(bool) {
    if (ed_.host != nullptr)
        ed_.host->ShowEditWindow();
}

void frmCommChInfo::onUserScroll() {
    if (CodeMoveTopRow || !GridReady)
        return;
    scrollTimer_.start(); // restarted by every step: the cursor follows when the scrolling pauses
}

void frmCommChInfo::followScroll() {
    scrollTimer_.stop();
    const int top = firstVisibleRow();
    const int moved = top - LastTopRow;
    LastTopRow = top;
    if (CodeMoveTopRow || !GridReady || moved == 0)
        return;
    // The cursor keeps its line on the screen, and stays on a row shown in full so that the
    // editor over it is in sight.
    const int row = std::clamp(gridRow() + moved, top, lastVisibleRow());
    if (row != gridRow())
        setGridCell(row, gridCol());
}

int frmCommChInfo::lastVisibleRow() const {
    const int h = grid_->viewport()->height();
    int r = grid_->rowAt(h - 1);
    if (r < 0)
        return rowCount() - 1;
    if (grid_->rowViewportPosition(r) + grid_->rowHeight(r) > h && r + 1 > firstVisibleRow())
        --r; // the bottom row is cut
    return r + 1;
}

// Enter in a box over the grid: the frequency and name columns are stored (when `store`), then
// an emptied RX box moves to the next line and any other column to the next column.
void frmCommChInfo::enterInBox(bool store) {
    const int col = ed_.EditCell.col;
    // Decided on the text as the user left it: storing may redisplay the row and refill the box
    // with the frequency the channel keeps.
    const bool emptied = text1_->text().isEmpty();
    if (store && col >= 1 && col <= 3)
        StoreGridEdit();
    if (col == 1 && emptied)
        GridNextLine();
    else if (col >= 1 && col <= 10)
        GridNextCol();
}

bool frmCommChInfo::text1Key(QKeyEvent* k) {
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        enterInBox(ed_.FrequencyEditable(ed_.ChannelGroup()));
        return true;
    }
    return SwallowFrequencyKey(k, ed_.EditCell.col == 2 && ed_.TxAsOffset());
}

bool frmCommChInfo::text2Key(QKeyEvent* k) {
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        enterInBox(true);
        return true;
    }
    if (k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste))
        return true;
    const QString t = k->text();
    if (t.size() != 1)
        return false;
    const QChar ch = t.at(0);
    if (ch.unicode() > 127)
        return true;
    if (ch.unicode() < 32 || ch.unicode() == 127)
        return false;
    if (ch >= 'a' && ch <= 'z') {
        text2_->insert(QString(ch.toUpper()));
        return true;
    }
    return !((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z'));
}

void frmCommChInfo::paintCorner() {
    QStyleOptionHeader opt;
    opt.initFrom(corner_);
    opt.rect = corner_->rect();
    opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
    opt.palette.setCurrentColorGroup(QPalette::Active);
    opt.palette.setColor(QPalette::ButtonText, kHeaderText);
    opt.orientation = Qt::Horizontal;
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.textAlignment = Qt::AlignCenter;
    opt.text = corner_->text();
    QPainter p(corner_);
    corner_->style()->drawControl(QStyle::CE_Header, &opt, &p, corner_);
}

bool frmCommChInfo::eventFilter(QObject* o, QEvent* e) {
    if (o == corner_ && e->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    if (e->type() == QEvent::FocusOut && o == text2_ && text2_->isVisible()) {
        StoreGridEdit();
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(o, e);
    auto* k = static_cast<QKeyEvent*>(e);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    // A key pressed while the cursor has yet to follow a scroll belongs to the row in sight:
    // the cursor follows first, and a key typed into an editor goes to the editor opened there.
    if (scrollTimer_.isActive() && isCellEditor(o)) {
        followScroll();
        QWidget* now = QApplication::focusWidget();
        if (o != grid_ && now != nullptr && now != o && isCellEditor(now)) {
            QKeyEvent again(k->type(), k->key(), k->modifiers(), k->text(), k->isAutoRepeat(), k->count());
            QApplication::sendEvent(now, &again);
            return true;
        }
    }
    try {
        if (o == grid_) {
            if (enter) {
                EnterGridEdit();
                return true;
            }
            return false;
        }
        if (o == text1_)
            return text1Key(k);
        if (o == text2_)
            return text2Key(k);
        if (o == text3_) {
            if (enter) {
                focusNextChild();
                return true;
            }
            if (k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) ||
                k->matches(QKeySequence::Paste))
                return true;
            return k->text() == "\\" || k->text() == "~" ||
                   (k->text().size() == 1 && k->text().at(0).unicode() > 127);
        }
        for (QComboBox* c : combo8_) {
            if (o == c && enter) {
                focusNextChild();
                return true;
            }
        }
        for (QComboBox* c : lists_) {
            if (o == c && enter) {
                const int col = gridCol();
                if (col > 0 && col < kCols - 1)
                    GridNextCol();
                return true;
            }
        }
    } catch (const std::exception&) {
        fail("rmCommChInfo_Text1_KeyPress");
        return true;
    }
    return QWidget::eventFilter(o, e);
}

void frmCommChInfo::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The grid takes the window's height below the group controls.
    if (grid_ != nullptr) {
        const QRect r = grid_->geometry();
        grid_->setGeometry(r.left(), r.top(), r.width(),
                           std::max(Tw(1000, this), height() - r.top() - Tw(120, this)));
    }
}

void frmCommChInfo::closeEvent(QCloseEvent* e) {
    try {
        CommitPendingEdit();
        ed_.GridUnloaded(this);
        text1_->setContextMenuPolicy(Qt::DefaultContextMenu);
    } catch (const std::exception&) {
        fail("frmCommChInfo_Form_Unload");
    }
    QWidget::closeEvent(e);
}

} // namespace zt
