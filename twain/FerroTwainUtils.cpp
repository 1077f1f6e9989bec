#include "FerroTwainUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

TPointerList::TPointerList()
{
    SetAllocated(GrowBy);
}

TPointerList::~TPointerList()
{
    std::free(Data);
}

void TPointerList::Add(void* P)
{
    SetCount(Count + 1);
    Data[Count - 1] = P;
}

void TPointerList::Clear()
{
    Count = 0;
    SetAllocated(GrowBy);
}

void* TPointerList::GetItem(int Index) const
{
    return Inside(Index) ? Data[Index] : nullptr;
}

void TPointerList::SetItem(int Index, void* P)
{
    if (Inside(Index))
        Data[Index] = P;
}

void TPointerList::SetCount(int N)
{
    if (N < 0)
        return;
    int capacity = Allocated;
    while (capacity < N)
        capacity += GrowBy;
    SetAllocated(capacity);
    Count = N;
}

void TPointerList::SetAllocated(int N)
{
    if (N <= 0 || N < Count || N == Allocated)
        return;
    void** grown = static_cast<void**>(std::realloc(Data, sizeof(void*) * std::size_t(N)));
    if (!grown)
        return;
    Data = grown;
    Allocated = N;
}

double Fix32ToFloat(const TW_FIX32& Fix32)
{
    return Fix32.Whole + Fix32.Frac / 65536.0;
}

int FindLastDelimiter(const QString& Text, const QString& Delimiters)
{
    for (qsizetype i = Text.size() - 1; i >= 0; --i)
        if (Delimiters.contains(Text[i]))
            return int(i + 1);
    return int(Text.size());
}

QString ExtractDirectory(const QString& Path)
{
    const qsizetype slash = Path.lastIndexOf(u'/');
    return slash < 0 ? QString() : Path.left(slash + 1);
}

bool FileFound(const QString& Name)
{
    return QFileInfo(Name).isFile();
}

void AddTrailingBackslash(QString& Dir)
{
    if (!Dir.endsWith(u'/'))
        Dir += u'/';
}

bool IsWorldWritable(const QString& Dir)
{
    return QFileInfo(Dir).permissions() & QFileDevice::WriteOther;
}

QStringList TrustedLibraryFolders()
{
    const QString program = ExtractDirectory(QCoreApplication::applicationFilePath());
    QStringList folders{QDir::cleanPath(program + QStringLiteral("../lib/quillon")), program,
                        QStringLiteral("/usr/local/lib"), QStringLiteral(QUILLON_SYSTEM_LIBRARY_DIR)};
    QStringList trusted;
    for (QString& dir : folders) {
        AddTrailingBackslash(dir);
        // Anyone could have put a library into such a folder.
        if (!IsWorldWritable(dir) && !trusted.contains(dir))
            trusted << dir;
    }
    return trusted;
}

bool FitsTwainFileName(const QString& FileName)
{
    const qsizetype bytes = QFile::encodeName(FileName).size();
    return bytes > 0 && bytes <= 255;
}

QString TwainConditionText(int Condition)
{
    switch (Condition) {
    case TWCC_SUCCESS:
        return QStringLiteral("no further detail");
    case TWCC_LOWMEMORY:
        return QStringLiteral("not enough memory");
    case TWCC_NODS:
        return QStringLiteral("the source is not there");
    case TWCC_OPERATIONERROR:
        return QStringLiteral("the operation failed");
    case TWCC_BADVALUE:
        return QStringLiteral("a value was refused");
    case TWCC_SEQERROR:
        return QStringLiteral("the request came out of order");
    case TWCC_BADDEST:
        return QStringLiteral("unknown source");
    default:
        return QStringLiteral("condition code %1").arg(Condition);
    }
}
