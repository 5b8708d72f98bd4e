#pragma once

#include <QObject>

class QWidget;

// Watches a top-level window for its first paint. Once that frame is painted
// and flushed, prints the moment (CLOCK_MONOTONIC, so a launcher can compare
// it with the moment it started the process) and the peak resident set, then
// quits the application.
class FirstFrameProbe : public QObject {
public:
    explicit FirstFrameProbe(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_seen = false;
};
