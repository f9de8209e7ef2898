#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of a recording, how a file is known as one of ours, and how an older recording is
// brought up to date: by adding what it lacks, never by taking anything away, so that the program
// that wrote it can still read what it wrote.
class LumetraRecordSchema
{
public:
    // Written into the meta table of every file this program begins.
    static const char *formatMarker();
    // Whether a table of these columns (in any order) is one a recording of ours has, now or had in
    // an earlier version.
    static bool isOurTable(const QString &table, QStringList columns);
    // Creates what is missing, marks the file as ours (and as laserSerial's, when given), and closes
    // alarms a program that ended left open.
    static bool create(QSqlDatabase db, const QString &laserSerial, QString *error);
    // Whether the event table keeps the keys texts are translated from (files begun before it did
    // not, and a reader must not change them).
    static bool hasTextKeys(QSqlDatabase db);

    // The units samples are stored in: 1 for files begun before every quantity was stored in the unit
    // the panel shows it in (energies in nJ, harmonic powers in mW), 2 since.
    static constexpr int unitsVersion = 2;
    static int storedUnits(QSqlDatabase db);
    // Brings the samples of an older file to the units of today, once, inside the caller's transaction.
    static bool migrateUnits(QSqlDatabase db, QString *error);
    // The same for a file that is about to be read only: opened for writing just long enough.
    static bool migrateFile(const QString &fileName, QString *error);
};
