#pragma once

#include <QString>

// The user's decimal separator. Read from the default QLocale, which is the
// system locale unless QLocale::setDefault was called (tests use that).
QString DecimalSeparator();
