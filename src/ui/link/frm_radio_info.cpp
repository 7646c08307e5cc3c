// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_radio_info.h"

#include "common/twips.h"
#include "model/model_config.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace zt {

namespace {

constexpr int kLabelGap = 50; // twips between a label's right edge and its control

QString Q(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<int>(s.size()));
}

// Where each text box sits (twips) and the text id of its label; -1: no label of its own.
struct Place {
    int left, top, width, height, labelId;
};
constexpr int kRow = 400;
// Text1(0..11): sales area, serial number, factory date, repair date, repair reason, version,
// production batch, customer code; in the dealer frame: dealer code, stock-in date, sale date,
// handled by.
constexpr Place kTexts[12] = {
    {2000, 1000, 2400, 300, 21002}, {2000, 1400, 2400, 300, 21007}, {2000, 1800, 2400, 300, 21008},
    {2000, 2200, 2400, 300, 21009}, {2000, 2600, 6800, 700, 21011}, {6400, 1000, 2400, 300, 21010},
    {6400, 1400, 2400, 300, 21003}, {6400, 1800, 2400, 300, 21004}, {1880, 300, 2400, 300, 21013},
    {1880, 700, 2400, 300, 21014},  {6280, 300, 2400, 300, 21015},  {6280, 700, 2400, 300, 21016},
};
constexpr int kMaxLength[12] = {4, 16, 16, 16, 96, 16, 16, 16, 16, 16, 16, 16};

} // namespace

FrmRadioInfo::FrmRadioInfo(AppState& app, Document& doc, const RadioInfoRecord& info, WindowRouter* router)
    : EditorWindow(app, doc, router, kName), info_(info) {
    frame1_ = new QGroupBox(this);
    frame1_->setObjectName("Frame1");
    SetGeometryTw(frame1_, 120, 3450, 8800, 1200);

    auto addLabel = [this](int id, QWidget* parent) {
        auto* l = new QLabel(parent);
        l->setObjectName(QString("Label%1").arg(id));
        labels_[static_cast<std::size_t>(id - 21002)] = l;
        return l;
    };
    for (int i = 0; i < 2; ++i) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString("Combo1_%1").arg(i));
        c->setEnabled(false);
        SetGeometryTw(c, i == 0 ? 2000 : 6400, 400, 2400, 300);
        combos_[static_cast<std::size_t>(i)] = c;
        addLabel(i == 0 ? 21005 : 21006, this);
    }
    combos_[0]->addItem("ZT-450E");
    combos_[1]->addItem(QString::fromStdString(BandTextFromCode(0)));
    for (int i = 0; i < 12; ++i) {
        const Place& p = kTexts[i];
        QWidget* parent = i >= 8 ? static_cast<QWidget*>(frame1_) : this;
        QWidget* box = nullptr;
        if (i == 4) {
            reason_ = new QPlainTextEdit(parent);
            box = reason_;
        } else {
            auto* e = new QLineEdit(parent);
            e->setMaxLength(kMaxLength[i]);
            texts_[static_cast<std::size_t>(i)] = e;
            box = e;
        }
        box->setObjectName(QString("Text1_%1").arg(i));
        box->setEnabled(false);
        SetGeometryTw(box, p.left, p.top, p.width, p.height);
        addLabel(p.labelId, parent);
    }
    // The version box shows the window's background, as a caption would.
    texts_[5]->setStyleSheet("QLineEdit { background: palette(window); }");
    // The repair reason's second label sits under the first.
    addLabel(21012, this);

    close_ = new QPushButton(this);
    close_->setObjectName("CommandClose");
    SetGeometryTw(close_, 7600, 4800, 1300, 380);
    connect(close_, &QPushButton::clicked, this, [this] { closeWindow(); });
    setMinimumSize(Tw(9100, this), Tw(5400, this));
    loadWindow();
}

QWidget* FrmRadioInfo::Text1(int i) const {
    if (i == 4)
        return reason_;
    return texts_[static_cast<std::size_t>(i)];
}

QString FrmRadioInfo::text(int i) const {
    if (i == 4)
        return reason_->toPlainText();
    return texts_[static_cast<std::size_t>(i)]->text();
}

QLabel* FrmRadioInfo::label(int textId) const {
    return labels_[static_cast<std::size_t>(textId - 21002)];
}

void FrmRadioInfo::retranslate() {
    setWindowTitle(T(21000));
    frame1_->setTitle(T(21001));
    close_->setText(T(9023));
    for (int id = 21002; id <= 21016; ++id)
        label(id)->setText(T(id));
    PlaceLabelLeft(label(21005), combos_[0], kLabelGap);
    PlaceLabelLeft(label(21006), combos_[1], kLabelGap);
    for (int i = 0; i < 12; ++i)
        PlaceLabelLeft(label(kTexts[i].labelId), Text1(i), kLabelGap);
    // The reason's labels are at the top of its box, the second one under the first.
    QLabel* first = label(21011);
    first->move(first->x(), reason_->y());
    QLabel* second = label(21012);
    second->adjustSize();
    second->move(reason_->x() - second->width() - Tw(kLabelGap, this), first->y() + first->height());
}

void FrmRadioInfo::ShowByData() {
    const FillGuard guard(*this);
    const int model = combos_[0]->findText(QString::fromStdString(info_.InfoModel));
    combos_[0]->setCurrentIndex(model >= 0 ? model : (combos_[0]->count() > 0 ? 0 : -1));
    const QString band = QString::fromStdString(BandTextFromCode(info_.InfoBandCode));
    combos_[1]->setCurrentIndex(band.isEmpty() ? -1 : combos_[1]->findText(band));
    const std::string values[12] = {
        TrimFixed(info_.SalesArea),      info_.SerialNumber.trimmed(), info_.FactoryDate.trimmed(),
        info_.RepairDate.trimmed(),      info_.RepairReason.trimmed(), TrimFixed(info_.InfoVersion),
        info_.ProductionBatch.trimmed(), info_.CustomerCode.trimmed(), info_.DealerCode.trimmed(),
        info_.StockInDate.trimmed(),     info_.SaleDate.trimmed(),     info_.HandledBy.trimmed(),
    };
    for (int i = 0; i < 12; ++i) {
        if (i == 4)
            reason_->setPlainText(Q(values[i]));
        else
            texts_[static_cast<std::size_t>(i)]->setText(Q(values[i]));
    }
}

} // namespace zt
