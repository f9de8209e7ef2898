#pragma once

#include <QtCore/qglobal.h>

#if defined(DIALKIT_LIBRARY)
#define DIALKIT_EXPORT Q_DECL_EXPORT
#else
#define DIALKIT_EXPORT Q_DECL_IMPORT
#endif
