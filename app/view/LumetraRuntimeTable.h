#pragma once

#include "dialkit/Dialog.h"

#include <QMap>

// The table of run times of every crystal spot, opened from "Show all spots".
class LumetraRuntimeTable : public Dialog
{
    Q_OBJECT
public:
    LumetraRuntimeTable(const QMap<int, quint64> &runtimes, quint64 maxRuntime, QWidget *parent = nullptr);
};
