#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>

// The laser's end of a real pseudo-terminal: the link under test opens the slave device, this object
// reads the commands arriving on the master side and writes the replies a responder gives for them.
class PtyLaser : public QObject
{
    Q_OBJECT
public:
    using Responder = std::function<QList<QByteArray>(const QByteArray &command)>;

    explicit PtyLaser(QObject *parent = nullptr);
    ~PtyLaser() override;

    QString portName() const { return m_slaveName; }
    bool isOpen() const { return m_master >= 0; }

    void setResponder(Responder responder) { m_responder = std::move(responder); }
    void write(const QByteArray &bytes);
    // One attempt that does not wait: the number of bytes the terminal took, -1 when none. Safe to
    // call from another thread while the master is open.
    qint64 writeNow(const QByteArray &bytes);
    // Closes the master side, as an unplugged adapter would vanish.
    void hangUp();
    // Closes the test's own handle on the slave side, leaving the link as its only user.
    void releaseSlave();

    // Every complete command line received, line feed included.
    QList<QByteArray> commands;
    // Every line written back, in order.
    QList<QByteArray> written;
    // Status value the default responder reports; 8 means ready.
    int statusValue = 8;

    // Echo plus the handshake answers, and a one-line answer to every other query.
    QList<QByteArray> defaultReply(const QByteArray &command) const;

signals:
    void commandReceived(QByteArray command);

private:
    void onReadable();

    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
    QByteArray m_pending;
    QSocketNotifier *m_notifier = nullptr;
    Responder m_responder;
};
