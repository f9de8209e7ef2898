#pragma once

#include "remote/LumetraScpiInstrument.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QSet>

class LumetraController;
class LumetraLaserModel;
class LumetraWriteAudit;
class QTimer;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraScpiLaser)

// The laser as the remote interface offers it: queries answered from the device core's model, never
// from the wire; writes through the controller's slots that the panel's controls run; a write
// confirmed when the laser reports the new value, or failed with the laser's refusal or after a bound.
// Writes wait for the operator's leave, given on the panel and taken back by Local.
class LumetraScpiLaser : public QObject, public LumetraScpiInstrument
{
    Q_OBJECT
public:
    // How long a write may wait for the laser to report it: the link's own bound for a command.
    static constexpr int ConfirmWithinMs = 10000;

    LumetraScpiLaser(LumetraLaserModel *model, LumetraController *controller, QObject *parent = nullptr);

    // A new connection brings a new controller; the model stays.
    void setController(LumetraController *controller);
    void setWritesAllowed(bool allowed);
    // Where the writes are told with the client that gave them.
    void setAudit(LumetraWriteAudit *audit);

    QString identity() const override;
    const QVector<Node> &nodes() const override;
    Result read(const Node &node) override;
    bool limits(const Node &node, double *min, double *max) const override;
    Result write(const Node &node, double value, Settled settled) override;
    bool writesAllowed() const override { return m_allowed; }
    void setWriter(const QString &client) override { m_writer = client; }

public slots:
    // The laser refused the last setting in its own words ("Invalid division factor, range 1-65535").
    void slotRefused(const QString &words);

signals:
    void sigWritesAllowedChanged(bool allowed);

private:
    struct Pending
    {
        int id;
        double value;
        double tolerance;
        qint64 deadline;
        QString named;
        Settled settled;
    };

    void onModelChanged(const QSet<int> &ids);
    void onDeadline();
    void armDeadline();

    QPointer<LumetraLaserModel> m_model;
    QPointer<LumetraController> m_controller;
    QPointer<LumetraWriteAudit> m_audit;
    QString m_writer;
    QTimer *m_deadline;
    QList<Pending> m_pending;
    bool m_allowed = false;
};
