// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_about.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

frmAbout::frmAbout(const AppState& app, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto text = [&app](int id) { return QString::fromStdString(app.LangText(id)); };
    setWindowTitle(text(24000));
    auto label = [this](const char* name, const QString& s) {
        auto* l = new QLabel(s, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        return l;
    };
    title_ = label("lblTitle", text(24001));
    QFont big = title_->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title_->setFont(big);
    version_ = label("lblVersion", text(24002));
    description_ = label("lblDescription", text(24003));
    disclaimer_ = label("lblDisclaimer", text(24004));
    QFont small = disclaimer_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    disclaimer_->setFont(small);
    ok_ = new QPushButton(text(24005), this);
    ok_->setObjectName("cmdOK");
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(":/icons/about.svg").pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(title_);
    texts->addWidget(version_);
    texts->addSpacing(8);
    texts->addWidget(description_);
    texts->addSpacing(8);
    texts->addWidget(disclaimer_);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);
    setMinimumWidth(460);
}

} // namespace zt
