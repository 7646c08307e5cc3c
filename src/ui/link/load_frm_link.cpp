// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/load_frm_link.h"

#include "link/radio_link.h"
#include "port_search.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zt {

namespace {

QString Trimmed(const AppState& app, int id) {
    return QString::fromStdString(app.LangText(id)).trimmed();
}

// A message's lines as the status line shows them: "\r\n" (the line ends of the message texts) and a
// lone "\r" become line breaks.
QString MessageLines(const std::string& text) {
    return QString::fromStdString(text).replace("\r\n", "\n").replace('\r', '\n').trimmed();
}

} // namespace

LoadFrmLink::LoadFrmLink(AppState& app, QWidget* parent, FrmSetComm::PortLister lister)
    : QDialog(parent), app_(app), lister_(std::move(lister)), port_(serial_, app), versions_(app),
      engine_(app, doc_, port_, timer_, *this, versions_) {
    setObjectName(kName);
    appPrompter_ = app_.prompter;
    app_.prompter = &statusPrompter_;
    setWindowTitle(Trimmed(app, 34540));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    AttachLinkEngine(serial_, timer_, engine_);

    text_ = new QLabel(this);
    text_->setObjectName("Text1");
    text_->setWordWrap(true);
    text_->setText(Trimmed(app, 9054) + "\n\n" + Trimmed(app, 9050) + "\n" + Trimmed(app, 9051) + "\n" +
                   Trimmed(app, 9052) + "\n" + Trimmed(app, 9053) + "\n\n" + Trimmed(app, 34544));
    combo_ = new QComboBox(this);
    combo_->setObjectName("Combo1");
    combo_->setEditable(true); // a device path can be typed
    combo_->setAccessibleName(Trimmed(app, 22004));
    status_ = new QLabel(this);
    status_->setObjectName("Status");
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    ok_ = new QPushButton(Trimmed(app, 34541), this);
    ok_->setObjectName("Command1");
    ok_->setDefault(true);
    cancel_ = new QPushButton(Trimmed(app, 34542), this);
    cancel_->setObjectName("Command2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* box = new QVBoxLayout(this);
    box->addWidget(text_);
    box->addWidget(combo_);
    box->addWidget(status_);
    box->addLayout(buttons);
    setMinimumWidth(440);

    connect(ok_, &QPushButton::clicked, this, &LoadFrmLink::Command1_Click);
    connect(cancel_, &QPushButton::clicked, this, &LoadFrmLink::reject);

    endTimer_.setSingleShot(true);
    endTimer_.setInterval(100);
    connect(&endTimer_, &QTimer::timeout, this, [this] {
        reCommTimer_.stop();
        accept();
    });
    RefreshPorts();
    reCommTimer_.setInterval(1000);
    connect(&reCommTimer_, &QTimer::timeout, this, &LoadFrmLink::RefreshPorts);
    reCommTimer_.start();
}

LoadFrmLink::~LoadFrmLink() {
    reCommTimer_.stop();
    endTimer_.stop();
    timer_.stop();
    serial_.close();
    app_.prompter = appPrompter_;
}

Answer LoadFrmLink::StatusPrompter::ask(const std::string& text, Icon icon, Buttons buttons,
                                        const std::string& title) {
    owner_.showFailure(text);
    return owner_.appPrompter_ ? owner_.appPrompter_->ask(text, icon, buttons, title)
                               : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
}

void LoadFrmLink::showFailure(const std::string& text) {
    if (text.empty())
        status_->clear();
    else
        status_->setText(MessageLines(text));
}

void LoadFrmLink::RefreshPorts() {
    QList<SerialPortEntry> now = lister_ ? lister_() : QList<SerialPortEntry>{};
    SortSerialPorts(now);
    if (now == ports_ && combo_->count() > 0)
        return;
    if (combo_->view()->isVisible())
        return; // the user is choosing: the next refresh refills it
    ports_ = now;
    fillPorts();
}

void LoadFrmLink::fillPorts() {
    // The configured port stays the choice, listed or not, while it exists; otherwise the first
    // listed port (USB adapters come first) is proposed.
    QString chosen = filled_ ? chosenPort() : QString::fromStdString(engine_.portName());
    if (!filled_ && !PortPresent(chosen.toStdString()) && !ports_.isEmpty() &&
        std::none_of(ports_.begin(), ports_.end(),
                     [&](const SerialPortEntry& p) { return p.name == chosen; }))
        chosen = ports_.first().name;
    filled_ = true;
    const QSignalBlocker block(combo_);
    combo_->clear();
    for (const SerialPortEntry& p : ports_)
        combo_->addItem(p.description.isEmpty() ? p.name : p.name + " - " + p.description, p.name);
    const int at = combo_->findData(chosen);
    if (at >= 0) {
        combo_->setCurrentIndex(at);
    } else {
        combo_->setCurrentIndex(-1);
        combo_->setEditText(chosen);
    }
}

QString LoadFrmLink::chosenPort() const {
    // A listed port is chosen by its name; anything else is a typed device path.
    const int at = combo_->findText(combo_->currentText());
    return at >= 0 ? combo_->itemData(at).toString() : combo_->currentText().trimmed();
}

void LoadFrmLink::keepChosenPort() {
    const QString name = chosenPort();
    if (!name.isEmpty())
        app_.ComPortName = name.toStdString();
}

void LoadFrmLink::Command1_Click() {
    if (engine_.busy())
        return;
    keepChosenPort();
    status_->setText(Trimmed(app_, 34543).replace("%1", QString::fromStdString(engine_.portName())));
    if (!engine_.startLinkTest())
        showFailure(engine_.lastResult().text); // the port could not be opened: why stays shown
}

void LoadFrmLink::exchangeEnded(const LinkResult& result) {
    const LinkMode mode = result.mode;
    const bool ok = result.ok();
    if (mode == LinkMode::LinkTest && ok)
        endTimer_.start();
    else
        showFailure(result.text); // the port and the reason; nothing after an abort
}

void LoadFrmLink::reject() {
    // Going on without a radio: the port chosen is kept for later, the first-run flag stays.
    engine_.abort();
    reCommTimer_.stop();
    keepChosenPort();
    QDialog::reject();
}

} // namespace zt
