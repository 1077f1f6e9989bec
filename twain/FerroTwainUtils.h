#pragma once

#include "Twain.h"

#include <QString>
#include <QStringList>

// A growable array of pointers that does not own what it holds; grows and
// shrinks in blocks of GrowBy.
class TPointerList {
public:
    TPointerList();
    ~TPointerList();
    TPointerList(const TPointerList&) = delete;
    TPointerList& operator=(const TPointerList&) = delete;

    void Add(void* P);
    void Clear();
    // Null outside 0..Count - 1 and above 255.
    void* GetItem(int Index) const;
    void SetItem(int Index, void* P);
    void SetCount(int N);
    void SetAllocated(int N);

    int Count = 0;
    int Allocated = 0;
    int GrowBy = 10;

private:
    bool Inside(int Index) const { return Index >= 0 && Index <= Count - 1 && Index <= 255; }
    void** Data = nullptr;
};

double Fix32ToFloat(const TW_FIX32& Fix32);
// 1-based position of the last character of Text found in Delimiters; the
// length of Text when there is none.
int FindLastDelimiter(const QString& Text, const QString& Delimiters);
// Path up to and including its last "/".
QString ExtractDirectory(const QString& Path);
bool FileFound(const QString& Name);
void AddTrailingBackslash(QString& Dir);
bool IsWorldWritable(const QString& Dir);
// The folders searched for the source manager, in this order, each ending in
// "/": the program's installed library folder (lib/quillon beside its bin),
// the program's own folder, /usr/local/lib and the system library folder.
// Never the current or the temporary folder, and no folder that anyone may
// write to: a library found there would run a stranger's code.
QStringList TrustedLibraryFolders();

// Whether a file name fits the 255 bytes of a TWAIN file set-up whole; a
// name cut to fit would be another file.
bool FitsTwainFileName(const QString& FileName);

// A TWAIN condition code in words, for a message to the user.
QString TwainConditionText(int Condition);
