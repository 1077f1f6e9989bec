#pragma once

#include "siteobject.h"

#include <QString>

// Three-way comparers for sorting sites: 1, 0 or -1. A data value that is not
// a number (no valid mapping) sorts before every number. The number comparers
// read Name as an integer and expect every name to have been checked first.
int CompareNumberAsc(const TSiteObject& A, const TSiteObject& B);
int CompareNumberDesc(const TSiteObject& A, const TSiteObject& B);
int ComparePixelXAsc(const TSiteObject& A, const TSiteObject& B);
int ComparePixelXDesc(const TSiteObject& A, const TSiteObject& B);
int ComparePixelYAsc(const TSiteObject& A, const TSiteObject& B);
int ComparePixelYDesc(const TSiteObject& A, const TSiteObject& B);
int CompareDataXAsc(const TSiteObject& A, const TSiteObject& B);
int CompareDataXDesc(const TSiteObject& A, const TSiteObject& B);
int CompareDataYAsc(const TSiteObject& A, const TSiteObject& B);
int CompareDataYDesc(const TSiteObject& A, const TSiteObject& B);

using TSiteComparer = int (*)(const TSiteObject&, const TSiteObject&);

// The comparer for a data-list column caption ("N", "Data X", "Data Y",
// "Pixel X", "Pixel Y"), matched exactly; null for any other text.
TSiteComparer SiteComparer(const QString& Column, bool Descending);
