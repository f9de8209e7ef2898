#include "remote/LumetraScpiError.h"

#include <iterator>

namespace {

struct Row
{
    int code;
    const char *text;
};

// clang-format off
constexpr Row rows[] = {
    {LumetraScpiError::NoError,               "No error"},
    {LumetraScpiError::CommandError,          "Command error"},
    {LumetraScpiError::InvalidCharacter,      "Invalid character"},
    {LumetraScpiError::SyntaxError,           "Syntax error"},
    {LumetraScpiError::DataTypeError,         "Data type error"},
    {LumetraScpiError::ParameterNotAllowed,   "Parameter not allowed"},
    {LumetraScpiError::MissingParameter,      "Missing parameter"},
    {LumetraScpiError::UndefinedHeader,       "Undefined header"},
    {LumetraScpiError::ExecutionError,        "Execution error"},
    {LumetraScpiError::CommandProtected,      "Command protected"},
    {LumetraScpiError::DataOutOfRange,        "Data out of range"},
    {LumetraScpiError::TooMuchData,           "Too much data"},
    {LumetraScpiError::IllegalParameterValue, "Illegal parameter value"},
    {LumetraScpiError::DataStale,             "Data corrupt or stale"},
    {LumetraScpiError::HardwareMissing,       "Hardware missing"},
    {LumetraScpiError::QueueOverflow,         "Queue overflow"},
    {LumetraScpiError::InputBufferOverrun,    "Input buffer overrun"},
    {LumetraScpiError::QueryInterrupted,      "Query INTERRUPTED"},
};
// clang-format on

constexpr bool codesUnique()
{
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        for (std::size_t j = i + 1; j < std::size(rows); ++j) {
            if (rows[i].code == rows[j].code)
                return false;
        }
    }
    return true;
}
static_assert(codesUnique(), "one text per error code");

// Bits of the standard event status register.
constexpr int queryErrorBit = 2;
constexpr int deviceErrorBit = 3;
constexpr int executionErrorBit = 4;
constexpr int commandErrorBit = 5;

} // namespace

const char *LumetraScpiError::text(int code)
{
    for (const Row &row : rows) {
        if (row.code == code)
            return row.text;
    }
    return "";
}

int LumetraScpiError::eventStatusBit(int code)
{
    if (code <= -100 && code > -200)
        return commandErrorBit;
    if (code <= -200 && code > -300)
        return executionErrorBit;
    if (code <= -400 && code > -500)
        return queryErrorBit;
    return deviceErrorBit;
}

QString LumetraScpiError::entry() const
{
    QString message = QString::fromLatin1(text(m_code));
    if (!m_detail.isEmpty())
        message += QLatin1Char(';') + m_detail;
    // A quote inside the string is doubled, as the string syntax of the answer requires.
    message.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QStringLiteral("%1,\"%2\"").arg(m_code).arg(message);
}
