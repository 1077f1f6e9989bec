// Writes to the per-user store from a process of its own, for the tests of
// two writers at once:
//   store_writer STORE recent FILE      puts FILE first in the recent list
//   store_writer STORE value NAME DATA  sets NAME under the tests' key
#include "main/RecentFiles.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() == 4 && a[2] == QStringLiteral("recent"))
        return TRecentFiles(a[1]).Add(a[3]) ? 0 : 1;
    TRegistry store(a.value(1));
    if (a.size() == 5 && a[2] == QStringLiteral("value") && store.OpenKey(QStringLiteral("\\Tests"), true))
        return store.WriteString(a[3], a[4]) ? 0 : 1;
    return 2;
}
