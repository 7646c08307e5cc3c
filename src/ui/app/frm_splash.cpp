// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_splash.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace zt {

frmSplash::frmSplash(const AppState& app, std::function<void()> openMain, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), openMain_(std::move(openMain)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(app.LangText(12000)));
    picLogo_ = new QLabel(this);
    picLogo_->setObjectName("picLogo");
    picLogo_->setAccessibleName(QString::fromStdString(app.LangText(12000)));
    const QString file = app.LanguageCode == 2 ? "StartC.jpg" : "StartE.jpg";
    const QPixmap pic(QDir(QString::fromStdString(app.ProgramDir)).filePath(file));
    if (pic.isNull()) {
        // Without its picture the splash still names the program.
        picLogo_->setText(QString::fromStdString(app.LangText(12000)));
        picLogo_->setAlignment(Qt::AlignCenter);
        picLogo_->setMinimumSize(420, 240);
    } else {
        picLogo_->setPixmap(pic);
    }
    picLogo_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picLogo_);
    adjustSize();
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    timer1_.setSingleShot(true);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, &frmSplash::Finish);
    timer1_.start();
}

void frmSplash::Finish() {
    timer1_.stop();
    // A click and the timer may both arrive before the splash is gone: one main window only.
    if (finished_)
        return;
    finished_ = true;
    if (openMain_)
        openMain_();
    close();
}

bool frmSplash::eventFilter(QObject* o, QEvent* e) {
    if (o == picLogo_ && e->type() == QEvent::MouseButtonRelease) {
        Finish();
        return true;
    }
    return QWidget::eventFilter(o, e);
}

} // namespace zt
