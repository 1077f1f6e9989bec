#include "DecimalSeparator.h"

#include <QLocale>

QString DecimalSeparator()
{
    return QLocale().decimalPoint();
}
