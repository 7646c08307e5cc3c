#include "exchange/frm_csv_import.h"

#include "codec/freq.h"
#include "codec/tone.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers, int rows) {
    auto* t = new QTableWidget(rows, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void SetRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        t->setItem(row, c, new QTableWidgetItem(cells[c]));
}

} // namespace

FrmCsvImport::FrmCsvImport(const AppState& app, const CsvImportPlan& plan, const QString& fileName,
                           QWidget* parent)
    : QDialog(parent) {
    setObjectName(kName);
    setWindowTitle(Q(app.LangText(33006)) + " - " + fileName);
    auto T = [&](int id) { return Q(app.LangText(id)); };
    auto* layout = new QVBoxLayout(this);

    auto* takenLabel = new QLabel(T(33007) + " " + QString::number(plan.taken.size()), this);
    takenLabel->setObjectName("lblTaken");
    const bool asOffset = app.habits.TxAsOffset;
    taken_ = MakeTable(
        this, "gridTaken",
        {T(33009), T(33010), T(33011), T(asOffset ? 33057 : 33056), T(33058), T(33059), T(33060), T(33012)},
        static_cast<int>(plan.taken.size()));
    auto tone = [&](int index) { return index == 0 ? T(14013) : Q(ToneText(index)); };
    for (int i = 0; i < static_cast<int>(plan.taken.size()); ++i) {
        const CsvTakenRow& r = plan.taken[static_cast<std::size_t>(i)];
        QString note = Issues(app, r.notes);
        if (r.replaces)
            note = T(33019) + (note.isEmpty() ? QString() : " " + note);
        const ChannelRecord& c = r.record;
        SetRow(taken_, i,
               {QString::number(r.line), QString::number(c.ChannelNo), Q(RxText(app, c.RxFreq.raw())),
                Q(TxText(app, c.RxFreq.raw(), c.TxOffset.raw(), c.TxOffsetDir, asOffset)), tone(c.DecodeTone),
                tone(c.EncodeTone), T(c.Mode == 0 ? 15500 : 15501), note});
    }

    auto* refusedLabel = new QLabel(T(33008) + " " + QString::number(plan.refused.size()), this);
    refusedLabel->setObjectName("lblRefused");
    refused_ =
        MakeTable(this, "gridRefused", {T(33009), T(33010), T(33013)}, static_cast<int>(plan.refused.size()));
    for (int i = 0; i < static_cast<int>(plan.refused.size()); ++i) {
        const CsvRefusedRow& r = plan.refused[static_cast<std::size_t>(i)];
        SetRow(refused_, i, {QString::number(r.line), Q(r.location), Issues(app, r.reasons)});
    }
    for (QTableWidget* t : {taken_, refused_})
        t->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(T(33016), QDialogButtonBox::AcceptRole);
    import_->setObjectName("CommandImport");
    import_->setEnabled(!plan.taken.empty());
    cancel_ = buttons->addButton(T(9018), QDialogButtonBox::RejectRole);
    cancel_->setObjectName("CommandCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    layout->addWidget(takenLabel);
    layout->addWidget(taken_, 3);
    layout->addWidget(refusedLabel);
    layout->addWidget(refused_, 2);
    if (plan.taken.empty()) {
        auto* none = new QLabel(T(33017), this);
        none->setObjectName("lblNothing");
        layout->addWidget(none);
    }
    layout->addWidget(buttons);
    resize(760, 520);
}

} // namespace zt
