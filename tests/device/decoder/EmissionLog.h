#pragma once

#include <QMetaMethod>
#include <QObject>
#include <QStringList>
#include <QVector>

// Records every signal an object emits, in emission order, as "name(arg,arg)" texts: a test can then
// compare the whole conversation of the decoder with one list. Line feeds, tabs and carriage returns
// in texts are written as \n, \t and \r.
class EmissionLog : public QObject
{
public:
    explicit EmissionLog(QObject *source, QObject *parent = nullptr);

    // The emissions since the last call.
    QStringList take();

    int qt_metacall(QMetaObject::Call call, int id, void **arguments) override;

private:
    static QString format(int type, const void *value);

    QVector<QMetaMethod> m_signals;
    QStringList m_log;
};
