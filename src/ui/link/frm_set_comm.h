// SPDX-License-Identifier: GPL-3.0-or-later
// The port dialog: the system's serial ports by name and description (USB adapters first),
// refreshed every second while the dialog is open, and a device path that can also be typed
// (a pseudo-terminal, a symbolic link). The list is refilled only when the set of ports changed,
// and the user's choice stays: a chosen port whose device is present (a typed path, a link such as
// /dev/serial/by-id/...) is listed as present; one that is not stays listed, disabled. Find Radio
// tries the handshake on the typed path and then on every listed port and chooses the port where
// a radio answered. OK stores the choice in mysetup.ini.
#pragma once

#include "common/form_dialog.h"
#include "link/radio_search.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zt {

class PortSearch;

struct SerialPortEntry {
    QString name;        // "ttyUSB0", "COM3"
    QString description; // what the system says about it ("" when nothing)
    bool usb = false;    // a USB adapter (listed first)
    bool operator==(const SerialPortEntry&) const = default;
};

// The serial ports of the system, USB adapters first, then by name.
QList<SerialPortEntry> SystemSerialPorts();
void SortSerialPorts(QList<SerialPortEntry>& ports);

class FrmSetComm : public FormDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmSetComm";
    using PortLister = std::function<QList<SerialPortEntry>()>;
    FrmSetComm(AppState& app, QWidget* parent = nullptr, PortLister lister = SystemSerialPorts);
    ~FrmSetComm() override;

    // Reads the system's ports again; refills the list only when they changed.
    void EnablePortOptions();
    // The port chosen now (the device path box).
    QString chosenPort() const;
    bool stored() const { return stored_; }
    int refills() const { return refills_; }

    QListWidget* PortList() const { return list_; }
    QLineEdit* DevicePath() const { return path_; }
    QTimer& ReCommTimer() { return timer_; }

    // Cancel: a search still running ends first.
    void reject() override;
    // Find Radio: starts the search, or stops the one running.
    void FindRadio_Click();
    bool searching() const;
    // The echo setting found where the radio answered, while that port is the choice.
    std::optional<bool> foundNoEcho() const;
    // A search found a radio (on whichever port).
    bool radioAnswered() const { return found_.has_value(); }
    QPushButton* FindRadio() const { return find_; }
    QLabel* SearchStatus() const { return searchStatus_; }
    // The ports passed over by the last search, each with its reason.
    QListWidget* SearchLog() const { return searchLog_; }

  private:
    void fill(const QList<SerialPortEntry>& ports);
    void selectChosen();
    void CommandOK_Click();
    void searchEnded(const SearchResult& r);

    AppState& state_;
    PortLister lister_;
    QList<SerialPortEntry> ports_;
    QGroupBox* frame1_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* path_ = nullptr;
    QTimer timer_;
    QPushButton* find_ = nullptr;
    QLabel* searchStatus_ = nullptr;
    QListWidget* searchLog_ = nullptr;
    std::unique_ptr<PortSearch> search_;
    std::optional<SearchResult> found_;
    bool selecting_ = false;
    bool stored_ = false;
    int refills_ = 0;
};

} // namespace zt
