// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_batch_write.h"

#include "link/frm_pass_word.h"
#include "util/shown_text.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zt {

namespace {

constexpr int kCaption = 34601;
constexpr int kWaiting = 34602;
constexpr int kReading = 34603;
constexpr int kWriting = 34604;
constexpr int kVerifying = 34605;
constexpr int kFailed = 34606;
constexpr int kStop = 34607;
constexpr int kClose = 34608;
constexpr int kCount = 34609;
constexpr int kEnded = 34660;
constexpr int kGoOn = 34610;
constexpr int kLogFailed = 34627;
constexpr int kDocument = 34628;
constexpr int kLog = 34629;
constexpr int kTime = 34649;
constexpr int kSerial = 33225;
constexpr int kResult = 34650;
constexpr int kWritten = 34651;
constexpr int kVerified = 34652;
constexpr int kFailedResult = 34653;
constexpr int kVerifyOn = 34654;
constexpr int kVerifyOff = 34655;
constexpr int kNoSerial = 34656;

QString Fill(QString text, const QString& a1, const QString& a2 = {}, const QString& a3 = {}) {
    return text.replace("%1", a1).replace("%2", a2).replace("%3", a3);
}

} // namespace

FrmBatchWrite::FrmBatchWrite(AppState& app, Document& doc, BatchLog& log, BackupStore* backups, bool verify,
                             const std::string& password, QWidget* parent)
    : QDialog(parent), app_(app), versions_(app) {
    setObjectName(kName);
    setWindowTitle(T(kCaption));
    batch_ = std::make_unique<BatchWriter>(app, doc, port_, replyTimer_, stepTimer_, versions_, *this, log,
                                           backups);
    AttachLinkEngine(port_, replyTimer_, *batch_);
    stepTimer_.setHandler([this] { batch_->onStepTimer(); });
    batch_->setVerify(verify);
    batch_->setPassword(password);

    auto* layout = new QVBoxLayout(this);
    auto label = [&](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setWordWrap(true);
        layout->addWidget(l);
        return l;
    };
    label(T(kDocument) + " " + QFileInfo(QString::fromStdString(app.DocFileName)).fileName(),
          "LabelDocument");
    label(T(kLog) + " " +
              QString::fromStdString(
                  ShownText(QDir::toNativeSeparators(QString::fromStdString(log.path())).toStdString())),
          "LabelLog");
    label(T(verify ? kVerifyOn : kVerifyOff), "LabelVerify");
    status_ = label(QString(), "LabelStatus");
    status_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("ProgressBar1");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    layout->addWidget(bar_);
    count_ = label(QString(), "LabelCount");
    showCount({});

    list_ = new QTableWidget(0, 3, this);
    list_->setObjectName("RadioList");
    list_->setAccessibleName(T(kCaption));
    list_->setHorizontalHeaderLabels({T(kTime), T(kSerial), T(kResult)});
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setTabKeyNavigation(false);
    layout->addWidget(list_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    stop_ = new QPushButton(T(kStop), this);
    stop_->setObjectName("CommandStop");
    buttons->addWidget(stop_);
    layout->addLayout(buttons);
    connect(stop_, &QPushButton::clicked, this, &FrmBatchWrite::onStop);
    resize(620, 440);
}

FrmBatchWrite::~FrmBatchWrite() {
    batch_.reset(); // ends an exchange still running before the port and timers go
}

QString FrmBatchWrite::T(int id) const {
    return QString::fromStdString(app_.LangText(id));
}

void FrmBatchWrite::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!started_) {
        started_ = true;
        batch_->start();
    }
}

void FrmBatchWrite::showCount(const BatchCount& c) {
    count_->setText(
        // Every radio written, and of them the ones read back and found right.
        Fill(T(kCount), QString::number(c.written + c.verified), QString::number(c.verified),
             QString::number(c.failed)));
}

void FrmBatchWrite::onStop() {
    if (ended_) {
        accept();
        return;
    }
    batch_->stop();
    if (batch_->running())
        stop_->setEnabled(false); // the radio in hand is written first
}

void FrmBatchWrite::reject() {
    // Escape and the window's close button stop the batch; the window stays while a write runs.
    if (!ended_) {
        onStop();
        if (!ended_)
            return;
    }
    QDialog::reject();
}

void FrmBatchWrite::phaseChanged(BatchPhase phase, const BatchRadio& radio) {
    const QString serial = radio.serial.empty()
                               ? T(kNoSerial)
                               : QString::fromStdString(ShownText(radio.serial, HighBytes::Legacy));
    switch (phase) {
    case BatchPhase::Waiting:
        status_->setText(Fill(T(kWaiting), QString::fromStdString(ShownText(app_.ComPortName))));
        bar_->setValue(0);
        break;
    case BatchPhase::Reading:
        status_->setText(Fill(T(kReading), serial));
        break;
    case BatchPhase::Writing:
        status_->setText(Fill(T(kWriting), serial));
        break;
    case BatchPhase::Verifying:
        status_->setText(Fill(T(kVerifying), serial));
        break;
    case BatchPhase::AwaitingGoOn:
        status_->setText(Fill(T(kFailed), serial, QString::fromStdString(ShownText(radio.reason))));
        break;
    case BatchPhase::Idle:
    case BatchPhase::Ended:
        break;
    }
}

void FrmBatchWrite::portTrouble(const std::string& why) {
    // Waiting still, with the reason the port cannot be opened under it until it opens.
    QString text = Fill(T(kWaiting), QString::fromStdString(ShownText(app_.ComPortName)));
    if (!why.empty())
        text += "\n" + QString::fromStdString(ShownText(why));
    status_->setText(text);
}

void FrmBatchWrite::progress(int percent) {
    bar_->setValue(percent);
}

bool FrmBatchWrite::askPassword(std::string& password) {
    if (passwordDialog)
        return passwordDialog(password);
    FrmPassWord dlg(app_, password, this);
    dlg.exec();
    password = dlg.password();
    return true;
}

void FrmBatchWrite::radioDone(const BatchRadio& r, const BatchCount& count, const std::string& logError) {
    showCount(count);
    const int row = list_->rowCount();
    list_->insertRow(row);
    const QString serial =
        r.serial.empty() ? T(kNoSerial) : QString::fromStdString(ShownText(r.serial, HighBytes::Legacy));
    QString result = T(r.result == BatchResult::Verified  ? kVerified
                       : r.result == BatchResult::Written ? kWritten
                                                          : kFailedResult);
    if (!r.reason.empty())
        result += ": " + QString::fromStdString(ShownText(r.reason));
    const QString cells[] = {QDateTime::fromSecsSinceEpoch(r.when).toString("yyyy-MM-dd HH:mm:ss"), serial,
                             result};
    for (int c = 0; c < 3; ++c)
        list_->setItem(row, c, new QTableWidgetItem(cells[c]));
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
    list_->scrollToBottom();
    if (!logError.empty() || r.result != BatchResult::Failed || batch_->stopRequested())
        return;
    // A failed radio is named, and the batch goes on only on the user's word.
    const std::string question =
        Fill(T(kFailed), serial, QString::fromStdString(ShownText(r.reason))).toStdString() + "\r\n\r\n" +
        app_.LangText(kGoOn);
    if (app_.prompter && app_.prompter->ask(question, Icon::Warning, Buttons::YesNo) == Answer::Yes)
        batch_->goOn();
    else
        batch_->stop();
}

void FrmBatchWrite::batchEnded(const BatchCount& count, const std::string& why) {
    ended_ = true;
    showCount(count);
    bar_->setValue(0);
    status_->setText(T(kEnded));
    stop_->setText(T(kClose));
    stop_->setEnabled(true);
    if (!why.empty() && app_.prompter)
        app_.prompter->ask(app_.LangText(kLogFailed) + "\r\n" + why, Icon::Critical, Buttons::Ok);
}

} // namespace zt
