#include "framekit/SerialportList.h"

SerialportList::SerialportList(QObject *parent) : QObject(parent) {}
