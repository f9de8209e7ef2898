#pragma once

#include <QProgressBar>

class QTimer;

// A progress bar that fills by one step per second; used while the crystal moves to another spot.
class LumetraProgressTicker : public QProgressBar
{
    Q_OBJECT
public:
    explicit LumetraProgressTicker(QWidget *parent = nullptr);

    bool isTicking() const;

public slots:
    void startTicker(int seconds);
    void stopTicker();

signals:
    void sigTimeElapsed();

private slots:
    void slotTickHandler();

private:
    QTimer *tickTimer;
};
