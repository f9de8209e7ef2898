#pragma once

#include "dialkit/DialkitExport.h"

#include <QDialog>

// Common base of the system's dialogs, so the style sheet can address them as one class.
class DIALKIT_EXPORT Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr);
};
