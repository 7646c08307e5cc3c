// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/frm_csv_import.h"

#include "util/shown_text.h"

#include "codec/freq.h"
#include "codec/tone.h"
#include "model/channel_table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zt {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString Issues(const AppState& app, const std::vector<CsvIssue>& list) {
    QStringList parts;
    for (const CsvIssue& i : list)
        parts << Q(CsvIssueText(app, i));
    return parts.join("; ");
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    // The lists are read only: Tab goes on to the next control, the arrows move within.
    t->setTabKeyNavigation(false);
    return t;
}

void SetRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        t->setItem(row, c, new QTableWidgetItem(cells[c]));
}

} // namespace

FrmCsvImport::FrmCsvImport(const AppState& app, const DocumentCopy& d, std::string csv,
                           const QString& fileName, QWidget* parent)
    : QDialog(parent), app_(app), doc_(d), csv_(std::move(csv)) {
    setObjectName(kName);
    setWindowTitle(Q(app.LangText(33006)) + " - " + fileName);
    auto T = [&](int id) { return Q(app.LangText(id)); };
    auto* layout = new QVBoxLayout(this);

    // Where the rows go.
    advice_ = AdviseCsvPlacement(app, d, csv_);
    options_ = advice_.options;
    auto* place = new QGroupBox(T(34106), this);
    place->setObjectName("fraPlacement");
    auto* placeGrid = new QGridLayout(place);
    fileNumbers_ = new QRadioButton(T(34107), place);
    fileNumbers_->setObjectName("optFileNumbers");
    fileOrder_ = new QRadioButton(T(34108), place);
    fileOrder_->setObjectName("optFileOrder");
    group_ = new QComboBox(place);
    group_->setObjectName("cboGroup");
    group_->setAccessibleName(T(33053));
    for (int g = 0; g < kVfoGroup; ++g)
        group_->addItem(Q(GroupLabel(d.settings, g)), g);
    auto* chLabel = new QLabel(T(33054), place);
    channel_ = new QSpinBox(place);
    channel_->setObjectName("txtChannel");
    channel_->setAccessibleName(T(33054));
    channel_->setRange(1, 40);
    chLabel->setBuddy(channel_);
    replaceInUse_ = new QCheckBox(T(34109), place);
    replaceInUse_->setObjectName("chkReplaceInUse");
    const int first = std::clamp(options_.firstChannel, 1, kVfoChannelNo - 1);
    group_->setCurrentIndex((first - 1) / 40);
    channel_->setValue(first - GroupBase((first - 1) / 40));
    (options_.placement == CsvPlacement::FileOrder ? fileOrder_ : fileNumbers_)->setChecked(true);
    auto* fromRow = new QHBoxLayout;
    fromRow->addWidget(fileOrder_);
    fromRow->addWidget(group_);
    fromRow->addWidget(chLabel);
    fromRow->addWidget(channel_);
    fromRow->addWidget(replaceInUse_);
    fromRow->addStretch();
    placeGrid->addWidget(fileNumbers_, 0, 0);
    placeGrid->addLayout(fromRow, 1, 0);
    placeText_ = new QLabel(place);
    placeText_->setObjectName("lblAdvice");
    placeText_->setWordWrap(true);
    placeGrid->addWidget(placeText_, 2, 0);

    // What happens to channels in use.
    auto* inUse = new QGroupBox(T(34110), this);
    inUse->setObjectName("fraInUse");
    auto* inUseRow = new QHBoxLayout(inUse);
    reset_ = new QRadioButton(T(34111), inUse);
    reset_->setObjectName("optReset");
    updateColumns_ = new QRadioButton(T(34112), inUse);
    updateColumns_->setObjectName("optUpdateColumns");
    reset_->setChecked(true);
    inUseRow->addWidget(reset_);
    inUseRow->addWidget(updateColumns_);
    inUseRow->addStretch();

    shapeText_ = new QLabel(this);
    shapeText_->setObjectName("lblShape");
    shapeText_->setWordWrap(true);
    takenLabel_ = new QLabel(this);
    takenLabel_->setObjectName("lblTaken");
    const bool asOffset = app.habits.TxAsOffset;
    taken_ = MakeTable(this, "gridTaken",
                       {T(33009), T(33010), T(33053) + " / " + T(33054), T(33011),
                        T(asOffset ? 33057 : 33056), T(33058), T(33059), T(33060), T(33012)});
    wattsLabel_ = new QLabel(T(34105), this);
    wattsLabel_->setObjectName("lblWatts");
    refusedLabel_ = new QLabel(this);
    refusedLabel_->setObjectName("lblRefused");
    refused_ = MakeTable(this, "gridRefused", {T(33009), T(33010), T(33013)});
    nothing_ = new QLabel(this);
    nothing_->setObjectName("lblNothing");
    nothing_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(T(33016), QDialogButtonBox::AcceptRole);
    import_->setObjectName("CommandImport");
    cancel_ = buttons->addButton(T(9018), QDialogButtonBox::RejectRole);
    cancel_->setObjectName("CommandCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    layout->addWidget(place);
    layout->addWidget(inUse);
    layout->addWidget(shapeText_);
    layout->addWidget(takenLabel_);
    layout->addWidget(taken_, 3);
    layout->addWidget(wattsLabel_);
    layout->addWidget(refusedLabel_);
    layout->addWidget(refused_, 2);
    layout->addWidget(nothing_);
    layout->addWidget(buttons);

    connect(fileNumbers_, &QRadioButton::toggled, this, [this] { replan(); });
    connect(reset_, &QRadioButton::toggled, this, [this] { replan(); });
    connect(group_, &QComboBox::currentIndexChanged, this, [this] {
        // Picking a channel makes the rows go in file order from it.
        fileOrder_->setChecked(true);
        replan();
    });
    connect(channel_, &QSpinBox::valueChanged, this, [this] {
        fileOrder_->setChecked(true);
        replan();
    });
    connect(replaceInUse_, &QCheckBox::toggled, this, [this] { replan(); });
    replan();
    resize(900, 640);
}

void FrmCsvImport::replan() {
    options_.placement = fileOrder_->isChecked() ? CsvPlacement::FileOrder : CsvPlacement::FileNumbers;
    options_.firstChannel = GroupBase(group_->currentData().toInt()) + channel_->value();
    options_.replaceInUse = replaceInUse_->isChecked();
    options_.replace = updateColumns_->isChecked() ? CsvReplace::UpdateColumns : CsvReplace::Reset;
    replaceInUse_->setEnabled(options_.placement == CsvPlacement::FileOrder);
    plan_ = PlanCsvImport(app_, doc_, csv_, options_);
    // The reason the preview opened on file order holds only while that choice is in force.
    const CsvImportOptions& advised = advice_.options;
    const bool advisedInForce = advice_.reason != 0 && options_.placement == advised.placement &&
                                options_.firstChannel == advised.firstChannel &&
                                options_.replaceInUse == advised.replaceInUse;
    placeText_->setText(
        Q(advisedInForce ? CsvPlacementReasonText(app_, advice_) : CsvPlacementText(app_, options_)));
    nothing_->setText(plan_.taken.empty() ? Q(CsvNothingTakenText(app_, doc_, csv_, options_)) : QString());
    shapeText_->setText(Q(CsvShapeText(app_, plan_.shape)));
    fill();
}

void FrmCsvImport::fill() {
    auto T = [&](int id) { return Q(app_.LangText(id)); };
    const bool asOffset = app_.habits.TxAsOffset;
    auto tone = [&](int index) { return index == 0 ? T(14013) : Q(ToneText(index)); };
    takenLabel_->setText(T(33007) + " " + QString::number(plan_.taken.size()));
    taken_->setRowCount(static_cast<int>(plan_.taken.size()));
    bool watts = false;
    for (int i = 0; i < static_cast<int>(plan_.taken.size()); ++i) {
        const CsvTakenRow& r = plan_.taken[static_cast<std::size_t>(i)];
        for (const CsvIssue& n : r.notes)
            watts = watts || n.textId == csvtext::NotePowerWatts;
        const ChannelRecord& c = r.record;
        const int g = (c.ChannelNo - 1) / 40;
        SetRow(taken_, i,
               {QString::number(r.line), QString::number(c.ChannelNo),
                QString("%1 / %2").arg(g).arg(c.ChannelNo - GroupBase(g)), Q(RxText(app_, c.RxFreq.raw())),
                Q(TxText(app_, c.RxFreq.raw(), c.TxOffset.raw(), c.TxOffsetDir, asOffset)),
                tone(c.DecodeTone), tone(c.EncodeTone), T(c.Mode == 0 ? 15500 : 15501),
                Issues(app_, r.notes)});
    }
    wattsLabel_->setVisible(watts);

    QString refusedText = T(33008) + " " + QString::number(plan_.refusedCount);
    if (const auto more = plan_.refusedCount - static_cast<int>(plan_.refused.size()); more > 0)
        refusedText += " (" + T(34115) + " " + QString::number(more) + ")";
    refusedLabel_->setText(refusedText);
    refused_->setRowCount(static_cast<int>(plan_.refused.size()));
    for (int i = 0; i < static_cast<int>(plan_.refused.size()); ++i) {
        const CsvRefusedRow& r = plan_.refused[static_cast<std::size_t>(i)];
        SetRow(refused_, i, {QString::number(r.line), Q(ShownText(r.location)), Issues(app_, r.reasons)});
    }
    for (QTableWidget* t : {taken_, refused_}) {
        t->resizeColumnsToContents();
        // Sizing the columns to their contents sizes the last one too: it fills the rest of the
        // width again.
        t->horizontalHeader()->setStretchLastSection(false);
        t->horizontalHeader()->setStretchLastSection(true);
    }
    import_->setEnabled(!plan_.taken.empty());
    nothing_->setVisible(plan_.taken.empty());
}

} // namespace zt
