// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_set_comm.h"

#include "files/app_settings.h"
#include "link/radio_link.h"
#include "port_search.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <algorithm>

namespace zt {

namespace {

constexpr int kRefreshMs = 1000;

// The name a port is stored and opened by, from what the user chose.
QString PortNameOf(const AppState& app) {
    if (!app.ComPortName.empty())
        return QString::fromStdString(app.ComPortName);
    return QString("COM%1").arg(app.ComPort);
}

} // namespace

void SortSerialPorts(QList<SerialPortEntry>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
        if (a.usb != b.usb)
            return a.usb;
        return a.name < b.name;
    });
}

QList<SerialPortEntry> SystemSerialPorts() {
    QList<SerialPortEntry> out;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        const bool usb =
            p.hasVendorIdentifier() || p.portName().startsWith("ttyUSB") || p.portName().startsWith("ttyACM");
        out.push_back({p.portName(), p.description(), usb});
    }
    SortSerialPorts(out);
    return out;
}

FrmSetComm::FrmSetComm(AppState& app, QWidget* parent, PortLister lister)
    : FormDialog(app, kName, parent), state_(app), lister_(std::move(lister)) {
    setWindowTitle(T(22000));
    frame1_ = new QGroupBox(T(22001), this);
    frame1_->setObjectName("Frame1");
    list_ = new QListWidget(frame1_);
    list_->setObjectName("PortList");
    list_->setAccessibleName(T(22006));
    auto* box = new QVBoxLayout(frame1_);
    box->addWidget(list_);
    addRow(frame1_, "Frame1Label");
    path_ = new QLineEdit(this);
    path_->setObjectName("DevicePath");
    path_->setAccessibleName(T(22004));
    addRow(path_, "Label1")->setText(T(22004));
    path_->setText(PortNameOf(app));
    auto* findRow = new QWidget(this);
    findRow->setObjectName("FindRow");
    find_ = new QPushButton(T(34520), findRow);
    find_->setObjectName("FindRadio");
    searchStatus_ = new QLabel(findRow);
    searchStatus_->setObjectName("SearchStatus");
    searchStatus_->setWordWrap(true);
    auto* findBox = new QHBoxLayout(findRow);
    findBox->setContentsMargins(0, 0, 0, 0);
    findBox->addWidget(find_);
    findBox->addWidget(searchStatus_, 1);
    findRow->setFocusProxy(find_);
    addWideRow(findRow);
    searchLog_ = new QListWidget(this);
    searchLog_->setObjectName("SearchLog");
    searchLog_->setAccessibleName(T(34523));
    searchLog_->setMaximumHeight(90);
    searchLog_->hide();
    addWideRow(searchLog_);
    setMinimumWidth(420);
    connect(find_, &QPushButton::clicked, this, &FrmSetComm::FindRadio_Click);

    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (selecting_ || item == nullptr)
            return;
        path_->setText(item->data(Qt::UserRole).toString());
    });
    connect(path_, &QLineEdit::textEdited, this, [this] { selectChosen(); });
    connect(CommandOK(), &QPushButton::clicked, this, &FrmSetComm::CommandOK_Click);

    EnablePortOptions();
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &FrmSetComm::EnablePortOptions);
    timer_.start();
}

QString FrmSetComm::chosenPort() const {
    return path_->text().trimmed();
}

void FrmSetComm::EnablePortOptions() {
    QList<SerialPortEntry> now = lister_ ? lister_() : QList<SerialPortEntry>{};
    SortSerialPorts(now);
    if (now == ports_ && refills_ > 0)
        return;
    ports_ = now;
    fill(ports_);
}

void FrmSetComm::fill(const QList<SerialPortEntry>& ports) {
    selecting_ = true;
    list_->clear();
    for (const SerialPortEntry& p : ports) {
        auto* item = new QListWidgetItem(p.description.isEmpty() ? p.name : p.name + " - " + p.description);
        item->setData(Qt::UserRole, p.name);
        list_->addItem(item);
    }
    // A chosen port that is not listed stays listed: as present when its device is there (a typed
    // path, a link to a listed port), greyed otherwise.
    const QString chosen = chosenPort();
    const bool listed =
        std::any_of(ports.begin(), ports.end(), [&](const SerialPortEntry& p) { return p.name == chosen; });
    if (!chosen.isEmpty() && !listed) {
        const std::string device = ResolvedDevice(chosen.toStdString());
        if (PortPresent(chosen.toStdString())) {
            const QString target = QString::fromStdString(device);
            auto* item =
                new QListWidgetItem(target.isEmpty() || target == chosen ? chosen : chosen + " - " + target);
            item->setData(Qt::UserRole, chosen);
            list_->addItem(item);
        } else {
            auto* item = new QListWidgetItem(chosen + " " + T(22005));
            item->setData(Qt::UserRole, chosen);
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            list_->addItem(item);
        }
    }
    selecting_ = false;
    ++refills_;
    selectChosen();
}

void FrmSetComm::selectChosen() {
    selecting_ = true;
    const QString chosen = chosenPort();
    QListWidgetItem* match = nullptr;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->data(Qt::UserRole).toString() == chosen)
            match = list_->item(i);
    list_->setCurrentItem(match);
    if (match != nullptr)
        match->setSelected(true);
    selecting_ = false;
}

FrmSetComm::~FrmSetComm() {
    search_.reset(); // a search still running ends here, its port closed
}

bool FrmSetComm::searching() const {
    return search_ && search_->running();
}

std::optional<bool> FrmSetComm::foundNoEcho() const {
    if (!found_ || QString::fromStdString(found_->port) != chosenPort())
        return std::nullopt;
    return found_->noEcho;
}

void FrmSetComm::FindRadio_Click() {
    if (searching()) {
        search_->cancel();
        return;
    }
    if (!search_) {
        search_ = std::make_unique<PortSearch>();
        search_->onTrying = [this](const std::string& port, std::size_t index, std::size_t count) {
            searchStatus_->setText(T(34521)
                                       .replace("%1", QString::fromStdString(port))
                                       .replace("%2", QString::number(index + 1))
                                       .replace("%3", QString::number(count)));
        };
        search_->onSkipped = [this](const SkippedPort& s) {
            searchLog_->addItem(QString::fromStdString(SkippedPortText(state_, s)));
            searchLog_->show();
            searchLog_->scrollToBottom();
        };
        search_->onEnded = [this](const SearchResult& r) { searchEnded(r); };
    }
    found_.reset();
    searchLog_->clear();
    searchLog_->hide();
    // The typed path first (the system does not list pseudo-terminals and links), then the
    // system's ports, USB adapters first. With no path typed, the port selected in the list comes
    // first and every port the list offers is tried (a path chosen before, still present, too).
    QStringList first{chosenPort()};
    if (chosenPort().isEmpty()) {
        if (const QListWidgetItem* selected = list_->currentItem(); selected != nullptr)
            first << selected->data(Qt::UserRole).toString();
        for (int i = 0; i < list_->count(); ++i) {
            const QListWidgetItem* item = list_->item(i);
            if (item->flags() & Qt::ItemIsEnabled)
                first << item->data(Qt::UserRole).toString();
        }
    }
    QList<SystemPort> listed;
    for (const SerialPortEntry& p : ports_) {
        SystemPort s;
        s.name = p.name;
        s.description = p.description;
        s.usb = p.usb;
        listed.push_back(s);
    }
    // A port named twice is tried once, in its first place.
    const std::vector<std::string> candidates = SearchCandidates(first, listed);
    if (candidates.empty()) {
        searchStatus_->setText(T(34525));
        return;
    }
    find_->setText(T(34524));
    search_->start(candidates);
}

void FrmSetComm::searchEnded(const SearchResult& r) {
    find_->setText(T(34520));
    if (r.found()) {
        found_ = r;
        path_->setText(QString::fromStdString(r.port));
        fill(ports_);
        searchStatus_->setText(T(34522).replace("%1", QString::fromStdString(r.port)));
    } else if (r.outcome == SearchOutcome::NotFound) {
        searchStatus_->setText(T(34523));
    } else {
        searchStatus_->clear();
    }
}

void FrmSetComm::reject() {
    if (searching())
        search_->cancel();
    timer_.stop();
    FormDialog::reject();
}

void FrmSetComm::CommandOK_Click() {
    if (searching())
        search_->cancel();
    const QString name = chosenPort();
    if (!name.isEmpty()) {
        state_.ComPortName = name.toStdString();
        // A port of the COMn kind also keeps its number.
        const auto m = QRegularExpression("^COM(\\d{1,3})$").match(name);
        if (m.hasMatch() && m.captured(1).toInt() >= 1 && m.captured(1).toInt() <= 255)
            state_.ComPort = static_cast<std::int16_t>(m.captured(1).toInt());
        WriteComPort(state_);
        stored_ = true;
        ReportPortPermission(state_, state_.ComPortName);
    }
    timer_.stop();
    accept();
}

} // namespace zt
