#pragma once
// A timer object with the interface of a timer control: Enabled, Interval, event Timer.
// Ticks arrive on the owner's thread through its event loop.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

class CTimer : public QObject {
    Q_OBJECT
public:
    explicit CTimer(QObject* parent = nullptr);
    ~CTimer() override;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    std::int32_t Interval() const { return interval_; }
    // Above 0: restarts with the new period; 0: stops; negative: changes nothing else.
    void setInterval(std::int32_t milliseconds);
    bool isRunning() const { return timer_.isActive(); }

signals:
    // Milliseconds since the interval was last set.
    void Timer(qint64 elapsed);

private:
    void start();
    void stop();
    bool enabled_ = true;
    std::int32_t interval_ = 0;
    QElapsedTimer startTime_;
    QTimer timer_;
};
