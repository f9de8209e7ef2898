#include "sim/SimTranscript.h"

#include <QDateTime>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSimTranscript, "lumetra.sim.transcript")

SimTranscript::SimTranscript(QObject *parent) : QObject(parent) {}

bool SimTranscript::open(const QString &path, QString *error)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = tr("cannot write the transcript %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString SimTranscript::quoted(const QByteArray &bytes)
{
    QString text = QStringLiteral("\"");
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\n':
            text += QLatin1String("\\n");
            break;
        case '\r':
            text += QLatin1String("\\r");
            break;
        case '\t':
            text += QLatin1String("\\t");
            break;
        case '\\':
            text += QLatin1String("\\\\");
            break;
        case '"':
            text += QLatin1String("\\\"");
            break;
        default:
            if (byte >= 0x20 && byte < 0x7f)
                text += QLatin1Char(c);
            else
                text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        }
    }
    return text + QLatin1Char('"');
}

void SimTranscript::received(const QByteArray &line)
{
    write("RX", quoted(line));
}

void SimTranscript::sent(const QByteArray &bytes)
{
    write("TX", quoted(bytes));
}

void SimTranscript::note(const QString &text)
{
    write("--", text);
}

void SimTranscript::write(const char *direction, const QString &text)
{
    if (!file.isOpen())
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    file.write(QStringLiteral("%1 %2 %3\n").arg(stamp, QLatin1String(direction), text).toUtf8());
    // Readers follow the file while the simulator runs.
    file.flush();
}
