#include "statusbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace {
constexpr std::array<int, 3> PanelWidths{170, 100, 150};
} // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setTextFormat(Qt::PlainText); // captions come from the service
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setFixedWidth(PanelWidths[i]);
        layout->addWidget(panels_[i]);
    }
    layout->addStretch();
    setFixedHeight(19);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
}

QString StatusBar::panelText(int index) const { return panels_.at(index)->text(); }

void StatusBar::setPanelText(int index, const QString& text) { panels_.at(index)->setText(text); }

QRect StatusBar::panelRect(int index) const { return panels_.at(index)->geometry(); }

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    StatusBar1DrawPanel();
}

void StatusBar::StatusBar1DrawPanel()
{
    layout()->activate();
    ProgressBar1->setGeometry(panelRect(1));
    ProgressBar1->raise();
}

void StatusBarProgress::workBegin(std::int64_t expectedTotal)
{
    sized_ = expectedTotal > 0;
    bar_.setRange(0, sized_ ? static_cast<int>(expectedTotal) : 1);
    bar_.setValue(0);
}

void StatusBarProgress::work(std::int64_t bytesSoFar)
{
    if (sized_)
        bar_.setValue(static_cast<int>(bytesSoFar));
}
