#include "common/editor_window.h"

#include <QMdiSubWindow>

namespace zt {

EditorWindow::EditorWindow(AppState& app, Document& doc, WindowRouter* router, const char* name,
                           QWidget* parent)
    : QWidget(parent), app_(app), doc_(doc), router_(router) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
}

void EditorWindow::loadWindow() {
    const FillGuard guard(*this);
    retranslate();
    loadFromDocument();
}

void EditorWindow::closeWindow() {
    // Inside the MDI area the frame is what the user sees: closing only this widget would
    // leave an empty frame behind.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void EditorWindow::route(Refresh what) {
    if (router_ != nullptr)
        router_->Route(what, this);
}

void EditorWindow::fail(const char* routine) {
    if (app_.prompter != nullptr)
        app_.prompter->message(routine, Icon::Critical);
}

} // namespace zt
