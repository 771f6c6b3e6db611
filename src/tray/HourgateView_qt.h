// The view's window: carries the core view's timers and paints the two lines
// of its line source.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "core/Platform.h"

class CHourgateView;
class QPainter;

class CHourgateViewWnd : public QWidget {
    Q_OBJECT
public:
    explicit CHourgateViewWnd(QWidget* parent = nullptr);

    // What the window draws: the core view's OnDraw standalone (the default
    // SetView sets), the guard's lines in guarded mode.
    using LineSource = std::function<void(TextOutput&)>;

    void SetView(CHourgateView* view);
    void SetLineSource(LineSource source) { m_lineSource = std::move(source); }
    // Starting a timer with an id that runs already replaces it, as SetTimer does.
    void SetCoreTimer(unsigned id, unsigned milliseconds);
    void KillCoreTimer(unsigned id);
    // Draws the two lines on any painter: the window or a printer page.
    // `scale` maps the view's pixel positions to the painter's device.
    void Draw(QPainter& painter, double scale = 1.0);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CHourgateView* m_view = nullptr;
    LineSource m_lineSource;
    std::map<unsigned, int> m_timers;  // the core's timer id -> Qt's timer id
};
