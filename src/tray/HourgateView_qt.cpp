#include "tray/HourgateView_qt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>

#include "core/HourgateView.h"

namespace {

// The core draws with the top-left corner of the text at (x, y); QPainter
// places text on its baseline.
class PainterTextOutput : public TextOutput {
public:
    PainterTextOutput(QPainter& painter, double scale) : m_painter(painter), m_scale(scale) {}
    void TextOut(int x, int y, const std::string& text) override {
        const int ascent = QFontMetrics(m_painter.font(), m_painter.device()).ascent();
        const QPointF baseline(x * m_scale, y * m_scale + ascent);
        m_painter.drawText(baseline, QString::fromUtf8(text.c_str()));
    }

private:
    QPainter& m_painter;
    double m_scale;
};

}  // namespace

CHourgateViewWnd::CHourgateViewWnd(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void CHourgateViewWnd::SetView(CHourgateView* view) {
    m_view = view;
    m_lineSource = nullptr;
    if (view) m_lineSource = [view](TextOutput& dc) { view->OnDraw(dc); };
}

void CHourgateViewWnd::SetCoreTimer(unsigned id, unsigned milliseconds) {
    KillCoreTimer(id);
    // A coarse timer may fire up to 5% early, and a tick that comes early
    // accounts nothing, losing a minute; a precise one keeps the 30-second rhythm.
    const int qtId = startTimer(static_cast<int>(milliseconds), Qt::PreciseTimer);
    if (qtId != 0) m_timers[id] = qtId;
}

void CHourgateViewWnd::KillCoreTimer(unsigned id) {
    const auto found = m_timers.find(id);
    if (found == m_timers.end()) return;
    killTimer(found->second);
    m_timers.erase(found);
}

void CHourgateViewWnd::Draw(QPainter& painter, double scale) {
    if (!m_lineSource) return;
    PainterTextOutput output(painter, scale);
    m_lineSource(output);
}

void CHourgateViewWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    Draw(painter);
}

void CHourgateViewWnd::timerEvent(QTimerEvent* event) {
    for (const auto& [coreId, qtId] : m_timers) {
        if (qtId != event->timerId()) continue;
        const unsigned id = coreId;  // the tick kills and restarts its timer
        if (m_view) m_view->OnTimer(id);
        return;
    }
    QWidget::timerEvent(event);
}
