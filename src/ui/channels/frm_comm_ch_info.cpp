// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid window: its controls, their layout and texts, opening and closing.
// The rest of the window lives beside this file: the display of a group
// (frm_comm_ch_info_display.cpp), the group header (frm_comm_ch_info_header.cpp), the in-place
// cell editors (frm_comm_ch_info_editors.cpp) and navigation and scrolling
// (frm_comm_ch_info_navigation.cpp).
#include "channels/frm_comm_ch_info.h"

#include "channels/frm_comm_ch_info_parts.h"
#include "codec/tone.h"
#include "common/child_window.h"
#include "common/choice_list.h"
#include "common/text_guard.h"
#include "common/twips.h"
#include "common/wheel_guard.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableWidget>

#include <exception>

namespace zt {

using namespace chgrid;

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
        GuardTextBox(text1_,
                     FrequencyChars([this] { return ed_.EditCell.col == col::TxFreq && ed_.TxAsOffset(); }));
        text1_->installEventFilter(this);
        text2_ = new QLineEdit(grid_->viewport());
        text2_->setObjectName("Text2");
        text2_->setMaxLength(5);
        text2_->setAlignment(Qt::AlignCenter);
        GuardTextBox(text2_);
        text2_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Z]*"), text2_));
        text2_->installEventFilter(this);
        for (int k = 1; k <= 5; ++k) {
            auto* c = new ChoiceList(grid_->viewport());
            c->setObjectName(QString("Combo%1").arg(k));
            // A tone typed or stepped to is stored once the cell is left: the tone on the way
            // (the "8" of "88.5") must not be taken for the other tone of the channel.
            c->setChosenOnLeave(k == 1);
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
            combo8_[static_cast<std::size_t>(i)]->onPick([this, i](int idx) { onHeaderPick(i, idx); });
        }
        cmdEdit_ = new QPushButton(this);
        cmdEdit_->setObjectName("CommandCHInfoEdit");
        cmdClose_ = new QPushButton(this);
        cmdClose_->setObjectName("CommandClose");

        timerCHEdit_.setSingleShot(true);
        timerCHEdit_.setInterval(1000);
        scrollTimer_.setSingleShot(true);
        scrollTimer_.setInterval(500);

        for (int g = 0; g < kGroupCount; ++g)
            combo7_->addItem(QString::number(g));

        ed_.GridLoaded(this);
        InitShowGrid();
        ChangShowByLanguage();
        SetGridData();
        FirstActivate = true;
        GridReady = true;
        setGridCell(1, col::RxFreq);

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
        connect(combo7_, &QComboBox::currentIndexChanged, this, [this](int index) {
            // Picked by the user in the group box: once the group shows, the keys go back to the
            // grid, so that what is typed next edits a cell instead of picking another group.
            const bool fromBox = combo7_->hasFocus();
            onGroupPicked(index);
            if (fromBox)
                FocusCurrentCell();
        });
        connect(text3_, &QLineEdit::textEdited, this, [this] { storeGroupName(); });
        connect(cmdEdit_, &QPushButton::clicked, this, [this] {
            StoreGridEdit();
            openEditWindow(false);
        });
        connect(cmdClose_, &QPushButton::clicked, this, [this] { CloseChildWindow(this); });
        connect(text1_, &QLineEdit::editingFinished, this, [this] { onText1Left(); });
        GuardWheelOnLists(this);
    } catch (const std::exception& e) {
        fail(kFailSetUp, e);
    }
}

frmCommChInfo::~frmCommChInfo() {
    ed_.GridUnloaded(this);
}

void frmCommChInfo::fail(int textId, const std::exception& e) {
    // What the window was doing, then the reason the system gave.
    if (ed_.app.prompter != nullptr)
        ed_.app.prompter->message(ed_.Text(textId) + "\n" + e.what(), Icon::Critical);
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
    } catch (const std::exception& e) {
        fail(kFailSetUp, e);
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
        QTableWidgetItem* link = grid_->item(r, kDetailsCol - 1);
        link->setText(">>");
        link->setForeground(kLinkText);
        link->setBackground(kLinkBack);
    }
    // The rows start afresh with the cursor on the first one, in sight; a scroll still to be
    // followed is void.
    scrollTimer_.stop();
    setGridCell(1, col::RxFreq);
    grid_->scrollToTop();
    Refreshing = false;
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
        writeCaption(kCaptionTitle);
        if (corner_ != nullptr) {
            corner_->setText(Q(ed_.Text(kHeaderIds[0])));
            corner_->update();
        }
        for (int c = 1; c < kCols; ++c) {
            int id = kHeaderIds[static_cast<std::size_t>(c)];
            if (c == col::TxFreq && ed_.TxAsOffset())
                id = kTxOffsetHeaderId;
            auto* h = new QTableWidgetItem(Q(ed_.Text(id)));
            h->setForeground(kHeaderText);
            grid_->setHorizontalHeaderItem(c - 1, h);
        }
        ShowRowHeaders();
        Refreshing = true;
        toneTexts_.clear();
        toneTexts_.push_back(Q(ed_.Text(kToneOffText)));
        const auto& tones = ToneList();
        for (std::size_t i = 1; i < tones.size(); ++i)
            toneTexts_.push_back(Q(tones[i]));
        FillList(lists_[0], toneTexts_);
        FillList(lists_[1], Texts(ed_, kPowerTexts));
        FillList(lists_[2], Texts(ed_, kScanSkipTexts));
        FillList(lists_[3], Texts(ed_, kOptSignalTexts));
        FillList(lists_[4], Texts(ed_, kSpacingTexts));
        combo8_[2]->setEntries({"AM", "FM"});
        combo8_[3]->setEntries({"AM", "FM"});
        placeLabels();
        Refreshing = false;
    } catch (const std::exception& e) {
        Refreshing = false;
        fail(kFailLanguage, e);
    }
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
    } catch (const std::exception& e) {
        fail(kFailClose, e);
    }
    QWidget::closeEvent(e);
}

} // namespace zt
