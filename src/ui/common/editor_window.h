// SPDX-License-Identifier: GPL-3.0-or-later
// What every editor child window of the main window shares: its name (by which the main window
// opens, finds and refreshes it), a "filling" guard so that controls being filled from the
// working copy store nothing, relabelling from the language file, storing a half-typed entry,
// and the cross-window refreshes routed to it by the main window.
#pragma once

#include "app/app_state.h"
#include "model/document.h"

#include <QString>
#include <QWidget>

namespace zt {

// Changes one window makes that other open windows must show.
enum class Refresh {
    DtmfCodes,  // the DTMF code list changed: lists offering a code number are rebuilt
    ToneTips,   // the tone tips changed: the roger-beep lists are rebuilt
    GroupNames, // a group name changed
    TxAsOffset, // the TX column switched between frequency and offset
    Channels,   // channels were added, deleted or changed
    FreqEdit,   // the option that allows changing the fixed groups' frequencies was switched
    KeySlots,   // key assignments were changed by another window (scanning switched off)
};

// The main window as its child windows see it.
class WindowRouter {
  public:
    virtual ~WindowRouter() = default;
    // Opens the window `name`, or brings it to the front when it is open.
    virtual QWidget* ShowChildWindow(const QString& name) = 0;
    virtual bool FindWindowByName(const QString& name) const = 0;
    // Passes a change to every open window except `from`.
    virtual void Route(Refresh what, QWidget* from = nullptr) = 0;
};

class EditorWindow : public QWidget {
    Q_OBJECT
  public:
    EditorWindow(AppState& app, Document& doc, WindowRouter* router, const char* name,
                 QWidget* parent = nullptr);

    // Fills every control from the working copy (inside the filling guard).
    virtual void loadFromDocument() = 0;
    // Sets every language-dependent text from the language file.
    virtual void retranslate() = 0;
    // Stores what is typed into a text box but not yet stored.
    virtual void commitPendingEdit() {}
    // A change made elsewhere that this window shows.
    virtual void refresh(Refresh /*what*/) {}
    // Shows the working copy again after it was replaced as a whole (undo, redo).
    void reload() {
        FillGuard g(*this);
        loadFromDocument();
    }

    // Takes the keyboard focus as the window opens: its first control.
    virtual void takeFocusOnOpen();

    bool filling() const { return filling_ > 0; }
    // Closes the window the way its title bar does (the MDI frame goes with it).
    void closeWindow();

  protected:
    // While a guard lives, changes of the controls store nothing.
    class FillGuard {
      public:
        explicit FillGuard(EditorWindow& w) : w_(w) { ++w_.filling_; }
        ~FillGuard() { --w_.filling_; }
        FillGuard(const FillGuard&) = delete;
        FillGuard& operator=(const FillGuard&) = delete;

      private:
        EditorWindow& w_;
    };

    // Labels the window and fills it; the windows call this at the end of their constructor.
    void loadWindow();
    // Sets the Tab order once the window is shown and laid out: the screen's reading order
    // (a window whose controls are read otherwise adds its own order after this).
    virtual void orderTabs();
    void showEvent(QShowEvent* e) override;
    // Tells the other open windows about a change.
    void route(Refresh what);
    // Reports an unexpected failure of a routine with the routine's name.
    void fail(const char* routine);
    QString T(int id) const { return QString::fromStdString(app_.LangText(id)); }

    AppState& app_;
    Document& doc_;
    WindowRouter* router_;

  private:
    int filling_ = 0;
    bool tabsOrdered_ = false;
};

} // namespace zt
