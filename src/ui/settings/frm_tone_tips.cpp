// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_tone_tips.h"

#include "common/form_keys.h"
#include "common/tab_order.h"
#include "common/twips.h"
#include "common/window_buttons.h"
#include "model/tone_tips.h"
#include "settings/settings_common.h"
#include "tone_output.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>

#include <cmath>

namespace zt {

namespace {

constexpr int kLowestToneCode = 40; // 400 Hz, the first tone the lists offer
constexpr int kHighestCode = 255;

// The drawing of the tip being edited, repainted whenever it is shown.
class ToneBarView : public QWidget {
  public:
    ToneBarView(std::function<const ToneTipEntry&()> tip, QWidget* parent)
        : QWidget(parent), tip_(std::move(tip)) {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(Qt::NoPen);
        for (const ToneBar& b : ToneBars(tip_(), size(), Tw(50, this)))
            painter.fillRect(b.rect, b.color);
    }

  private:
    std::function<const ToneTipEntry&()> tip_;
};

} // namespace

std::vector<ToneBar> ToneBars(const ToneTipEntry& tip, QSize size, int margin) {
    std::vector<ToneBar> bars;
    const int width = size.width() - 2 * margin;
    const int height = size.height() - 2 * margin;
    int total = 0;
    for (const ToneTipStep& s : tip.Steps)
        total += std::max<int>(0, s.Length);
    if (total < 1)
        return bars;
    int x = margin;
    for (std::size_t k = 0; k < tip.Steps.size(); ++k) {
        const ToneTipStep& s = tip.Steps[k];
        if (s.Length <= 0)
            continue;
        const int w = static_cast<int>(std::lround(static_cast<double>(s.Length) * width / total));
        const int h =
            static_cast<int>(std::lround(static_cast<double>(std::max<int>(0, s.Tone)) * height / 256.0));
        // Step numbers count from 1: odd steps red, even ones blue.
        bars.push_back(
            {QRect(x, size.height() - margin - h, w, h), k % 2 == 0 ? QColor(Qt::red) : QColor(Qt::blue)});
        x += w;
    }
    return bars;
}

FrmToneTips::FrmToneTips(AppState& app, Document& doc, WindowRouter* router,
                         std::unique_ptr<ToneOutput> output, std::unique_ptr<StepClock> clock,
                         QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent), output_(std::move(output)), clock_(std::move(clock)) {
    if (!output_)
        output_ = std::make_unique<QtToneOutput>();
    if (!clock_)
        clock_ = std::make_unique<QtStepClock>();
    preview_ = std::make_unique<TonePreview>(*output_, *clock_);

    tabs_ = new QTabBar(this);
    tabs_->setObjectName("TabStrip1");
    for (int n = 1; n <= kToneTipCount; ++n)
        tabs_->addTab(QString());
    tabs_->setExpanding(false);
    SetGeometryTw(tabs_, 120, 120, 8100, 420);

    auto list = [this](const QString& name) {
        auto* c = new BoundList(this);
        c->setObjectName(name);
        return c;
    };
    combo1_ = list("Combo1_0");
    label1_ = new QLabel(this);
    SetGeometryTw(combo1_, 1500, 720, 1300, 330);
    combo1_->onPick([this](int index) {
        tip().Repeat = static_cast<i16>(index);
        tipsChanged();
    });
    combo2_ = list("Combo2_0");
    label2_ = new QLabel(this);
    SetGeometryTw(combo2_, 5200, 720, 1300, 330);
    combo2_->onPick([this](int index) { tip().Interval = static_cast<i16>(index); });

    for (int c = 0; c < 2; ++c) {
        label3_[static_cast<std::size_t>(c)] = new QLabel(this);
        label4_[static_cast<std::size_t>(c)] = new QLabel(this);
        SetGeometryTw(label3_[static_cast<std::size_t>(c)], 1500 + c * 3700, 1200, 1350, 300);
        SetGeometryTw(label4_[static_cast<std::size_t>(c)], 2950 + c * 3700, 1200, 1150, 300);
    }
    for (int i = 0; i < kSteps; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const int left = i < 7 ? 0 : 3700;
        const int top = 1500 + (i % 7) * 400;
        combo3_[k] = list(QString("Combo3_%1").arg(i));
        combo4_[k] = list(QString("Combo4_%1").arg(i));
        label5_[k] = new QLabel(this);
        SetGeometryTw(combo3_[k], 1500 + left, top, 1300, 330);
        SetGeometryTw(combo4_[k], 2950 + left, top, 1100, 330);
        combo3_[k]->onPick([this, k](int index) {
            tip().Steps[k].Tone = static_cast<i16>(index == 0 ? 0 : index + kLowestToneCode - 1);
            picture_->update();
        });
        combo4_[k]->onPick([this, k](int index) {
            tip().Steps[k].Length = static_cast<i16>(index);
            picture_->update();
            tipsChanged();
        });
    }

    picture_ = new ToneBarView([this]() -> const ToneTipEntry& { return tip(); }, this);
    picture_->setObjectName("Picture1_0");
    SetGeometryTw(picture_, 120, 4400, 8100, 1500);

    play_ = new QPushButton(this);
    play_->setObjectName("Command1_0");
    SetGeometryTw(play_, 120, 6060, 1200, 380);
    connect(play_, &QPushButton::clicked, this, [this] { onPlay(); });
    stop_ = new QPushButton(this);
    stop_->setObjectName("Command2_0");
    SetGeometryTw(stop_, 1440, 6060, 1200, 380);
    connect(stop_, &QPushButton::clicked, this, [this] { stopPreview(); });
    cmdClose_ = WindowButtons::CloseAtTw(this, 7020, 6060).close;

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0 || index + 1 == current_)
            return;
        current_ = index + 1;
        ShowTone();
    });
    current_ = tabs_->currentIndex() + 1;
    FocusChain::FollowTabOrder(this);
    loadWindow();
    SwitchTabsByKeys(tabs_, this);
}

FrmToneTips::~FrmToneTips() = default;

void FrmToneTips::orderTabs() {
    EditorWindow::orderTabs();
    // The steps are read by their numbers, each step's tone before its length: down the first
    // column, then the second.
    std::vector<QWidget*> steps;
    for (std::size_t k = 0; k < combo3_.size(); ++k)
        steps.insert(steps.end(), {combo3_[k], combo4_[k]});
    ChainTabOrder(steps);
}

void FrmToneTips::retranslate() {
    setWindowTitle(T(29000));
    for (int n = 1; n <= kToneTipCount; ++n)
        tabs_->setTabText(n - 1, T(29001) + " " + QString::number(n));
    label1_->setText(T(29002));
    label2_->setText(T(29003));
    for (QLabel* l : label3_)
        l->setText(T(29004));
    for (QLabel* l : label4_)
        l->setText(T(29005));
    for (int i = 0; i < kSteps; ++i)
        label5_[static_cast<std::size_t>(i)]->setText(T(29100 + i));
    play_->setText(T(29006));
    stop_->setText(T(29007));
    cmdClose_->setText(T(9023));

    combo1_->setEntries(QStringList{T(29200)} + NumberEntries(1, 10, 1));
    combo2_->setEntries(NumberEntries(0, kHighestCode * 10, 10));
    const QStringList tones =
        QStringList{T(29201)} + NumberEntries(kLowestToneCode * 10, kHighestCode * 10, 10);
    const QStringList lengths = NumberEntries(0, kHighestCode * 10, 10);
    for (int i = 0; i < kSteps; ++i) {
        combo3_[static_cast<std::size_t>(i)]->setEntries(tones);
        combo4_[static_cast<std::size_t>(i)]->setEntries(lengths);
    }
    PlaceCaption(label1_, combo1_);
    PlaceCaption(label2_, combo2_);
    for (int i = 0; i < kSteps; ++i)
        PlaceCaption(label5_[static_cast<std::size_t>(i)], combo3_[static_cast<std::size_t>(i)]);
}

void FrmToneTips::loadFromDocument() {
    ShowTone();
}

ToneTipEntry& FrmToneTips::tip() {
    return doc_.work.settings.ToneTips[static_cast<std::size_t>(current_ - 1)];
}

void FrmToneTips::ShowTone() {
    const ToneTipEntry t = tip(); // the tip as it was before showing
    combo1_->showValue(t.Repeat);
    combo2_->showValue(t.Interval);
    for (int i = 0; i < kSteps; ++i) {
        const ToneTipStep& s = t.Steps[static_cast<std::size_t>(i)];
        // Tones below 400 Hz have no entry: they show (and become) silence.
        const bool listed = s.Tone >= kLowestToneCode && s.Tone <= kHighestCode;
        combo3_[static_cast<std::size_t>(i)]->showValue(listed ? s.Tone - kLowestToneCode + 1 : 0);
        combo4_[static_cast<std::size_t>(i)]->showValue(s.Length);
    }
    picture_->update();
}

void FrmToneTips::tipsChanged() {
    ToneTipsChanged(doc_.work);
    route(Refresh::ToneTips);
}

void FrmToneTips::onPlay() {
    const int n = current_;
    if (!preview_->Prepare(tip()))
        return;
    play_->setEnabled(false);
    ToneTipEntry* playing = &doc_.work.settings.ToneTips[static_cast<std::size_t>(n - 1)];
    preview_->Play([playing] { return playing; }, [this] { play_->setEnabled(true); });
}

void FrmToneTips::stopPreview() {
    preview_->Stop();
    play_->setEnabled(true);
}

void FrmToneTips::closeEvent(QCloseEvent* e) {
    stopPreview();
    EditorWindow::closeEvent(e);
}

} // namespace zt
