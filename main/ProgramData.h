#pragma once

#include <QString>

// Where a data file of the program (the About box's texts, the help file)
// is: beside the program in the build folder, or in share/quillon/ beside
// its bin/ once installed. The first of the two that holds it; the one
// beside the program when neither does.
QString ProgramDataFile(const QString& ProgramFile, const QString& Name);

// The manual's first page: manual/ beside the program in the build folder,
// or share/doc/quillon/html/ beside its bin/ once installed; "" when it is
// in neither.
QString ProgramManual(const QString& ProgramFile);
