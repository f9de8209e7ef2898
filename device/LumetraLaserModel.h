#pragma once

#include "device/LumetraOperatorState.h"
#include "device/LumetraQuantityTable.h"
#include "device/LumetraReconnector.h"

#include <QDateTime>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>

class LumetraController;
class LumetraResponseDecoder;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraLaserModel)

// What the program knows about the laser at this moment, one value per row of the quantity table, in
// the table's unit. Whoever tells anyone about the laser (recorder, device server) reads it here
// instead of listening to the decoder and the controller on its own. A value outlives the link that
// reported it: when the link ends it stays, with its time, marked as no longer valid, because "off"
// or 0 would be a claim the laser never made.
class LumetraLaserModel : public QObject
{
    Q_OBJECT
public:
    struct Value
    {
        double number = 0.0;
        QString text;
        qint64 time = 0;    // when it was last reported, on the model's clock
        bool known = false; // reported at least once
        bool valid = false; // reported on the link that is live now
    };
    struct Range
    {
        double min = 0.0;
        double max = 0.0;
        bool known = false;
    };

    explicit LumetraLaserModel(QObject *parent = nullptr);

    // Milliseconds since the epoch; the tests run on simulated time.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // The controller's derived values and its decoder's readings.
    void attach(LumetraController *controller);
    // Each on its own, for a recorder that has a decoder but no controller.
    void attachDecoder(LumetraResponseDecoder *decoder);
    void attachController(LumetraController *controller);
    // The link's state, for the operator state; without one the model follows setLinkLive alone.
    void attachReconnector(LumetraReconnector *reconnector, const QString &portName = QString());
    void setPortName(const QString &portName);

    const Value &value(int id) const { return m_values.at(id); }
    double number(int id) const { return m_values.at(id).number; }
    bool isValid(int id) const { return m_values.at(id).valid; }
    // The panel's range of a written quantity, fixed or as far as the laser has reported it.
    const Range &range(int id) const { return m_ranges.at(id); }
    // The pulse-picker rates the laser offers; a written rate must be one of them.
    const QList<double> &repetitionRates() const { return m_rates; }
    // LumetraQuantityTable::Module bits of what answers on the link now or did last: the laser, and the
    // harmonic module it reported last.
    unsigned modules() const { return m_modules; }
    bool isLinkLive() const { return m_live; }
    // Whether an attached decoder or controller reports this quantity at all.
    bool isFed(int id) const { return m_fed.at(id); }

    // The state told to the operator, judged at `now`.
    LumetraOperatorState operatorState(const QDateTime &now = QDateTime::currentDateTime()) const;

public slots:
    // The laser answers on the link (handshake passed), or no longer does: every value it reported is
    // then no longer valid, also when the model never heard that the link was live.
    void setLinkLive(bool live);

signals:
    // After every change, with the ids (rows of LumetraQuantityTable) whose value or validity changed;
    // the module's warning after every announcement, also of the words it announced before.
    void changed(const QSet<int> &ids);
    void rangesChanged();
    void linkChanged(bool live);
    // Each time the laser reports the harmonic module it carries, also the one it reported before:
    // modules() holds it then. The report is what turns the module's readings on, wherever it comes.
    void moduleReported();

private:
    void setNumber(int id, double value);
    void setText(int id, const QString &text);
    // A text that is news each time it comes, though its words repeat.
    void announce(int id, const QString &text);
    void setRange(int id, double min, double max);
    void setRepetitionRates(const QList<double> &rates);
    void reportModule(unsigned module);

    template <typename Sender, typename T>
    void feed(Sender *sender, void (Sender::*signal)(T), int id, double scale = 1.0);

    std::function<qint64()> m_clock;
    QVector<Value> m_values;
    QVector<Range> m_ranges;
    QVector<bool> m_fed;
    QList<double> m_rates;
    unsigned m_modules = 0;
    bool m_live = false;
    QPointer<LumetraReconnector> m_reconnector;
    QString m_portName;
    // Run times arrive as hours and minutes in two fields.
    int m_onHours = 0;
    int m_onMinutes = 0;
    int m_emissionHours = 0;
    int m_emissionMinutes = 0;
};
