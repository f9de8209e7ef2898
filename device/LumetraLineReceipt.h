#pragma once

#include <QObject>

// Lives on the thread that receives the serial link's lines and answers each delivery mark once
// every event queued there before the mark has been handled. The link counts its lines as consumed
// only then, which bounds what waits in the receiving thread's event queue.
class LumetraLineReceipt : public QObject
{
    Q_OBJECT
public:
    explicit LumetraLineReceipt(QObject *parent = nullptr) : QObject(parent) {}

public slots:
    void slotLinesDelivered(quint64 count) { emit sigLinesConsumed(count); }

signals:
    void sigLinesConsumed(quint64 count);
};
