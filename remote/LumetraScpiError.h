#pragma once

#include <QString>

// The standard error numbers a script reads back with SYSTem:ERRor?, with their standard texts. The
// text of an entry in the queue is the standard one, then after a semicolon what went wrong, so that a
// script's log names the command and the value.
class LumetraScpiError
{
public:
    enum Code : int
    {
        NoError = 0,
        CommandError = -100,
        InvalidCharacter = -101,
        SyntaxError = -102,
        DataTypeError = -104,
        ParameterNotAllowed = -108,
        MissingParameter = -109,
        UndefinedHeader = -113,
        ExecutionError = -200,
        CommandProtected = -203,
        DataOutOfRange = -222,
        TooMuchData = -223,
        IllegalParameterValue = -224,
        DataStale = -230,
        HardwareMissing = -241,
        QueueOverflow = -350,
        InputBufferOverrun = -363,
        QueryInterrupted = -410,
    };

    // The standard text of a code; an unknown code has none.
    static const char *text(int code);
    // The bit of the standard event status register that an error of this code sets: command
    // errors, execution errors, device-dependent errors and query errors each have their own.
    static int eventStatusBit(int code);

    LumetraScpiError() = default;
    LumetraScpiError(int code, const QString &detail) : m_code(code), m_detail(detail) {}

    int code() const { return m_code; }
    QString detail() const { return m_detail; }
    // The queue entry as SYSTem:ERRor? answers it: -222,"Data out of range;ENERgy 99 above 40".
    QString entry() const;

private:
    int m_code = NoError;
    QString m_detail;
};
