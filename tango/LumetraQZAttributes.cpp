#include "tango/LumetraQZAttributes.h"

#include <cstring>

namespace LumetraQZAttributes {

namespace {

namespace Q = LumetraQuantityTable;

// Whole numbers are written with a whole-number format; everything else measured is a double.
Kind kindOf(const Q::Row &r)
{
    switch (r.kind) {
    case Q::Kind::Text:
        return Kind::String;
    case Q::Kind::Flag:
        return Kind::Boolean;
    case Q::Kind::Analog:
    case Q::Kind::Counter:
    case Q::Kind::State:
        break;
    }
    const char *conversion = std::strpbrk(r.format, "dxfeg");
    return conversion && (*conversion == 'd' || *conversion == 'x') ? Kind::Long : Kind::Double;
}

// Tango's clients expect units in ASCII.
std::string asciiUnit(const char *unit)
{
    std::string text(unit);
    const auto replace = [&text](const std::string &from, const std::string &to) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    replace("°C", "degC");
    replace("µ", "u");
    return text;
}

// A client that converts to SI multiplies by this; temperatures in degrees Celsius need an offset,
// which the property cannot say, and percentages stay as they are.
std::string standardUnit(const std::string &unit)
{
    static const struct
    {
        const char *unit;
        const char *factor;
    } factors[] = {{"uJ", "1e-06"}, {"W", "1"}, {"kHz", "1000"}, {"h", "3600"}};
    for (const auto &f : factors) {
        if (unit == f.unit)
            return f.factor;
    }
    return std::string();
}

struct Table
{
    std::vector<Row> rows;
    std::vector<int> indexOfId = std::vector<int>(Count, -1);
};

const Table &table()
{
    static const Table t = [] {
        Table made;
        for (int id = 0; id < Count; ++id) {
            const Q::Row &r = Q::row(id);
            if (!r.remoteName)
                continue;
            made.indexOfId[id] = int(made.rows.size());
            const std::string unit = asciiUnit(r.unit);
            made.rows.push_back({r.id, r.remoteName, r.label, kindOf(r), unit, standardUnit(unit), r.format,
                                 r.deadband, r.limits, r.fixedMin, r.fixedMax, r.write, r.description,
                                 Q::levels(id)});
        }
        return made;
    }();
    return t;
}

} // namespace

const std::vector<Row> &rows()
{
    return table().rows;
}

const Row &row(int id)
{
    return table().rows.at(std::size_t(table().indexOfId.at(std::size_t(id))));
}

const Row *find(const char *name)
{
    for (const Row &r : table().rows) {
        if (std::strcmp(r.name, name) == 0)
            return &r;
    }
    return nullptr;
}

} // namespace LumetraQZAttributes
