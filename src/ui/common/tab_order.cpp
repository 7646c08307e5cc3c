// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/tab_order.h"

#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>

namespace zt {

namespace {

// Controls of neighbouring rows or columns may overlap by a pixel or two where twips were rounded.
constexpr int kSlack = 2;

// A control of its own; a widget that passes its focus on (a tab widget to its tab strip) is
// read as the block of what it holds.
bool TakesTab(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) != 0 && w->focusProxy() == nullptr;
}

// A control, or a widget holding controls, with its place in the root's coordinates.
struct Block {
    QWidget* w;
    QRect r;
};

bool HoldsControls(const QWidget* w) {
    const auto kids = w->findChildren<QWidget*>();
    return std::any_of(kids.begin(), kids.end(),
                       [](const QWidget* k) { return TakesTab(k) && !k->isWindow(); });
}

std::vector<Block> BlocksOf(QWidget* root, QWidget* container) {
    std::vector<Block> out;
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w == nullptr || w->isWindow() || w->isHidden())
            continue;
        if (!TakesTab(w) && !HoldsControls(w))
            continue;
        out.push_back({w, QRect(w->mapTo(root, QPoint(0, 0)), w->size())});
    }
    return out;
}

using Groups = std::vector<std::vector<Block>>;

// Splits the blocks where a band of empty space crosses all of them: along the vertical axis
// (rows) or the horizontal one (columns). One group means no such band.
Groups Cut(std::vector<Block> v, bool rows) {
    const auto lo = [rows](const Block& b) { return rows ? b.r.top() : b.r.left(); };
    const auto hi = [rows](const Block& b) { return rows ? b.r.bottom() : b.r.right(); };
    std::stable_sort(v.begin(), v.end(), [&](const Block& a, const Block& b) { return lo(a) < lo(b); });
    Groups groups;
    int end = 0;
    for (const Block& b : v) {
        if (groups.empty() || lo(b) > end - kSlack) {
            groups.emplace_back();
            end = hi(b);
        }
        groups.back().push_back(b);
        end = std::max(end, hi(b));
    }
    return groups;
}

void Read(std::vector<Block> v, std::vector<Block>& out, ReadBy by) {
    if (v.size() <= 1) {
        out.insert(out.end(), v.begin(), v.end());
        return;
    }
    for (const bool rows : {by == ReadBy::Rows, by != ReadBy::Rows}) {
        Groups g = Cut(v, rows);
        if (g.size() > 1) {
            for (auto& part : g)
                Read(std::move(part), out, by);
            return;
        }
    }
    // Overlapping controls with no clean band between them: by their top, then their left.
    std::stable_sort(v.begin(), v.end(), [](const Block& a, const Block& b) {
        return std::pair(a.r.center().y(), a.r.left()) < std::pair(b.r.center().y(), b.r.left());
    });
    out.insert(out.end(), v.begin(), v.end());
}

void Expand(QWidget* root, QWidget* container, ReadBy by, std::vector<QWidget*>& out) {
    std::vector<Block> ordered;
    Read(BlocksOf(root, container), ordered, by);
    for (const Block& b : ordered) {
        if (TakesTab(b.w)) {
            out.push_back(b.w); // a control: what it holds inside (a table's editors) is its own
            continue;
        }
        if (auto* stack = qobject_cast<QStackedWidget*>(b.w)) {
            // The pages lie on top of each other: they are read in their order.
            for (int i = 0; i < stack->count(); ++i)
                if (QWidget* page = stack->widget(i))
                    Expand(root, page, by, out);
            continue;
        }
        Expand(root, b.w, by, out);
    }
}

} // namespace

std::vector<QWidget*> ScreenOrder(QWidget* root, ReadBy by) {
    std::vector<QWidget*> out;
    Expand(root, root, by, out);
    return out;
}

void ChainTabOrder(const std::vector<QWidget*>& controls) {
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void SetScreenTabOrder(QWidget* root, ReadBy by) {
    ChainTabOrder(ScreenOrder(root, by));
}

bool FocusFirstControl(QWidget* root) {
    for (QWidget* w : ScreenOrder(root)) {
        if (w->isVisible() && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

void SwitchTabsByKeys(QTabBar* bar, QWidget* window, QTabWidget* pages) {
    const auto bind = [=](QKeyCombination keys, int step) {
        auto* s = new QShortcut(QKeySequence(keys), window);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(s, &QShortcut::activated, bar, [=] {
            const int n = bar->count();
            if (n == 0)
                return;
            bar->setCurrentIndex((bar->currentIndex() + step + n) % n);
            if (pages != nullptr && !FocusFirstControl(pages->currentWidget()))
                bar->setFocus(Qt::TabFocusReason);
        });
    };
    bind(Qt::CTRL | Qt::Key_Tab, 1);
    bind(Qt::CTRL | Qt::Key_PageDown, 1);
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1);
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1);
    bind(Qt::CTRL | Qt::Key_PageUp, -1);
}

} // namespace zt
