// SPDX-License-Identifier: GPL-3.0-or-later
// The first-run window ("Initial Setup"): it offers to test the link to the radio on a port
// chosen here (a present one, USB adapters first, is proposed) or to go on without a radio. The
// test (the echo guess alternating on every unanswered handshake) closes the window when a radio
// answers and clears AppState::IsFirstRun; a failure names the port and the reason, in a message
// and then in the window's status line, and the window stays. Going on (or closing the window) leaves the
// flag set, so the test is offered again on the next start; the port chosen is kept for the main window's
// exchanges. It has its own serial port.
#pragma once

#include "files/version_table.h"
#include "link/frm_set_comm.h"
#include "link/link_engine.h"
#include "link/radio_link.h"
#include "serial_link.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QPushButton;

namespace zt {

class LoadFrmLink : public QDialog, public LinkHost {
    Q_OBJECT
  public:
    static constexpr const char* kName = "LoadFrmLink";
    LoadFrmLink(AppState& app, QWidget* parent = nullptr, FrmSetComm::PortLister lister = SystemSerialPorts);
    ~LoadFrmLink() override;

    // The echo guess that worked: the first exchange of the main window starts with it.
    bool noEcho() const { return engine_.noEcho(); }
    LinkEngine& engine() { return engine_; }
    SerialLinkPort& port() { return serial_; }

    void Command1_Click();
    // Reads the system's ports again; the list is refilled only when they changed and never
    // while it is open.
    void RefreshPorts();

    QComboBox* Combo1() const { return combo_; }
    QLabel* Text1() const { return text_; }
    // Test the link; go on without a radio.
    QPushButton* Command1() const { return ok_; }
    QPushButton* Command2() const { return cancel_; }
    // What the window is doing ("Testing the link on ..."), or why the last test failed.
    QLabel* Status() const { return status_; }
    // The port chosen in the list or typed.
    QString chosenPort() const;
    QTimer& ReCommTimer() { return reCommTimer_; }

    // LinkHost: only the end of the link test matters here.
    void openProgress(LinkMode) override {}
    void setProgress(int) override {}
    void closeProgress() override {}
    bool askPassword(std::string&) override { return false; }
    void handOver(const std::string&) override {}
    void exchangeEnded(const LinkResult& result) override;

  protected:
    void reject() override;

  private:
    // Passes the link test's messages on to the application's prompter and, first, shows each
    // in the status line, so the reason stays in the window after the message is closed.
    class StatusPrompter : public Prompter {
      public:
        explicit StatusPrompter(LoadFrmLink& owner) : owner_(owner) {}
        Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title) override;

      private:
        LoadFrmLink& owner_;
    };

    void fillPorts();
    void keepChosenPort();
    void showFailure(const std::string& text);

    AppState& app_;
    Prompter* appPrompter_ = nullptr; // the application's, restored when the window goes
    StatusPrompter statusPrompter_{*this};
    FrmSetComm::PortLister lister_;
    QList<SerialPortEntry> ports_;
    Document doc_;
    SerialLinkPort serial_;
    UserLinkPort port_;
    SerialLinkTimer timer_;
    AppVersionTable versions_;
    LinkEngine engine_;
    QLabel* text_ = nullptr;
    QLabel* status_ = nullptr;
    bool filled_ = false; // the port list has been filled once
    QComboBox* combo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer reCommTimer_;
    QTimer endTimer_;
};

} // namespace zt
