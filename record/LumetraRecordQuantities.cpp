#include "record/LumetraRecordQuantities.h"

namespace Q = LumetraQuantityTable;

namespace {

// Texts are not samples: the recorded rows are the table's rows up to its first text, and every row
// after that is a text, so that an index here is the same number as the id in the table.
int firstText()
{
    int id = 0;
    while (id < Q::Count && Q::row(id).kind != Q::Kind::Text)
        ++id;
    return id;
}

} // namespace

int LumetraRecordQuantities::count()
{
    static const int recorded = [] {
        const int n = firstText();
        for (int id = n; id < Q::Count; ++id)
            Q_ASSERT_X(Q::row(id).kind == Q::Kind::Text, "LumetraRecordQuantities", "texts come last");
        return n;
    }();
    return recorded;
}

const LumetraRecordQuantities::Quantity &LumetraRecordQuantities::at(int index)
{
    Q_ASSERT(index >= 0 && index < count());
    return Q::row(index);
}

int LumetraRecordQuantities::indexOf(const QString &key)
{
    const int id = Q::indexOf(key);
    return id < count() ? id : -1;
}

QString LumetraRecordQuantities::label(int index)
{
    return Q::label(index);
}

QString LumetraRecordQuantities::group(int index)
{
    return Q::group(index);
}

QString LumetraRecordQuantities::unit(int index)
{
    return Q::unit(index);
}

QString LumetraRecordQuantities::labelWithUnit(int index)
{
    return Q::labelWithUnit(index);
}

LumetraRecordQuantities::Kind LumetraRecordQuantities::kind(int index)
{
    return at(index).kind;
}

double LumetraRecordQuantities::deadband(int index)
{
    return at(index).deadband;
}

unsigned LumetraRecordQuantities::reportedBy(int index)
{
    return at(index).modules;
}
