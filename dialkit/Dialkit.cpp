#include "dialkit/Dialkit.h"

void Dialkit::loadApplicationFonts() {}

QString Dialkit::getApplicationStylesheet()
{
    return QString();
}
