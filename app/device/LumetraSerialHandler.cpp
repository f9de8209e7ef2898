#include "app/device/LumetraSerialHandler.h"

LumetraSerialHandler::LumetraSerialHandler(QObject *parent) : QObject(parent) {}
